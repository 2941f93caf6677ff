// Progress for work of unknown length: CRProgressCtrl runs a highlighted segment across a
// framed bar on a timer; CTaskbarProgress shows progress on the taskbar button where the
// system offers the interface (it stays empty, and every call answers false, elsewhere).
#pragma once

#include "framework/ui.h"

#include <shobjidl.h>

class CRProgressCtrl : public CStatic
{
    DECLARE_DYNAMIC(CRProgressCtrl)

public:
    CRProgressCtrl() = default;

    // Restarts the segment at the left and animates it every `period` milliseconds (timer 1).
    bool Start(UINT period);
    int GetCounter() const { return m_nCounter; }

    // Draws the bar for a counter of 0..100 into `rect`.
    static void PaintBar(HDC hDC, CRect rect, int counter);
    // Inside a bar of `width` pixels: the window-coloured run before the segment ends at
    // *pGapEnd, the highlighted segment at *pSegmentEnd (both offsets from the left, clipped).
    static void GetSegment(int width, int counter, int* pGapEnd, int* pSegmentEnd);

protected:
    int m_nCounter = 0;

    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

class CTaskbarProgress
{
public:
    CTaskbarProgress() = default;
    ~CTaskbarProgress() { Release(); }

    CTaskbarProgress(const CTaskbarProgress&) = delete;
    CTaskbarProgress& operator=(const CTaskbarProgress&) = delete;

    // Creates the taskbar object (COM must be initialised on the thread).
    bool Create();
    bool IsCreated() const { return m_pTaskbar != nullptr; }
    bool SetProgressValue(HWND hWnd, ULONGLONG completed, ULONGLONG total);
    bool SetProgressState(HWND hWnd, TBPFLAG flags);
    void Release();

private:
    ITaskbarList3* m_pTaskbar = nullptr;
};
