// Erases the drive cannot start: write-once media refuse the blanking
// command, an empty drive never becomes ready. Each reports its end once,
// with an error, and starts no thread.
#include "EraseFixture.h"

#include "sxCDBC/InterfaceCall.h"

#include <cctype>
#include <chrono>
#include <thread>

using namespace zelvane;

class EraseRefusalTest : public EraseTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(EraseRefusalTest, WriteOnceMediumIsRefusedOnce)
{
    Tool(std::string("insert ") + GetParam());
    const EraseRun run = RunErase(1);
    EXPECT_FALSE(run.started);
    EXPECT_EQ(run.doneEvents, 1);
    EXPECT_TRUE(run.withError);
    EXPECT_FALSE(run.erasingAtDone);
    EXPECT_EQ(burner->EraseThread(), nullptr);
    EXPECT_FALSE(burner->LastErrorText().empty());
    // The disc is untouched.
    EXPECT_EQ(Layout().discStatus, "blank");
}

INSTANTIATE_TEST_SUITE_P(Media, EraseRefusalTest, ::testing::Values("cd-r", "dvd-r", "dvd+r"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             std::string name;
                             for (const char *c = info.param; *c; ++c)
                                 name += *c == '+' ? std::string("plus") : std::string(1, std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_');
                             return name;
                         });

TEST_F(EraseTest, EmptyDriveEndsWithAnErrorEvent)
{
    Tool("eject");
    const EraseRun run = RunErase(1);
    EXPECT_FALSE(run.started);
    EXPECT_EQ(run.doneEvents, 1);
    EXPECT_TRUE(run.withError);
    EXPECT_TRUE(run.infoLines.empty()); // refused before the starting line
}

TEST_F(EraseTest, SecondEraseAfterTheFirstEndedRunsAgain)
{
    Tool("insert cd-rw --capacity 60000");
    const EraseRun first = RunErase(1);
    ASSERT_TRUE(first.started);
    const EraseRun second = RunErase(0);
    ASSERT_TRUE(second.started);
    EXPECT_EQ(second.doneEvents, 1);
    EXPECT_FALSE(second.withError);
    EXPECT_EQ(burner->EraseType(), 0);
}

TEST_F(EraseTest, EraseWhileErasingIsRefusedAndTheFirstStillEnds)
{
    Tool("insert dvd-rw");
    Tool("speed realtime"); // the blank keeps the drive busy for long
    burner->SelectDevice(burner->DriveList()[0]);
    burner->SetSleepForTests([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms / 1000)); });
    TInterfaceQueue interfaceThread;
    burner->Dispatcher = interfaceThread.Caller();
    std::vector<bool> events;
    burner->OnEraseDone = [&events](TSarnixBurner *, bool withError) { events.push_back(withError); };

    ASSERT_TRUE(burner->Erase(1)) << burner->LastErrorText();
    EXPECT_FALSE(burner->Erase(0));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0]);
    EXPECT_TRUE(burner->Erasing()); // the refusal leaves the running erase alone
    EXPECT_EQ(burner->EraseType(), 1);

    const auto start = std::chrono::steady_clock::now();
    while (events.size() < 2 && std::chrono::steady_clock::now() - start < std::chrono::seconds(30))
        interfaceThread.RunPending(std::chrono::milliseconds(10));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_FALSE(events[1]);
    burner->Dispatcher = nullptr;
    burner.reset(); // waits for the thread
}
