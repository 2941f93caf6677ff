#include "services/export_settings.h"

namespace {

struct CDefaults
{
    int nMarkEvenLines = 1;
    int nShowNull = 1;
    CString strCSVSeparator = L",";
    CString strSQLSeparator = L";";
    int nInsCommit = 1;
    int nCommitQueries = 1000;
    int nSaveAsDBType = 0;
    int nSaveAsEncoding = 1;
};

CDefaults& Defaults()
{
    static CDefaults defaults;
    return defaults;
}

CExportSettings& Bound()
{
    static CExportSettings bound;
    return bound;
}

template <class T>
T* Or(T* p, T* fallback)
{
    return p ? p : fallback;
}

} // namespace

void BindExportSettings(const CExportSettings& settings)
{
    CDefaults& d = Defaults();
    CExportSettings& b = Bound();
    b.pMarkEvenLines = Or(settings.pMarkEvenLines, &d.nMarkEvenLines);
    b.pShowNull = Or(settings.pShowNull, &d.nShowNull);
    b.pCSVSeparator = Or(settings.pCSVSeparator, &d.strCSVSeparator);
    b.pSQLSeparator = Or(settings.pSQLSeparator, &d.strSQLSeparator);
    b.pInsCommit = Or(settings.pInsCommit, &d.nInsCommit);
    b.pCommitQueries = Or(settings.pCommitQueries, &d.nCommitQueries);
    b.pSaveAsDBType = Or(settings.pSaveAsDBType, &d.nSaveAsDBType);
    b.pSaveAsEncoding = Or(settings.pSaveAsEncoding, &d.nSaveAsEncoding);
    auto nothing = [] {};
    b.saveCSVSeparator = settings.saveCSVSeparator ? settings.saveCSVSeparator : nothing;
    b.saveSaveAsSettings = settings.saveSaveAsSettings ? settings.saveSaveAsSettings : nothing;
    b.saveCurrentDirectory =
        settings.saveCurrentDirectory ? settings.saveCurrentDirectory : nothing;
}

const CExportSettings& ExportSettings()
{
    if (!Bound().pMarkEvenLines)
        BindExportSettings(CExportSettings());
    return Bound();
}
