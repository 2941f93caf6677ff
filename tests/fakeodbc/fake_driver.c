/* The fake ODBC driver (being written). */
#include "fake_driver.h"
