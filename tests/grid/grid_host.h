// The windowed grid tests' scaffolding: a top-level frame that owns a grid and plays its owner
// (records every owner code with its payload, reads the data again when asked), a grid whose
// owner questions the test answers, and a message pump that runs the program's pre-translate walk.
#pragma once

#include "grid/grid.h"
#include "tests/support/windowed_tests.h"

#include <functional>
#include <vector>

namespace GridHostTest {

using qltest::PumpPending;
using qltest::SetModifiers;

// A key press posted to the window with the keyboard focus (or the given one) and pumped.
inline void PressKey(UINT vk, bool shift = false, bool control = false, HWND hWnd = nullptr)
{
    if (hWnd == nullptr)
        hWnd = ::GetFocus();
    SetModifiers(shift, control);
    const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    ::PostMessageW(hWnd, WM_KEYDOWN, vk, 1 | (scan << 16));
    PumpPending();
    if (::IsWindow(hWnd))
        ::PostMessageW(hWnd, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
    PumpPending();
    SetModifiers(false, false);
}

class TestGrid : public CRGrid
{
public:
    bool valueKey = true;
    bool confirm = true;
    std::function<IWait*()> makeWait;
    // The clock a long read's message pumps go by, when set.
    std::function<ULONGLONG()> clock;

    int headerItemsDrawn = 0;

    bool CanUseValueKey() override { return valueKey; }
    void DrawHeaderItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override
    {
        ++headerItemsDrawn;
        CRGrid::DrawHeaderItem(lpDrawItemStruct);
    }
    bool ConfirmDelete() override { return confirm; }
    void CreateWait(IWait*& pWait) override
    {
        if (makeWait)
            pWait = makeWait();
        else
            CRGrid::CreateWait(pWait);
    }
    ULONGLONG PumpClock() const override { return clock ? clock() : CRGrid::PumpClock(); }
};

struct OwnerNote
{
    UINT code = 0;
    int column = 0; // codes 1, 2 and 12
    UINT kind = 0;  // code 12
    CString text;   // codes 3 and 12
    UINT value = 0; // code 4 (flag) and 8
};

class GridHost : public CWnd
{
public:
    TestGrid grid;
    std::vector<OwnerNote> notes;
    // Called for code 4 with flag 1 (the owner reads the data again).
    std::function<void()> requery;

    bool Create(UINT options, int width = 700, int height = 420)
    {
        LPCTSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                          (HBRUSH)(COLOR_BTNFACE + 1));
        if (!CreateEx(0, cls, L"Grid", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 10, 10,
                      width, height, nullptr, nullptr))
            return false;
        RECT client;
        GetClientRect(&client);
        grid.m_pOwner = this;
        grid.m_bShowMarkers = 1;
        if (!grid.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_SHOWSELALWAYS, options, client,
                         this, 0xE900))
            return false;
        ::SetForegroundWindow(m_hWnd);
        grid.SetFocus();
        PumpPending();
        return true;
    }

    int Count(UINT code) const
    {
        int n = 0;
        for (const OwnerNote& note : notes)
            n += note.code == code ? 1 : 0;
        return n;
    }
    const OwnerNote* Last(UINT code) const
    {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->code == code)
                return &*it;
        return nullptr;
    }

    ~GridHost() override
    {
        if (::IsWindow(m_hWnd))
            DestroyWindow();
    }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        NMHDR* pHdr = (NMHDR*)lParam;
        if (pHdr != nullptr && pHdr->hwndFrom == grid.m_hWnd && pHdr->code >= 1 && pHdr->code <= 13)
        {
            OwnerNote note;
            note.code = pHdr->code;
            switch (pHdr->code)
            {
            case kGridSortAscending:
            case kGridSortDescending: note.column = ((GridNotifyColumn*)pHdr)->nColumn; break;
            case kGridDatabaseError: note.text = ((GridNotifyText*)pHdr)->strText; break;
            case kGridRowDone: note.value = ((GridNotifyFlag*)pHdr)->bFlag; break;
            case kGridEditBegun: note.value = ((GridNotifyUInt*)pHdr)->nValue; break;
            case kGridEditError: {
                GridNotifyEditError* p = (GridNotifyEditError*)pHdr;
                note.column = p->nColumn;
                note.kind = p->nKind;
                note.text = p->strText;
                break;
            }
            }
            notes.push_back(note);
            if (pHdr->code == kGridRowDone && note.value && requery)
                requery();
            *pResult = 0;
            return TRUE;
        }
        return CWnd::OnNotify(wParam, lParam, pResult);
    }
};

} // namespace GridHostTest
