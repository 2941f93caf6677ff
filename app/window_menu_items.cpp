#include "app/window_menu_items.h"

#include "framework/command_ids.h"

namespace {

// The MDI client numbers at most nine windows and adds "More Windows..." after them.
const UINT kWindowItems = 10;

} // namespace

CString ShortenWindowMenuText(const CString& strItem)
{
    // "&1 " and the title; the number stays whole, only the title is cut.
    const int nTitle = strItem.Find(L' ') + 1;
    if (strItem.GetLength() - nTitle <= kWindowMenuTitleLimit)
        return strItem;
    CString strTitle = strItem.Mid(nTitle, kWindowMenuTitleLimit);
    // A word cut after its blank reads better without it: "FROM..." rather than "FROM ...".
    strTitle.TrimRight(L' ');
    // A doubled ampersand cut in half would underline the "." that follows.
    int nAmpersands = 0;
    for (int i = strTitle.GetLength() - 1; i >= 0 && strTitle[i] == L'&'; --i)
        ++nAmpersands;
    if (nAmpersands % 2 != 0)
        strTitle.Truncate(strTitle.GetLength() - 1);
    return strItem.Left(nTitle) + strTitle + L"...";
}

void ShortenWindowMenuItems(HMENU hMenu)
{
    const int nCount = hMenu != nullptr ? ::GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < nCount; ++i)
    {
        MENUITEMINFOW mii = {sizeof(mii)};
        mii.fMask = MIIM_ID | MIIM_FTYPE;
        if (!::GetMenuItemInfoW(hMenu, i, TRUE, &mii) || mii.wID < AFX_IDM_FIRST_MDICHILD ||
            mii.wID >= AFX_IDM_FIRST_MDICHILD + kWindowItems ||
            (mii.fType & (MFT_OWNERDRAW | MFT_SEPARATOR | MFT_BITMAP)) != 0)
            continue;
        const int nLength = ::GetMenuStringW(hMenu, i, nullptr, 0, MF_BYPOSITION);
        if (nLength <= kWindowMenuTitleLimit)
            continue;
        CString strItem;
        ::GetMenuStringW(hMenu, i, strItem.GetBuffer(nLength + 1), nLength + 1, MF_BYPOSITION);
        strItem.ReleaseBuffer();
        const CString strShort = ShortenWindowMenuText(strItem);
        if (strShort == strItem)
            continue;
        MENUITEMINFOW set = {sizeof(set)};
        set.fMask = MIIM_STRING;
        set.dwTypeData = const_cast<LPWSTR>(strShort.GetString());
        ::SetMenuItemInfoW(hMenu, i, TRUE, &set);
    }
}
