#include "controls/font_combo.h"

IMPLEMENT_DYNAMIC(CRFontComboBox, CComboBox)

bool CRFontComboBox::FillFonts(DWORD filter)
{
    m_filter = filter;
    HDC hDC = ::GetDC(nullptr);
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    ::EnumFontFamiliesExW(hDC, &lf, (FONTENUMPROCW)EnumFontProc, (LPARAM)this, 0);
    ::ReleaseDC(nullptr, hDC);
    return true;
}

int CALLBACK CRFontComboBox::EnumFontProc(const LOGFONTW* pFont, const TEXTMETRICW*, DWORD fontType,
                                          LPARAM lParam)
{
    auto* pCombo = reinterpret_cast<CRFontComboBox*>(lParam);
    if (pCombo == nullptr || pFont == nullptr)
        return 1;
    return pCombo->AddFace(*reinterpret_cast<const ENUMLOGFONTEXW*>(pFont), fontType) ? 1 : 0;
}

bool CRFontComboBox::AddFace(const ENUMLOGFONTEXW& font, DWORD fontType)
{
    DWORD bit;
    switch (fontType)
    {
    case DEVICE_FONTTYPE: bit = kFontFilterDevice; break;
    case RASTER_FONTTYPE: bit = kFontFilterRaster; break;
    case TRUETYPE_FONTTYPE: bit = kFontFilterTrueType; break;
    default: return true; // skipped
    }
    if ((m_filter & bit) == 0)
        return true;
    // "@" faces are the vertical variants of East Asian fonts, drawn rotated: no editor face.
    if (font.elfLogFont.lfFaceName[0] == L'@')
        return true;

    CString text = (LPCWSTR)font.elfFullName;
    if (font.elfScript[0] != 0)
    {
        text += L" (";
        text += (LPCWSTR)font.elfScript;
        text += L")";
    }
    if (SendMessage(CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)(LPCWSTR)text) >= 0)
        return true;
    const int index = (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)(LPCWSTR)text);
    if (index < 0)
        return false;
    m_fonts.push_back(font);
    SendMessage(CB_SETITEMDATA, index, (LPARAM)(m_fonts.size() - 1));
    return true;
}

void CRFontComboBox::SelectFont(LPCWSTR faceName, BYTE charSet)
{
    int record = -1;
    for (size_t i = 0; i < m_fonts.size() && faceName != nullptr; ++i)
    {
        const LOGFONTW& lf = m_fonts[i].elfLogFont;
        if (wcscmp(lf.lfFaceName, faceName) == 0 && lf.lfCharSet == charSet)
        {
            record = (int)i;
            break;
        }
    }
    int select = 0;
    if (record >= 0)
    {
        const int count = (int)SendMessage(CB_GETCOUNT);
        for (int i = 0; i < count; ++i)
        {
            if ((int)SendMessage(CB_GETITEMDATA, i) == record)
            {
                select = i;
                break;
            }
        }
    }
    SendMessage(CB_SETCURSEL, select);
}

void CRFontComboBox::ShowFont(LPCWSTR faceName, BYTE charSet)
{
    if (faceName == nullptr || faceName[0] == 0)
    {
        SelectFont(faceName, charSet);
        return;
    }
    for (const ENUMLOGFONTEXW& font : m_fonts)
        if (wcscmp(font.elfLogFont.lfFaceName, faceName) == 0 &&
            font.elfLogFont.lfCharSet == charSet)
        {
            SelectFont(faceName, charSet);
            return;
        }
    // Not installed here (a setting from another machine, or a face Wine lacks): listed under
    // its own name so that the box shows what is stored rather than an arbitrary first face.
    ENUMLOGFONTEXW font = {};
    wcsncpy(font.elfLogFont.lfFaceName, faceName, LF_FACESIZE - 1);
    font.elfLogFont.lfCharSet = charSet;
    wcsncpy(font.elfFullName, faceName, LF_FULLFACESIZE - 1);
    const int index = (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)font.elfFullName);
    if (index < 0)
    {
        SelectFont(faceName, charSet);
        return;
    }
    m_fonts.push_back(font);
    SendMessage(CB_SETITEMDATA, index, (LPARAM)(m_fonts.size() - 1));
    SendMessage(CB_SETCURSEL, index);
}

bool CRFontComboBox::GetSelFont(CString& faceName, BYTE& charSet) const
{
    const int index = (int)SendMessage(CB_GETCURSEL);
    if (index < 0)
        return false;
    const LRESULT data = SendMessage(CB_GETITEMDATA, index);
    if (data < 0 || (size_t)data >= m_fonts.size())
        return false;
    const LOGFONTW& lf = m_fonts[(size_t)data].elfLogFont;
    faceName = lf.lfFaceName;
    charSet = lf.lfCharSet;
    return true;
}
