// Several tables into one export file, and the foreign-key order that lets an INSERT script
// insert referenced rows before the rows that refer to them.
#include "services/database_helper.h"

#include "dbaccess/error_report.h"
#include "dbaccess/held_cursor.h"
#include "dbaccess/recordset.h"
#include "resources/resource.h"
#include "services/save_data_job.h"
#include "services/service_options.h"
#include "services/wait_dlg.h"

namespace {

bool IsSameName(const CStringPair& a, const CStringPair& b)
{
    return a.m_strFirst == b.m_strFirst && a.m_strSecond == b.m_strSecond;
}

bool Contains(const CDBObjectsArray& list, const CStringPair& name)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (IsSameName(list[i], name))
            return true;
    return false;
}

CString LoadText(UINT nID, LPCWSTR pszFallback)
{
    CString s;
    if (!s.LoadString(nID))
        s = pszFallback;
    return s;
}

} // namespace

bool CRDatabaseHelper::PlaceTableByForeignKeys(const CDBObjectsArray& all, CDBObjectsArray& output,
                                               const CStringPair& table, int nPosition,
                                               CWaitDlg* pWait, bool& bCancelled)
{
    bCancelled = false;
    if (Contains(output, table))
        return true;
    if (pWait)
    {
        pWait->SetInfoText(FormatObjectName(table, &GetCatalogDatabase(), true));
        if (pWait->PumpMessages())
        {
            bCancelled = true;
            return false;
        }
    }
    CIndexedDBObject entry(table.m_strFirst, table.m_strSecond, -1);
    if (nPosition < 0)
        nPosition = static_cast<int>(output.Add(entry));
    else
        output.InsertAt(nPosition, entry);

    CForeignKeyArray keys;
    if (!GetForeignKeysNow(table, &keys))
        return false;
    for (INT_PTR i = 0; i < keys.GetSize(); ++i)
    {
        if (pWait && pWait->PumpMessages())
        {
            bCancelled = true;
            return false;
        }
        CStringPair referenced(keys[i].szPkTableSchem, keys[i].szPkTableName);
        // Tables not chosen stay out; a table already placed (the table itself, a further
        // column of the same key, a cycle) keeps its place.
        if (!Contains(all, referenced) || Contains(output, referenced))
            continue;
        INT_PTR nBefore = output.GetSize();
        if (!PlaceTableByForeignKeys(all, output, referenced, nPosition, pWait, bCancelled))
            return false;
        nPosition += static_cast<int>(output.GetSize() - nBefore);
    }
    return true;
}

bool CRDatabaseHelper::SortTablesByForeignKeys(const CDBObjectsArray& input,
                                               CDBObjectsArray& output, CWnd* pParent)
{
    if (input.GetSize() < 2 || !SupportsForeignKeys())
    {
        if (input.GetSize() >= 2 &&
            AfxMessageBox(L"ODBC driver does not support foreign key info.\nTable sorting is not "
                          L"possible.\nContinue?",
                          MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        output.Copy(input);
        return true;
    }
    bool bResult = false;
    RunReportingErrors([&] {
        CWaitDlg wait(pParent, CWaitDlg::flagCancel);
        wait.SetProcessText(LoadText(IDS_COLLECTING_TABLES_INFO, L"Collecting tables info..."));
        for (INT_PTR i = 0; i < input.GetSize(); ++i)
        {
            bool bCancelled = false;
            if (!PlaceTableByForeignKeys(input, output, input[i], -1, &wait, bCancelled) ||
                bCancelled)
                return;
        }
        if (output.GetSize() != input.GetSize())
        {
            AfxMessageBox(L"Failed to sort tables according to foreign key info", MB_ICONERROR);
            return;
        }
        bResult = true;
    });
    return bResult;
}

bool CRDatabaseHelper::SaveTableData(const CStringPair& name, int nObjectKind, CWnd* pParent)
{
    CDBObjectsArray objects;
    objects.Add(CIndexedDBObject(name.m_strFirst, name.m_strSecond, -1));
    return SaveTablesData(objects, nObjectKind, pParent);
}

bool CRDatabaseHelper::SaveTablesData(const CDBObjectsArray& objects, int nObjectKind,
                                      CWnd* pParent)
{
    if (objects.GetSize() == 0)
        return false;
    int nAllowed = AllowedSaveFormats(nObjectKind, objects.GetSize());
    CString strPath;
    int nFormat = AskDataFileName(
        nAllowed, strPath, objects.GetSize() == 1 ? objects[0].m_strSecond.GetString() : nullptr,
        pParent);
    if (nFormat == 0)
        return false;

    CDBObjectsArray ordered;
    if (nFormat == SAVEAS_SQL)
    {
        if (!SortTablesByForeignKeys(objects, ordered, pParent))
            return false;
    }
    else
        ordered.Copy(objects);

    std::unique_ptr<CDataFile> file;
    try
    {
        file = CreateDataFile(nFormat, strPath, &GetDatabase(), pParent);
        if (!file)
            return false;
        file->BeginFile();
    }
    catch (CException* e)
    {
        ReportException(e);
        return false;
    }
    catch (...)
    {
        return false;
    }

    // Every stop after the file was begun ends in FinishStoppedSave, which tells the error and
    // what the file holds in one message once the wait dialog is gone.
    CSaveStop stop;
    auto saveAll = [&]() -> bool {
        CWaitHolder wait(pParent, CWaitDlg::flagCancel);
        wait.SetSavingText(strPath);
        for (INT_PTR i = 0; i < ordered.GetSize(); ++i)
        {
            const CIndexedDBObject& object = ordered[i];
            CString strSQL;
            if (!BuildSelectStatement(&wait, object, strSQL))
                return false;
            wait.SetProcessText(FormatObjectName(object, &GetCatalogDatabase(), true));
            if (wait.IsCancelled())
                return false;
            // A table whose columns are all declared streams from SQLite as it is written.
            // PostgreSQL's dates as the server writes them (see RS_SERVER_TEXTS).
            const UINT nOptions = RS_READONLY | RS_UNBOUND | RS_NUMERIC_AS_TEXT | RS_SERVER_TEXTS |
                                  (nObjectKind == 1 ? DeclaredColumnsOption(object) : 0);
            bool bCancelled = false;
            auto open = [&](CRRecordset& rs, LPCWSTR pszSQL, UINT nOpenOptions) {
                if (GetCancelExecOption())
                    return OpenRecordset(&rs, pszSQL, RS_FORWARD_ONLY, nOpenOptions,
                                         wait.GetWaitDlg(), &bCancelled);
                return rs.Open(pszSQL, RS_FORWARD_ONLY, nOpenOptions);
            };
            std::unique_ptr<Zelt::ICursor> cursor;
            bool bOpen = false;
            if (Zelt::CHeldCursor::IsUsable(GetDatabase()))
            {
                // PostgreSQL outside a transaction: read in steps through a cursor, which the
                // server computes as the file is written (dbaccess/held_cursor.h).
                auto held = std::make_unique<Zelt::CHeldCursor>(&GetDatabase(), strSQL,
                                                                nOptions & ~RS_DECLARED_COLUMNS);
                bOpen = held->Open([&](CRRecordset& rs, LPCWSTR pszText, UINT nTextOptions) {
                    return open(rs, pszText, nTextOptions);
                });
                cursor = std::move(held);
            }
            else
            {
                auto rs = std::make_unique<CRRecordset>(&GetDatabase());
                bOpen = open(*rs, strSQL, nOptions);
                cursor = std::move(rs);
            }
            if (bCancelled)
                return false;
            if (!bOpen)
            {
                stop.strError = GetCancelExecOption() ? L"Can't open recordset" : L"SELECT failed!";
                return false;
            }
            if (!SaveData(wait, file.get(), cursor.get(), object, nullptr, nullptr, &stop))
                return false;
        }
        return true;
    };
    bool bSaved = false;
    try
    {
        bSaved = saveAll();
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        stop.strError = FormatErrorText(e);
    }
    catch (...)
    {
        stop.strError = FormatErrorText(nullptr);
    }
    if (!bSaved)
    {
        FinishStoppedSave(file, strPath, stop);
        return false;
    }
    bool bResult = false;
    RunReportingErrors([&] { bResult = EndSavedFile(file, strPath); });
    return bResult;
}
