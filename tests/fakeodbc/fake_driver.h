/* Shared declarations of the fake ODBC driver's source files. */
#pragma once
