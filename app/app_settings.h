// CAppSettings: the one program-wide settings object (theSettings). It holds every option of the
// Options sheet, the recent lists, the window and dialog placements, the word-wrap state of the
// editor windows, the export choices, the editor font and the colour-rule lists of the SQL
// editor. It reads them from the registry at start-up (Load), writes them back at exit (Save)
// and at the moments its single-value writers are called, and pushes the editor scheme into
// colour-editor windows by messages.
//
// Registry: key "SOFTWARE\Dravolen\Quenlark" under HKEY_CURRENT_USER, with subkeys
// "ConnectStrings", "SQL queries", "Find" and "Replace". The main key is read from
// HKEY_LOCAL_MACHINE when the user's key lacks "Grid lines"; a subkey is read from there when the
// user has no such subkey. Writing always goes to HKEY_CURRENT_USER. Flags are the strings "Yes"
// and "No", numbers and colours DWORDs, placements REG_BINARY.
//
// Other parts read the fields directly; each field carries the registry name of its value.
#pragma once

#include "framework/ui.h"

#include "controls/sizable_dlg.h"
#include "editor/colour_rules.h"

class CRegExp;
struct COptionsValues;

// The main key and its subkeys.
#define QL_SETTINGS_KEY L"SOFTWARE\\Dravolen\\Quenlark"

// What the find and replace dialogs keep between uses (subkeys "Find" and "Replace").
struct CFindSettings
{
    CString m_strFind;          // "FindStr": the dialog's current find text
    CString m_strReplace;       // "ReplaceStr": the replace dialog's current replacement
    int m_bWholeWord = 0;       // "WholeWord"
    int m_bMatchCase = 0;       // "MatchCase"
    int m_nDirection = 1;       // "Find direction": 0 up, 1 down
    CStringArray m_findList;    // "FindStr%d", most recent first
    int m_nFindLength = 10;     // "FindStrNumber"
    CStringArray m_replaceList; // "ReplaceStr%d" (replace dialog only)
    int m_nReplaceLength = 10;  // "ReplaceStrNumber"
};

class CAppSettings
{
public:
    // Indexes of the twelve dialog placements ("DlgPos" + name).
    enum DlgPosIndex
    {
        dlgPosExecSQL,
        dlgPosDBOProp,
        dlgPosTableIndexes,
        dlgPosTableTriggers,
        dlgPosTableConstraints,
        dlgPosShowSQL,
        dlgPosProcInfo,
        dlgPosProcParams,
        dlgPosProcResults,
        dlgPosFilter,
        dlgPosGoTo,
        dlgPosEditValue,
        dlgPosCount
    };

    CAppSettings();
    ~CAppSettings();
    CAppSettings(const CAppSettings&) = delete;
    CAppSettings& operator=(const CAppSettings&) = delete;

    // Reads everything (once, at start-up, after the editor window class is registered).
    void Load();
    // Writes the option values, "SQLEditorWordWrap" and the dialog placements.
    void Save();

    // The Options sheet over pParent; true on OK, with the settings changed, the editor font and
    // colours rebuilt and *pbGridChanged telling whether grid windows must read their rows again.
    // The caller saves (Save) and pushes the options into the open windows.
    bool EditOptions(CWnd* pParent, BOOL* pbGridChanged = nullptr);
    // The part of EditOptions after OK.
    void ApplyOptions(const COptionsValues& values, BOOL* pbGridChanged);

    // Single-value writers.
    void SaveWindowPlacement(CWnd* pMainWnd);
    void SaveCurrentDirectory();
    void SaveDBBarVisible();
    void SaveSaveAsSettings();
    void SaveCSVSeparator();
    void SaveScriptSettings();
    void SaveEditValueWordWrap();
    void SaveOutputBarWordWrap();
    void SaveDBOTextWordWrap();
    void SaveExecSQLWordWrap();
    void SaveJoinWordWrap();
    void SaveShowSQLWordWrap();
    void SaveSQLErrorWordWrap();

    // Recent lists: each adds (or moves) the text to the top and writes its subkey on a change.
    void AddConnectString(LPCWSTR pszText);
    void AddSQLQuery(LPCWSTR pszText);
    void AddFindString(LPCWSTR pszText);
    void AddReplaceStrings(LPCWSTR pszFind, LPCWSTR pszReplace);
    void SaveConnectStrings();
    void SaveSQLQueries();
    void SaveFindStrings();
    void SaveReplaceStrings();
    // Empty text: no change. A text already present moves to index 0; a new one is inserted
    // there and the list cut to nLength. True on any change.
    static bool AddToRecentList(CStringArray& list, int nLength, LPCWSTR pszText);

    // Editor scheme.
    UINT GetEditorFlags() const;
    void CreateEditorFont();
    void UpdateSyntaxColors();
    void ApplySQLEditorSettings(HWND hEditor, UINT nExtraBits = 0);
    void ApplyTextViewSettings(HWND hEditor);
    void ApplyXMLViewSettings(HWND hEditor);
    HFONT GetEditorFont() const { return m_hFont; }

    // Where reading starts: HKEY_LOCAL_MACHINE when the user's key is missing or, with a value
    // name, lacks that value; else HKEY_CURRENT_USER.
    static HKEY GetRootKey(LPCWSTR pszPath, LPCWSTR pszValueName);
    // The main key's path under both roots (tests point an object of their own elsewhere).
    CString m_strKeyPath = QL_SETTINGS_KEY;
    // The registry name of a dialog placement ("DlgPosExecSQL" ...).
    static LPCWSTR GetDlgPosName(int nIndex);

    // 1. Recent SQL queries.
    CStringArray m_sqlQueries;
    int m_nSQLQueriesNumber = 20; // "SQLQueriesNumber"
    // 2. Grid flags.
    int m_bGridLines = 1;          // "Grid lines"
    int m_bSelectFullLine = 1;     // "Select full line"
    int m_bUseCache = 1;           // "Use cache"
    int m_bDebug = 1;              // "Debug" (show <<NULL>>)
    int m_bEditable = 1;           // "Editable"
    int m_bAdjustColumns = 1;      // "Adjust columns"
    int m_bFetchAllRecs = 0;       // "FetchAllRecs"
    int m_bColumnScroll = 1;       // "Column scroll"
    int m_bMarkEvenLines = 1;      // "Mark even lines"
    int m_bMarkEditLines = 1;      // "Mark edit lines"
    int m_bShowKeysInGrid = 1;     // "Show keys in grid"
    int m_bMarkSortedColumns = 1;  // "Mark sorted columns"
    int m_bConfirmRowDeletion = 1; // "Confirm row deletion"
    int m_bUseCursorForEdit = 1;   // "Use cursor for edit"
    // 3-5.
    COLORREF m_crEditLines = RGB(255, 0, 0); // "Edit lines color"
    CString m_strSQLSeparator = L";";        // "SQL separator"
    int m_nConnectionTimeout = 20;           // "Connection timeout"
    int m_nLoginTimeout = 20;                // "Login timeout"
    int m_nQueryTimeout = 0;                 // "Query timeout"
    int m_nConnectStringNumber = 20;         // "ConnectStringNumber"
    // 6-7.
    CStringArray m_connectStrings; // "ConnectString%d", most recent first
    int m_bConnectAtStartup = 0;   // "Connect DB at startup"
    int m_nCacheSize = 1000;       // "Cache size"
    // 8. "Window placement".
    WINDOWPLACEMENT m_windowPlacement{};
    int m_bWindowPlacementValid = 0;
    // 9.
    int m_nNewWindowAction = 2; // "NewWindowAction": 0 new, 1 show existing, 2 ask
    int m_bCancelExec = 0;      // "CancelExec"
    // 10. Tables dialog order; the current pair is not stored.
    int m_nTableSortDirection = 0; // "Table dialog sort direction"
    int m_nCurTableSortDirection = 0;
    int m_nTableSortValue = 0; // "Table dialog sort value"
    int m_nCurTableSortValue = 0;
    // 11. Database objects.
    int m_bTableDialogPKey = 1;      // "Table dialog pkey"
    int m_bTableDialogFKey = 1;      // "Table dialog fkey"
    int m_bTableDialogPackage = 1;   // "Table dialog package"
    int m_bMarkInvalidObjects = 1;   // "Mark invalid objects"
    int m_bCurSchema = 0;            // "CurSchema"
    int m_bTableDialogSysTables = 0; // "Table dialog systables"
    int m_bFKeyInFilter = 1;         // "FKeyInFilter"
    int m_nCursorLib = 1;            // "CursorLib": 0 ODBC cursor library, 1 driver
    // 12. Editor font.
    CString m_strFontName = L"Courier New"; // "Font name"
    int m_nCharset = 204;                   // "Charset"
    int m_nFontSize = 9;                    // "Font size" (points)
    HFONT m_hFont = nullptr;                // owned
    // 13. Colours.
    COLORREF m_crKeyword = RGB(0, 0, 255);     // "Keyword color"
    COLORREF m_crString = RGB(0, 128, 0);      // "String color"
    COLORREF m_crComment = RGB(128, 128, 128); // "Comment color" (Load makes it teal)
    COLORREF m_crNumber = RGB(255, 0, 0);      // "Number color"
    COLORREF m_crAttribute = RGB(255, 0, 255); // "Attribute color"
    // 14. Colour rules, lent to every editor window by pointer.
    CRCEWordColorArray m_sqlWords;
    CRCERangeColorArray m_sqlRanges;
    CRCERangeColorArray m_markupRanges;
    CRCERegExpColorArray m_sqlRegExps;
    CRCERegExpColorArray m_markupRegExps;
    // 15. Editor options.
    int m_nTabSize = 8;        // "Tab size"
    int m_bTabUseSpaces = 0;   // "Tab use spaces"
    int m_bIndent = 1;         // "Indent"
    int m_bWantTab = 1;        // "Want tab"
    int m_bVirtualSpace = 1;   // "Virtual space"
    int m_bAutoComplete = 1;   // "AutoComplete"
    int m_bAutosave = 0;       // "Autosave"
    int m_nAutosaveTime = 5;   // "Autosave time" (minutes)
    int m_nEditorEncoding = 1; // "Editor encoding": 1 ANSI, 2 Unicode, 3 UTF-8
    // 16. Word wrap of the editor windows.
    int m_bEditValueWordWrap = 1; // "EditValueWordWrap"
    int m_bOutputBarWordWrap = 0; // "OutputBarWordWrap"
    int m_bSQLEditorWordWrap = 0; // "SQLEditorWordWrap"
    int m_bDBOTextWordWrap = 0;   // "DBOTextWordWrap"
    int m_bExecSQLWordWrap = 0;   // "ExecSQLWordWrap"
    int m_bJoinWordWrap = 0;      // "JoinWordWrap"
    int m_bShowSQLWordWrap = 0;   // "ShowSQLWordWrap"
    int m_bSQLErrorWordWrap = 0;  // "SQLErrorWordWrap"
    // 17. Find and replace dialogs.
    CFindSettings m_find;
    CFindSettings m_replace;
    // 18-19.
    int m_bDBBarVisible = 1;          // "DBBarVisible"
    int m_bInsCommit = 1;             // "InsCommit"
    int m_nCommitQueries = 1000;      // "CommitQueries"
    int m_nSaveAsDBType = 0;          // "SaveAsDBType"
    int m_nSaveAsEncoding = 1;        // "SaveAsEncoding": 1 ANSI, 2 Unicode, 3 UTF-8
    CString m_strCSVSeparator = L","; // "CSV separator"
    // 20. The Options sheet's last page (not stored).
    int m_nOptionsPage = 0;
    // 21.
    int m_bStopAfterError = 1; // "StopAfterError"
    // 22. Dialog placements (show command 5 and an empty rectangle restore nothing).
    CRSizableDlg::CPlacement m_dlgPos[dlgPosCount];
    // 23. Compiled expressions of the rules (owned).
    CRegExp* m_pHexRegExp = nullptr;
    CRegExp* m_pNumberRegExp = nullptr;
    CRegExp* m_pAttributeRegExp = nullptr;

private:
    void BuildColorRules();
    void LoadRecentList(LPCWSTR pszSubkey, LPCWSTR pszNumberName, LPCWSTR pszItemFormat,
                        CStringArray& list, int& nLength);
    void LoadFindSettings(LPCWSTR pszSubkey, CFindSettings& find, bool bReplace);
    void SaveFindSettings(LPCWSTR pszSubkey, const CFindSettings& find, bool bReplace);
    void SaveWordWrap(LPCWSTR pszName, int bValue);
    CString SubkeyPath(LPCWSTR pszSubkey) const;
};

// The settings of the program.
extern CAppSettings theSettings;
