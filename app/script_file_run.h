// Running a script file from disk into the output bar ("Execute SQL Script..."): every
// statement in turn, failures written to the output as framed blocks, optionally inside a
// transaction the user commits at the end, optionally stopping at the first error.
//
// The run reaches the main window through CScriptFileHost, so that tests can answer for it.
#pragma once

#include "framework/core.h"

class CRDatabase;

class CScriptFileHost
{
public:
    virtual ~CScriptFileHost() = default;
    virtual int Message(LPCWSTR pszText, UINT nType) = 0;
    // Empties the output and shows its bar.
    virtual void ClearOutput() = 0;
    virtual void AppendOutput(LPCWSTR pszText) = 0;
    // Before each statement: the number read so far. True when the user cancelled.
    virtual bool Progress(int nCount) = 0;
    // The run's wait indicator goes away (before the outcome is shown).
    virtual void EndProgress() = 0;
    // 0 ran, 1 the driver refused it without an error record, 2 cancelled; database errors
    // are thrown as Zelt::CRDBException*.
    virtual int RunStatement(LPCWSTR pszSQL) = 0;
    virtual void Beep(UINT nType) = 0;
};

struct CScriptFileRunOptions
{
    CString strPath;
    CString strSeparator;
    UINT nEncoding = 0; // SQLScriptEncoding; 0 detects
    bool bTransaction = false;
    bool bStopAfterError = false;
};

struct CScriptFileRunResult
{
    int nStatements = 0;
    int nErrors = 0;
    bool bCancelled = false;
    bool bCompleted = false; // false when a failure left the loop
    bool bCommitted = false;
    bool bRolledBack = false;
};

CScriptFileRunResult RunScriptFile(CRDatabase& db, const CScriptFileRunOptions& options,
                                   CScriptFileHost& host);
