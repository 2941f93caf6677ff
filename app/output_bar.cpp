// COutputBar: creation of the editor child, appending, and the word-wrap choice.
#include "app/output_bar.h"

#include "app/app_settings.h"
#include "editor/rce_messages.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(COutputBar, CSizingVS2015Bar)

BEGIN_MESSAGE_MAP(COutputBar, CSizingVS2015Bar)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

COutputBar::COutputBar() = default;
COutputBar::~COutputBar() = default;

int COutputBar::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CSizingVS2015Bar::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_dwSCBStyle = (m_dwSCBStyle & ~SCBS_EDGEALL) | SCBS_SIZECHILD;

    if (!m_wndEdit.CreateEx(WS_EX_STATICEDGE, L"RColorEditorClass", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                ES_AUTOHSCROLL,
                            CRect(0, 0, 0, 0), this, IDC_OUTPUT_EDIT))
        return -1;
    // Virtual space, the Word Wrap item of the context menu, and wrapping as last chosen.
    UINT nOptions = theSettings.m_bOutputBarWordWrap ? 0x618 : 0x418;
    m_wndEdit.SendMessage(RCEM_SETOPTIONS, FALSE, nOptions);

    HFONT hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
    if (hFont == nullptr)
    {
        if (!m_font.CreatePointFont(80, L"MS Sans Serif"))
            return -1;
        hFont = (HFONT)m_font.GetSafeHandle();
    }
    m_wndEdit.SendMessage(WM_SETFONT, (WPARAM)hFont, TRUE);
    return 0;
}

void COutputBar::OnDestroy()
{
    if (m_wndEdit.GetSafeHwnd() != nullptr)
    {
        UINT nOptions = (UINT)m_wndEdit.SendMessage(RCEM_GETOPTIONS);
        theSettings.m_bOutputBarWordWrap = (nOptions & RCEO_WORDWRAP) ? 1 : 0;
        theSettings.SaveOutputBarWordWrap();
    }
    CSizingVS2015Bar::OnDestroy();
}

void COutputBar::OnSetFocus(CWnd* pOldWnd)
{
    CSizingVS2015Bar::OnSetFocus(pOldWnd);
    if (m_wndEdit.GetSafeHwnd() != nullptr)
        m_wndEdit.SetFocus();
}

void COutputBar::AddText(LPCWSTR pszText)
{
    if (m_wndEdit.GetSafeHwnd() == nullptr)
        return;
    int nLength = m_wndEdit.GetWindowTextLength();
    m_wndEdit.SendMessage(EM_SETSEL, nLength, nLength);
    m_wndEdit.SendMessage(EM_SCROLLCARET);
    m_wndEdit.SendMessage(EM_REPLACESEL, FALSE, (LPARAM)(pszText ? pszText : L""));
    nLength = m_wndEdit.GetWindowTextLength();
    m_wndEdit.SendMessage(EM_SETSEL, nLength, nLength);
    m_wndEdit.SendMessage(EM_SCROLLCARET);
}

void COutputBar::Clear()
{
    if (m_wndEdit.GetSafeHwnd() != nullptr)
        m_wndEdit.SetWindowText(L"");
}
