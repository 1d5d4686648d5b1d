// The drive list and the selection of a drive by its id.
#include "ProviderFixture.h"

#include "sxDrvLib/DriveDisplayName.h"

using namespace zelvane;

namespace {

// Records the selection hooks the burner overrides.
class HookedDevice : public TSCSIDevice {
public:
    std::vector<std::string> calls;

protected:
    void RefreshCapabilities() override { calls.push_back("capabilities"); }
    void SetDriveQuirks(const std::string &productId) override { calls.push_back("quirks " + productId); }
    void ProbeWriteTypes() override { calls.push_back("write types"); }
};

} // namespace

TEST_F(ProviderTest, DriveListLinesOnEveryAdapter)
{
    adapterCount = 3;
    names[{0, 0, 0}] = "Zelvane Virtual Drive";
    drives[{0, 0, 0}] = MakeInquiry(5, "ZELVANE", "VIRTUAL WRITER", "1.0");
    drives[{1, 0xA, 0}] = MakeInquiry(5, "HL-DT-ST", "DVDRAM GH24NSD1", "LG00");  // not scanned: target > 7
    drives[{1, 7, 3}] = MakeInquiry(4, "WORM", "ONCE", "0001");
    drives[{2, 2, 0}] = MakeInquiry(0, "DISK", "NOT OPTICAL", "1");
    drives[{2, 5, 1}] = MakeInquiry(0x65, "NOT", "CONNECTED", "1");  // qualifier bits set

    TSCSIDevice device;
    EXPECT_EQ(device.DriveList(),
              (std::vector<std::string>{
                  "0:0:0,Zelvane Virtual Drive ZELVANE VIRTUAL WRITER  1.0 ",
                  "1:7:3,?: WORM    ONCE            0001 (not supported)"}));
    EXPECT_EQ(DriveDisplayName(device.DriveList()[0]), "Zelvane Virtual Drive ZELVANE VIRTUAL WRITER 1.0");
    EXPECT_FALSE(device.HasSelection());
    EXPECT_EQ(device.LastErrorText(), "");
}

TEST_F(ProviderTest, ScanOfAnAdapterCountOfZeroCoversSevenAdapters)
{
    adapterCount = 0;
    drives[{6, 0, 0}] = MakeInquiry(5, "LAST", "ADAPTER", "1");
    drives[{7, 0, 0}] = MakeInquiry(5, "BEYOND", "SEVEN", "1");
    TSCSIDevice device;
    ASSERT_EQ(device.DriveList().size(), 2u);
    EXPECT_EQ(device.DriveList()[1].substr(0, 10), "6:0:0,?: L");
}

TEST_F(ProviderTest, ScanKeepsTheSelectionAndLogsTheProvider)
{
    adapterCount = 2;
    drives[{1, 2, 0}] = MakeInquiry(5, "SECOND", "BUS", "1");
    auto device = SelectedDevice("1:2:0");
    ASSERT_TRUE(device->HasSelection());
    debug.clear();
    device->DoDebug = true;
    device->ScanDrives();
    EXPECT_EQ(std::tuple(device->Adapter(), device->Target(), device->Lun()), std::tuple(1, 2, 0));
    ASSERT_EQ(debug.size(), 3u);
    EXPECT_EQ(debug[0], (std::pair<std::string, uint8_t>{">>> WNASPI32.DLL", 1}));
    EXPECT_EQ(debug[1], (std::pair<std::string, uint8_t>{">>> SCRIPTED MANAGER (BUS 0)", 1}));
    EXPECT_EQ(debug[2], (std::pair<std::string, uint8_t>{">>> SCRIPTED MANAGER (BUS 1)", 1}));
    EXPECT_EQ(device->DriveList().size(), 2u);
}

TEST_F(ProviderTest, SelectionByIdDigits)
{
    adapterCount = 2;
    drives[{1, 0, 0}] = MakeInquiry(5, "SECOND", "BUS\x01" "DRIVE", "2.0");
    names[{1, 0, 0}] = "/dev/sr3";
    HookedDevice device;
    int changes = 0;
    device.OnDeviceChange = [&changes](TSCSIDevice *) { ++changes; };
    device.SelectDevice("1:0:0,/dev/sr3 SECOND  BUS DRIVE       2.0 ");
    EXPECT_EQ(std::tuple(device.Adapter(), device.Target(), device.Lun()), std::tuple(1, 0, 0));
    EXPECT_EQ(device.DeviceId(), "1:0:0,/dev/sr3 SECOND  BUS DRIVE       2.0 ");
    EXPECT_EQ(device.DriveLetter(), "/dev/sr3");
    EXPECT_EQ(device.Description(), "SECOND   BUS DRIVE        2.0 ");
    EXPECT_EQ(device.DeviceType(), 5);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(device.calls,
              (std::vector<std::string>{"capabilities", "quirks BUS DRIVE", "write types"}));

    device.SelectDevice("0:0:0");  // five characters are enough
    EXPECT_EQ(device.Adapter(), 0);
    EXPECT_EQ(device.DriveLetter(), "");  // the provider names no drive there
    EXPECT_EQ(changes, 2);
}

TEST_F(ProviderTest, IdsThatSelectNothing)
{
    drives[{0, 1, 0}] = MakeInquiry(0, "DISK", "HARD DISK", "1");
    auto device = SelectedDevice();
    ASSERT_TRUE(device->HasSelection());
    const std::string invalid = "INVALID DEVICE ID / NOT A CD OR DVD DRIVE";

    struct Case {
        const char *id;
        bool message;
    };
    for (const Case c : {Case{"1:0", true}, Case{"", false}, Case{"0:0:", true},
                         Case{"0:A:0,?: X", true}, Case{"x:0:0", true}, Case{"12:0:0,X", true},
                         Case{"0:1:0", true}, Case{"0:2:0", true}}) {
        auto selected = SelectedDevice();
        ASSERT_TRUE(selected->HasSelection());
        debug.clear();
        selected->SelectDevice(c.id);
        EXPECT_FALSE(selected->HasSelection()) << c.id;
        EXPECT_EQ(selected->Adapter(), kNoDeviceAddress);
        EXPECT_EQ(selected->DeviceId(), "") << c.id;
        EXPECT_EQ(debug.size(), c.message ? 1u : 0u) << c.id;
        if (c.message && !debug.empty()) {
            EXPECT_EQ(debug.back(), (std::pair<std::string, uint8_t>{invalid, 0}));
        }
    }
    EXPECT_EQ(device->Adapter(), 0);  // other devices keep their selection
}

TEST_F(ProviderTest, ADriveThatStopsAnsweringIsNotSelected)
{
    auto device = SelectedDevice();
    ASSERT_TRUE(device->HasSelection());
    failInquiry = true;
    next = ScriptedOutcome{ZV_SS_ERR, 0, ZV_STATUS_CHKCOND, FixedSense(2, 0x3A, 0x00)};
    device->SelectDevice("0:0:0");
    EXPECT_FALSE(device->HasSelection());
    EXPECT_EQ(device->Description(), "NOT READY (MEDIUM NOT PRESENT)");
    EXPECT_EQ(device->DeviceType(), 31);
}
