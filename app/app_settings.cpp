// CAppSettings: defaults, the registry reads and writes, the recent lists.
// The editor scheme (font, colour rules, pushing them into editor windows) is in
// app_settings_editor.cpp.
#include "app/app_settings.h"

#include "editor/regexp.h"
#include "services/export_settings.h"
#include "services/service_options.h"

#include <algorithm>

CAppSettings theSettings;

namespace {

LPCWSTR const kDlgPosNames[CAppSettings::dlgPosCount] = {
    L"DlgPosExecSQL",          L"DlgPosDBOProp", L"DlgPosTableIndexes", L"DlgPosTableTriggers",
    L"DlgPosTableConstraints", L"DlgPosShowSQL", L"DlgPosProcInfo",     L"DlgPosProcParams",
    L"DlgPosProcResults",      L"DlgPosFilter",  L"DlgPosGoTo",         L"DlgPosEditValue"};

// One open key. The readers accept a value only in its own type and size: a value of another
// type (written by hand or by something else) counts as missing, so its default stays.
class CSettingsKey
{
public:
    // Reading: an existing key under root.
    CSettingsKey(HKEY hRoot, LPCWSTR pszPath)
    {
        if (::RegOpenKeyExW(hRoot, pszPath, 0, KEY_READ, &m_hKey) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    // Writing: created under HKEY_CURRENT_USER when missing.
    explicit CSettingsKey(LPCWSTR pszPath)
    {
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, pszPath, 0, nullptr, 0,
                              KEY_WRITE | KEY_QUERY_VALUE, nullptr, &m_hKey,
                              nullptr) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    ~CSettingsKey()
    {
        if (m_hKey != nullptr)
            ::RegCloseKey(m_hKey);
    }
    CSettingsKey(const CSettingsKey&) = delete;
    CSettingsKey& operator=(const CSettingsKey&) = delete;

    bool IsOpen() const { return m_hKey != nullptr; }

    bool ReadText(LPCWSTR pszName, CString& value) const
    {
        DWORD type = 0, size = 0;
        if (m_hKey == nullptr ||
            ::RegQueryValueExW(m_hKey, pszName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
        DWORD bytes = (DWORD)((buffer.size() - 1) * sizeof(wchar_t));
        if (::RegQueryValueExW(m_hKey, pszName, nullptr, &type, (BYTE*)buffer.data(), &bytes) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        const size_t chars = std::min<size_t>(bytes / sizeof(wchar_t), buffer.size() - 1);
        value = CString(buffer.data(), (int)wcsnlen(buffer.data(), chars));
        return true;
    }
    bool ReadDWORD(LPCWSTR pszName, DWORD& value) const
    {
        DWORD type = 0, data = 0, size = sizeof data;
        if (m_hKey == nullptr ||
            ::RegQueryValueExW(m_hKey, pszName, nullptr, &type, (BYTE*)&data, &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof data)
            return false;
        value = data;
        return true;
    }
    // Exactly nSize bytes of REG_BINARY, else nothing is changed.
    bool ReadBinary(LPCWSTR pszName, void* pData, DWORD nSize) const
    {
        DWORD type = 0, size = 0;
        if (m_hKey == nullptr ||
            ::RegQueryValueExW(m_hKey, pszName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_BINARY || size != nSize)
            return false;
        std::vector<BYTE> buffer(size);
        if (::RegQueryValueExW(m_hKey, pszName, nullptr, &type, buffer.data(), &size) !=
                ERROR_SUCCESS ||
            size != nSize)
            return false;
        memcpy(pData, buffer.data(), nSize);
        return true;
    }
    // "Yes" (any case) is on, any other text off; missing leaves the value.
    void Flag(LPCWSTR pszName, int& value) const
    {
        CString text;
        if (ReadText(pszName, text))
            value = text.CompareNoCase(L"Yes") == 0 ? 1 : 0;
    }
    void Number(LPCWSTR pszName, int& value) const
    {
        DWORD data = 0;
        if (ReadDWORD(pszName, data))
            value = (int)data;
    }
    void Number(LPCWSTR pszName, int& value, int nFallback) const
    {
        DWORD data = 0;
        value = ReadDWORD(pszName, data) ? (int)data : nFallback;
    }
    void Color(LPCWSTR pszName, COLORREF& value, COLORREF crFallback) const
    {
        DWORD data = 0;
        value = ReadDWORD(pszName, data) ? (COLORREF)data : crFallback;
    }
    void Text(LPCWSTR pszName, CString& value) const { ReadText(pszName, value); }

    void WriteText(LPCWSTR pszName, LPCWSTR pszValue)
    {
        if (m_hKey == nullptr)
            return;
        if (pszValue == nullptr)
            pszValue = L"";
        ::RegSetValueExW(m_hKey, pszName, 0, REG_SZ, (const BYTE*)pszValue,
                         (DWORD)((wcslen(pszValue) + 1) * sizeof(wchar_t)));
    }
    void WriteFlag(LPCWSTR pszName, int value) { WriteText(pszName, value ? L"Yes" : L"No"); }
    void WriteNumber(LPCWSTR pszName, DWORD value)
    {
        if (m_hKey != nullptr)
            ::RegSetValueExW(m_hKey, pszName, 0, REG_DWORD, (const BYTE*)&value, sizeof value);
    }
    void WriteBinary(LPCWSTR pszName, const void* pData, DWORD nSize)
    {
        if (m_hKey != nullptr)
            ::RegSetValueExW(m_hKey, pszName, 0, REG_BINARY, (const BYTE*)pData, nSize);
    }
    std::vector<CString> ValueNames() const
    {
        std::vector<CString> names;
        for (DWORD i = 0; m_hKey != nullptr; ++i)
        {
            wchar_t name[256] = {};
            DWORD length = 256;
            if (::RegEnumValueW(m_hKey, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.push_back(CString(name, (int)length));
        }
        return names;
    }
    void Delete(LPCWSTR pszName)
    {
        if (m_hKey != nullptr)
            ::RegDeleteValueW(m_hKey, pszName);
    }

private:
    HKEY m_hKey = nullptr;
};

CString IndexedName(LPCWSTR pszFormat, int nIndex)
{
    CString name;
    name.Format(pszFormat, nIndex);
    return name;
}

void WriteList(CSettingsKey& key, LPCWSTR pszFormat, const CStringArray& list)
{
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        key.WriteText(IndexedName(pszFormat, (int)i), list[i]);
}

} // namespace

CAppSettings::CAppSettings()
{
    m_pHexRegExp = CRegExp::Compile(L"0x[0-9a-fA-F]{1,}");
    m_pNumberRegExp = CRegExp::Compile(L"[0-9]{0,}(\\.[0-9]{1,}){0,1}");
    m_pAttributeRegExp = CRegExp::Compile(L"[\\w-_:]{1,}\\z[\\s]{0,}=");
    BuildColorRules();
    for (CRSizableDlg::CPlacement& placement : m_dlgPos)
        placement.showCmd = SW_SHOW;
    m_windowPlacement.length = sizeof(WINDOWPLACEMENT);
    // The services read these options while they work; only the program's own object is theirs.
    if (this == &theSettings)
    {
        BindServiceOptions({&m_bCancelExec, &m_nCursorLib, &m_bUseCursorForEdit});
        BindExportSettings({&m_bMarkEvenLines, &m_bDebug, &m_strCSVSeparator, &m_strSQLSeparator,
                            &m_bInsCommit, &m_nCommitQueries, &m_nSaveAsDBType, &m_nSaveAsEncoding,
                            [this] { SaveCSVSeparator(); }, [this] { SaveSaveAsSettings(); },
                            [this] { SaveCurrentDirectory(); }});
    }
}

CAppSettings::~CAppSettings()
{
    if (this == &theSettings)
    {
        BindServiceOptions({});
        BindExportSettings({});
    }
    RCEFreeWordColors(m_sqlWords);
    RCEFreeRangeColors(m_sqlRanges);
    RCEFreeRangeColors(m_markupRanges);
    RCEFreeRegExpColors(m_sqlRegExps);
    RCEFreeRegExpColors(m_markupRegExps);
    CRegExp::Delete(m_pHexRegExp);
    CRegExp::Delete(m_pNumberRegExp);
    CRegExp::Delete(m_pAttributeRegExp);
    if (m_hFont != nullptr)
        ::DeleteObject(m_hFont);
}

LPCWSTR CAppSettings::GetDlgPosName(int nIndex)
{
    return nIndex >= 0 && nIndex < dlgPosCount ? kDlgPosNames[nIndex] : L"";
}

CString CAppSettings::SubkeyPath(LPCWSTR pszSubkey) const
{
    return m_strKeyPath + L"\\" + pszSubkey;
}

HKEY CAppSettings::GetRootKey(LPCWSTR pszPath, LPCWSTR pszValueName)
{
    CSettingsKey user(HKEY_CURRENT_USER, pszPath);
    if (!user.IsOpen())
        return HKEY_LOCAL_MACHINE;
    if (pszValueName == nullptr)
        return HKEY_CURRENT_USER;
    CString text;
    return user.ReadText(pszValueName, text) ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

void CAppSettings::Load()
{
    {
        const CSettingsKey key(GetRootKey(m_strKeyPath, L"Grid lines"), m_strKeyPath);
        key.Flag(L"Grid lines", m_bGridLines);
        key.Flag(L"Select full line", m_bSelectFullLine);
        key.Flag(L"Use cache", m_bUseCache);
        key.Flag(L"Debug", m_bDebug);
        key.Flag(L"Editable", m_bEditable);
        key.Flag(L"Adjust columns", m_bAdjustColumns);
        key.Flag(L"FetchAllRecs", m_bFetchAllRecs);
        key.Flag(L"Column scroll", m_bColumnScroll);
        key.Flag(L"Mark even lines", m_bMarkEvenLines);
        key.Flag(L"Mark edit lines", m_bMarkEditLines);
        key.Color(L"Edit lines color", m_crEditLines, RGB(255, 0, 0));
        key.Flag(L"Show keys in grid", m_bShowKeysInGrid);
        key.Flag(L"Mark sorted columns", m_bMarkSortedColumns);
        key.Flag(L"Confirm row deletion", m_bConfirmRowDeletion);
        key.Flag(L"Use cursor for edit", m_bUseCursorForEdit);
        key.Text(L"SQL separator", m_strSQLSeparator);
        key.Flag(L"Connect DB at startup", m_bConnectAtStartup);

        key.Number(L"Connection timeout", m_nConnectionTimeout);
        key.Number(L"Login timeout", m_nLoginTimeout);
        key.Number(L"Query timeout", m_nQueryTimeout);
        key.Number(L"Table dialog sort direction", m_nTableSortDirection);
        key.Number(L"Table dialog sort value", m_nTableSortValue);
        m_nCurTableSortDirection = m_nTableSortDirection;
        m_nCurTableSortValue = m_nTableSortValue;
        // A size the Options sheet could never store (written by hand) would leave the grid
        // without a cache window: its cells would stay empty or the grid would hang.
        key.Number(L"Cache size", m_nCacheSize);
        if (m_nCacheSize < 1)
            m_nCacheSize = 1000;

        WINDOWPLACEMENT placement = {};
        m_bWindowPlacementValid =
            key.ReadBinary(L"Window placement", &placement, sizeof placement) ? 1 : 0;
        if (m_bWindowPlacementValid)
            m_windowPlacement = placement;

        key.Flag(L"DBBarVisible", m_bDBBarVisible);
        key.Flag(L"Table dialog pkey", m_bTableDialogPKey);
        key.Flag(L"Table dialog fkey", m_bTableDialogFKey);
        key.Flag(L"Mark invalid objects", m_bMarkInvalidObjects);
        key.Flag(L"CurSchema", m_bCurSchema);
        key.Flag(L"Table dialog package", m_bTableDialogPackage);
        key.Flag(L"Table dialog systables", m_bTableDialogSysTables);
        key.Flag(L"FKeyInFilter", m_bFKeyInFilter);
        key.Number(L"CursorLib", m_nCursorLib);
        key.Number(L"NewWindowAction", m_nNewWindowAction);
        key.Flag(L"CancelExec", m_bCancelExec);

        CString directory;
        if (key.ReadText(L"Current directory", directory) && !directory.IsEmpty())
            ::SetCurrentDirectoryW(directory);

        // The font is one choice: a part that cannot be read resets all three.
        CString fontName;
        DWORD nCharset = 0, nFontSize = 0;
        if (key.ReadText(L"Font name", fontName) && key.ReadDWORD(L"Charset", nCharset) &&
            key.ReadDWORD(L"Font size", nFontSize))
        {
            m_strFontName = fontName;
            m_nCharset = (int)nCharset;
            m_nFontSize = (int)nFontSize < 1 ? 9 : (int)nFontSize;
        }
        else
        {
            m_strFontName = L"Courier New";
            m_nCharset = 204;
            m_nFontSize = 9;
        }
        CreateEditorFont();

        key.Color(L"Keyword color", m_crKeyword, RGB(0, 0, 255));
        key.Color(L"String color", m_crString, RGB(0, 128, 0));
        key.Color(L"Comment color", m_crComment, RGB(0, 128, 128));
        key.Color(L"Number color", m_crNumber, RGB(255, 0, 0));
        key.Color(L"Attribute color", m_crAttribute, RGB(255, 0, 255));
        UpdateSyntaxColors();

        key.Number(L"Tab size", m_nTabSize, 8);
        // Tab stops billions of columns apart would hang the editor at the first Tab.
        if (m_nTabSize < 1 || m_nTabSize > 8)
            m_nTabSize = 8;
        key.Flag(L"Tab use spaces", m_bTabUseSpaces);
        key.Flag(L"Indent", m_bIndent);
        key.Flag(L"Want tab", m_bWantTab);
        key.Flag(L"Virtual space", m_bVirtualSpace);
        key.Flag(L"AutoComplete", m_bAutoComplete);
        key.Flag(L"Autosave", m_bAutosave);
        key.Number(L"Autosave time", m_nAutosaveTime, 5);
        key.Number(L"Editor encoding", m_nEditorEncoding, 1);
        key.Flag(L"EditValueWordWrap", m_bEditValueWordWrap);
        key.Flag(L"OutputBarWordWrap", m_bOutputBarWordWrap);
        key.Flag(L"SQLEditorWordWrap", m_bSQLEditorWordWrap);
        key.Flag(L"DBOTextWordWrap", m_bDBOTextWordWrap);
        key.Flag(L"ExecSQLWordWrap", m_bExecSQLWordWrap);
        key.Flag(L"JoinWordWrap", m_bJoinWordWrap);
        key.Flag(L"ShowSQLWordWrap", m_bShowSQLWordWrap);
        key.Flag(L"SQLErrorWordWrap", m_bSQLErrorWordWrap);
        key.Flag(L"InsCommit", m_bInsCommit);
        key.Number(L"CommitQueries", m_nCommitQueries, 1000);
        key.Number(L"SaveAsDBType", m_nSaveAsDBType, 0);
        key.Number(L"SaveAsEncoding", m_nSaveAsEncoding, 1);
        if (!key.ReadText(L"CSV separator", m_strCSVSeparator))
            m_strCSVSeparator = L",";
        key.Flag(L"StopAfterError", m_bStopAfterError);
    }

    LoadRecentList(L"ConnectStrings", L"ConnectStringNumber", L"ConnectString%d", m_connectStrings,
                   m_nConnectStringNumber);
    LoadRecentList(L"SQL queries", L"SQLQueriesNumber", L"SQLQuery%d", m_sqlQueries,
                   m_nSQLQueriesNumber);
    LoadFindSettings(L"Find", m_find, false);
    LoadFindSettings(L"Replace", m_replace, true);

    const CSettingsKey key(GetRootKey(m_strKeyPath, L"Grid lines"), m_strKeyPath);
    for (int i = 0; i < dlgPosCount; ++i)
    {
        CRSizableDlg::CPlacement placement;
        if (key.ReadBinary(kDlgPosNames[i], &placement, sizeof placement))
            m_dlgPos[i] = placement;
    }
}

void CAppSettings::LoadRecentList(LPCWSTR pszSubkey, LPCWSTR pszNumberName, LPCWSTR pszItemFormat,
                                  CStringArray& list, int& nLength)
{
    const CString path = SubkeyPath(pszSubkey);
    const CSettingsKey key(GetRootKey(path, nullptr), path);
    key.Number(pszNumberName, nLength);
    list.RemoveAll();
    for (int i = 0; i < nLength; ++i)
    {
        const CString name = IndexedName(pszItemFormat, i);
        CString text;
        if (key.ReadText(name, text))
        {
            list.Add(text);
            continue;
        }
        // A value of another type is skipped; the first missing one ends the list.
        DWORD type = 0;
        HKEY hKey = nullptr;
        bool bPresent = false;
        if (::RegOpenKeyExW(GetRootKey(path, nullptr), path, 0, KEY_READ, &hKey) == ERROR_SUCCESS)
        {
            bPresent =
                ::RegQueryValueExW(hKey, name, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS;
            ::RegCloseKey(hKey);
        }
        if (!bPresent)
            break;
    }
}

void CAppSettings::LoadFindSettings(LPCWSTR pszSubkey, CFindSettings& find, bool bReplace)
{
    const CString path = SubkeyPath(pszSubkey);
    const CSettingsKey key(GetRootKey(path, nullptr), path);
    key.Text(L"FindStr", find.m_strFind);
    if (bReplace)
        key.Text(L"ReplaceStr", find.m_strReplace);
    key.Flag(L"WholeWord", find.m_bWholeWord);
    key.Flag(L"MatchCase", find.m_bMatchCase);
    DWORD nDirection = 1;
    find.m_nDirection =
        key.ReadDWORD(L"Find direction", nDirection) && nDirection <= 1 ? (int)nDirection : 1;
    LoadRecentList(pszSubkey, L"FindStrNumber", L"FindStr%d", find.m_findList, find.m_nFindLength);
    if (find.m_findList.GetSize() == 0 && !find.m_strFind.IsEmpty())
        find.m_findList.Add(find.m_strFind);
    if (bReplace)
    {
        LoadRecentList(pszSubkey, L"ReplaceStrNumber", L"ReplaceStr%d", find.m_replaceList,
                       find.m_nReplaceLength);
        if (find.m_replaceList.GetSize() == 0 && !find.m_strReplace.IsEmpty())
            find.m_replaceList.Add(find.m_strReplace);
    }
}

void CAppSettings::Save()
{
    CSettingsKey key(m_strKeyPath);
    key.WriteFlag(L"Grid lines", m_bGridLines);
    key.WriteFlag(L"Select full line", m_bSelectFullLine);
    key.WriteFlag(L"Use cache", m_bUseCache);
    key.WriteFlag(L"Debug", m_bDebug);
    key.WriteFlag(L"Editable", m_bEditable);
    key.WriteFlag(L"Adjust columns", m_bAdjustColumns);
    key.WriteFlag(L"FetchAllRecs", m_bFetchAllRecs);
    key.WriteFlag(L"Column scroll", m_bColumnScroll);
    key.WriteFlag(L"Mark even lines", m_bMarkEvenLines);
    key.WriteFlag(L"Mark edit lines", m_bMarkEditLines);
    key.WriteNumber(L"Edit lines color", m_crEditLines);
    key.WriteFlag(L"Show keys in grid", m_bShowKeysInGrid);
    key.WriteFlag(L"Mark sorted columns", m_bMarkSortedColumns);
    key.WriteFlag(L"Confirm row deletion", m_bConfirmRowDeletion);
    key.WriteFlag(L"Use cursor for edit", m_bUseCursorForEdit);
    key.WriteText(L"SQL separator", m_strSQLSeparator);
    key.WriteFlag(L"Connect DB at startup", m_bConnectAtStartup);
    key.WriteNumber(L"Connection timeout", m_nConnectionTimeout);
    key.WriteNumber(L"Login timeout", m_nLoginTimeout);
    key.WriteNumber(L"Query timeout", m_nQueryTimeout);
    key.WriteNumber(L"Table dialog sort direction", m_nTableSortDirection);
    key.WriteNumber(L"Table dialog sort value", m_nTableSortValue);
    key.WriteNumber(L"Cache size", m_nCacheSize);
    key.WriteFlag(L"Table dialog pkey", m_bTableDialogPKey);
    key.WriteFlag(L"Table dialog fkey", m_bTableDialogFKey);
    key.WriteFlag(L"Table dialog package", m_bTableDialogPackage);
    key.WriteFlag(L"Mark invalid objects", m_bMarkInvalidObjects);
    key.WriteFlag(L"CurSchema", m_bCurSchema);
    key.WriteFlag(L"Table dialog systables", m_bTableDialogSysTables);
    key.WriteFlag(L"FKeyInFilter", m_bFKeyInFilter);
    key.WriteNumber(L"CursorLib", m_nCursorLib);
    key.WriteNumber(L"NewWindowAction", m_nNewWindowAction);
    key.WriteFlag(L"CancelExec", m_bCancelExec);
    key.WriteText(L"Font name", m_strFontName);
    key.WriteNumber(L"Charset", m_nCharset);
    key.WriteNumber(L"Font size", m_nFontSize);
    key.WriteNumber(L"Keyword color", m_crKeyword);
    key.WriteNumber(L"String color", m_crString);
    key.WriteNumber(L"Comment color", m_crComment);
    key.WriteNumber(L"Number color", m_crNumber);
    key.WriteNumber(L"Attribute color", m_crAttribute);
    key.WriteNumber(L"Tab size", m_nTabSize);
    key.WriteFlag(L"Tab use spaces", m_bTabUseSpaces);
    key.WriteFlag(L"Indent", m_bIndent);
    key.WriteFlag(L"Want tab", m_bWantTab);
    key.WriteFlag(L"Virtual space", m_bVirtualSpace);
    key.WriteFlag(L"AutoComplete", m_bAutoComplete);
    key.WriteFlag(L"Autosave", m_bAutosave);
    key.WriteNumber(L"Autosave time", m_nAutosaveTime);
    key.WriteNumber(L"Editor encoding", m_nEditorEncoding);
    key.WriteFlag(L"SQLEditorWordWrap", m_bSQLEditorWordWrap);
    for (int i = 0; i < dlgPosCount; ++i)
        key.WriteBinary(kDlgPosNames[i], &m_dlgPos[i], sizeof m_dlgPos[i]);
}

// ---- Single values ----------------------------------------------------------------------------

void CAppSettings::SaveWindowPlacement(CWnd* pMainWnd)
{
    if (pMainWnd == nullptr || pMainWnd->GetSafeHwnd() == nullptr)
        return;
    m_windowPlacement.length = sizeof(WINDOWPLACEMENT);
    m_bWindowPlacementValid = ::GetWindowPlacement(pMainWnd->GetSafeHwnd(), &m_windowPlacement);
    CSettingsKey key(m_strKeyPath);
    if (m_bWindowPlacementValid)
        key.WriteBinary(L"Window placement", &m_windowPlacement, sizeof m_windowPlacement);
    else
        key.Delete(L"Window placement");
}

void CAppSettings::SaveCurrentDirectory()
{
    wchar_t directory[MAX_PATH] = {};
    ::SetLastError(0);
    if (::GetCurrentDirectoryW(MAX_PATH, directory) != 0 && ::GetLastError() == 0)
        CSettingsKey(m_strKeyPath).WriteText(L"Current directory", directory);
}

void CAppSettings::SaveDBBarVisible()
{
    CSettingsKey(m_strKeyPath).WriteFlag(L"DBBarVisible", m_bDBBarVisible);
}

void CAppSettings::SaveSaveAsSettings()
{
    CSettingsKey key(m_strKeyPath);
    key.WriteFlag(L"InsCommit", m_bInsCommit);
    key.WriteNumber(L"CommitQueries", m_nCommitQueries);
    key.WriteNumber(L"SaveAsDBType", m_nSaveAsDBType);
    key.WriteNumber(L"SaveAsEncoding", m_nSaveAsEncoding);
}

void CAppSettings::SaveCSVSeparator()
{
    CSettingsKey(m_strKeyPath).WriteText(L"CSV separator", m_strCSVSeparator);
}

void CAppSettings::SaveScriptSettings()
{
    CSettingsKey key(m_strKeyPath);
    key.WriteFlag(L"StopAfterError", m_bStopAfterError);
    key.WriteText(L"SQL separator", m_strSQLSeparator);
}

void CAppSettings::SaveWordWrap(LPCWSTR pszName, int bValue)
{
    CSettingsKey(m_strKeyPath).WriteFlag(pszName, bValue);
}

void CAppSettings::SaveEditValueWordWrap()
{
    SaveWordWrap(L"EditValueWordWrap", m_bEditValueWordWrap);
}
void CAppSettings::SaveOutputBarWordWrap()
{
    SaveWordWrap(L"OutputBarWordWrap", m_bOutputBarWordWrap);
}
void CAppSettings::SaveDBOTextWordWrap()
{
    SaveWordWrap(L"DBOTextWordWrap", m_bDBOTextWordWrap);
}
void CAppSettings::SaveExecSQLWordWrap()
{
    SaveWordWrap(L"ExecSQLWordWrap", m_bExecSQLWordWrap);
}
void CAppSettings::SaveJoinWordWrap()
{
    SaveWordWrap(L"JoinWordWrap", m_bJoinWordWrap);
}
void CAppSettings::SaveShowSQLWordWrap()
{
    SaveWordWrap(L"ShowSQLWordWrap", m_bShowSQLWordWrap);
}
void CAppSettings::SaveSQLErrorWordWrap()
{
    SaveWordWrap(L"SQLErrorWordWrap", m_bSQLErrorWordWrap);
}

// ---- Recent lists -----------------------------------------------------------------------------

bool CAppSettings::AddToRecentList(CStringArray& list, int nLength, LPCWSTR pszText)
{
    if (pszText == nullptr || *pszText == 0)
        return false;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
    {
        if (list[i] == pszText)
        {
            if (i == 0)
                return false;
            const CString text = list[i];
            list.RemoveAt(i);
            list.InsertAt(0, text);
            return true;
        }
    }
    list.InsertAt(0, CString(pszText));
    const INT_PTR nKeep = std::max(nLength, 0);
    if (list.GetSize() > nKeep)
        list.SetSize(nKeep);
    return true;
}

void CAppSettings::AddConnectString(LPCWSTR pszText)
{
    CString text(pszText != nullptr ? pszText : L"");
    text.TrimLeft();
    if (AddToRecentList(m_connectStrings, m_nConnectStringNumber, text))
        SaveConnectStrings();
}

void CAppSettings::AddSQLQuery(LPCWSTR pszText)
{
    if (AddToRecentList(m_sqlQueries, m_nSQLQueriesNumber, pszText))
        SaveSQLQueries();
}

void CAppSettings::AddFindString(LPCWSTR pszText)
{
    if (AddToRecentList(m_find.m_findList, m_find.m_nFindLength, pszText))
        SaveFindStrings();
}

void CAppSettings::AddReplaceStrings(LPCWSTR pszFind, LPCWSTR pszReplace)
{
    const bool bFind = AddToRecentList(m_replace.m_findList, m_replace.m_nFindLength, pszFind);
    const bool bReplace =
        AddToRecentList(m_replace.m_replaceList, m_replace.m_nReplaceLength, pszReplace);
    if (bFind || bReplace)
        SaveReplaceStrings();
}

void CAppSettings::SaveConnectStrings()
{
    CSettingsKey key(SubkeyPath(L"ConnectStrings"));
    key.WriteNumber(L"ConnectStringNumber", m_nConnectStringNumber);
    WriteList(key, L"ConnectString%d", m_connectStrings);
    // A list shortened by the user must not come back from older values. Only values that exist
    // are looked at: a broken history length of millions must not mean millions of deletes.
    for (const CString& name : key.ValueNames())
    {
        int nIndex = -1;
        wchar_t tail = 0;
        if (swscanf(name, L"ConnectString%d%lc", &nIndex, &tail) == 1 &&
            name == IndexedName(L"ConnectString%d", nIndex) &&
            nIndex >= (int)m_connectStrings.GetSize() && nIndex < m_nConnectStringNumber)
            key.Delete(name);
    }
}

void CAppSettings::SaveSQLQueries()
{
    CSettingsKey key(SubkeyPath(L"SQL queries"));
    key.WriteNumber(L"SQLQueriesNumber", m_nSQLQueriesNumber);
    WriteList(key, L"SQLQuery%d", m_sqlQueries);
}

void CAppSettings::SaveFindSettings(LPCWSTR pszSubkey, const CFindSettings& find, bool bReplace)
{
    CSettingsKey key(SubkeyPath(pszSubkey));
    key.WriteText(L"FindStr", find.m_strFind);
    if (bReplace)
        key.WriteText(L"ReplaceStr", find.m_strReplace);
    key.WriteFlag(L"WholeWord", find.m_bWholeWord);
    key.WriteFlag(L"MatchCase", find.m_bMatchCase);
    key.WriteNumber(L"Find direction", find.m_nDirection);
    key.WriteNumber(L"FindStrNumber", find.m_nFindLength);
    WriteList(key, L"FindStr%d", find.m_findList);
    if (bReplace)
    {
        key.WriteNumber(L"ReplaceStrNumber", find.m_nReplaceLength);
        WriteList(key, L"ReplaceStr%d", find.m_replaceList);
    }
}

void CAppSettings::SaveFindStrings()
{
    SaveFindSettings(L"Find", m_find, false);
}

void CAppSettings::SaveReplaceStrings()
{
    SaveFindSettings(L"Replace", m_replace, true);
}
