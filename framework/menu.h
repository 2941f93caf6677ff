// CMenu: a menu or popup menu handle. The object owns the handle (DestroyMenu in the
// destructor) unless it was detached; FromHandle gives temporary wrappers.
#pragma once

#include "framework/core.h"

class CWnd;

class CMenu : public CObject
{
    DECLARE_DYNAMIC(CMenu)

public:
    CMenu() = default;
    ~CMenu() override;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const;
    BOOL operator==(const CMenu& menu) const { return m_hMenu == menu.m_hMenu; }
    BOOL operator!=(const CMenu& menu) const { return m_hMenu != menu.m_hMenu; }

    static CMenu* FromHandle(HMENU hMenu);
    static void DeleteTempMap();
    BOOL Attach(HMENU hMenu);
    HMENU Detach();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenu(LPCTSTR lpszResourceName);
    BOOL LoadMenu(UINT nIDResource);
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0,
                    LPCTSTR lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0,
                    LPCTSTR lpszNewItem = nullptr);
    BOOL RemoveMenu(UINT nPosition, UINT nFlags)
    {
        return ::RemoveMenu(m_hMenu, nPosition, nFlags);
    }
    BOOL DeleteMenu(UINT nPosition, UINT nFlags)
    {
        return ::DeleteMenu(m_hMenu, nPosition, nFlags);
    }
    BOOL InsertMenuItem(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE)
    {
        return ::InsertMenuItemW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
    }
    BOOL GetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE)
    {
        return ::GetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
    }
    BOOL SetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE)
    {
        return ::SetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
    }
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
    {
        return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable);
    }
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck)
    {
        return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck);
    }
    BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags)
    {
        return ::CheckMenuRadioItem(m_hMenu, nIDFirst, nIDLast, nIDItem, nFlags);
    }
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE)
    {
        return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos);
    }
    UINT GetDefaultItem(UINT gmdiFlags, BOOL fByPos = FALSE)
    {
        return ::GetMenuDefaultItem(m_hMenu, fByPos, gmdiFlags);
    }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    int GetMenuString(UINT nIDItem, LPTSTR lpString, int nMaxCount, UINT nFlags) const
    {
        return ::GetMenuStringW(m_hMenu, nIDItem, lpString, nMaxCount, nFlags);
    }
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    CMenu* GetSubMenu(int nPos) const;
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
    BOOL TrackPopupMenuEx(UINT nFlags, int x, int y, CWnd* pWnd, LPTPMPARAMS lptpm);

    // Owner-drawn menus override these.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);

    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
};
