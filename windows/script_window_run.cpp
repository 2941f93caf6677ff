#include "windows/script_window_run.h"

#include "controls/utility.h"
#include "dbaccess/database.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/script_reader.h"
#include "windows/script_dialogs.h"

namespace {

// What one statement came to (the run obeys it).
enum StatementOutcome
{
    outcomeExecuted = 0,
    outcomeStop = 1,
    outcomeSkipped = 2,
    outcomeIgnoreErrors = 3,
};

int LeadingBlanks(const CString& text)
{
    int n = 0;
    while (n < text.GetLength() &&
           (text[n] == L' ' || text[n] == L'\t' || text[n] == L'\r' || text[n] == L'\n'))
        ++n;
    return n;
}

CString FormatString(UINT nID, int a, int b)
{
    CString text;
    text.Format(LoadResString(nID), a, b);
    return text;
}

class CWindowRun
{
public:
    CWindowRun(CRDatabase& db, CScriptWindowHost& host) : m_db(db), m_host(host) {}

    // One statement, with its retries; the statement may come back edited.
    StatementOutcome Execute(CString& strStatement, bool& bEdited, bool bIgnoreErrors)
    {
        for (;;)
        {
            int nButton;
            CString strText;
            const bool bClosed = CSQLScript::StripComments(strStatement, strText, m_nDialect);
            // An unclosed quote or comment goes to the server as written: it reports it.
            if (!bClosed)
                strText = strStatement;
            if (bClosed && CString(strText).Trim().IsEmpty())
            {
                if (bIgnoreErrors)
                    return outcomeSkipped;
                nButton = ShowError(strStatement, LoadResString(IDS_INCORRECT_SYNTAX), bEdited);
            }
            else
            {
                try
                {
                    const int nResult = m_host.RunStatement(strText);
                    if (nResult == 1)
                        m_host.Message(L"Can't open recordset", MB_ICONERROR);
                    // The statement succeeded; what the program set right after it is told.
                    const CString strNote = m_db.TakeSessionNote();
                    if (nResult == 0 && !strNote.IsEmpty())
                        m_host.Message(strNote, MB_ICONINFORMATION);
                    return nResult == 0 ? outcomeExecuted : outcomeStop;
                }
                catch (Zelt::CRDBException* e)
                {
                    CExceptionHolder held(e);
                    if (bIgnoreErrors)
                        return outcomeSkipped;
                    nButton = ShowError(strStatement, FormatErrorText(e, L"\r\n"), bEdited);
                    if (nButton == CSQLError::resultStop)
                        throw static_cast<Zelt::CRDBException*>(held.Release());
                }
                catch (CException* e)
                {
                    CExceptionHolder held(e);
                    m_host.Message(FormatErrorText(e), MB_ICONERROR);
                    return outcomeStop;
                }
                catch (...)
                {
                    m_host.Message(L"Unknown exception.", MB_ICONERROR);
                    return outcomeStop;
                }
            }
            switch (nButton)
            {
            case CSQLError::resultRetry: continue;
            case CSQLError::resultNext: return outcomeSkipped;
            case CSQLError::resultIgnoreErrors: return outcomeIgnoreErrors;
            default: return outcomeStop;
            }
        }
    }

    CScriptWindowRunResult Run(LPCWSTR pszText, LPCWSTR pszSeparator, bool bTransaction);

private:
    int ShowError(CString& strStatement, LPCWSTR pszError, bool& bEdited)
    {
        CString strShown = strStatement;
        const int nButton = m_host.ShowError(strShown, pszError);
        if (nButton == CSQLError::resultRetry && strShown != strStatement)
        {
            strStatement = strShown;
            bEdited = true;
        }
        return nButton;
    }

    void EndTransaction(bool bCommit, CScriptWindowRunResult& result)
    {
        try
        {
            m_db.EndTrans(bCommit);
            // A commit of a transaction a failure aborted rolled it back: the note says so.
            const CString strNote = m_db.TakeSessionNote();
            (bCommit && strNote.IsEmpty() ? result.bCommitted : result.bRolledBack) = true;
            if (!strNote.IsEmpty())
                m_host.Message(strNote, MB_ICONINFORMATION);
        }
        catch (CException* e)
        {
            CExceptionHolder held(e);
            m_host.Message(FormatErrorText(e), MB_ICONERROR);
        }
    }

    CRDatabase& m_db;
    CScriptWindowHost& m_host;
    UINT m_nDialect = SCRIPT_DIALECT_STANDARD;
};

CScriptWindowRunResult CWindowRun::Run(LPCWSTR pszText, LPCWSTR pszSeparator, bool bTransaction)
{
    CScriptWindowRunResult result;
    m_nDialect = GetScriptDialect(m_db);
    CSQLScriptStr script(pszText, pszSeparator);
    script.SetDialect(m_nDialect);

    if (bTransaction)
    {
        bool bBegun = false;
        try
        {
            bBegun = m_db.BeginTrans();
        }
        catch (CException* e)
        {
            CExceptionHolder held(e);
            m_host.Message(FormatErrorText(e), MB_ICONERROR);
            return result;
        }
        if (!bBegun)
        {
            m_host.Message(LoadResString(IDS_SCRIPT_BEGIN_TRANS_FAILED), MB_ICONERROR);
            return result;
        }
    }

    bool bIgnoreErrors = false;
    bool bWrittenBack = true;
    try
    {
        CString strStatement;
        while (script.GetNextStatement(strStatement))
        {
            ++result.nStatements;
            if (m_host.Progress(result.nStatements))
            {
                result.bStopped = true;
                break;
            }
            if (strStatement.IsEmpty())
                continue;
            int nStart = script.GetStatementOffset();
            // The reader's statement begins right after the previous separator, with the line
            // break and blanks that follow it: the error dialog shows the statement from its
            // first word, and an edit replaces it from there.
            const int nLead = LeadingBlanks(strStatement);
            if (nLead < strStatement.GetLength())
            {
                strStatement = strStatement.Mid(nLead);
                nStart += nLead;
            }
            const int nOldLength = strStatement.GetLength();
            bool bEdited = false;
            const StatementOutcome outcome = Execute(strStatement, bEdited, bIgnoreErrors);
            // A statement may change how the server reads the rest (MariaDB's sql_mode and its
            // backslash escapes): the scanner follows what the connection now knows.
            m_nDialect = GetScriptDialect(m_db);
            script.SetDialect(m_nDialect);
            if (outcome == outcomeStop)
            {
                result.bStopped = true;
                break;
            }
            if (outcome == outcomeIgnoreErrors)
                bIgnoreErrors = true;
            else if (outcome == outcomeExecuted)
                ++result.nSucceeded;
            if (!bEdited)
                continue;

            // The edited statement replaces the one read, and reading goes on after it.
            if (!m_host.ReplaceText(nStart, nStart + nOldLength, strStatement))
            {
                m_host.Message(L"Failed to save changed query", MB_ICONERROR);
                bWrittenBack = false;
                result.bStopped = true;
                break;
            }
            if (m_host.PumpMessages())
            {
                result.bStopped = true;
                break;
            }
            script.SetText(m_host.GetText(), nStart);
            CString strAgain;
            script.GetNextStatement(strAgain);
        }
    }
    catch (Zelt::CRDBException* e)
    {
        CExceptionHolder held(e);
        m_host.Message(FormatErrorText(e), MB_ICONERROR);
        result.bAborted = true;
        if (bTransaction)
        {
            EndTransaction(false, result);
            m_host.Message(LoadResString(IDS_TRANSACTION_ROLLBACKED), MB_ICONINFORMATION);
        }
        return result;
    }

    if (result.nStatements == 0)
    {
        if (bTransaction)
            EndTransaction(false, result);
        m_host.Message(LoadResString(IDS_NO_QUERIES), MB_ICONINFORMATION);
    }
    else if (!bTransaction)
    {
        // A stopped run does not call itself successful.
        m_host.Message(FormatString(result.bStopped ? IDS_SCRIPT_STOPPED : IDS_SCRIPT_EXECUTED,
                                    result.nSucceeded, result.nStatements),
                       MB_ICONINFORMATION);
    }
    else if (result.bStopped || !bWrittenBack)
    {
        EndTransaction(false, result);
        m_host.Message(LoadResString(IDS_TRANSACTION_ROLLBACKED), MB_ICONINFORMATION);
    }
    else
    {
        const int nAnswer = m_host.Message(
            FormatString(IDS_SCRIPT_COMMIT_QUESTION, result.nSucceeded, result.nStatements),
            MB_YESNO | MB_ICONQUESTION);
        EndTransaction(nAnswer == IDYES, result);
    }
    return result;
}

} // namespace

CScriptWindowRunResult RunScriptText(CRDatabase& db, LPCWSTR pszText, LPCWSTR pszSeparator,
                                     bool bTransaction, CScriptWindowHost& host)
{
    CWindowRun run(db, host);
    return run.Run(pszText, pszSeparator, bTransaction);
}
