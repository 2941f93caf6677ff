// A read's progress with its texts shown at most a few times a second.
//
// Readers report every row: they pump the wait dialog's messages (so Cancel is seen at once) and
// put the row's names into the dialog. Each text set repaints a static of the dialog; at one per
// row a read of ten thousand constraints spent most of its time painting names nobody can read
// at that speed. Pumps pass on every time; each text passes on when it is the first of its kind
// or when the interval has gone by since that kind was last shown.
#pragma once

#include "services/read_progress.h"

#include <functional>

class CThrottledProgress : public IReadProgress
{
public:
    using Clock = std::function<ULONGLONG()>;

    explicit CThrottledProgress(
        IReadProgress& target, ULONGLONG nIntervalMs = 50,
        Clock clock = [] { return ::GetTickCount64(); })
        : m_target(target), m_nInterval(nIntervalMs), m_clock(std::move(clock))
    {}

    bool PumpMessages() override { return m_target.PumpMessages(); }
    void SetMessageText(LPCWSTR pszText) override
    {
        if (Due(m_message))
            m_target.SetMessageText(pszText);
    }
    void SetInfoText(LPCWSTR pszText) override
    {
        if (Due(m_info))
            m_target.SetInfoText(pszText);
    }

private:
    struct CShown
    {
        bool bEver = false;
        ULONGLONG nAt = 0;
    };
    IReadProgress& m_target;
    ULONGLONG m_nInterval;
    Clock m_clock;
    CShown m_message, m_info;

    bool Due(CShown& shown)
    {
        const ULONGLONG nNow = m_clock();
        if (shown.bEver && nNow - shown.nAt < m_nInterval)
            return false;
        shown.bEver = true;
        shown.nAt = nNow;
        return true;
    }
};
