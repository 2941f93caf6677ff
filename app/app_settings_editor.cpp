// CAppSettings: the editor scheme: the colour rules, the font and the messages that push them
// into colour-editor windows.
#include "app/app_settings.h"

#include "dbaccess/sql_names.h"
#include "editor/markup_tokenizer.h"
#include "editor/rce_messages.h"

namespace {

// Lines that begin with these words indent the next one (the flags are the editor's).
const RCEIndentWord kIndentWords[] = {
    {L"(", 1, 4},    {L"select", 6, 7}, {L"update", 6, 7}, {L"delete", 6, 7},
    {L"from", 4, 7}, {L"where", 5, 7},  {L"by", 2, 5},     {L"exists", 6, 5},
    {L"drop", 4, 7}, {L"having", 6, 7}, {L"set", 3, 7},
};

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lParam)
{
    *reinterpret_cast<bool*>(lParam) = true;
    return 0;
}

// Whether the font's face is installed in any character set.
bool IsFaceInstalled(HDC hDC, const LOGFONTW& font)
{
    if (hDC == nullptr || font.lfFaceName[0] == 0)
        return false;
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    wcscpy(query.lfFaceName, font.lfFaceName);
    bool found = false;
    ::EnumFontFamiliesExW(hDC, &query, (FONTENUMPROCW)NoteFace, (LPARAM)&found, 0);
    return found;
}

} // namespace

void CAppSettings::BuildColorRules()
{
    RCEInitWordColors(m_sqlWords);
    RCEInitRangeColors(m_sqlRanges);
    RCEInitRangeColors(m_markupRanges);
    RCEInitRegExpColors(m_sqlRegExps);
    RCEInitRegExpColors(m_markupRegExps);

    RCEAddWordColorList(m_sqlWords, m_crKeyword, GetSQLReservedWords(), 0);

    // Positions matter: UpdateSyntaxColors recolours by index.
    const COLORREF crText = ::GetSysColor(COLOR_WINDOWTEXT);
    RCEAddRangeColor(m_sqlRanges, m_crString, L"'", 0, L"'", 0, 0);
    RCEAddRangeColor(m_sqlRanges, crText, L"\"", 0, L"\"", 0, 0);
    RCEAddRangeColor(m_sqlRanges, crText, L"[", 0, L"]", 0, 0);
    RCEAddRangeColor(m_sqlRanges, m_crComment, L"/*", 0, L"*/", 0, 0);
    RCEAddRangeColor(m_sqlRanges, m_crComment, L"//", 0, L"\n", 0, 0);
    RCEAddRangeColor(m_sqlRanges, m_crComment, L"--", 0, L"\n", 0, 0);

    RCEAddRegExpColor(m_sqlRegExps, m_crNumber, m_pHexRegExp,
                      RCEXF_AFTERNONIDENT | RCEXF_ENDNONIDENT);
    RCEAddRegExpColor(m_sqlRegExps, m_crNumber, m_pNumberRegExp,
                      RCEXF_AFTERNONIDENT | RCEXF_ENDNONIDENT);

    RCEAddRangeColor(m_markupRanges, m_crString, L"\"", 0, L"\"", 0, 0);
    RCEAddRangeColor(m_markupRanges, m_crString, L"'", 0, L"'", 0, 0);

    RCEAddRegExpColor(m_markupRegExps, m_crAttribute, m_pAttributeRegExp, 0);
}

void CAppSettings::UpdateSyntaxColors()
{
    RCESetAllWordColors(m_sqlWords, m_crKeyword);
    const COLORREF crText = ::GetSysColor(COLOR_WINDOWTEXT);
    RCESetRangeColorAt(m_sqlRanges, 0, m_crString);
    RCESetRangeColorAt(m_sqlRanges, 1, crText);
    RCESetRangeColorAt(m_sqlRanges, 2, crText);
    for (int i = 3; i <= 5; ++i)
        RCESetRangeColorAt(m_sqlRanges, i, m_crComment);
    RCESetRegExpColorAt(m_sqlRegExps, 0, m_crNumber);
    RCESetRegExpColorAt(m_sqlRegExps, 1, m_crNumber);
    RCESetRangeColorAt(m_markupRanges, 0, m_crString);
    RCESetRangeColorAt(m_markupRanges, 1, m_crString);
    RCESetRegExpColorAt(m_markupRegExps, 0, m_crAttribute);
}

UINT CAppSettings::GetEditorFlags() const
{
    UINT nFlags = 0;
    if (m_bTabUseSpaces)
        nFlags |= RCEO_TABSPACES;
    if (m_bIndent)
        nFlags |= RCEO_AUTOINDENT;
    if (m_bWantTab)
        nFlags |= RCEO_WANTTAB;
    if (m_bVirtualSpace)
        nFlags |= RCEO_VIRTUALSPACE;
    if (m_bAutoComplete)
        nFlags |= RCEO_AUTOCOMPLETE;
    return nFlags;
}

void CAppSettings::CreateEditorFont()
{
    if (m_hFont != nullptr)
    {
        ::DeleteObject(m_hFont);
        m_hFont = nullptr;
    }
    // Built at start-up before the main window exists: the screen's resolution serves.
    HDC hDC = ::GetDC(nullptr);
    const int nPixelsY = hDC != nullptr ? ::GetDeviceCaps(hDC, LOGPIXELSY) : 96;
    LOGFONTW font = {};
    font.lfHeight = -::MulDiv(m_nFontSize, nPixelsY, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = (BYTE)m_nCharset;
    wcsncpy(font.lfFaceName, m_strFontName, LF_FACESIZE - 1);
    // The default face is missing on many systems (Wine among them); with pitch 0 the mapper may
    // then hand out a proportional face, in which SQL loses its columns. A missing face is asked
    // for as fixed-pitch and modern so that any stand-in is a monospace one; an installed face
    // keeps pitch 0, since the mapper weighs a pitch mismatch above the face name and would
    // replace a proportional face the user chose.
    if (!IsFaceInstalled(hDC, font))
        font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    if (hDC != nullptr)
        ::ReleaseDC(nullptr, hDC);
    m_hFont = ::CreateFontIndirectW(&font);
}

void CAppSettings::ApplySQLEditorSettings(HWND hEditor, UINT nExtraBits)
{
    if (RCEGetCount(m_sqlWords) > 0)
        ::SendMessageW(hEditor, RCEM_SETWORDCOLORS, RCEGetCount(m_sqlWords),
                       (LPARAM)RCEGetData(m_sqlWords));
    if (RCEGetCount(m_sqlRanges) > 0)
        ::SendMessageW(hEditor, RCEM_SETRANGECOLORS, RCEGetCount(m_sqlRanges),
                       (LPARAM)RCEGetData(m_sqlRanges));
    if (RCEGetCount(m_sqlRegExps) > 0)
        ::SendMessageW(hEditor, RCEM_SETREGEXPCOLORS, RCEGetCount(m_sqlRegExps),
                       (LPARAM)RCEGetData(m_sqlRegExps));
    ::SendMessageW(hEditor, RCEM_SETINDENTWORDS, sizeof kIndentWords / sizeof kIndentWords[0],
                   (LPARAM)kIndentWords);
    ::SendMessageW(hEditor, WM_SETFONT, (WPARAM)m_hFont, FALSE);
    ::SendMessageW(hEditor, RCEM_SETTABSIZE, FALSE, m_nTabSize);
    ::SendMessageW(hEditor, RCEM_SETOPTIONS, TRUE, GetEditorFlags() | nExtraBits);
}

void CAppSettings::ApplyTextViewSettings(HWND hEditor)
{
    ::SendMessageW(hEditor, WM_SETFONT, (WPARAM)m_hFont, FALSE);
    ::SendMessageW(hEditor, RCEM_SETTABSIZE, FALSE, m_nTabSize);
    UINT nFlags = GetEditorFlags() | RCEO_WORDWRAPMENU;
    if (m_bEditValueWordWrap)
        nFlags |= RCEO_WORDWRAP;
    ::SendMessageW(hEditor, RCEM_SETOPTIONS, TRUE, nFlags);
}

void CAppSettings::ApplyXMLViewSettings(HWND hEditor)
{
    SetMarkupSyntaxStyle(m_crKeyword, m_crComment, nullptr, 0, RCEGetData(m_markupRegExps),
                         RCEGetCount(m_markupRegExps), RCEGetData(m_markupRanges),
                         RCEGetCount(m_markupRanges), nullptr, 0);
    ::SendMessageW(hEditor, RCEM_SETTOKENIZER, 0, (LPARAM)&MarkupSyntaxCallback);
    if (RCEGetCount(m_markupRanges) > 0)
        ::SendMessageW(hEditor, RCEM_SETRANGECOLORS, RCEGetCount(m_markupRanges),
                       (LPARAM)RCEGetData(m_markupRanges));
    if (RCEGetCount(m_markupRegExps) > 0)
        ::SendMessageW(hEditor, RCEM_SETREGEXPCOLORS, RCEGetCount(m_markupRegExps),
                       (LPARAM)RCEGetData(m_markupRegExps));
    ApplyTextViewSettings(hEditor);
}
