#include "app/script_file_run.h"

#include "controls/utility.h"
#include "dbaccess/database.h"
#include "dbaccess/error_report.h"
#include "resources/resource.h"
#include "services/script_file_notes.h"
#include "services/script_reader.h"

#include <memory>

namespace {

void EndTransaction(CRDatabase& db, bool bCommit, CScriptFileRunResult& result,
                    CScriptFileHost& host)
{
    try
    {
        db.EndTrans(bCommit);
        // A commit of a transaction a failure aborted rolled it back: the note says so.
        const CString strNote = db.TakeSessionNote();
        (bCommit && strNote.IsEmpty() ? result.bCommitted : result.bRolledBack) = true;
        if (!strNote.IsEmpty())
            host.Message(strNote, MB_ICONINFORMATION);
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        host.Message(FormatErrorText(e), MB_ICONERROR);
    }
}

} // namespace

CScriptFileRunResult RunScriptFile(CRDatabase& db, const CScriptFileRunOptions& options,
                                   CScriptFileHost& host)
{
    CScriptFileRunResult result;
    std::unique_ptr<CSQLScriptFile> script;
    try
    {
        script = std::make_unique<CSQLScriptFile>(options.strPath,
                                                  CFile::modeRead | CFile::shareDenyNone,
                                                  options.strSeparator, options.nEncoding);
        script->SetDialect(GetScriptDialect(db));
        // The script window refuses a file with NUL characters and marks bad UTF-8 bytes; a
        // run of the same file does the same before its first statement, not half-way.
        const CString refusal = GetScriptNulRefusal(options.strPath, *script, true);
        if (!refusal.IsEmpty())
        {
            host.Message(refusal, MB_ICONERROR);
            return result;
        }
        const CString badBytes = GetScriptBadBytesNote(options.strPath, *script, true);
        if (!badBytes.IsEmpty() && host.Message(badBytes, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
            return result;
        if (options.bTransaction && !db.BeginTrans())
        {
            host.Message(LoadResString(IDS_SCRIPT_BEGIN_TRANS_FAILED), MB_ICONERROR);
            return result;
        }
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        host.Message(FormatErrorText(e), MB_ICONERROR);
        return result;
    }

    try
    {
        host.ClearOutput();
        CString text;
        text.Format(LoadResString(IDS_EXECUTING_FILE), options.strPath.GetString());
        host.AppendOutput(text);

        CString strStatement;
        while (script->GetNextStatement(strStatement))
        {
            ++result.nStatements;
            if (host.Progress(result.nStatements))
            {
                result.bCancelled = true;
                break;
            }
            if (strStatement.IsEmpty())
                continue;
            CString strText;
            const bool bClosed = script->StripStatementComments(strStatement, strText);
            // An unclosed quote or comment goes to the server as written: it reports it.
            if (!bClosed)
                strText = strStatement;
            else if (CString(strText).Trim().IsEmpty())
            {
                result.nErrors = 1;
                host.Message(LoadResString(IDS_INCORRECT_SYNTAX), MB_ICONERROR);
                break;
            }
            try
            {
                const int nResult = host.RunStatement(strText);
                if (nResult == 1)
                {
                    result.nErrors = 1;
                    host.Message(L"Can't open recordset", MB_ICONERROR);
                    break;
                }
                if (nResult == 2)
                {
                    result.bCancelled = true;
                    break;
                }
                // A statement may change how the server reads the rest (MariaDB's sql_mode
                // and its backslash escapes): the scanner follows what the connection now knows.
                script->SetDialect(GetScriptDialect(db));
                // The statement succeeded; what the program set right after it is told.
                const CString strNote = db.TakeSessionNote();
                if (!strNote.IsEmpty())
                    host.AppendOutput(strNote + L"\r\n");
            }
            catch (Zelt::CRDBException* e)
            {
                CExceptionHolder held(e);
                ++result.nErrors;
                CString strShown = strStatement;
                CString strError = FormatErrorText(e, L"\r\n");
                text.Format(LoadResString(IDS_SCRIPT_ERROR_BLOCK), strShown.Trim().GetString(),
                            strError.Trim().GetString());
                host.AppendOutput(text);
                if (options.bStopAfterError)
                    throw held.Release();
            }
        }
        host.EndProgress();
        // A cancelled run ends its output with the word, not with a success line.
        if (result.bCancelled)
            host.AppendOutput(L"Cancelled.\r\n");

        if (result.nStatements == 0)
        {
            if (options.bTransaction)
                EndTransaction(db, false, result, host);
            host.Message(LoadResString(IDS_NO_QUERIES), MB_ICONINFORMATION);
            result.bCompleted = true;
            return result;
        }
        if (!result.bCancelled)
        {
            if (result.nErrors == 0)
                text.Format(LoadResString(IDS_EXECUTED_SUCCESSFULLY), result.nStatements);
            else
                text.Format(LoadResString(IDS_EXECUTED_WITH_ERRORS), result.nErrors);
            host.AppendOutput(text);
            host.Beep(result.nErrors == 0 ? MB_OK : MB_ICONHAND);
        }
        if (options.bTransaction)
        {
            if (result.bCancelled)
            {
                EndTransaction(db, false, result, host);
                host.Message(LoadResString(IDS_TRANSACTION_ROLLBACKED), MB_ICONINFORMATION);
            }
            else
            {
                const int nAnswer =
                    host.Message(LoadResString(IDS_COMMIT_QUESTION), MB_YESNO | MB_ICONQUESTION);
                EndTransaction(db, nAnswer == IDYES, result, host);
            }
        }
        result.bCompleted = true;
    }
    catch (CException* e)
    {
        CExceptionHolder held(e);
        host.EndProgress();
        host.Message(FormatErrorText(e), MB_ICONERROR);
        if (options.bTransaction)
        {
            EndTransaction(db, false, result, host);
            host.Message(LoadResString(IDS_TRANSACTION_ROLLBACKED), MB_ICONINFORMATION);
        }
    }
    catch (...)
    {
        host.EndProgress();
        host.Message(L"Unknown exception", MB_ICONERROR);
        if (options.bTransaction)
        {
            EndTransaction(db, false, result, host);
            host.Message(LoadResString(IDS_TRANSACTION_ROLLBACKED), MB_ICONINFORMATION);
        }
    }
    return result;
}
