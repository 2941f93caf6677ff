// Paths handed to ODBC drivers. Under Wine the drivers are native Linux libraries that open files
// themselves, so a database file or a trace file must be named by its Unix path; kernel32 there
// exports wine_get_unix_file_name for that. On Windows the path stays as it is.
#pragma once

#include "framework/core.h"

CString ToDriverPath(LPCWSTR pszPath);
