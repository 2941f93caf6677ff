// The header lives with the window-free helpers now (include "util/..." in new code); this one
// keeps older includes building.
#pragma once

#include "util/text_encoding.h"
