// The entry points of libwnaspi32.so, identity, sense delivery and tray states.
#include "provider_harness.h"

#include <cstring>

namespace zelvane::vdrive::test {
namespace {

using ProviderInterface = VirtualDriveTest;

TEST_F(ProviderInterface, AnswersHostAdapterAndDeviceQueries)
{
    const auto &provider = Provider::get();
    ASSERT_NE(provider.supportInfo, nullptr);
    ASSERT_NE(provider.send, nullptr);
    EXPECT_EQ(provider.supportInfo(), uint32_t{ZV_SS_COMP} << 8 | 1u);

    ZvSrbHaInquiry ha{};
    ha.command = ZV_SC_HA_INQUIRY;
    EXPECT_EQ(provider.send(&ha), ZV_SS_COMP);
    EXPECT_EQ(ha.adapter_count, 1);

    ZvSrbGetDevType dev{};
    dev.command = ZV_SC_GET_DEV_TYPE;
    EXPECT_EQ(provider.send(&dev), ZV_SS_COMP);
    EXPECT_EQ(dev.device_type, 5);
    dev.target = 1;
    EXPECT_EQ(provider.send(&dev), ZV_SS_NO_DEVICE);
    dev.target = 0;
    dev.adapter = 1;
    EXPECT_EQ(provider.send(&dev), ZV_SS_INVALID_HA);

    ZvSrbExec other{};
    other.command = ZV_SC_EXEC_SCSI_CMD;
    other.target = 3;
    other.cdb_length = 6;
    EXPECT_EQ(provider.send(&other), ZV_SS_NO_DEVICE);

    ASSERT_NE(provider.driveName, nullptr);
    char name[16];
    EXPECT_EQ(provider.driveName(0, 0, 0, name, sizeof name), ZV_SS_COMP);
    EXPECT_STREQ(name, "vdrive");
    EXPECT_EQ(provider.driveName(0, 1, 0, name, sizeof name), ZV_SS_NO_DEVICE);
}

TEST_F(ProviderInterface, InquiryReportsWriterAndModelIsSettable)
{
    auto reply = in({0x12, 0, 0, 0, 0x80, 0}, 128);
    ASSERT_TRUE(reply.ok());
    EXPECT_EQ(reply.data[0], 0x05);
    EXPECT_EQ(reply.data[1], 0x80);
    EXPECT_EQ(std::string(reply.data.begin() + 8, reply.data.begin() + 16), "ZELVANE ");
    EXPECT_EQ(std::string(reply.data.begin() + 16, reply.data.begin() + 32), "VIRTUAL DVD-RW  ");

    ASSERT_EQ(tool("model --vendor TDK --product CDRW321040X"), 0);
    reply = in({0x12, 0, 0, 0, 0x80, 0}, 128);
    EXPECT_EQ(std::string(reply.data.begin() + 8, reply.data.begin() + 16), "TDK     ");
    EXPECT_EQ(std::string(reply.data.begin() + 16, reply.data.begin() + 32), "CDRW321040X     ");
    ASSERT_EQ(tool("model --default"), 0);
    reply = in({0x12, 0, 0, 0, 0x80, 0}, 128);
    EXPECT_EQ(std::string(reply.data.begin() + 8, reply.data.begin() + 16), "ZELVANE ");
}

TEST_F(ProviderInterface, RefusalCarriesFixedSenseCutToTheSenseLength)
{
    auto reply = in({0xFF, 0, 0, 0, 0, 0}, 0);
    EXPECT_SENSE(reply, 0x05, 0x20, 0x00);
    EXPECT_EQ(reply.sense[0], 0x70);
    EXPECT_EQ(reply.sense[7], 10);

    // Only as many sense bytes as the request asks for reach its sense area.
    reply = in({0xFF, 0, 0, 0, 0, 0}, 0, 8);
    EXPECT_EQ(reply.sense[0], 0x70);
    EXPECT_EQ(reply.sense[2], 0x05);
    EXPECT_EQ(reply.sense[12], 0x00);
}

TEST_F(ProviderInterface, TrayAndMediumStates)
{
    EXPECT_SENSE(testUnitReady(), 0x02, 0x3A, 0x01);
    insert(MediaKind::CdR, 50000);
    EXPECT_TRUE(testUnitReady().ok());

    EXPECT_TRUE(in({0x1E, 0, 0, 0, 0x01, 0}).ok()); // prevent removal
    EXPECT_SENSE(in({0x1B, 0, 0, 0, 0x02, 0}), 0x05, 0x53, 0x02);
    EXPECT_TRUE(in({0x1E, 0, 0, 0, 0x00, 0}).ok());
    EXPECT_TRUE(in({0x1B, 0, 0, 0, 0x02, 0}).ok()); // eject
    EXPECT_SENSE(testUnitReady(), 0x02, 0x3A, 0x02);
    EXPECT_SENSE(discInfo(), 0x02, 0x3A, 0x02);
    EXPECT_TRUE(in({0x12, 0, 0, 0, 0x60, 0}, 0x60).ok()); // INQUIRY still answers

    EXPECT_TRUE(in({0x1B, 0, 0, 0, 0x03, 0}).ok()); // load: the disc was kept in the tray
    EXPECT_TRUE(waitReady(3000));
    EXPECT_EQ(discInfo().data[2] & 0x03, 0); // still the blank CD-R
}

TEST_F(ProviderInterface, RequestSenseReportsTheCurrentCondition)
{
    auto reply = in({0x03, 0, 0, 0, 18, 0}, 18);
    ASSERT_TRUE(reply.ok());
    EXPECT_EQ(reply.data[2], 0x02);
    EXPECT_EQ(reply.data[12], 0x3A);
    insert(MediaKind::DvdR, 100000);
    reply = in({0x03, 0, 0, 0, 18, 0}, 18);
    EXPECT_EQ(reply.data[2], 0x00);
    EXPECT_EQ(reply.data[12], 0x00);
}

} // namespace
} // namespace zelvane::vdrive::test
