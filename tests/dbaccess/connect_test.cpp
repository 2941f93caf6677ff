#include <gtest/gtest.h>

#include "dbaccess/database.h"
