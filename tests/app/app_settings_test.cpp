// The settings store against the registry: first start, values of the wrong type or size, the
// machine-wide fallback, recent lists, what Save writes, and the editor scheme.
#include "app/app_settings.h"

#include "editor/editor_class.h"
#include "editor/rce_messages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string A(const CString& s)
{
    return std::string(CStringA(s).GetString());
}

// A settings object on a key of its own under both roots, removed afterwards.
class Settings : public ::testing::Test
{
protected:
    Settings()
    {
        static int counter = 0;
        m_path.Format(L"SOFTWARE\\Dravolen\\QuenlarkTest-%lu-%d", ::GetCurrentProcessId(),
                      ++counter);
        Clean();
    }
    ~Settings() override { Clean(); }
    void Clean()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path);
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_path);
    }
    // A fresh object reading this test's key.
    std::unique_ptr<CAppSettings> Load()
    {
        auto settings = std::make_unique<CAppSettings>();
        settings->m_strKeyPath = m_path;
        settings->Load();
        return settings;
    }
    void Set(HKEY root, LPCWSTR subkey, LPCWSTR name, DWORD type, const void* data, DWORD size)
    {
        CString path = m_path;
        if (subkey != nullptr)
            path += CString(L"\\") + subkey;
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, name, 0, type, (const BYTE*)data, size);
        ::RegCloseKey(key);
    }
    void SetText(LPCWSTR name, LPCWSTR text, LPCWSTR subkey = nullptr,
                 HKEY root = HKEY_CURRENT_USER)
    {
        Set(root, subkey, name, REG_SZ, text, (DWORD)((wcslen(text) + 1) * sizeof(wchar_t)));
    }
    void SetNumber(LPCWSTR name, DWORD value, LPCWSTR subkey = nullptr,
                   HKEY root = HKEY_CURRENT_USER)
    {
        Set(root, subkey, name, REG_DWORD, &value, sizeof value);
    }
    // The stored value's type and bytes, or type 0 when missing.
    DWORD Get(LPCWSTR name, std::vector<BYTE>* bytes = nullptr, LPCWSTR subkey = nullptr)
    {
        CString path = m_path;
        if (subkey != nullptr)
            path += CString(L"\\") + subkey;
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return 0;
        DWORD type = 0, size = 0;
        if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            type = 0;
        else if (bytes != nullptr)
        {
            bytes->resize(size);
            ::RegQueryValueExW(key, name, nullptr, &type, bytes->data(), &size);
        }
        ::RegCloseKey(key);
        return type;
    }
    std::string GetText(LPCWSTR name, LPCWSTR subkey = nullptr)
    {
        std::vector<BYTE> bytes;
        if (Get(name, &bytes, subkey) != REG_SZ)
            return "<missing>";
        return A(CString((LPCWSTR)bytes.data()));
    }

    CString m_path;
};

TEST_F(Settings, FirstStartKeepsEveryDefault)
{
    auto s = Load();
    EXPECT_EQ(s->m_bGridLines, 1);
    EXPECT_EQ(s->m_bFetchAllRecs, 0);
    EXPECT_EQ(s->m_nCacheSize, 1000);
    EXPECT_EQ(s->m_nNewWindowAction, 2);
    EXPECT_EQ(s->m_nCursorLib, 1);
    EXPECT_EQ(s->m_bCancelExec, 0);
    EXPECT_EQ(s->m_nConnectionTimeout, 20);
    EXPECT_EQ(s->m_nQueryTimeout, 0);
    EXPECT_EQ(A(s->m_strSQLSeparator), ";");
    EXPECT_EQ(A(s->m_strCSVSeparator), ",");
    EXPECT_EQ(s->m_crComment, RGB(0, 128, 128)); // the constructor's grey is always replaced
    EXPECT_EQ(s->m_crKeyword, RGB(0, 0, 255));
    EXPECT_EQ(A(s->m_strFontName), "Courier New");
    EXPECT_EQ(s->m_nFontSize, 9);
    EXPECT_EQ(s->m_nCharset, 204);
    EXPECT_NE(s->GetEditorFont(), nullptr);
    EXPECT_EQ(s->m_connectStrings.GetSize(), 0);
    EXPECT_EQ(s->m_find.m_nFindLength, 10);
    EXPECT_EQ(s->m_find.m_nDirection, 1);
    EXPECT_FALSE(s->m_bWindowPlacementValid);
    EXPECT_EQ(s->m_dlgPos[CAppSettings::dlgPosGoTo].showCmd, 5);
    EXPECT_EQ(s->m_dlgPos[CAppSettings::dlgPosGoTo].right, 0);
}

TEST_F(Settings, FlagsAreYesIgnoringCaseAndWrongTypesKeepDefaults)
{
    SetText(L"Grid lines", L"yes");
    SetText(L"Use cache", L"1");
    SetText(L"Editable", L"true");
    SetText(L"FetchAllRecs", L"YES");
    SetNumber(L"Debug", 0); // a number where "Yes"/"No" belongs
    SetText(L"Cache size", L"5000");
    SetText(L"Tab size", L"4");
    SetNumber(L"SQL separator", 59);
    Set(HKEY_CURRENT_USER, nullptr, L"Query timeout", REG_BINARY, "\x05\x00", 2);
    auto s = Load();
    EXPECT_EQ(s->m_bGridLines, 1);
    EXPECT_EQ(s->m_bUseCache, 0);
    EXPECT_EQ(s->m_bEditable, 0);
    EXPECT_EQ(s->m_bFetchAllRecs, 1);
    EXPECT_EQ(s->m_bDebug, 1);
    EXPECT_EQ(s->m_nCacheSize, 1000);
    EXPECT_EQ(s->m_nTabSize, 8);
    EXPECT_EQ(A(s->m_strSQLSeparator), ";");
    EXPECT_EQ(s->m_nQueryTimeout, 0);
}

TEST_F(Settings, BrokenPlacementsFontAndDirection)
{
    SetText(L"Grid lines", L"Yes");
    const int16_t sixteen[8] = {3, 1, 2, 3, 4, 5, 6, 7};
    Set(HKEY_CURRENT_USER, nullptr, L"DlgPosGoTo", REG_BINARY, sixteen, 16);
    BYTE twentyFour[24] = {3};
    Set(HKEY_CURRENT_USER, nullptr, L"DlgPosFilter", REG_BINARY, twentyFour, 24);
    const int32_t good[5] = {3, 10, 20, 300, 400};
    Set(HKEY_CURRENT_USER, nullptr, L"DlgPosEditValue", REG_BINARY, good, 20);
    Set(HKEY_CURRENT_USER, nullptr, L"Window placement", REG_BINARY, twentyFour, 24);
    SetText(L"Font name", L"Consolas");
    SetNumber(L"Charset", 0);
    SetNumber(L"Font size", 0);
    SetNumber(L"Find direction", 7, L"Find");
    SetNumber(L"Find direction", 0, L"Replace");
    auto s = Load();
    EXPECT_EQ(s->m_dlgPos[CAppSettings::dlgPosGoTo].showCmd, 5);
    EXPECT_EQ(s->m_dlgPos[CAppSettings::dlgPosFilter].showCmd, 5);
    EXPECT_EQ(s->m_dlgPos[CAppSettings::dlgPosEditValue].showCmd, 3);
    EXPECT_EQ(s->m_dlgPos[CAppSettings::dlgPosEditValue].bottom, 400);
    EXPECT_FALSE(s->m_bWindowPlacementValid);
    EXPECT_EQ(A(s->m_strFontName), "Consolas");
    EXPECT_EQ(s->m_nCharset, 0);
    EXPECT_EQ(s->m_nFontSize, 9);
    EXPECT_EQ(s->m_find.m_nDirection, 1);
    EXPECT_EQ(s->m_replace.m_nDirection, 0);

    // A font whose character set cannot be read is not taken at all.
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, m_path, L"Charset");
    SetNumber(L"Font size", 12);
    s = Load();
    EXPECT_EQ(A(s->m_strFontName), "Courier New");
    EXPECT_EQ(s->m_nFontSize, 9);
    EXPECT_EQ(s->m_nCharset, 204);
}

TEST_F(Settings, MachineKeyIsReadWhenTheUserLacksGridLines)
{
    SetNumber(L"Cache size", 5);
    SetText(L"Grid lines", L"No", nullptr, HKEY_LOCAL_MACHINE);
    SetNumber(L"Cache size", 77, nullptr, HKEY_LOCAL_MACHINE);
    SetText(L"ConnectString0", L"DSN=machine;", L"ConnectStrings", HKEY_LOCAL_MACHINE);
    SetText(L"FindStr0", L"user find", L"Find");
    SetText(L"FindStr0", L"machine find", L"Find", HKEY_LOCAL_MACHINE);
    auto s = Load();
    EXPECT_EQ(s->m_bGridLines, 0);
    EXPECT_EQ(s->m_nCacheSize, 77);
    ASSERT_EQ(s->m_connectStrings.GetSize(), 1);
    EXPECT_EQ(A(s->m_connectStrings[0]), "DSN=machine;");
    ASSERT_EQ(s->m_find.m_findList.GetSize(), 1);
    EXPECT_EQ(A(s->m_find.m_findList[0]), "user find");

    // Saving goes to the user, who is read from then on.
    s->m_nCacheSize = 33;
    s->Save();
    EXPECT_EQ(GetText(L"Grid lines"), "No");
    s = Load();
    EXPECT_EQ(s->m_nCacheSize, 33);
}

TEST_F(Settings, RecentListsLoadUpToAGapAndSkipWrongTypes)
{
    SetText(L"Grid lines", L"Yes");
    SetText(L"ConnectString0", L"first", L"ConnectStrings");
    SetText(L"ConnectString2", L"third", L"ConnectStrings");
    SetNumber(L"SQLQuery0", 12, L"SQL queries");
    SetText(L"SQLQuery1", L"SELECT 1", L"SQL queries");
    SetNumber(L"SQLQueriesNumber", 1, L"SQL queries");
    SetText(L"FindStr", L"needle", L"Find");
    auto s = Load();
    ASSERT_EQ(s->m_connectStrings.GetSize(), 1);
    EXPECT_EQ(A(s->m_connectStrings[0]), "first");
    EXPECT_EQ(s->m_nSQLQueriesNumber, 1);
    EXPECT_EQ(s->m_sqlQueries.GetSize(), 0); // its only entry is a number
    // An empty find list starts with the current text.
    ASSERT_EQ(s->m_find.m_findList.GetSize(), 1);
    EXPECT_EQ(A(s->m_find.m_findList[0]), "needle");
}

TEST_F(Settings, RecentListInsertionMovesCutsAndWritesItsSubkey)
{
    auto s = Load();
    for (LPCWSTR text : {L"e", L"d", L"c", L"b", L"a"})
        s->AddConnectString(text);
    s->AddConnectString(L"d"); // at index 3
    ASSERT_EQ(s->m_connectStrings.GetSize(), 5);
    EXPECT_EQ(A(s->m_connectStrings[0]), "d");
    EXPECT_EQ(A(s->m_connectStrings[4]), "e");
    s->AddConnectString(L"  \tDSN=x;");
    EXPECT_EQ(A(s->m_connectStrings[0]), "DSN=x;");
    EXPECT_EQ(GetText(L"ConnectString0", L"ConnectStrings"), "DSN=x;");
    EXPECT_EQ(GetText(L"ConnectString5", L"ConnectStrings"), "e");
    EXPECT_FALSE(CAppSettings::AddToRecentList(s->m_connectStrings, 20, L""));
    EXPECT_FALSE(CAppSettings::AddToRecentList(s->m_connectStrings, 20, L"DSN=x;"));

    // A shortened list removes the surplus values.
    s->m_connectStrings.SetSize(2);
    s->SaveConnectStrings();
    EXPECT_EQ(GetText(L"ConnectString1", L"ConnectStrings"), "d");
    EXPECT_EQ(GetText(L"ConnectString2", L"ConnectStrings"), "<missing>");
    EXPECT_EQ(GetText(L"ConnectString5", L"ConnectStrings"), "<missing>");

    // A broken history length deletes what is there, not every name it could reach.
    SetText(L"ConnectString7", L"old", L"ConnectStrings");
    SetText(L"ConnectString07", L"not ours", L"ConnectStrings");
    s->m_nConnectStringNumber = 50000000;
    s->SaveConnectStrings();
    EXPECT_EQ(GetText(L"ConnectString7", L"ConnectStrings"), "<missing>");
    EXPECT_EQ(GetText(L"ConnectString07", L"ConnectStrings"), "not ours");
    EXPECT_EQ(GetText(L"ConnectString1", L"ConnectStrings"), "d");

    for (int i = 0; i < 11; ++i)
        s->AddFindString(CString(L"find") + (wchar_t)(L'a' + i));
    ASSERT_EQ(s->m_find.m_findList.GetSize(), 10);
    EXPECT_EQ(A(s->m_find.m_findList[0]), "findk");
    EXPECT_EQ(A(s->m_find.m_findList[9]), "findb");

    s->AddReplaceStrings(L"old", L"new");
    EXPECT_EQ(GetText(L"FindStr0", L"Replace"), "old");
    EXPECT_EQ(GetText(L"ReplaceStr0", L"Replace"), "new");
}

TEST_F(Settings, SaveWritesTypedValuesAndNoLists)
{
    auto s = Load();
    s->m_bCancelExec = 1;
    s->m_nCacheSize = 250;
    s->m_dlgPos[CAppSettings::dlgPosShowSQL] = {3, 1, 2, 3, 4};
    s->m_connectStrings.Add(L"DSN=y;");
    s->Save();
    EXPECT_EQ(GetText(L"CancelExec"), "Yes");
    EXPECT_EQ(GetText(L"Grid lines"), "Yes");
    std::vector<BYTE> bytes;
    EXPECT_EQ(Get(L"Cache size", &bytes), (DWORD)REG_DWORD);
    EXPECT_EQ(*(DWORD*)bytes.data(), 250u);
    EXPECT_EQ(Get(L"DlgPosShowSQL", &bytes), (DWORD)REG_BINARY);
    EXPECT_EQ(bytes.size(), 20u);
    EXPECT_EQ(Get(L"ConnectString0", nullptr, L"ConnectStrings"), 0u);
    EXPECT_EQ(Get(L"DBBarVisible"), 0u); // its own writer stores it
    s->SaveDBBarVisible();
    EXPECT_EQ(GetText(L"DBBarVisible"), "Yes");

    auto again = Load();
    EXPECT_EQ(again->m_bCancelExec, 1);
    EXPECT_EQ(again->m_dlgPos[CAppSettings::dlgPosShowSQL].bottom, 4);
}

TEST_F(Settings, SingleValueWritersWriteOnlyTheirValues)
{
    auto s = Load();
    const HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    CWnd* pWnd = CWnd::FromHandle(hWnd);
    s->SaveWindowPlacement(pWnd);
    std::vector<BYTE> bytes;
    EXPECT_EQ(Get(L"Window placement", &bytes), (DWORD)REG_BINARY);
    EXPECT_EQ(bytes.size(), 44u);
    EXPECT_TRUE(s->m_bWindowPlacementValid);
    ::DestroyWindow(hWnd);
    EXPECT_EQ(Get(L"Grid lines"), 0u);

    s->m_bStopAfterError = 0;
    s->m_strSQLSeparator = L"GO";
    s->SaveScriptSettings();
    EXPECT_EQ(GetText(L"StopAfterError"), "No");
    EXPECT_EQ(GetText(L"SQL separator"), "GO");
    s->m_strCSVSeparator = L";";
    s->SaveCSVSeparator();
    EXPECT_EQ(GetText(L"CSV separator"), ";");
    s->m_nSaveAsEncoding = 3;
    s->SaveSaveAsSettings();
    EXPECT_EQ(Get(L"SaveAsEncoding", &bytes), (DWORD)REG_DWORD);
    EXPECT_EQ(*(DWORD*)bytes.data(), 3u);
    s->m_bJoinWordWrap = 1;
    s->SaveJoinWordWrap();
    EXPECT_EQ(GetText(L"JoinWordWrap"), "Yes");
    s->SaveCurrentDirectory();
    wchar_t directory[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, directory);
    EXPECT_EQ(GetText(L"Current directory"), A(directory));
    EXPECT_EQ(Get(L"Cache size"), 0u);

    // The user's key counts once it holds "Grid lines" (the first Save writes it).
    SetText(L"Grid lines", L"Yes");
    auto again = Load();
    EXPECT_EQ(A(again->m_strSQLSeparator), "GO");
    EXPECT_EQ(again->m_bJoinWordWrap, 1);
    EXPECT_TRUE(again->m_bWindowPlacementValid);
}

TEST_F(Settings, ColourRulesFollowTheColoursByPosition)
{
    auto s = Load();
    ASSERT_EQ(RCEGetCount(s->m_sqlRanges), 6u);
    ASSERT_EQ(RCEGetCount(s->m_sqlRegExps), 2u);
    ASSERT_GT(RCEGetCount(s->m_sqlWords), 50u);
    s->m_crString = RGB(1, 2, 3);
    s->m_crComment = RGB(4, 5, 6);
    s->m_crNumber = RGB(7, 8, 9);
    s->m_crKeyword = RGB(10, 11, 12);
    s->m_crAttribute = RGB(13, 14, 15);
    s->UpdateSyntaxColors();
    EXPECT_EQ(s->m_sqlRanges[0].color, RGB(1, 2, 3));
    EXPECT_EQ(s->m_sqlRanges[1].color, ::GetSysColor(COLOR_WINDOWTEXT));
    for (int i = 3; i <= 5; ++i)
        EXPECT_EQ(s->m_sqlRanges[i].color, RGB(4, 5, 6)) << i;
    EXPECT_EQ(s->m_sqlRanges[4].end[0], L'\n');
    EXPECT_EQ(s->m_sqlRegExps[1].color, RGB(7, 8, 9));
    EXPECT_EQ(s->m_sqlRegExps[0].flags, 6u);
    EXPECT_EQ(s->m_sqlWords[RCEGetCount(s->m_sqlWords) - 1].color, RGB(10, 11, 12));
    EXPECT_EQ(s->m_markupRanges[1].color, RGB(1, 2, 3));
    EXPECT_EQ(s->m_markupRegExps[0].color, RGB(13, 14, 15));
    EXPECT_NE(s->m_markupRegExps[0].regexp, nullptr);
}

// The editor font keeps the face the user chose, proportional or not; a face this system lacks
// (Courier New under Wine) is replaced by a monospace face, never by a proportional one.
TEST_F(Settings, EditorFontFallsBackToAMonospaceFace)
{
    struct Case
    {
        const wchar_t* face;
        bool fixedPitch;
    };
    for (const Case& c :
         {Case{L"Courier New", true}, Case{L"No Such Face Here", true}, Case{L"Tahoma", false}})
    {
        auto s = Load();
        s->m_strFontName = c.face;
        s->m_nCharset = 204;
        s->CreateEditorFont();
        ASSERT_NE(s->GetEditorFont(), nullptr) << A(c.face);
        HDC hDC = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(hDC, s->GetEditorFont());
        TEXTMETRICW tm = {};
        ::GetTextMetricsW(hDC, &tm);
        wchar_t used[LF_FACESIZE] = {};
        ::GetTextFaceW(hDC, LF_FACESIZE, used);
        ::SelectObject(hDC, old);
        ::ReleaseDC(nullptr, hDC);
        // TMPF_FIXED_PITCH set means a variable pitch.
        EXPECT_EQ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, c.fixedPitch)
            << A(c.face) << " drawn as " << A(used);
        if (!c.fixedPitch)
            EXPECT_EQ(A(used), A(c.face));
    }
}

TEST_F(Settings, EditorWindowsGetTheScheme)
{
    ASSERT_TRUE(RegisterRColorEditorClass(::GetModuleHandleW(nullptr)));
    const HWND hEditor = ::CreateWindowExW(0, L"RColorEditorClass", L"", WS_POPUP, 0, 0, 200, 100,
                                           nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hEditor, nullptr);
    auto s = Load();
    s->m_nTabSize = 4;
    s->m_bTabUseSpaces = 1;
    s->m_bAutoComplete = 0;
    s->ApplySQLEditorSettings(hEditor, RCEO_WORDWRAP);
    const UINT options = (UINT)::SendMessageW(hEditor, RCEM_GETOPTIONS, 0, 0);
    EXPECT_TRUE(options & RCEO_TABSPACES);
    EXPECT_TRUE(options & RCEO_WORDWRAP);
    EXPECT_FALSE(options & RCEO_AUTOCOMPLETE);
    EXPECT_EQ(::SendMessageW(hEditor, RCEM_GETTABSIZE, 0, 0), 4);
    EXPECT_EQ((HFONT)::SendMessageW(hEditor, WM_GETFONT, 0, 0), s->GetEditorFont());

    s->m_bEditValueWordWrap = 0;
    s->ApplyXMLViewSettings(hEditor);
    const UINT viewOptions = (UINT)::SendMessageW(hEditor, RCEM_GETOPTIONS, 0, 0);
    EXPECT_TRUE(viewOptions & RCEO_WORDWRAPMENU);
    EXPECT_FALSE(viewOptions & RCEO_WORDWRAP);
    ::DestroyWindow(hEditor);
}

} // namespace
