// CSQLErrChildFrame: the MDI child window that shows an error or source text, over a static
// splitter of two rows (the text above, 300 pixels high, an empty pane below).
#pragma once

#include "framework/ui.h"

class CSQLErrChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CSQLErrChildFrame)

public:
    CSQLErrChildFrame() = default;
    ~CSQLErrChildFrame() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Puts the text into the upper pane.
    void SetText(LPCWSTR pszText);
    CSplitterWnd& GetSplitter() { return m_splitter; }
    HWND GetTextWindow() const { return m_hText; }

protected:
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, void* pContext) override;

    CSplitterWnd m_splitter;
    HWND m_hText = nullptr;
};
