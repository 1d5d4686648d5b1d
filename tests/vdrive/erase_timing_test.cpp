// Blanking and formatting take the time a real drive takes in real-time
// mode, scaled by the drive's time factor, and report their progress while
// they run; zeros written over a disc are kept as holes of the image.
#include "provider_harness.h"

#include "core/timing.h"

#include <chrono>
#include <thread>
#include <sys/stat.h>

namespace zelvane::vdrive::test {

namespace {

DriveState RealtimeState(MediaKind kind, uint32_t capacity, double factor, uint32_t writeSpeed)
{
    DriveState state;
    state.insert(Disc::blank(kind, capacity), 0);
    state.speedMode = SpeedMode::Realtime;
    state.timeFactor = factor;
    state.requestedWriteSpeed = writeSpeed;
    return state;
}

int64_t AllocatedBytes(const std::filesystem::path &file)
{
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 ? int64_t{info.st_blocks} * 512 : -1;
}

} // namespace

using EraseTiming = VirtualDriveTest;

TEST_F(EraseTiming, DurationsFollowTheDiscTheSpeedAndTheFactor)
{
    // A full blank passes the whole disc under the head at the write speed.
    DriveState cd = RealtimeState(MediaKind::CdRw, 359847, 1.0, 0xFFFF);
    const double discBytes = 359847.0 * 2048;
    const double bytesPerMs = cd.currentWriteSpeed() * 1024.0 / 1000.0;
    EXPECT_NEAR(double(blankDurationMs(cd, false)), discBytes / bytesPerMs, 1.0);
    EXPECT_EQ(blankDurationMs(cd, true), 45000);
    // Slower speed, longer blank; the factor scales every duration.
    DriveState slowCd = RealtimeState(MediaKind::CdRw, 359847, 1.0, 1411);
    EXPECT_GT(blankDurationMs(slowCd, false), blankDurationMs(cd, false));
    DriveState quickCd = RealtimeState(MediaKind::CdRw, 359847, 0.01, 0xFFFF);
    EXPECT_EQ(blankDurationMs(quickCd, true), 450);

    DriveState dvdRw = RealtimeState(MediaKind::DvdRwSequential, 2297888, 1.0, 0xFFFF);
    EXPECT_EQ(blankDurationMs(dvdRw, true), 90000);
    EXPECT_GT(blankDurationMs(dvdRw, false), 5 * 60 * 1000); // a whole DVD takes minutes

    DriveState plusRw = RealtimeState(MediaKind::DvdPlusRw, 2295104, 1.0, 0xFFFF);
    EXPECT_EQ(formatDurationMs(plusRw, 0x26), 60000); // the rest of the format runs in the background
    // A full DVD-RAM format certifies the disc: two passes.
    DriveState ram = RealtimeState(MediaKind::DvdRam, 2236704, 1.0, 0xFFFF);
    const double ramPass = 2236704.0 * 2048 / (ram.currentWriteSpeed() * 1024.0 / 1000.0);
    EXPECT_NEAR(double(formatDurationMs(ram, 0x00)), 2 * ramPass, 2.0);

    DriveState fast = RealtimeState(MediaKind::CdRw, 359847, 1.0, 0xFFFF);
    fast.speedMode = SpeedMode::Fast;
    EXPECT_EQ(blankDurationMs(fast, false), 1000);
}

TEST_F(EraseTiming, RealtimeBlankReportsGrowingProgressForItsScaledTime)
{
    insert(MediaKind::CdRw, 50000);
    ASSERT_EQ(tool("speed realtime --factor 0.02"), 0); // minimal blank: 45 s -> 0.9 s
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(in({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).ok());
    int lastProgress = -1;
    int reports = 0;
    for (;;) {
        const Reply busy = testUnitReady();
        if (busy.ok())
            break;
        ASSERT_EQ(busy.asc(), 0x04);
        ASSERT_EQ(busy.sense[15], 0x80); // progress valid
        const int progress = busy.sense[16] << 8 | busy.sense[17];
        EXPECT_GE(progress, lastProgress);
        lastProgress = progress;
        ++reports;
        ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(850));
    EXPECT_LT(took, std::chrono::milliseconds(3000));
    EXPECT_GT(reports, 5);
    EXPECT_GT(lastProgress, 0x8000); // well past the half
    EXPECT_EQ(discInfo().data[2], 0x10); // erasable, blank
    ASSERT_EQ(tool("speed fast"), 0);
}

TEST_F(EraseTiming, ZerosOverwriteDataAndAreStoredAsHoles)
{
    insert(MediaKind::DvdRam, 100000);
    ASSERT_TRUE(write(0, 512).ok()); // 1 MiB of data
    const auto image = folder_ / "disc.img";
    const int64_t withData = AllocatedBytes(image);
    ASSERT_GE(withData, 1024 * 1024);
    ASSERT_TRUE(write(0, 512, 0x00).ok());
    EXPECT_EQ(read(100, 1).data[0], 0x00);
    EXPECT_EQ(read(511, 1).data[2047], 0x00);
    EXPECT_LT(AllocatedBytes(image), withData / 2);
    // Zeros past the end of the image take no space either.
    ASSERT_TRUE(write(90000, 512, 0x00).ok());
    EXPECT_LT(AllocatedBytes(image), withData / 2);
    EXPECT_EQ(read(90000, 1).data[0], 0x00);
    // Data after zeros is kept as written.
    ASSERT_TRUE(write(16, 1, 0x5A).ok());
    EXPECT_EQ(read(16, 1).data[0], 0x5A);
    EXPECT_EQ(read(15, 1).data[0], 0x00);
}

} // namespace zelvane::vdrive::test
