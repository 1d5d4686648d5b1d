// Drives that take longer than the erase is expected to take, and drives
// with the slow-ready habit: the erase still ends once, at 100 %, with the
// percentage never falling on the way.
#include "EraseFixture.h"

#include <algorithm>

using namespace zelvane;

namespace {

constexpr int kQuickDvdSeconds = 600;

} // namespace

TEST_F(EraseTest, DvdRwBlankLongerThanExpectedEndsAtOneHundred)
{
    // Real-time blanking: the minimal blank keeps the drive busy for 90 s,
    // which the shortened waits below (1/1000) count as far more than 600 s.
    Tool("insert dvd-rw");
    Tool("speed realtime");
    const EraseRun run = RunErase(1, 1000);
    ExpectOneCleanEnd(run, *burner);
    ASSERT_FALSE(run.percents.empty());
    // The first wait polled once per second of the estimate, up to the limit.
    const auto polls = std::count(run.pauses.begin(), run.pauses.end(), 2000);
    EXPECT_GE(polls, kQuickDvdSeconds);
    EXPECT_LT(run.seconds, 30);
}

TEST_F(EraseTest, DvdPlusRwFormatThatNeverEndsStillEnds)
{
    // The format keeps the drive busy for 60 s of real time; the wait for it
    // is bounded by the expected duration like every other wait.
    Tool("insert dvd+rw");
    Tool("speed realtime");
    const EraseRun run = RunErase(1, 1000);
    ExpectOneCleanEnd(run, *burner);
    EXPECT_LT(run.seconds, 30);
}

TEST_F(EraseTest, SlowReadyDriveWaitsInItsOwnLoop)
{
    Tool("model --vendor TDK");
    Tool("insert cd-rw --capacity 60000");
    const EraseRun run = RunErase(1);
    ASSERT_TRUE(burner->Quirks().slowEraseReady);
    ExpectOneCleanEnd(run, *burner);
    // Its own loop polls in 2 s steps and ends with one 5 s settling pause;
    // the drive is then ready and the general waits (5 s steps) never run.
    EXPECT_EQ(std::count(run.pauses.begin(), run.pauses.end(), 5000), 1);
    ASSERT_FALSE(run.pauses.empty());
    EXPECT_EQ(run.pauses.back(), 5000);
    EXPECT_EQ(Layout().discStatus, "blank");
}
