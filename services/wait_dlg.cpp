// The wait dialog and its lazy holder.
#include "services/wait_dlg.h"

#include "controls/utility.h"
#include "services/service_options.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace {

// "Are you really want to stop?" in the string table; the text below when a program has none.
constexpr UINT kIdsReallyStop = 61243;

// The dialog's layout (193 x 102 dialog units, "Please wait..."), for programs whose resources
// have no template 132.
class CWaitTemplate
{
public:
    CWaitTemplate()
    {
        Align(4);
        DLGTEMPLATE dlg = {};
        dlg.style = DS_SETFONT | DS_MODALFRAME | DS_3DLOOK | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        dlg.cdit = 6;
        dlg.cx = 193;
        dlg.cy = 102;
        Raw(&dlg, sizeof dlg);
        Word(0);                 // no menu
        Word(0);                 // standard class
        Text(L"Please wait..."); // caption
        Word(8);
        Text(L"MS Shell Dlg");
        Item(IDCANCEL, 0x0080, L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 71, 81, 50, 14);
        Item(IDC_WAIT_PROCESS, 0x0082, L"Processing", SS_LEFT | SS_NOPREFIX, 7, 7, 179, 9);
        Item(IDC_WAIT_MESSAGE, 0x0082, L"Message", SS_LEFT | SS_NOPREFIX, 7, 20, 179, 9);
        Item(IDC_WAIT_INFO, 0x0082, L"Info", SS_CENTER | SS_NOPREFIX, 7, 33, 179, 9);
        Item(IDC_WAIT_MARQUEE, 0x0082, L"Marquee", SS_LEFT, 7, 48, 179, 10);
        ItemClass(IDC_WAIT_PROGRESS, PROGRESS_CLASSW, L"", 0, 7, 63, 179, 10);
    }
    LPCDLGTEMPLATE Get() const { return (LPCDLGTEMPLATE)m_words.data(); }

private:
    void Raw(const void* p, size_t n)
    {
        const size_t at = m_bytes;
        m_bytes += n;
        m_words.resize((m_bytes + 1) / 2 + 2);
        memcpy((BYTE*)m_words.data() + at, p, n);
    }
    void Word(WORD w) { Raw(&w, sizeof w); }
    void Text(LPCWSTR s) { Raw(s, (wcslen(s) + 1) * sizeof(WCHAR)); }
    void Align(size_t n)
    {
        while (m_bytes % n != 0)
        {
            BYTE zero = 0;
            Raw(&zero, 1);
        }
    }
    void Header(WORD id, DWORD style, short x, short y, short cx, short cy)
    {
        Align(4);
        DLGITEMTEMPLATE item = {};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Raw(&item, sizeof item);
    }
    void Item(WORD id, WORD atom, LPCWSTR text, DWORD style, short x, short y, short cx, short cy)
    {
        Header(id, style, x, y, cx, cy);
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);
    }
    void ItemClass(WORD id, LPCWSTR cls, LPCWSTR text, DWORD style, short x, short y, short cx,
                   short cy)
    {
        Header(id, style, x, y, cx, cy);
        Text(cls);
        Text(text);
        Word(0);
    }

    std::vector<WORD> m_words;
    size_t m_bytes = 0;
};

bool IsUserInput(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           (message >= WM_NCMOUSEHOVER && message <= WM_MOUSELEAVE) || message == WM_INPUT ||
           message == WM_HOTKEY ||
           (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_KEYLAST) ||
           (message >= WM_IME_SETCONTEXT && message <= WM_IME_KEYUP);
}

HWND MainWindow()
{
    CWnd* pMain = AfxGetMainWnd();
    return pMain != nullptr ? pMain->GetSafeHwnd() : nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(CWaitDlg, CDialog)
END_MESSAGE_MAP()

CWaitDlg::CWaitDlg(CWnd* pParent, UINT nFlags, int nRange)
    : m_nFlags(nFlags), m_nRange(nRange), m_nStartTime(::GetTickCount())
{
    m_pParentWnd = pParent;
    HWND hOwner = pParent != nullptr ? pParent->GetSafeHwnd() : nullptr;
    if (hOwner == nullptr)
        hOwner = MainWindow();
    if (hOwner != nullptr && hOwner != ::GetDesktopWindow() && ::IsWindowEnabled(hOwner))
    {
        ::EnableWindow(hOwner, FALSE);
        m_hOwnerDisabled = hOwner;
    }

    // The program's own template when it has one; programs without it (tests) get the same
    // layout built here.
    BOOL bCreated = FALSE;
    if (::FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD), RT_DIALOG) != nullptr)
        bCreated = Create(IDD, pParent);
    if (!bCreated)
    {
        static const CWaitTemplate kTemplate;
        bCreated = CreateIndirect(kTemplate.Get(), pParent);
    }
    if (!bCreated)
        return;
    if (pParent != nullptr && pParent->GetSafeHwnd() != nullptr)
        CenterWindow(pParent);
    ShowWindow(SW_SHOW);
    UpdateWindow();
    SetDlgItemText(IDC_WAIT_PROCESS, L"");
    SetDlgItemText(IDC_WAIT_MESSAGE, L"");
    SetDlgItemText(IDC_WAIT_INFO, L"");

    // What already waits in the queue is sorted as while the operation runs: a message posted
    // before it started (a close of the main window, a command) must not run in the middle of
    // starting it, with the caller's objects still on the stack; it runs once the dialog is gone.
    DrainQueue();
}

CWaitDlg::~CWaitDlg()
{
    const HWND hMain = MainWindow();
    if (hMain != nullptr)
        m_taskbar.SetProgressState(hMain, TBPF_NOPROGRESS);
    if (m_hOwnerDisabled != nullptr && ::IsWindow(m_hOwnerDisabled))
        ::EnableWindow(m_hOwnerDisabled, TRUE);
    if (m_hWnd != nullptr)
        DestroyWindow();
    RepostDeferred();
}

BOOL CWaitDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!(m_nFlags & flagCancel))
    {
        if (CWnd* pCancel = GetDlgItem(IDCANCEL))
            pCancel->ShowWindow(SW_HIDE);
        if (HMENU hMenu = ::GetSystemMenu(m_hWnd, FALSE))
            ::EnableMenuItem(hMenu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    }
    m_marquee.SubclassDlgItem(IDC_WAIT_MARQUEE, this);
    if (m_nFlags & flagNoMarquee)
        m_marquee.ShowWindow(SW_HIDE);
    else
        m_marquee.Start(25);
    if (m_nRange > 0)
    {
        if (HWND hBar = ::GetDlgItem(m_hWnd, IDC_WAIT_PROGRESS))
        {
            ::SendMessageW(hBar, PBM_SETRANGE32, 0, m_nRange);
            ::SendMessageW(hBar, PBM_SETPOS, 0, 0);
            ::SendMessageW(hBar, PBM_SETSTEP, 1, 0);
            ::ShowWindow(hBar, SW_SHOW);
        }
    }
    else if (HWND hBar = ::GetDlgItem(m_hWnd, IDC_WAIT_PROGRESS))
        ::ShowWindow(hBar, SW_HIDE);
    m_taskbar.Create();
    if (const HWND hMain = MainWindow())
        m_taskbar.SetProgressState(hMain, m_nRange > 0 ? TBPF_NORMAL : TBPF_INDETERMINATE);
    return TRUE;
}

void CWaitDlg::OnCancel()
{
    if (!(m_nFlags & flagCancel))
        return;
    if (m_nFlags & flagCancelNoQuestion)
    {
        m_bCancelled = true;
        return;
    }
    if (!m_bCancelled)
    {
        CString question = LoadResString(kIdsReallyStop);
        if (question.IsEmpty())
            question = L"Are you really want to stop?";
        if (::MessageBoxW(m_hWnd, question, AfxGetAppName(),
                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
        {
            m_bCancelled = true;
            return;
        }
    }
    if (const HWND hMain = MainWindow())
        ::UpdateWindow(hMain);
}

void CWaitDlg::SetProcessText(LPCWSTR pszText)
{
    if (m_hWnd != nullptr)
        SetDlgItemText(IDC_WAIT_PROCESS, pszText != nullptr ? pszText : L"");
}

void CWaitDlg::SetMessageText(LPCWSTR pszText)
{
    if (m_hWnd != nullptr)
        ::SetDlgItemTextW(m_hWnd, IDC_WAIT_MESSAGE, pszText != nullptr ? pszText : L"");
}

void CWaitDlg::ShowRowsRead(int nRows)
{
    if (nRows == m_nRowsShown)
        return;
    m_nRowsShown = nRows;
    CString strText;
    strText.Format(L"%d rows read", nRows);
    SetMessageText(strText);
}

void CWaitDlg::SetInfoText(LPCWSTR pszText)
{
    if (m_hWnd != nullptr)
        SetDlgItemText(IDC_WAIT_INFO, pszText != nullptr ? pszText : L"");
}

void CWaitDlg::SetSavingText(LPCWSTR pszPath)
{
    SetProcessText(L"Saving " + GetFileNamePart(pszPath, true) + L"...");
}

CString CWaitDlg::FormatElapsed(DWORD nSeconds)
{
    CString text;
    text.Format(L"%d:%02d:%02d", (int)(nSeconds / 3600), (int)((nSeconds / 60) % 60),
                (int)(nSeconds % 60));
    return text;
}

void CWaitDlg::UpdateElapsed()
{
    const DWORD nSeconds = (::GetTickCount() - m_nStartTime) / 1000;
    if (nSeconds == m_nLastSecond)
        return;
    SetInfoText(FormatElapsed(nSeconds));
    m_nLastSecond = nSeconds;
}

void CWaitDlg::Step()
{
    if (m_nRange <= 0)
        return;
    if (m_nPos < m_nRange)
        ++m_nPos;
    // Set, not stepped: a progress bar stepped past its end starts over from the beginning.
    if (HWND hBar = ::GetDlgItem(m_hWnd, IDC_WAIT_PROGRESS))
        ::SendMessageW(hBar, PBM_SETPOS, m_nPos, 0);
    if (const HWND hMain = MainWindow())
        m_taskbar.SetProgressValue(hMain, (ULONGLONG)m_nPos, (ULONGLONG)m_nRange);
}

bool CWaitDlg::IsDialogMessageTarget(HWND hWnd) const
{
    return m_hWnd != nullptr && hWnd != nullptr && (hWnd == m_hWnd || ::IsChild(m_hWnd, hWnd));
}

CWaitDlg::PumpAction CWaitDlg::ClassifyMessage(const MSG& msg)
{
    if (msg.message == WM_PAINT)
        return pumpDispatch;
    // The caret's blink timer is the system's own; it comes back by itself.
    if (IsUserInput(msg.message) || msg.message == 0x0118 /* WM_SYSTIMER */)
        return pumpDiscard;
    return pumpDefer;
}

void CWaitDlg::PublishMessageText(LPCWSTR pszText)
{
    std::lock_guard<std::mutex> lock(m_publishedLock);
    m_strPublished = pszText != nullptr ? pszText : L"";
    m_bPublished = true;
}

bool CWaitDlg::PumpMessages()
{
    {
        CString text;
        bool bShow = false;
        {
            std::lock_guard<std::mutex> lock(m_publishedLock);
            std::swap(bShow, m_bPublished);
            text = CString(m_strPublished.GetString()); // a buffer of its own
        }
        if (bShow)
            SetMessageText(text);
    }
    DrainQueue();
    return m_bCancelled;
}

void CWaitDlg::DrainQueue()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            m_bQuit = true;
            m_nQuitCode = (int)msg.wParam;
            continue;
        }
        const PumpAction action =
            IsDialogMessageTarget(msg.hwnd) ? pumpDispatch : ClassifyMessage(msg);
        if (action == pumpDispatch)
        {
            if (!PreTranslateMessage(&msg))
            {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        else if (action == pumpDefer)
        {
            // A timer keeps firing while it waits; once is enough afterwards.
            const bool bRepeat =
                msg.message == WM_TIMER &&
                std::any_of(m_deferred.begin(), m_deferred.end(), [&](const MSG& m) {
                    return m.message == WM_TIMER && m.hwnd == msg.hwnd && m.wParam == msg.wParam &&
                           m.lParam == msg.lParam;
                });
            if (!bRepeat)
                m_deferred.push_back(msg);
        }
    }
}

void CWaitDlg::RepostDeferred()
{
    for (const MSG& msg : m_deferred)
    {
        if (msg.hwnd != nullptr)
            ::PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        else
            ::PostThreadMessageW(::GetCurrentThreadId(), msg.message, msg.wParam, msg.lParam);
    }
    m_deferred.clear();
    if (m_bQuit)
        ::PostQuitMessage(m_nQuitCode);
    m_bQuit = false;
}

// ---- CWaitHolder -------------------------------------------------------------------------------

CWaitHolder::CWaitHolder(CWnd* pParent, UINT nFlags, int nRange)
    : m_pDlg(new CWaitDlg(pParent, nFlags, nRange))
{}

CWaitHolder::~CWaitHolder()
{
    delete m_pDlg;
    delete m_pCursor;
}

void CWaitHolder::Begin(LPCWSTR pszText)
{
    if (m_pCursor == nullptr && m_pDlg == nullptr)
    {
        if (GetCancelExecOption())
            m_pDlg = new CWaitDlg(AfxGetMainWnd(), 0, 0);
        else
            m_pCursor = new CWaitCursor;
    }
    if (pszText != nullptr && *pszText != 0)
        SetProcessText(pszText);
}

void CWaitHolder::SetProcessText(LPCWSTR pszText)
{
    if (m_pDlg != nullptr)
        m_pDlg->SetProcessText(pszText);
}

void CWaitHolder::SetProcessTextId(UINT nID)
{
    if (m_pDlg != nullptr)
        m_pDlg->SetProcessText(LoadResString(nID));
}

void CWaitHolder::SetInfoText(LPCWSTR pszText)
{
    if (m_pDlg != nullptr)
        m_pDlg->SetInfoText(pszText);
}

void CWaitHolder::SetSavingText(LPCWSTR pszPath)
{
    if (m_pDlg != nullptr)
        m_pDlg->SetSavingText(pszPath);
}

void CWaitHolder::Step()
{
    if (m_pDlg != nullptr)
        m_pDlg->Step();
}

bool CWaitHolder::IsCancelled()
{
    return m_pDlg != nullptr && m_pDlg->PumpMessages();
}

void CWaitHolder::SetWaitCursor(CWaitCursor* pCursor)
{
    if (pCursor != m_pCursor)
        delete m_pCursor;
    m_pCursor = pCursor;
}
