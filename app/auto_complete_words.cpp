// The editor's completion words.
#include "app/auto_complete_words.h"

#include "dbaccess/catalog.h"
#include "dbaccess/error_report.h"
#include "dbaccess/sql_names.h"
#include "framework/ui.h"

bool FillAutoCompleteWordList(CRCEAutoCompleteWordArray& words, CRDatabase* pDatabase,
                              const std::function<bool(CRCEAutoCompleteWordArray&)>& addObjectNames)
{
    CWaitCursor wait;
    RCEClearAutoCompleteWords(words);
    RCEAddAutoCompleteWordList(words, GetSQLReservedWords());
    if (pDatabase == nullptr || !pDatabase->IsOpen())
        return true;
    RunReportingErrors([&] {
        if (addObjectNames)
            addObjectNames(words);
        CRTypes types(pDatabase);
        CRTypes::CTypeInfo info;
        while (types.Fetch(&info))
            if (info.szTypeName[0])
                RCEAddAutoCompleteWord(words, info.szTypeName);
    });
    return true;
}
