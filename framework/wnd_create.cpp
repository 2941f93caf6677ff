// Window objects and handles: the handle map, creation, subclassing and destruction.
#include "framework/wnd.h"
#include "framework/module_state.h"
#include "framework/win_thread.h"
#include "framework/wnd_internal.h"

#include <set>
#include <string>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::CWnd() = default;

CWnd::CWnd(HWND hWnd) : m_hWnd(hWnd), m_bTempWrapper(TRUE) {}

CWnd::~CWnd()
{
    // A permanent window still alive goes with its object (wrappers own nothing).
    if (m_hWnd != nullptr && !m_bTempWrapper && AfxWndMap::LookupPermanent(m_hWnd) == this)
    {
        HWND hWnd = m_hWnd;
        ::DestroyWindow(hWnd);
        AfxWndMap::RemovePermanent(hWnd, this);
    }
}

// ---------------------------------------------------------------------------------------------
// The handle map.

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd == nullptr ? nullptr : AfxWndMap::LookupPermanent(hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return AfxWndMap::FromHandle(hWnd, [](HWND h) { return new CWnd(h); });
}

void CWnd::DeleteTempMap()
{
    AfxWndMap::DeleteTemporaries();
}

void AfxFreeThreadTempMaps()
{
    AfxWndMap::FreeThreadMap();
    AfxDCMap::FreeThreadMap();
    AfxGdiMap::FreeThreadMap();
    AfxMenuMap::FreeThreadMap();
    AfxImageListMap::FreeThreadMap();
}

size_t AfxGetTempWndCount()
{
    return AfxWndMap::TemporaryCount();
}
size_t AfxGetPermanentWndCount()
{
    return AfxWndMap::PermanentCount();
}

void AfxDeleteTempMaps()
{
    CWnd::DeleteTempMap();
    CDC::DeleteTempMap();
    CGdiObject::DeleteTempMap();
    CMenu::DeleteTempMap();
    CImageList::DeleteTempMap();
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (hWndNew == nullptr || AfxWndMap::LookupPermanent(hWndNew) != nullptr)
        return FALSE;
    // A temporary wrapper of the same handle would now shadow nothing: drop it from the map
    // (the object itself stays valid until the idle clean-up would have deleted it).
    if (CWnd* pTemp = AfxWndMap::LookupTemporary(hWndNew))
    {
        AfxWndMap::RemoveTemporary(hWndNew);
        pTemp->m_hWnd = nullptr;
        delete pTemp;
    }
    m_hWnd = hWndNew;
    m_bTempWrapper = FALSE;
    AfxWndMap::SetPermanent(hWndNew, this);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr)
        AfxWndMap::RemovePermanent(hWnd, this);
    m_hWnd = nullptr;
    return hWnd;
}

// ---------------------------------------------------------------------------------------------
// Window classes.

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static std::mutex mutex;
    static std::set<std::wstring> names; // nodes never move: the pointers stay valid

    HINSTANCE hInst = AfxGetInstanceHandle();
    CString name;
    name.Format(L"QlWnd:%p:%x:%p:%p:%p", (void*)hInst, nClassStyle, (void*)hCursor,
                (void*)hbrBackground, (void*)hIcon);

    std::lock_guard<std::mutex> lock(mutex);
    auto inserted = names.insert(std::wstring(name.GetString()));
    LPCWSTR lpszName = inserted.first->c_str();
    WNDCLASSW wc = {};
    if (::GetClassInfoW(hInst, lpszName, &wc))
        return lpszName;
    wc.style = nClassStyle;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = hInst;
    wc.hIcon = hIcon;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.lpszClassName = lpszName;
    if (!::RegisterClassW(&wc))
    {
        names.erase(inserted.first);
        AfxThrowResourceException();
    }
    return lpszName;
}

// ---------------------------------------------------------------------------------------------
// Creation.

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (cs.lpszClass == nullptr)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam)
{
    if (m_hWnd != nullptr)
        return FALSE; // already attached to a window

    CREATESTRUCT cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;

    if (!PreCreateWindow(cs))
    {
        PostNcDestroy();
        return FALSE;
    }

    AfxHookWindowCreate(this);
    HWND hWnd =
        ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx,
                          cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    if (!AfxUnhookWindowCreate())
    {
        // The window never reached us: clean up as if it had been destroyed.
        PostNcDestroy();
        return FALSE;
    }
    // When creation failed after attaching (WM_CREATE answered -1), the window went through
    // WM_NCDESTROY and the object may no longer exist: touch nothing.
    return hWnd != nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParentWnd->GetSafeHwnd(),
                    (HMENU)(UINT_PTR)nID, lpParam);
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, void* pContext)
{
    // Child windows only: top-level windows use CreateEx.
    if (pParentWnd == nullptr || (dwStyle & WS_POPUP))
        return FALSE;
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID,
                    pContext);
}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC* ppfnSuper = GetSuperWndProcAddr();
    WNDPROC oldProc = (WNDPROC)::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
    if (oldProc == nullptr)
    {
        Detach();
        return FALSE;
    }
    if (oldProc != &AfxWndProc)
        *ppfnSuper = oldProc;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND hWndControl = ::GetDlgItem(pParent->GetSafeHwnd(), (int)nID);
    return hWndControl != nullptr && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow()
{
    WNDPROC* ppfnSuper = GetSuperWndProcAddr();
    if (m_hWnd != nullptr && *ppfnSuper != nullptr)
    {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)*ppfnSuper);
        *ppfnSuper = nullptr;
    }
    return Detach();
}

// ---------------------------------------------------------------------------------------------
// Destruction.

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    HWND hWnd = m_hWnd;
    BOOL bPermanent = AfxWndMap::LookupPermanent(hWnd) == this;
    BOOL bResult = ::DestroyWindow(hWnd);
    // A permanent object may have deleted itself in PostNcDestroy; a wrapper just lets go.
    if (!bPermanent && bResult)
        m_hWnd = nullptr;
    return bResult;
}

void CWnd::OnNcDestroy()
{
    Default();
    NcDestroyCleanup();
}

void CWnd::NcDestroyCleanup()
{
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr || AfxWndMap::LookupPermanent(hWnd) != this)
        return; // done already
    // The thread's main window is gone: end its loop.
    if (CWinThread* pThread = AfxGetThread())
    {
        if (pThread->m_pMainWnd == this)
        {
            pThread->m_pMainWnd = nullptr;
            ::PostQuitMessage(0);
        }
        if (pThread->m_pActiveWnd == this)
            pThread->m_pActiveWnd = nullptr;
    }
    WNDPROC* ppfnSuper = GetSuperWndProcAddr();
    if (*ppfnSuper != nullptr)
    {
        if ((WNDPROC)::GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == &AfxWndProc)
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)*ppfnSuper);
        *ppfnSuper = nullptr;
    }
    Detach();
    PostNcDestroy(); // may delete this
}

void CWnd::PostNcDestroy() {}
