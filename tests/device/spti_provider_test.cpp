// The built-in SG_IO provider without hardware: compact addresses, sysfs
// addresses, the node test and the requests answered from its table.
#include "sxASPI/aspi_abi.h"
#include "sxSPTI/SptiProvider.h"
#include "sxSPTI/SptiState.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace zelvane::spti;
namespace fs = std::filesystem;

namespace {

DriveSlot &Present(DriveTable &table, int slot, std::optional<LinuxScsiAddress> address)
{
    table[slot].present = true;
    table[slot].linuxAddress = address;
    return table[slot];
}

struct TempTree {
    fs::path root = fs::temp_directory_path() / ("zelvane-spti-" + std::to_string(::getpid()));
    TempTree() { fs::create_directories(root); }
    ~TempTree() { fs::remove_all(root); }
};

} // namespace

TEST(SptiAddresses, LargeHostNumbersBecomeSmallAdapters)
{
    DriveTable table{};
    Present(table, 0, LinuxScsiAddress{12, 0, 0, 0});
    Present(table, 3, LinuxScsiAddress{3, 0, 1, 0});
    Present(table, 4, LinuxScsiAddress{3, 0, 0, 0});
    Present(table, 5, LinuxScsiAddress{3, 0, 0, 1});  // second lun of the same target
    Present(table, 6, LinuxScsiAddress{3, 1, 0, 0});  // other channel
    EXPECT_EQ(AssignCompactAddresses(table), 2);

    auto address = [&table](int slot) {
        return std::tuple{table[slot].adapter, table[slot].target, table[slot].lun};
    };
    EXPECT_EQ(address(0), std::tuple(1, 0, 0));
    EXPECT_EQ(address(4), std::tuple(0, 0, 0));
    EXPECT_EQ(address(5), std::tuple(0, 0, 1));
    EXPECT_EQ(address(3), std::tuple(0, 1, 0));
    EXPECT_EQ(address(6), std::tuple(0, 2, 0));
}

TEST(SptiAddresses, DrivesWithoutAddressGetTheAdapterAfterTheRealOnes)
{
    DriveTable table{};
    Present(table, 0, LinuxScsiAddress{0, 0, 0, 0});
    Present(table, 1, LinuxScsiAddress{5, 0, 0, 0});
    Present(table, 2, std::nullopt);
    Present(table, 7, std::nullopt);
    EXPECT_EQ(AssignCompactAddresses(table), 3);
    EXPECT_EQ(std::tuple(table[2].adapter, table[2].target, table[2].lun), std::tuple(2, 0, 0));
    EXPECT_EQ(std::tuple(table[7].adapter, table[7].target, table[7].lun), std::tuple(2, 1, 0));

    DriveTable onlyUnaddressed{};
    Present(onlyUnaddressed, 4, std::nullopt);
    EXPECT_EQ(AssignCompactAddresses(onlyUnaddressed), 2);
    EXPECT_EQ(onlyUnaddressed[4].adapter, 1);

    DriveTable empty{};
    EXPECT_EQ(AssignCompactAddresses(empty), 0);
}

TEST(SptiAddresses, SysfsAddressIsReadFromTheDeviceLink)
{
    TempTree tree;
    const fs::path hosts = tree.root / "devices" / "host12" / "target12:0:3";
    fs::create_directories(hosts / "12:0:3:1");
    fs::create_directories(tree.root / "class" / "block" / "sr0");
    fs::create_directory_symlink(hosts / "12:0:3:1", tree.root / "class" / "block" / "sr0" / "device");
    fs::create_directories(tree.root / "class" / "block" / "sr1");
    fs::create_directory_symlink(hosts, tree.root / "class" / "block" / "sr1" / "device");

    const auto address = ReadSysfsAddress(tree.root.string(), "sr0");
    ASSERT_TRUE(address);
    EXPECT_EQ(std::tuple(address->host, address->channel, address->id, address->lun),
              std::tuple(12, 0, 3, 1));
    EXPECT_FALSE(ReadSysfsAddress(tree.root.string(), "sr1"));  // "target12:0:3" is no address
    EXPECT_FALSE(ReadSysfsAddress(tree.root.string(), "sr2"));
}

TEST(SptiScan, OnlyCdromBlockNodesCount)
{
    TempTree tree;
    std::ofstream(tree.root / "sr0") << "not a device";
    fs::create_directory(tree.root / "sr1");
    EXPECT_FALSE(IsCdromNode((tree.root / "sr0").string()));
    EXPECT_FALSE(IsCdromNode((tree.root / "sr1").string()));
    EXPECT_FALSE(IsCdromNode("/dev/null"));  // a character device

    SetRoots(tree.root.string(), tree.root.string());
    EXPECT_EQ(Scan(), 0);
    EXPECT_EQ(AdapterCount(), 0);
    EXPECT_EQ(GetSupportInfo(), 0xE800u);
    EXPECT_EQ(State().table[0].target, kNotADriveTarget);
    EXPECT_EQ(State().table[0].path, (tree.root / "sr0").string());
    EXPECT_EQ(State().table[24].letter, 26);
    Release();
}

class SptiRequests : public ::testing::Test {
protected:
    void SetUp() override
    {
        Release();
        DriveSlot &slot = State().table[1];
        slot.present = true;
        slot.adapter = 0;
        slot.target = 1;
        slot.lun = 0;
        slot.path = "/nonexistent/sr1";
        for (std::size_t i = 0; i < slot.inquiry.size(); ++i)
            slot.inquiry[i] = static_cast<uint8_t>(i + 1);
        State().adapterCount = 1;
        State().scanned = true;
    }
    void TearDown() override { Release(); }
};

TEST_F(SptiRequests, InquiryIsAnsweredFromTheScanWithinTheBuffer)
{
    std::array<uint8_t, 64> answer{};
    answer.fill(0xEE);
    ZvSrbExec srb{};
    srb.command = ZV_SC_EXEC_SCSI_CMD;
    srb.target = 1;
    srb.cdb_length = 6;
    srb.cdb[0] = 0x12;
    srb.data = answer.data();
    srb.data_length = 64;
    EXPECT_EQ(SendCommand(&srb), ZV_SS_COMP);
    EXPECT_EQ(answer[0], 1);
    EXPECT_EQ(answer[35], 36);
    EXPECT_EQ(answer[36], 0xEE);  // 36 bytes, not the 40 cached

    answer.fill(0xEE);
    srb.data_length = 8;  // never more than the caller's buffer
    EXPECT_EQ(SendCommand(&srb), ZV_SS_COMP);
    EXPECT_EQ(answer[7], 8);
    EXPECT_EQ(answer[8], 0xEE);

    srb.target = 2;
    EXPECT_EQ(SendCommand(&srb), ZV_SS_NO_DEVICE);
}

TEST_F(SptiRequests, AdapterInquiryDeviceTypeAndRefusals)
{
    ZvSrbHaInquiry inquiry{};
    inquiry.command = ZV_SC_HA_INQUIRY;
    EXPECT_EQ(SendCommand(&inquiry), ZV_SS_COMP);
    EXPECT_EQ(inquiry.adapter_count, 1);
    EXPECT_EQ(inquiry.host_id, 7);
    EXPECT_EQ(std::string(inquiry.adapter_id), "SPTI 0");
    EXPECT_EQ(std::string(inquiry.manager_id, 16).size(), 16u);
    EXPECT_EQ(inquiry.unique[3], 8);
    EXPECT_EQ(inquiry.unique[6], 0xFF);
    inquiry.adapter = 1;
    EXPECT_EQ(SendCommand(&inquiry), ZV_SS_INVALID_HA);
    EXPECT_EQ(GetSupportInfo(), 0x0101u);

    ZvSrbGetDevType type{};
    type.command = ZV_SC_GET_DEV_TYPE;
    type.target = 1;
    EXPECT_EQ(SendCommand(&type), ZV_SS_COMP);
    EXPECT_EQ(type.device_type, 5);
    type.lun = 1;
    EXPECT_EQ(SendCommand(&type), ZV_SS_NO_DEVICE);
    EXPECT_EQ(type.device_type, 31);

    ZvSrbExec badCdb{};
    badCdb.command = ZV_SC_EXEC_SCSI_CMD;
    badCdb.target = 1;
    badCdb.cdb_length = 17;
    EXPECT_EQ(SendCommand(&badCdb), ZV_SS_INVALID_SRB);
    badCdb.cdb_length = 10;
    badCdb.data_length = 512;  // a length without a buffer
    EXPECT_EQ(SendCommand(&badCdb), ZV_SS_INVALID_SRB);

    // The drive cannot be opened: the request fails, it does not succeed.
    ZvSrbExec unit{};
    unit.command = ZV_SC_EXEC_SCSI_CMD;
    unit.target = 1;
    unit.cdb_length = 6;
    unit.sense_length = ZV_SENSE_LEN;
    EXPECT_EQ(SendCommand(&unit), ZV_SS_ERR);
    EXPECT_NE(unit.ha_status, 0);

    ZvSrbHeader other{};
    other.command = 0x05;
    EXPECT_EQ(SendCommand(&other), ZV_SS_ERR);
    EXPECT_EQ(SendCommand(nullptr), ZV_SS_ERR);
    EXPECT_EQ(DrivePath(0, 1, 0), "/nonexistent/sr1");
    EXPECT_EQ(DrivePath(0, 0, 0), "");
}
