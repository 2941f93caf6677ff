// CODBCProp "ODBC Driver Properties": driver, data source and cursor properties of a
// connection, read-only. FillConnectionProperties reads them (SQLGetInfo and connection
// attributes); a failed read shows "?" in its field and leaves its checks clear.
#pragma once

#include "framework/ui.h"

#include "dbaccess/database.h"

class CODBCProp : public CDialog
{
public:
    explicit CODBCProp(CWnd* pParent);

    CString m_strDBMSName;
    CString m_strDBMSVersion;
    CString m_strDriverName;
    CString m_strDMVersion;
    CString m_strDriverVersion;
    CString m_strODBCVersion;
    CString m_strColumnsInSelect;
    CString m_strColumnsInTable;
    CString m_strCommitBehavior;
    CString m_strRollbackBehavior;
    CString m_strDSN;
    int m_bReadOnly = 0;
    CString m_strIdentifierCase;
    CString m_strMaxColumnNameLen;
    CString m_strColumnsInGroupBy;
    CString m_strColumnsInOrderBy;
    CString m_strMaxActivities;
    CString m_strMaxConnections;
    CString m_strMaxTablesInSelect;
    CString m_strMultipleActiveTxn;
    CString m_strProcedures;
    int m_bDynamic = 0;
    int m_bForwardOnly = 0;
    int m_bKeysetDriven = 0;
    int m_bMixed = 0;
    int m_bStatic = 0;
    CString m_strTxnSupport;
    CString m_strConnectionTimeout;
    CString m_strLoginTimeout;
    CString m_strTxnIsolation;
    CString m_strExpressionsInOrderBy;
    CString m_strServerName;
    CString m_strDatabaseName;
    CString m_strCursorLibrary;
    int m_bPositionedUpdates = 0;
    int m_bPositionedDeletes = 0;
    int m_bConcurReadOnly = 0;
    int m_bConcurLock = 0;
    int m_bConcurRowVersions = 0;
    int m_bConcurValues = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

// Fills every member from the connection; nCursorType is the cursor the program opens (0
// keyset-driven, 1 static, 2 forward-only, 3 dynamic) and picks whose attributes are shown.
void FillConnectionProperties(CODBCProp& dlg, CRDatabase& db, UINT nCursorType);
// GetInfoWord of a limit: "?" on failure, "no limit" for 0, else the number.
CString GetInfoLimitText(CRDatabase& db, SQLUSMALLINT nInfoType);
