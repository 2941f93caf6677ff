#include "editor/context_menu.h"

#include "editor/caret_selection.h"
#include "editor/editing_core.h"
#include "editor/editor_class.h"
#include "editor/paste_indent.h"
#include "editor/window_common.h"

// Inserts a copy of every item of the owner's extra menu. A submenu is copied too, so that
// destroying the popup (with its submenus) never destroys a menu the owner still holds.
static HMENU CopyMenuItems(HMENU source, HMENU target, int position, RCE_STATE* s, bool notify);

static HMENU CopySubmenu(HMENU source)
{
    HMENU copy = CreatePopupMenu();
    if (copy)
        CopyMenuItems(source, copy, -1, nullptr, false);
    return copy;
}

static HMENU CopyMenuItems(HMENU source, HMENU target, int position, RCE_STATE* s, bool notify)
{
    int count = GetMenuItemCount(source);
    for (int i = 0; i < count; ++i)
    {
        WCHAR text[201] = {};
        MENUITEMINFOW mi{sizeof(mi)};
        mi.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_FTYPE | MIIM_DATA |
                   MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = 200;
        if (!GetMenuItemInfoW(source, (UINT)i, TRUE, &mi))
            continue;
        if (mi.fType & MFT_SEPARATOR)
        {
            mi.fMask &= ~MIIM_STRING;
            mi.dwTypeData = nullptr;
        }
        else
        {
            mi.dwTypeData = text;
        }
        if (mi.hSubMenu)
            mi.hSubMenu = CopySubmenu(mi.hSubMenu);
        UINT at = position < 0 ? (UINT)GetMenuItemCount(target) : (UINT)(position + i);
        if (!InsertMenuItemW(target, at, TRUE, &mi))
        {
            if (mi.hSubMenu)
                DestroyMenu(mi.hSubMenu);
            continue;
        }
        if (notify && s)
        {
            RCENMMenuItem nm{};
            nm.hdr.hwndFrom = s->hwnd;
            nm.hdr.idFrom = (UINT_PTR)RCEControlId(s);
            nm.hdr.code = RCEN_MENUITEM;
            nm.menu = target;
            nm.id = mi.wID;
            if (HWND parent = GetParent(s->hwnd))
                RCESendUnlocked(s, parent, WM_NOTIFY, 0, (LPARAM)&nm);
        }
    }
    return target;
}

void RCEOnContextMenu(RCE_STATE* s, int x, int y)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    POINT pt{x, y};
    RECT client{};
    GetClientRect(s->hwnd, &client);
    POINT local = pt;
    ScreenToClient(s->hwnd, &local);
    if ((x == -1 && y == -1) || !PtInRect(&client, local))
    {
        pt = POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
        ClientToScreen(s->hwnd, &pt);
    }
    bool readOnly = RCEReadOnly(s);
    bool hasSel = RCESelLength(s) > 0;
    auto grey = [](bool g) { return g ? MF_GRAYED : 0u; };
    AppendMenuW(menu, MF_STRING | grey(readOnly || !RCECanUndo(s)), RCECM_UNDO, L"Undo\tCtrl+Z");
    AppendMenuW(menu, MF_STRING | grey(readOnly || !RCECanRedo(s)), RCECM_REDO, L"Redo\tCtrl+Y");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | grey(s->length == 0), RCECM_SELECTALL, L"Select all\tCtrl+A");
    if (s->options & RCEO_WORDWRAPMENU)
        AppendMenuW(menu, MF_STRING | ((s->options & RCEO_WORDWRAP) ? MF_CHECKED : 0u),
                    RCECM_WORDWRAP, L"Word Wrap");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | grey(readOnly || !hasSel), RCECM_CUT, L"Cut");
    AppendMenuW(menu, MF_STRING | grey(!hasSel), RCECM_COPY, L"Copy");
    AppendMenuW(menu, MF_STRING | grey(readOnly || !IsClipboardFormatAvailable(CF_TEXT)),
                RCECM_PASTE, L"Paste");
    AppendMenuW(menu, MF_STRING | grey(readOnly || !hasSel), RCECM_DELETE, L"Delete");
    if (s->extraMenu && IsMenu(s->extraMenu))
        CopyMenuItems(s->extraMenu, menu, s->extraMenuPos, s,
                      (s->notifyBits & RCENF_MENUITEM) != 0);

    // The menu runs its own message loop: the text is unlocked meanwhile.
    bool locked = s->text != nullptr;
    if (locked)
    {
        RCEUnlockBuffer(s);
        s->text = nullptr;
    }
    UINT id = (UINT)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, pt.x, pt.y,
                                   0, s->hwnd, nullptr);
    if (locked)
        RCELockBuffer(s);
    DestroyMenu(menu);
    // A dismissed menu runs nothing.
    if (id)
        RCERunMenuCommand(s, id);
}

void RCERunMenuCommand(RCE_STATE* s, UINT id)
{
    switch (id)
    {
    case RCECM_UNDO: RCEUndo(s); break;
    case RCECM_REDO: RCERedo(s); break;
    case RCECM_CUT: RCECut(s); break;
    case RCECM_COPY: RCECopy(s); break;
    case RCECM_SELECTALL: RCESetSel(s, 0, -1); break;
    case RCECM_PASTE: RCEPaste(s); break;
    case RCECM_DELETE: RCEClear(s); break;
    case RCECM_WORDWRAP: RCESetOptions(s, s->options ^ RCEO_WORDWRAP, true); break;
    default:
        if (HWND parent = GetParent(s->hwnd))
            RCESendUnlocked(s, parent, WM_COMMAND, MAKEWPARAM(id, 0), (LPARAM)s->hwnd);
        break;
    }
}
