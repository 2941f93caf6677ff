// The options the database services read while they work: "CancelExec", "CursorLib" and
// "Use cursor for edit". They are fields of the application's settings store, which this library
// cannot see; the store binds them here when it is built, so the services always read the live
// values. Until something is bound (test programs without the application) the defaults hold.
#pragma once

struct CServiceOptions
{
    const int* pCancelExec = nullptr;       // flag: statements and catalog reads run as jobs
    const int* pCursorLib = nullptr;        // 1 "Driver" (default), 0 the ODBC cursor library
    const int* pUseCursorForEdit = nullptr; // flag: prefer cursors with positioned updates
};

// Points the services at the settings store's fields (null pointers restore the defaults).
void BindServiceOptions(const CServiceOptions& options);

bool GetCancelExecOption();       // default off
int GetCursorLibOption();         // default 1
bool GetUseCursorForEditOption(); // default on
