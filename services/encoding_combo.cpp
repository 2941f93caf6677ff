#include "services/encoding_combo.h"

#include "controls/utility.h"
#include "resources/resource.h"
#include "services/script_reader.h"

IMPLEMENT_DYNAMIC(CEncodingComboBox, CComboBox)

void CEncodingComboBox::FillEncodings(CComboBox& combo, bool bWithAuto, UINT nEncoding)
{
    static const struct
    {
        UINT nString;
        UINT nEncoding;
    } entries[] = {{IDS_ENCODING_AUTO, SCRIPT_ENCODING_DETECT},
                   {IDS_ENCODING_ANSI, SCRIPT_ENCODING_ANSI},
                   {IDS_ENCODING_UNICODE, SCRIPT_ENCODING_UNICODE},
                   {IDS_ENCODING_UTF8, SCRIPT_ENCODING_UTF8}};
    combo.ResetContent();
    int selected = 0;
    for (const auto& entry : entries)
    {
        if (entry.nEncoding == SCRIPT_ENCODING_DETECT && !bWithAuto)
            continue;
        const int index = combo.AddString(LoadResString(entry.nString));
        combo.SetItemData(index, entry.nEncoding);
        if (entry.nEncoding == nEncoding)
            selected = index;
    }
    combo.SetCurSel(selected);
}

void CEncodingComboBox::Init(UINT nEncoding)
{
    FillEncodings(*this, false, nEncoding);
}

UINT CEncodingComboBox::GetEncoding() const
{
    const int selected = GetCurSel();
    if (selected < 0)
        return SCRIPT_ENCODING_ANSI;
    return static_cast<UINT>(GetItemData(selected));
}
