// Move buttons of the list dialogs.
#include "windows/move_buttons.h"

#include "resources/resource.h"

void CMoveButtons::Attach(CWnd* pDialog)
{
    if (m_images.GetSafeHandle() == nullptr)
    {
        m_images.Create(15, 15, ILC_COLOR4 | ILC_MASK, 4, 0);
        for (UINT nID : {IDB_MOVE_TOP, IDB_MOVE_UP, IDB_MOVE_DOWN, IDB_MOVE_BOTTOM})
        {
            CBitmap bitmap;
            bitmap.LoadBitmap(nID);
            m_images.Add(&bitmap, RGB(255, 255, 255));
        }
    }
    const struct
    {
        UINT nID;
        CRImageButton* pButton;
        int nImage;
    } buttons[] = {{IDC_MOVE_TOP, &m_top, imageTop},
                   {IDC_MOVE_UP, &m_up, imageUp},
                   {IDC_MOVE_DOWN, &m_down, imageDown},
                   {IDC_MOVE_BOTTOM, &m_bottom, imageBottom}};
    for (const auto& b : buttons)
    {
        if (::GetDlgItem(pDialog->GetSafeHwnd(), b.nID) != nullptr && b.pButton->m_hWnd == nullptr)
        {
            b.pButton->SubclassDlgItem(b.nID, pDialog);
            b.pButton->SetImage(&m_images, b.nImage);
        }
    }
}
