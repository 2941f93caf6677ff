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
