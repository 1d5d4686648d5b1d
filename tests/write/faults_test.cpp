// Drive faults and stops during a burn: each run ends with exactly one
// OnWriteDone carrying the right text, and no thread is left behind.
#include "WriteFixture.h"

#include <thread>

using namespace zelvane;
using namespace std::chrono_literals;

TEST_F(WriteTest, InjectedWriteErrorEndsWithTheDrivesText)
{
    Tool("insert dvd+r");
    const fs::path source = MakeSourceFolder(folder_, "src", 41);
    Tool("fault write-error 200");
    const std::string text = Burn({source});
    EXPECT_EQ(text.rfind("WRITER ERROR [", 0), 0u) << text;
    EXPECT_NE(text.find("]"), std::string::npos);
    EXPECT_GT(text.size(), std::string("WRITER ERROR []").size());
}

TEST_F(WriteTest, BusyPeriodsAreRetriedAndTheWriteCompletes)
{
    Tool("insert cd-r");
    const fs::path source = MakeSourceFolder(folder_, "src", 51);
    BuildProject({source});
    const std::string text = RunWrite([&] {
        const bool started = burner->BurnProject();
        Tool("fault busy 2");
        return started;
    });
    EXPECT_EQ(text, "");
    const fs::path back = ReadSession(0, "back");
    std::string difference;
    EXPECT_TRUE(SameTree(source, back / "src", difference)) << difference;
}

TEST_F(WriteTest, ADriveThatNeverAnswersEndsWithAnError)
{
    Tool("insert dvd-r");
    const fs::path source = MakeSourceFolder(folder_, "src", 61);
    // Requests that do not complete are given up after a short wait here.
    burner->SetWaitPolicyForTests([](std::chrono::milliseconds) { return 300ms; });
    Tool("fault hang 42");  // WRITE (10)
    const auto started = std::chrono::steady_clock::now();
    const std::string text = Burn({source});
    EXPECT_EQ(text.rfind("WRITER ERROR [", 0), 0u) << text;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 120s);
    Tool("fault clear");
}

TEST_F(WriteTest, StopAtManyPointsEndsOnceWithTheStopText)
{
    Tool("insert dvd+rw");
    fs::create_directories(folder_ / "big");
    MakeFile(folder_ / "big" / "data.bin", 24 * 1048576, 71);
    int stopped = 0;
    for (int delayMs : {0, 5, 50, 200, 600}) {
        BuildProject({folder_ / "big"});
        const std::string text = RunWrite([&] {
            const bool started = burner->BurnProject();
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            burner->CancelWrite();
            return started;
        });
        EXPECT_TRUE(text == "OPERATION ABORTED BY USER" || text.empty()) << text;
        stopped += text == "OPERATION ABORTED BY USER";
    }
    EXPECT_GE(stopped, 3);

    // A stop during busy retries ends the write at the next attempt.
    BuildProject({folder_ / "big"});
    const std::string text = RunWrite([&] {
        const bool started = burner->BurnProject();
        Tool("fault busy 30");
        std::this_thread::sleep_for(1s);
        burner->CancelWrite();
        return started;
    });
    EXPECT_EQ(text, "OPERATION ABORTED BY USER");
    Tool("fault clear");
}

TEST_F(WriteTest, VanishedSourceFileEndsTheBurn)
{
    Tool("insert cd-rw");
    const fs::path source = MakeSourceFolder(folder_, "src", 81);
    BuildProject({source});
    fs::remove(source / "one.bin");
    const std::string text = RunWrite([&] { return burner->BurnProject(); });
    EXPECT_EQ(text, "CAN'T OPEN FILE \"" + (source / "one.bin").string() + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
}

TEST_F(WriteTest, EventsComeOnceThroughTheDispatcher)
{
    Tool("insert dvd-r");
    const fs::path source = MakeSourceFolder(folder_, "src", 91);
    std::atomic<int> dispatched{0}, finalizing{0};
    burner->Dispatcher = [&](const std::function<void()> &call) {
        ++dispatched;
        call();
    };
    burner->OnFinalizingTrack = [&](TSarnixBurner *sender) {
        EXPECT_EQ(sender, burner.get());
        ++finalizing;
    };
    EXPECT_EQ(Burn({source}), "");
    EXPECT_EQ(finalizing.load(), 1);
    EXPECT_EQ(dispatched.load(), 2);  // OnFinalizingTrack and OnWriteDone
    EXPECT_EQ(burner->BytesWritten.load(), burner->SectorsToWrite() * 2048);
    EXPECT_EQ(burner->CacheFillPercent(), 0);
}

TEST_F(WriteTest, OneWriteOrEraseAtATime)
{
    Tool("insert dvd+rw");
    fs::create_directories(folder_ / "big");
    MakeFile(folder_ / "big" / "data.bin", 24 * 1048576, 81);
    BuildProject({folder_ / "big"});
    std::vector<std::string> refusals;
    burner->OnDebugMessage = [&](TSCSIDevice *, const std::string &message, std::uint8_t level) {
        if (level == 4)
            refusals.push_back(message);
    };
    bool eraseRefused = false;
    burner->OnEraseDone = [&](TSarnixBurner *, bool withError) { eraseRefused = withError; };
    const std::string text = RunWrite([&] {
        const bool started = burner->BurnProject();
        const std::vector<std::uint8_t> header = burner->HeaderBuffer();
        // Everything else is refused while the write runs, and changes
        // nothing the write streams.
        EXPECT_FALSE(burner->BurnProject());
        EXPECT_FALSE(burner->BurnImageFile((folder_ / "big" / "data.bin").string()));
        EXPECT_EQ(burner->SaveImageFile((folder_ / "second.iso").string(), false), -1);
        EXPECT_EQ(burner->SaveImageFile((folder_ / "third.iso").string(), true), -1);
        EXPECT_FALSE(burner->Erase(1));
        EXPECT_EQ(burner->HeaderBuffer(), header);
        return started;
    });
    EXPECT_EQ(text, "");
    EXPECT_TRUE(eraseRefused);
    EXPECT_EQ(refusals, std::vector<std::string>(4, ">>> A WRITE IS ALREADY RUNNING"));
    EXPECT_FALSE(fs::exists(folder_ / "second.iso"));
    EXPECT_FALSE(fs::exists(folder_ / "third.iso"));
    const fs::path back = ReadSession(0, "back");
    std::string difference;
    EXPECT_TRUE(SameTree(folder_ / "big", back / "big", difference)) << difference;

    // Once the write has ended, the next one starts.
    EXPECT_EQ(RunWrite([&] { return burner->SaveImageFile((folder_ / "after.iso").string(), false) == -1; }), "");
    EXPECT_TRUE(fs::exists(folder_ / "after.iso"));
}
