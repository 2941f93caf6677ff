// Internals shared by the window sources: per-thread state and the handle maps. The window
// sources include the headers of the classes they use themselves; this one brings only what its
// own declarations need.
#pragma once

#include "framework/cmd_ui.h"
#include "framework/controls_common.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/wnd.h"

#include <mutex>
#include <unordered_map>

class CWinThread;

// Take the handle out of a temporary wrapper before it is deleted (so it is not destroyed).
inline void AfxReleaseTempHandle(CWnd* p)
{
    p->m_hWnd = nullptr;
}
inline void AfxReleaseTempHandle(CDC* p)
{
    p->m_hDC = p->m_hAttribDC = nullptr;
}
inline void AfxReleaseTempHandle(CGdiObject* p)
{
    p->m_hObject = nullptr;
}
inline void AfxReleaseTempHandle(CMenu* p)
{
    p->m_hMenu = nullptr;
}
inline void AfxReleaseTempHandle(CImageList* p)
{
    p->m_hImageList = nullptr;
}

// Maps handles to their objects: permanent objects (process-wide) and this thread's
// temporary wrappers.
template <class H, class T>
class AfxHandleMap
{
public:
    static T* LookupPermanent(H h)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        auto it = Permanent().find(h);
        return it == Permanent().end() ? nullptr : it->second;
    }
    static void SetPermanent(H h, T* p)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        Permanent()[h] = p;
    }
    // Removes the entry only when it still belongs to p.
    static void RemovePermanent(H h, T* p)
    {
        std::lock_guard<std::mutex> lock(Mutex());
        auto it = Permanent().find(h);
        if (it != Permanent().end() && it->second == p)
            Permanent().erase(it);
    }
    static T* LookupTemporary(H h)
    {
        auto& temps = Temporary().map;
        auto it = temps.find(h);
        return it == temps.end() ? nullptr : it->second;
    }
    // The permanent object, else a temporary one made by create(h).
    template <class Create>
    static T* FromHandle(H h, Create create)
    {
        if (h == nullptr)
            return nullptr;
        if (T* p = LookupPermanent(h))
            return p;
        auto& temps = Temporary().map;
        auto it = temps.find(h);
        if (it != temps.end())
            return it->second;
        T* p = create(h);
        temps[h] = p;
        return p;
    }
    static void RemoveTemporary(H h) { Temporary().map.erase(h); }
    // Deletes this thread's temporaries (their handles stay as they are).
    static void DeleteTemporaries()
    {
        auto temps = std::move(Temporary().map);
        Temporary().map.clear();
        for (auto& entry : temps)
        {
            AfxReleaseTempHandle(entry.second);
            delete entry.second;
        }
    }
    static size_t TemporaryCount() { return Temporary().map.size(); }
    static size_t PermanentCount()
    {
        std::lock_guard<std::mutex> lock(Mutex());
        return Permanent().size();
    }

private:
    struct TempMap
    {
        std::unordered_map<H, T*> map;
    };
    static std::mutex& Mutex()
    {
        static std::mutex m;
        return m;
    }
    static std::unordered_map<H, T*>& Permanent()
    {
        static std::unordered_map<H, T*> m;
        return m;
    }
    // Kept behind a plain pointer: thread-local objects with destructors are not reliable with
    // this tool chain's emulated thread-local storage (the storage can go first).
    static TempMap*& TemporaryPointer()
    {
        thread_local TempMap* p = nullptr;
        return p;
    }
    static TempMap& Temporary()
    {
        TempMap*& p = TemporaryPointer();
        if (p == nullptr)
            p = new TempMap;
        return *p;
    }

public:
    // Frees this thread's temporaries and the map itself (a thread that ends).
    static void FreeThreadMap()
    {
        TempMap*& p = TemporaryPointer();
        if (p == nullptr)
            return;
        DeleteTemporaries();
        delete p;
        p = nullptr;
    }
};

typedef AfxHandleMap<HWND, CWnd> AfxWndMap;
typedef AfxHandleMap<HDC, CDC> AfxDCMap;
typedef AfxHandleMap<HGDIOBJ, CGdiObject> AfxGdiMap;
typedef AfxHandleMap<HMENU, CMenu> AfxMenuMap;
typedef AfxHandleMap<HIMAGELIST, CImageList> AfxImageListMap;

// Per-thread state of the window layer.
struct AfxThreadState
{
    MSG lastSentMsg{};        // the message WindowProc is handling (Default)
    CWnd* pWndInit = nullptr; // the object the next created window attaches to
    HHOOK hHookCbt = nullptr; // this thread's creation hook
    CWinThread* pThread = nullptr;
};
AfxThreadState& AfxGetThreadState();

// Deletes every temporary wrapper of this thread (windows, DCs, GDI objects, menus, image
// lists); the application does it when its loop goes idle.
void AfxDeleteTempMaps();
// The same, and frees the maps themselves, for a thread that ends.
void AfxFreeThreadTempMaps();
// Number of temporary wrappers this thread holds (windows only / all kinds).
size_t AfxGetTempWndCount();
size_t AfxGetPermanentWndCount();

// A CCmdUI that only records whether a handler enabled the command.
class CTestCmdUI : public CCmdUI
{
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL bOn) override
    {
        m_bEnabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetRadio(BOOL) override {}
    void SetText(LPCTSTR) override {}
};

// Loads a string-table entry through the resource handle.
CString AfxLoadString(UINT nID);

// The owner-draw messages a control answers through its virtual functions when its own map
// has no reflected entry for them.
template <class Control>
inline BOOL OwnerDrawChildNotify(Control* pControl, UINT message, LPARAM lParam, LRESULT* pResult)
{
    switch (message)
    {
    case WM_DRAWITEM: pControl->DrawItem((LPDRAWITEMSTRUCT)lParam); break;
    case WM_MEASUREITEM:
        if constexpr (requires { pControl->MeasureItem((LPMEASUREITEMSTRUCT)lParam); })
            pControl->MeasureItem((LPMEASUREITEMSTRUCT)lParam);
        else
            return FALSE;
        break;
    case WM_COMPAREITEM:
        if constexpr (requires { pControl->CompareItem((LPCOMPAREITEMSTRUCT)lParam); })
        {
            if (pResult != nullptr)
                *pResult = pControl->CompareItem((LPCOMPAREITEMSTRUCT)lParam);
        }
        else
            return FALSE;
        break;
    case WM_DELETEITEM:
        if constexpr (requires { pControl->DeleteItem((LPDELETEITEMSTRUCT)lParam); })
            pControl->DeleteItem((LPDELETEITEMSTRUCT)lParam);
        else
            return FALSE;
        break;
    default: return FALSE;
    }
    return TRUE;
}
