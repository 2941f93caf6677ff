// The four image buttons that move list rows (to the top, up, down, to the bottom) and their
// 15 x 15 images, shared by the sort, columns and edit-value dialogs.
#pragma once

#include "controls/owner_draw_button.h"

class CMoveButtons
{
public:
    // Images 0 to 3: to the top, up, down, to the bottom.
    enum
    {
        imageTop = 0,
        imageUp = 1,
        imageDown = 2,
        imageBottom = 3,
    };

    // Loads the images once and subclasses whichever of the four buttons the dialog has.
    void Attach(CWnd* pDialog);
    CImageList& GetImages() { return m_images; }

private:
    CImageList m_images;
    CRImageButton m_top, m_up, m_down, m_bottom;
};
