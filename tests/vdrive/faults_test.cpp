// Faults injected with zelvane-vdrive fault ...
#include "provider_harness.h"

#include <thread>

namespace zelvane::vdrive::test {
namespace {

using InjectedFaults = VirtualDriveTest;

TEST_F(InjectedFaults, WriteAndReadErrorsAtAnAddress)
{
    insert(MediaKind::DvdPlusR, 100000);
    ASSERT_EQ(tool("fault write-error 100"), 0);
    ASSERT_EQ(tool("fault write-error 80 4 0x09 1"), 0);
    EXPECT_TRUE(write(0, 64).ok());
    EXPECT_SENSE(write(64, 64), 0x03, 0x0C, 0x00);
    EXPECT_EQ(trackInfo(1).be32(12), 64u); // the failed write recorded nothing
    EXPECT_TRUE(write(64, 16).ok());
    EXPECT_SENSE(write(80, 16), 0x04, 0x09, 0x01);

    ASSERT_EQ(tool("fault read-error 10"), 0);
    EXPECT_SENSE(read(8, 4), 0x03, 0x11, 0x00);
    EXPECT_TRUE(read(11, 4).ok());
    ASSERT_EQ(tool("fault clear"), 0);
    EXPECT_TRUE(read(8, 4).ok());
    EXPECT_TRUE(write(80, 64).ok());
}

TEST_F(InjectedFaults, BusyAndNotReadyPeriodsEnd)
{
    insert(MediaKind::CdR, 50000);
    ASSERT_EQ(tool("fault busy 0.4"), 0);
    const auto busy = testUnitReady();
    EXPECT_EQ(busy.status, ZV_SS_ERR);
    EXPECT_EQ(busy.targetStatus, ZV_STATUS_BUSY);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(testUnitReady().ok());

    ASSERT_EQ(tool("fault not-ready 0.4"), 0);
    EXPECT_SENSE(testUnitReady(), 0x02, 0x04, 0x00);
    EXPECT_SENSE(read(0, 1), 0x02, 0x04, 0x00);
    EXPECT_TRUE(waitReady(2000));
}

TEST_F(InjectedFaults, HangingCommandStaysPending)
{
    insert(MediaKind::CdR, 50000);
    ASSERT_EQ(tool("fault hang 25h"), 0);
    EXPECT_EQ(in({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8).status, ZV_SS_PENDING);
    EXPECT_TRUE(testUnitReady().ok());
    ASSERT_EQ(tool("fault clear"), 0);
    EXPECT_TRUE(in({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8).ok());
}

TEST_F(InjectedFaults, ToolRefusesBadFaultArguments)
{
    std::string output;
    EXPECT_NE(tool("fault write-error", &output), 0);
    EXPECT_NE(tool("fault write-error 5 3 12", &output), 0);
    EXPECT_NE(tool("fault hang 300", &output), 0);
    EXPECT_NE(tool("fault busy -1", &output), 0);
    EXPECT_NE(tool("fault melt", &output), 0);
    EXPECT_NE(output.find("unknown fault"), std::string::npos);
}

} // namespace
} // namespace zelvane::vdrive::test
