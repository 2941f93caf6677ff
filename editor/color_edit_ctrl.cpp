#include "editor/color_edit_ctrl.h"

#include "editor/rce_messages.h"

IMPLEMENT_DYNAMIC(CRColorEdit, CEdit)
IMPLEMENT_DYNAMIC(CColorEditCtrl, CRColorEdit)

CRColorEdit::~CRColorEdit() = default;

// Reads n characters through a getter message into the string's buffer.
static void ReadText(const CWnd* wnd, UINT lengthMsg, UINT textMsg, CString& text)
{
    text.Empty();
    HWND hwnd = wnd->GetSafeHwnd();
    if (!hwnd)
        return;
    int n = (int)::SendMessageW(hwnd, lengthMsg, 0, 0);
    if (n <= 0)
        return;
    LPWSTR buffer = text.GetBuffer(n + 1);
    buffer[0] = 0;
    buffer[n] = 0;
    ::SendMessageW(hwnd, textMsg, (WPARAM)n + 1, (LPARAM)buffer);
    text.ReleaseBuffer(); // the length of the text actually written
}

void CRColorEdit::GetSelText(CString& text) const
{
    ReadText(this, RCEM_GETSELLENGTH, RCEM_GETSELTEXT, text);
}

CString CRColorEdit::GetSelText() const
{
    CString text;
    GetSelText(text);
    return text;
}

void CRColorEdit::GetText(CString& text) const
{
    ReadText(this, WM_GETTEXTLENGTH, WM_GETTEXT, text);
}

CString CRColorEdit::GetText() const
{
    CString text;
    GetText(text);
    return text;
}

static CColorEditCtrl::AutoCompleteFiller g_filler = nullptr;

void CColorEditCtrl::SetAutoCompleteFiller(AutoCompleteFiller filler)
{
    g_filler = filler;
}

CColorEditCtrl::AutoCompleteFiller CColorEditCtrl::GetAutoCompleteFiller()
{
    return g_filler;
}

CColorEditCtrl::CColorEditCtrl()
{
    RCEInitAutoCompleteWords(m_words);
}

CColorEditCtrl::~CColorEditCtrl()
{
    // The window borrows the word array: take it back before the words are freed.
    if (HWND hwnd = GetSafeHwnd(); hwnd && ::IsWindow(hwnd))
    {
        RCEAutoCompleteTable none{nullptr, 0, 1};
        ::SendMessageW(hwnd, RCEM_SETAUTOCOMPLETE, 0, (LPARAM)&none);
    }
    RCEFreeAutoCompleteWords(m_words);
}

LRESULT CColorEditCtrl::UpdateAutoCompleteWords()
{
    HWND hwnd = GetSafeHwnd();
    if (!hwnd)
        return 0;
    RCEAutoCompleteTable none{nullptr, 0, 1};
    ::SendMessageW(hwnd, RCEM_SETAUTOCOMPLETE, 0, (LPARAM)&none);
    CWnd* mainWnd = AfxGetMainWnd();
    if (!mainWnd || !g_filler)
        return 0;
    if (!g_filler(mainWnd, m_words))
        return 0;
    RCEAutoCompleteTable table{RCEGetData(m_words), RCEGetCount(m_words), 1};
    return ::SendMessageW(hwnd, RCEM_SETAUTOCOMPLETE, 0, (LPARAM)&table);
}
