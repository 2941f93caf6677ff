// The framework's value types: strings, run-time classes, exceptions, collections, geometry,
// dates and files. Window classes come from "framework/ui.h".
#pragma once

#include <windows.h>

#include "framework/debug.h"
#include "framework/text_string.h"
#include "framework/object.h"
#include "framework/exceptions.h"
#include "framework/collections.h"
#include "framework/geometry.h"
#include "framework/date_time.h"
#include "framework/file.h"
