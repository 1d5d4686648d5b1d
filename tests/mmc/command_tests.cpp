// The command blocks the wrappers send: operation, CDB bytes and length,
// direction and data length, as drives expect them.
#include "DeviceFixture.h"

#include <ctime>
#include <functional>
#include <string>

using fakedrive::Request;

namespace {

struct Expected {
    std::string name;
    std::function<bool(zelvane::TSCSIDevice &)> call;
    std::vector<uint8_t> cdb;
    uint8_t flags;
    uint32_t dataLength;
};

std::vector<uint8_t> Cdb(std::initializer_list<int> bytes)
{
    std::vector<uint8_t> cdb;
    for (int b : bytes)
        cdb.push_back(static_cast<uint8_t>(b));
    return cdb;
}

} // namespace

TEST_F(ScriptedDriveTest, EveryWrapperSendsItsCommandBlock)
{
    static std::vector<uint8_t> buffer(65536);
    static const std::vector<uint8_t> list(12, 0);
    const std::vector<Expected> table = {
        {"test unit ready", [](auto &d) { return d.TestUnitReady(); }, Cdb({0, 0, 0, 0, 0, 0}), 0x40, 0},
        {"rezero", [](auto &d) { return d.RezeroUnit(); }, Cdb({1, 0, 0, 0, 0, 0}), 0x40, 0},
        {"request sense", [](auto &d) { return d.RequestSense(std::span(buffer).first(40)); },
         Cdb({3, 0, 0, 0, 40, 0}), 0x48, 40},
        {"format unit", [](auto &d) { return d.FormatUnit(0x11, list); }, Cdb({4, 0x11, 0, 0, 0, 0}), 0x50, 12},
        {"eject", [](auto &d) { return d.Eject(true); }, Cdb({0x1B, 0, 0, 0, 2, 0}), 0x40, 0},
        {"load", [](auto &d) { return d.Eject(false); }, Cdb({0x1B, 0, 0, 0, 3, 0}), 0x40, 0},
        {"prevent", [](auto &d) { return d.AllowRemoval(false); }, Cdb({0x1E, 0, 0, 0, 1, 0}), 0x40, 0},
        {"allow", [](auto &d) { return d.AllowRemoval(true); }, Cdb({0x1E, 0, 0, 0, 0, 0}), 0x40, 0},
        {"read format capacities", [](auto &d) { return d.ReadFormatCapacities(); },
         Cdb({0x23, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0}), 0x48, 248},
        {"read capacity", [](auto &d) { uint32_t a, b; return d.ReadCapacity(a, b); },
         Cdb({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0x48, 8},
        {"read (10)", [](auto &d) { return d.Read10(0x12345678, 2, buffer); },
         Cdb({0x28, 0, 0x12, 0x34, 0x56, 0x78, 0, 0, 2, 0}), 0x48, 4096},
        {"write (10)", [](auto &d) { return d.Write10(0x10, 16, buffer); },
         Cdb({0x2A, 0, 0, 0, 0, 0x10, 0, 0, 16, 0}), 0x50, 32768},
        {"synchronize cache immediate", [](auto &d) { return d.SynchronizeCache(true, 30000); },
         Cdb({0x35, 2, 0, 0, 0, 0, 0, 0, 0, 0}), 0x40, 0},
        {"read atip", [](auto &d) { return d.ReadToc(4, true, 0, std::span(buffer).first(26)); },
         Cdb({0x43, 2, 4, 0, 0, 0, 0, 0, 26, 0}), 0x48, 26},
        {"read toc at most 255", [](auto &d) { return d.ReadToc(0, false, 3, std::span(buffer).first(1000), 0x40); },
         Cdb({0x43, 0, 0, 0, 0, 0, 3, 0, 0xFF, 0x40}), 0x48, 255},
        {"get configuration", [](auto &d) { return d.GetConfiguration(2, 0x2F); },
         Cdb({0x46, 2, 0, 0x2F, 0, 0, 0, 0, 114, 0}), 0x48, 114},
        {"read disc information", [](auto &d) { return d.ReadDiscInformation(); },
         Cdb({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}), 0x48, 56},
        {"read track information", [](auto &d) { return d.ReadTrackInformation(255); },
         Cdb({0x52, 1, 0, 0, 0, 0xFF, 0, 0, 0x28, 0}), 0x48, 40},
        {"reserve track", [](auto &d) { return d.ReserveTrack(1000); },
         Cdb({0x53, 0, 0, 0, 0, 0, 0, 0x03, 0xE8, 0, 0, 0}), 0x40, 0},
        {"perform opc", [](auto &d) { return d.PerformOpc(); }, Cdb({0x54, 1, 0, 0, 0, 0, 0, 0, 0, 0}), 0x40, 0},
        {"mode sense defaults", [](auto &d) { return d.ModeSense(0x2A, true, std::span(buffer).first(255)); },
         Cdb({0x5A, 0, 0xAA, 0, 0, 0, 0, 0, 0xFF, 0}), 0x48, 255},
        {"mode sense current", [](auto &d) { return d.ModeSense(0x05, false, std::span(buffer).first(512)); },
         Cdb({0x5A, 0, 0x05, 0, 0, 0, 0, 2, 0, 0}), 0x48, 512},
        {"close track", [](auto &d) { return d.Close(true, true, false); },
         Cdb({0x5B, 1, 1, 0, 0, 0xFF, 0, 0, 0, 0}), 0x40, 0},
        {"close session", [](auto &d) { return d.Close(false, true, false); },
         Cdb({0x5B, 1, 2, 0, 0, 0, 0, 0, 0, 0}), 0x40, 0},
        {"finalize", [](auto &d) { return d.Close(false, false, true); },
         Cdb({0x5B, 0, 5, 0, 0, 0, 0, 0, 0, 0}), 0x40, 0},
        {"close by caller", [](auto &d) { return d.Close(true, 2, 0, 0, 1); },
         Cdb({0x5B, 1, 2, 0, 0, 1, 0, 0, 0, 0}), 0x40, 0},
        {"read buffer capacity", [](auto &d) { return d.ReadBufferCapacity(); },
         Cdb({0x5C, 0, 0, 0, 0, 0, 0, 0, 0x20, 0}), 0x48, 32},
        {"send cue sheet", [](auto &d) { return d.SendCueSheet(std::span(buffer).first(300)); },
         Cdb({0x5D, 0, 0, 0, 0, 0, 0, 1, 0x2C, 0}), 0x50, 300},
        {"blank quick", [](auto &d) { return d.Blank(1); },
         Cdb({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0x40, 0},
        {"set streaming", [](auto &d) { return d.SetStreaming(std::span(buffer).first(28)); },
         Cdb({0xB6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 28, 0}), 0x50, 28},
        {"set cd speed maximum read", [](auto &d) { return d.SetCdSpeed(0, 1385); },
         Cdb({0xBB, 0, 0xFF, 0xFF, 0x05, 0x69, 0, 0, 0, 0, 0, 0}), 0x40, 0},
        {"send dvd structure", [](auto &d) { return d.SendDvdStructure(0x0F, std::span(buffer).first(22)); },
         Cdb({0xBF, 0, 0, 0, 0, 0, 0, 0x0F, 0, 22, 0, 0}), 0x50, 22},
    };
    fakedrive::SetHandler([](const Request &) { return fakedrive::Answer::Good(); });
    for (const Expected &e : table) {
        fakedrive::ClearRequests();
        EXPECT_TRUE(e.call(*device)) << e.name;
        ASSERT_EQ(fakedrive::Requests().size(), 1u) << e.name;
        const Request &sent = fakedrive::Requests()[0];
        EXPECT_EQ(sent.cdb, e.cdb) << e.name;
        EXPECT_EQ(sent.flags, e.flags) << e.name;
        EXPECT_EQ(sent.dataLength, e.dataLength) << e.name;
    }
}

TEST_F(ScriptedDriveTest, SpeedsTimestampAndBufferFigures)
{
    device->ReadSpeed = 0;
    device->SetWriteSpeed(7056);
    EXPECT_EQ(device->WriteSpeed, 7056);
    ASSERT_EQ(Sent(0xBB).size(), 1u);
    EXPECT_EQ(Sent(0xBB)[0].cdb, Cdb({0xBB, 0, 0xFF, 0xFF, 0x1B, 0x90, 0, 0, 0, 0, 0, 0}));

    std::tm when{};
    when.tm_year = 126;
    when.tm_mon = 11;
    when.tm_mday = 8;
    when.tm_hour = 17;
    when.tm_min = 5;
    when.tm_sec = 9;
    ASSERT_TRUE(device->WriteTimestamp(when));
    const auto out = Sent(0xBF).at(0).dataOut;
    ASSERT_EQ(out.size(), 22u);
    EXPECT_EQ(out[0], 0x00);
    EXPECT_EQ(out[1], 0x14);
    EXPECT_EQ(std::string(out.begin() + 8, out.end()), "20261208170509");

    // Buffer figures, a free value of FFFFFFFFh meaning "all of it".
    fakedrive::SetHandler([](const Request &r) {
        if (r.cdb[0] != 0x5C)
            return fakedrive::Answer::Good();
        std::vector<uint8_t> answer(12, 0);
        answer[6] = 0x10; // 4 KB... 0x00001000
        answer[8] = answer[9] = answer[10] = answer[11] = 0xFF;
        return fakedrive::Answer::Good(answer);
    });
    ASSERT_TRUE(device->ReadBufferCapacity());
    EXPECT_EQ(device->DeviceBufferSize.load(), 0x1000u);
    EXPECT_EQ(device->DeviceFreeBufferSize.load(), 0x1000u);
    fakedrive::SetHandler([](const Request &) { return fakedrive::Answer::Check(2, 0x3A); });
    EXPECT_FALSE(device->ReadBufferCapacity());
    EXPECT_EQ(device->DeviceFreeBufferSize.load(), 0u);
}

TEST_F(ScriptedDriveTest, FailuresAreReportedWithTheDrivesSense)
{
    disc->ready = false;
    EXPECT_FALSE(device->TestUnitReady());
    EXPECT_EQ(device->LastSense()[12], 0x3A);
    EXPECT_FALSE(device->LastErrorText().empty());
    // Buffers too small for the blocks asked for are refused before sending.
    std::vector<uint8_t> small(2048);
    fakedrive::ClearRequests();
    EXPECT_FALSE(device->Read10(0, 2, small));
    EXPECT_FALSE(device->Write10(0, 2, small));
    EXPECT_FALSE(device->ReadTrackInformation(256));
    EXPECT_TRUE(fakedrive::Requests().empty());
}

TEST(NoDeviceSelected, WritesAndBlanksFailInsteadOfCountingAsPending)
{
    zelvane::TSCSIDevice device;
    device.SetSleepForTests([](int) {});
    std::vector<uint8_t> block(2048);
    EXPECT_FALSE(device.Write10(0, 1, block));
    EXPECT_FALSE(device.Blank(0));
    EXPECT_FALSE(device.TestUnitReady());
    EXPECT_EQ(device.DiscStatus(), -1);
    EXPECT_EQ(device.GetMediaCode(), 0);
    EXPECT_FALSE(device.DiscInformation().valid);
}

TEST_F(ScriptedDriveTest, CloseWithoutImmediateOnTheDriveThatNeedsIt)
{
    fakedrive::SetIdentification("TEAC    ", "CDRW321040X     ");
    Select();
    EXPECT_TRUE(device->Quirks().closeWithoutImmediate);
    ASSERT_TRUE(device->Close(true, true, false));
    EXPECT_EQ(Sent(0x5B).at(0).cdb[1], 0x00);
}
