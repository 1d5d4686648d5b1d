#include "VirtualDrive.h"

#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/ModePage.h"
#include "sxDrvLib/WriteParametersPage.h"

#include <array>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

using namespace zelvane;

std::string RunShell(const std::string &command, int &status)
{
    std::string output;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, n);
    status = ::pclose(pipe);
    return output;
}

namespace {

std::vector<uint8_t> DataBlocks(uint32_t first, uint32_t blocks, uint32_t volumeBlocks)
{
    std::vector<uint8_t> data(size_t(blocks) * 2048, 0xA5);
    if (volumeBlocks && first <= 16 && 16 < first + blocks) {
        uint8_t *pvd = &data[size_t(16 - first) * 2048];
        std::memset(pvd, 0, 2048);
        pvd[0] = 1;
        std::memcpy(pvd + 1, "CD001", 5);
        pvd[6] = 1;
        std::memset(pvd + 8, ' ', 32);
        std::memset(pvd + 40, ' ', 32);
        std::memcpy(pvd + 40, "VDRIVE_TEST", 11);
        for (int i = 0; i < 4; ++i) {
            pvd[80 + i] = uint8_t(volumeBlocks >> (8 * i));
            pvd[87 - i] = uint8_t(volumeBlocks >> (8 * i));
        }
    }
    return data;
}

} // namespace

void VirtualDriveTest::SetUp()
{
    char pattern[] = "/tmp/zelvane-mmc-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ::setenv("ZELVANE_VDRIVE_DIR", pattern, 1);
    device = std::make_unique<TSCSIDevice>();
    ASSERT_TRUE(device->InitializeTransport(false, VDRIVE_LIBRARY));
    ASSERT_EQ(device->DriveList().size(), 1u);
    Reselect();
}

void VirtualDriveTest::TearDown()
{
    device.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void VirtualDriveTest::Reselect()
{
    device->SelectDevice(device->DriveList()[0]);
}

void VirtualDriveTest::Tool(const std::string &arguments)
{
    int status = 0;
    const std::string output = RunShell(std::string(VDRIVE_TOOL) + " " + arguments + " 2>&1", status);
    ASSERT_EQ(status, 0) << "zelvane-vdrive " << arguments << ": " << output;
}

DiscLayout VirtualDriveTest::Layout()
{
    int status = 0;
    const std::string text = RunShell(std::string(VDRIVE_TOOL) + " status", status);
    DiscLayout layout;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        char name[64] = {};
        unsigned capacity = 0;
        if (std::sscanf(line.c_str(), "medium: %63s (profile %*xh), capacity %u", name, &capacity) == 2) {
            layout.medium = name;
            layout.capacity = capacity;
            continue;
        }
        char discStatus[32] = {}, lastSession[32] = {};
        int sessions = 0;
        if (std::sscanf(line.c_str(), "disc status: %31[^,], last session: %31[^,], sessions: %d",
                        discStatus, lastSession, &sessions) == 3) {
            layout.discStatus = discStatus;
            layout.lastSession = lastSession;
            layout.sessions = sessions;
            continue;
        }
        unsigned end = 0;
        if (std::sscanf(line.c_str(), "written up to sector %u", &end) == 1) {
            layout.writtenEnd = end;
            continue;
        }
        TrackLayout track;
        unsigned start = 0, size = 0, nwa = 0, freeBlocks = 0;
        char state[32] = {};
        if (std::sscanf(line.c_str(), "session %d track %d: start %u, size %u, next writable address %u, free %u, %31s",
                        &track.session, &track.number, &start, &size, &nwa, &freeBlocks, state) == 7) {
            track.nextWritable = nwa;
            track.freeBlocks = freeBlocks;
        } else if (std::sscanf(line.c_str(), "session %d track %d: start %u, size %u, next writable address none, %31s",
                               &track.session, &track.number, &start, &size, state) != 5) {
            continue;
        }
        track.start = start;
        track.size = size;
        track.state = state;
        layout.tracks.push_back(track);
    }
    return layout;
}

uint32_t VirtualDriveTest::WriteSession(uint32_t blocks, Closing closing, uint32_t volumeBlocks)
{
    // Like every flow of a host, this one begins by taking a pending medium change report.
    device->TestUnitReady();
    const uint8_t code = device->GetMediaCode();
    device->FinalizeDisc = closing == Closing::Disc;
    EXPECT_TRUE(device->SetWriteParameters(false, true, code)) << device->LastErrorText();
    const DiscInfo before = device->ReadDiscInformation() ? device->LastDiscInfo() : DiscInfo{};
    const uint32_t track = IsCdMedia(code) ? 255 : before.firstTrackLastSession;
    EXPECT_TRUE(device->ReadTrackInformation(track)) << device->LastErrorText();
    const uint32_t start = device->LastTrackInfo().nextWritable;
    constexpr uint32_t kChunk = 16;
    for (uint32_t done = 0; done < blocks; done += kChunk) {
        const uint32_t count = std::min(kChunk, blocks - done);
        const auto data = DataBlocks(done, count, volumeBlocks);
        EXPECT_TRUE(device->Write10(start + done, uint16_t(count), data))
            << "at " << start + done << ": " << device->LastErrorText();
    }
    EXPECT_TRUE(device->SynchronizeCache(false, 60000)) << device->LastErrorText();
    device->WaitUntilReady(60000, 100);
    if (closing == Closing::Disc && code != kMediaDvdPlusR) {
        // No next session: the multisession bits of page 05h cleared.
        std::array<uint8_t, kWritePageSenseLength> answer{};
        EXPECT_TRUE(device->ModeSense(kWriteParametersPage, false, answer));
        MoveModePageToStart(answer, kWriteParametersPage);
        answer[0] &= 0x3F;
        answer[3] &= 0x3F;
        EXPECT_TRUE(device->ModeSelect(ModeSelectList(answer))) << device->LastErrorText();
    }
    if (closing != Closing::None) {
        EXPECT_TRUE(device->Close(true, false, false)) << device->LastErrorText();
        device->WaitUntilReady(60000, 100);
        const uint8_t function = closing == Closing::Disc && code == kMediaDvdPlusR ? 5 : 2;
        EXPECT_TRUE(device->Close(false, function, 0, 0, 0)) << device->LastErrorText();
        device->WaitUntilReady(60000, 100);
    }
    device->FinalizeDisc = false;
    return start;
}

void VirtualDriveTest::WriteAt(uint32_t lba, uint32_t blocks, uint32_t volumeBlocks)
{
    device->TestUnitReady();
    constexpr uint32_t kChunk = 16;
    for (uint32_t done = 0; done < blocks; done += kChunk) {
        const uint32_t count = std::min(kChunk, blocks - done);
        const auto data = DataBlocks(lba + done, count, volumeBlocks);
        ASSERT_TRUE(device->Write10(lba + done, uint16_t(count), data))
            << "at " << lba + done << ": " << device->LastErrorText();
    }
    ASSERT_TRUE(device->SynchronizeCache(false, 60000)) << device->LastErrorText();
}

void VirtualDriveTest::FormatDvdPlusRw()
{
    device->TestUnitReady();
    const auto layout = Layout();
    std::vector<uint8_t> list = {0x00, 0x82, 0x00, 0x08, 0, 0, 0, 0, 0x98, 0x00, 0x00, 0x00};
    list[4] = uint8_t(layout.capacity >> 24);
    list[5] = uint8_t(layout.capacity >> 16);
    list[6] = uint8_t(layout.capacity >> 8);
    list[7] = uint8_t(layout.capacity);
    ASSERT_TRUE(device->FormatUnit(0x11, list)) << device->LastErrorText();
    ASSERT_TRUE(device->WaitUntilReady(60000, 100)) << device->LastErrorText();
}
