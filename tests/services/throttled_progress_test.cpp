// The wait dialog's texts during a long read: every pump reaches the dialog, the names at most
// once per interval of each kind, on a clock the test moves.
#include "services/throttled_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CRecorder : public IReadProgress
{
public:
    bool PumpMessages() override { return ++m_nPumps == m_nCancelAt; }
    void SetMessageText(LPCWSTR psz) override { m_messages.push_back(psz); }
    void SetInfoText(LPCWSTR psz) override { m_infos.push_back(psz); }

    int m_nCancelAt = -1;
    int m_nPumps = 0;
    std::vector<std::wstring> m_messages, m_infos;
};

TEST(ThrottledProgress, PumpsPassEveryTimeAndTextsOncePerInterval)
{
    CRecorder target;
    ULONGLONG now = 1000;
    CThrottledProgress progress(target, 50, [&] { return now; });

    // Rows arriving within one interval: the first row's names show, the others do not.
    for (int row = 1; row <= 5; ++row)
    {
        EXPECT_FALSE(progress.PumpMessages());
        progress.SetMessageText((L"table" + std::to_wstring(row)).c_str());
        progress.SetInfoText((L"name" + std::to_wstring(row)).c_str());
        now += 10;
    }
    EXPECT_EQ(target.m_nPumps, 5);
    EXPECT_EQ(target.m_messages, std::vector<std::wstring>{L"table1"});
    EXPECT_EQ(target.m_infos, std::vector<std::wstring>{L"name1"});

    // Once the interval has gone by the next row's names show.
    progress.PumpMessages();
    progress.SetMessageText(L"table6");
    progress.SetInfoText(L"name6");
    EXPECT_EQ(target.m_messages, (std::vector<std::wstring>{L"table1", L"table6"}));
    EXPECT_EQ(target.m_infos, (std::vector<std::wstring>{L"name1", L"name6"}));

    // Each kind keeps its own interval: an info text alone shows when only it is due.
    now += 60;
    progress.SetInfoText(L"name7");
    now += 1;
    progress.SetMessageText(L"table7");
    EXPECT_EQ(target.m_infos.back(), L"name7");
    EXPECT_EQ(target.m_messages.back(), L"table7");
}

TEST(ThrottledProgress, CancelSeenAtTheFirstPumpAfterIt)
{
    CRecorder target;
    target.m_nCancelAt = 3;
    ULONGLONG now = 0;
    CThrottledProgress progress(target, 50, [&] { return now; });
    EXPECT_FALSE(progress.PumpMessages());
    EXPECT_FALSE(progress.PumpMessages());
    EXPECT_TRUE(progress.PumpMessages()) << "no pump is skipped, however fast the rows come";
}

} // namespace
