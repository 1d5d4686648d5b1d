#include "EraseFixture.h"

#include "sxCDBC/EraseThread.h"
#include "sxCDBC/InterfaceCall.h"

#include <chrono>
#include <mutex>
#include <thread>

using namespace zelvane;

void EraseTest::SetUp()
{
    VirtualDriveTest::SetUp();
    burner = std::make_unique<TSarnixBurner>();
    ASSERT_EQ(burner->DriveList().size(), 1u);
}

void EraseTest::TearDown()
{
    burner.reset();
    VirtualDriveTest::TearDown();
}

EraseRun EraseTest::RunErase(uint8_t type, int divisor)
{
    using clock = std::chrono::steady_clock;
    EraseRun run;
    // The drive's identity may have been changed by the test: select anew.
    burner->SelectDevice(burner->DriveList()[0]);
    // Called on the erase thread only while the test thread waits in RunPending.
    std::mutex pausesMutex;
    burner->SetSleepForTests([divisor, &run, &pausesMutex](int ms) {
        {
            std::lock_guard lock(pausesMutex);
            run.pauses.push_back(ms);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms / divisor));
    });
    burner->OnDebugMessage = [&run](TSCSIDevice *, const std::string &message, uint8_t mType) {
        if (mType == 1)
            run.infoLines.push_back(message);
    };
    TInterfaceQueue interfaceThread;
    burner->Dispatcher = interfaceThread.Caller();
    burner->OnEraseDone = [&run](TSarnixBurner *sender, bool withError) {
        ++run.doneEvents;
        run.withError = withError;
        run.erasingAtDone = sender->Erasing();
        if (const TEraseThread *thread = sender->EraseThread())
            run.percentAtDone = thread->Percent();
    };
    const auto start = clock::now();
    run.started = burner->Erase(type);
    while (run.doneEvents == 0 && clock::now() - start < std::chrono::seconds(40)) {
        interfaceThread.RunPending(std::chrono::milliseconds(5));
        if (burner->Erasing())
            run.percents.push_back(burner->EraseProgress());
    }
    // Let the thread end, then make sure no second event comes.
    while (burner->EraseThread() && !burner->EraseThread()->Finished() && clock::now() - start < std::chrono::seconds(45))
        interfaceThread.RunPending(std::chrono::milliseconds(5));
    interfaceThread.RunPending(std::chrono::milliseconds(20));
    run.seconds = std::chrono::duration<double>(clock::now() - start).count();
    burner->SetSleepForTests(nullptr);
    burner->OnEraseDone = nullptr;
    burner->OnDebugMessage = nullptr;
    burner->Dispatcher = nullptr;
    return run;
}

std::vector<uint8_t> EraseTest::ReadBack(uint32_t lba, uint32_t blocks)
{
    std::vector<uint8_t> data(size_t(blocks) * 2048, 0xEE);
    EXPECT_TRUE(device->Read10(lba, uint16_t(blocks), data)) << "read at " << lba << ": " << device->LastErrorText();
    return data;
}

bool NeverFalls(const std::vector<int> &values)
{
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i] < values[i - 1])
            return false;
    return true;
}

void ExpectOneCleanEnd(const EraseRun &run, const TSarnixBurner &burner)
{
    EXPECT_TRUE(run.started) << burner.LastErrorText();
    EXPECT_EQ(run.doneEvents, 1);
    EXPECT_FALSE(run.withError);
    EXPECT_EQ(run.percentAtDone, 100);
    EXPECT_FALSE(run.erasingAtDone);
    EXPECT_FALSE(burner.Erasing());
    EXPECT_EQ(burner.EraseProgress(), 0);
    EXPECT_TRUE(NeverFalls(run.percents));
    for (int percent : run.percents)
        EXPECT_LE(percent, 100);
}
