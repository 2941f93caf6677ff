// Copying the Options sheet's values between the settings and the sheet.
#include "app/options_values.h"

#include "app/app_settings.h"

namespace {

// One table of every field pair keeps the two directions of the copy from drifting apart.
template <class Values, class Settings, class Fn>
void ForEachPair(Values& v, Settings& s, Fn&& fn)
{
    fn(v.m_bGridLines, s.m_bGridLines);
    fn(v.m_bSelectFullLine, s.m_bSelectFullLine);
    fn(v.m_bUseCache, s.m_bUseCache);
    fn(v.m_bDebug, s.m_bDebug);
    fn(v.m_bEditable, s.m_bEditable);
    fn(v.m_bAdjustColumns, s.m_bAdjustColumns);
    fn(v.m_bFetchAllRecs, s.m_bFetchAllRecs);
    fn(v.m_bColumnScroll, s.m_bColumnScroll);
    fn(v.m_bMarkEvenLines, s.m_bMarkEvenLines);
    fn(v.m_bMarkEditLines, s.m_bMarkEditLines);
    fn(v.m_bShowKeysInGrid, s.m_bShowKeysInGrid);
    fn(v.m_bMarkSortedColumns, s.m_bMarkSortedColumns);
    fn(v.m_bConfirmRowDeletion, s.m_bConfirmRowDeletion);
    fn(v.m_bUseCursorForEdit, s.m_bUseCursorForEdit);
    fn(v.m_crEditLines, s.m_crEditLines);
    fn(v.m_nCacheSize, s.m_nCacheSize);
    fn(v.m_strSQLSeparator, s.m_strSQLSeparator);
    fn(v.m_nConnectStringNumber, s.m_nConnectStringNumber);
    fn(v.m_bConnectAtStartup, s.m_bConnectAtStartup);
    fn(v.m_nSQLQueriesNumber, s.m_nSQLQueriesNumber);
    fn(v.m_nNewWindowAction, s.m_nNewWindowAction);
    fn(v.m_nConnectionTimeout, s.m_nConnectionTimeout);
    fn(v.m_nLoginTimeout, s.m_nLoginTimeout);
    fn(v.m_nQueryTimeout, s.m_nQueryTimeout);
    fn(v.m_bCancelExec, s.m_bCancelExec);
    fn(v.m_nTableSortDirection, s.m_nTableSortDirection);
    fn(v.m_nTableSortValue, s.m_nTableSortValue);
    fn(v.m_bTableDialogPKey, s.m_bTableDialogPKey);
    fn(v.m_bTableDialogFKey, s.m_bTableDialogFKey);
    fn(v.m_bFKeyInFilter, s.m_bFKeyInFilter);
    fn(v.m_bMarkInvalidObjects, s.m_bMarkInvalidObjects);
    fn(v.m_bCurSchema, s.m_bCurSchema);
    fn(v.m_bTableDialogPackage, s.m_bTableDialogPackage);
    fn(v.m_bTableDialogSysTables, s.m_bTableDialogSysTables);
    fn(v.m_nCursorLib, s.m_nCursorLib);
    fn(v.m_strFontName, s.m_strFontName);
    fn(v.m_nCharset, s.m_nCharset);
    fn(v.m_nFontSize, s.m_nFontSize);
    fn(v.m_crKeyword, s.m_crKeyword);
    fn(v.m_crString, s.m_crString);
    fn(v.m_crNumber, s.m_crNumber);
    fn(v.m_crComment, s.m_crComment);
    fn(v.m_crAttribute, s.m_crAttribute);
    fn(v.m_nTabSize, s.m_nTabSize);
    fn(v.m_bTabUseSpaces, s.m_bTabUseSpaces);
    fn(v.m_bIndent, s.m_bIndent);
    fn(v.m_bWantTab, s.m_bWantTab);
    fn(v.m_bVirtualSpace, s.m_bVirtualSpace);
    fn(v.m_bAutoComplete, s.m_bAutoComplete);
    fn(v.m_bAutosave, s.m_bAutosave);
    fn(v.m_nAutosaveTime, s.m_nAutosaveTime);
    fn(v.m_nEditorEncoding, s.m_nEditorEncoding);
}

} // namespace

void COptionsValues::ReadFrom(const CAppSettings& settings)
{
    ForEachPair(*this, settings, [](auto& value, const auto& setting) { value = setting; });
}

bool COptionsValues::ChangesGrids(const CAppSettings& s) const
{
    if (m_bGridLines != s.m_bGridLines || m_bSelectFullLine != s.m_bSelectFullLine ||
        m_bUseCache != s.m_bUseCache || m_bDebug != s.m_bDebug ||
        m_bAdjustColumns != s.m_bAdjustColumns || m_nQueryTimeout != s.m_nQueryTimeout ||
        m_nCacheSize != s.m_nCacheSize || m_bMarkEvenLines != s.m_bMarkEvenLines ||
        m_bMarkEditLines != s.m_bMarkEditLines || m_crEditLines != s.m_crEditLines ||
        m_bShowKeysInGrid != s.m_bShowKeysInGrid || m_bMarkSortedColumns != s.m_bMarkSortedColumns)
        return true;
    // Key marks come from the tables dialog's key choices only while grids show keys at all.
    return m_bShowKeysInGrid && (m_bTableDialogPKey != s.m_bTableDialogPKey ||
                                 m_bTableDialogFKey != s.m_bTableDialogFKey);
}

bool COptionsValues::WriteTo(CAppSettings& settings) const
{
    const bool bGridChanged = ChangesGrids(settings);
    ForEachPair(*this, settings, [](const auto& value, auto& setting) { setting = value; });
    settings.m_nCurTableSortDirection = m_nTableSortDirection;
    settings.m_nCurTableSortValue = m_nTableSortValue;
    return bGridChanged;
}
