// CEncodingComboBox: the drop-down list of the three file encodings ("ANSI", "Unicode",
// "UTF-8") used by the export and options dialogs; item data are the encoding codes 1, 2, 3.
#pragma once

#include "framework/ui.h"

class CEncodingComboBox : public CComboBox
{
    DECLARE_DYNAMIC(CEncodingComboBox)

public:
    // Fills the list and selects the entry of the encoding, else the first.
    void Init(UINT nEncoding);
    // The selected entry's code; ANSI (1) when nothing is selected.
    UINT GetEncoding() const;

    // Adds the entries of the script encodings to any combo box: "Auto" (0) first when
    // bWithAuto, then ANSI, Unicode, UTF-8; selects nEncoding's entry, else the first.
    static void FillEncodings(CComboBox& combo, bool bWithAuto, UINT nEncoding);
};
