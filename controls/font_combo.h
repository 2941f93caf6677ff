// A combo box of the installed font faces, one entry per face and script, each remembering
// its character set.
#pragma once

#include "framework/ui.h"

#include <vector>

// Font-type filter bits.
enum FontTypeFilter : DWORD
{
    kFontFilterDevice = 1,
    kFontFilterRaster = 2,
    kFontFilterTrueType = 4,
};

class CRFontComboBox : public CComboBox
{
    DECLARE_DYNAMIC(CRFontComboBox)

public:
    CRFontComboBox() = default;

    // Lists every face of every character set allowed by the filter (FontTypeFilter bits).
    bool FillFonts(DWORD filter);
    // Selects the entry of that face (compared with case) and character set, else the first.
    void SelectFont(LPCWSTR faceName, BYTE charSet);
    // Selects the entry of that face and character set; a face that is not listed gets an entry
    // of its own name first.
    void ShowFont(LPCWSTR faceName, BYTE charSet);
    // The face and character set of the selected entry; false when nothing is selected.
    bool GetSelFont(CString& faceName, BYTE& charSet) const;

    // One face of the enumeration; lParam is the combo box. 1 continues, 0 stops.
    static int CALLBACK EnumFontProc(const LOGFONTW* pFont, const TEXTMETRICW* pMetrics,
                                     DWORD fontType, LPARAM lParam);
    // Adds one face when the filter allows its type, it is not a vertical ("@") face and its text
    // is not listed yet; false when the list refused it.
    bool AddFace(const ENUMLOGFONTEXW& font, DWORD fontType);

    std::vector<ENUMLOGFONTEXW> m_fonts;
    DWORD m_filter = kFontFilterDevice | kFontFilterRaster | kFontFilterTrueType;
};
