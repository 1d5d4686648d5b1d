// Media code, name, disc status, recorded sessions, capacity and used blocks
// of every medium in the virtual drive, blank, appendable and closed, checked
// against the layout the drive itself reports for the disc.
#include "VirtualDrive.h"

#include "sxDrvLib/MediaCode.h"

#include <cstdio>

using namespace zelvane;

namespace {

// The track a sequential disc writes next: the one with a writable address.
const TrackLayout &OpenTrack(const DiscLayout &layout)
{
    for (const auto &track : layout.tracks)
        if (track.nextWritable)
            return track;
    ADD_FAILURE() << "no open track";
    return layout.tracks.front();
}

uint32_t TrackEndOf(const TrackLayout &track) { return track.start + track.size; }

struct Seen {
    int code;
    std::string name;
    int status;
    int sessions;
    uint32_t capacity;
    uint32_t used;
};

// What a host's look at the disc finds; like every flow it begins with
// TEST UNIT READY, which takes a pending medium change report.
Seen Look(TSCSIDevice &device)
{
    device.TestUnitReady();
    Seen seen;
    seen.code = device.GetMediaCode();
    seen.name = device.GetMediaName();
    seen.status = device.DiscStatus();
    seen.sessions = device.RecordedSessions();
    seen.capacity = device.Capacity();
    seen.used = device.UsedBlocks();
    return seen;
}

int StatusCode(const std::string &status)
{
    if (status == "blank") return 0;
    if (status == "appendable") return 1;
    if (status == "complete") return 2;
    return 3;
}

} // namespace

TEST_F(VirtualDriveTest, CdRBlankAppendableTwoSessionsAndClosed)
{
    Tool("insert cd-r");
    auto layout = Layout();
    Seen seen = Look(*device);
    EXPECT_EQ(seen.code, kMediaCdR);
    EXPECT_EQ(seen.name, "CD-R");
    EXPECT_EQ(seen.status, 0);
    EXPECT_EQ(seen.sessions, 0);
    EXPECT_EQ(seen.capacity, 359847u); // an 80-minute disc
    EXPECT_EQ(seen.capacity, layout.capacity);
    EXPECT_EQ(seen.used, 0u);

    WriteSession(300, Closing::Session, 300);
    layout = Layout();
    seen = Look(*device);
    EXPECT_EQ(seen.status, 1);
    EXPECT_EQ(seen.sessions, 1);
    EXPECT_EQ(seen.used, *OpenTrack(layout).nextWritable);
    EXPECT_GT(seen.used, 300u); // past the lead-out and the next lead-in
    EXPECT_EQ(seen.capacity, layout.capacity);
    EXPECT_EQ(device->IsoVolumeSize(), 300u);

    // Two closed sessions and an empty third.
    WriteSession(200, Closing::Session);
    layout = Layout();
    ASSERT_EQ(layout.sessions, 3);
    seen = Look(*device);
    EXPECT_EQ(seen.sessions, 2);
    EXPECT_EQ(seen.status, 1);
    EXPECT_EQ(seen.used, *OpenTrack(layout).nextWritable);
    EXPECT_EQ(OpenTrack(layout).number, 3);

    // Closed: used up to the last block of the last track.
    WriteSession(100, Closing::Disc);
    layout = Layout();
    EXPECT_EQ(layout.discStatus, "complete");
    seen = Look(*device);
    EXPECT_EQ(seen.status, 2);
    EXPECT_EQ(seen.sessions, 3);
    EXPECT_EQ(seen.used, TrackEndOf(layout.tracks.back()) - 1);
    EXPECT_EQ(seen.capacity, layout.capacity);
    EXPECT_FALSE(device->IsErasable());
}

TEST_F(VirtualDriveTest, CdRwBlankAndAppendable)
{
    Tool("insert cd-rw --capacity 100000");
    Seen seen = Look(*device);
    EXPECT_EQ(seen.code, kMediaCdRw);
    EXPECT_EQ(seen.name, "CD-RW");
    EXPECT_EQ(seen.capacity, 100000u);
    EXPECT_EQ(seen.used, 0u);
    EXPECT_TRUE(device->IsErasable());
    WriteSession(64, Closing::Session);
    const auto layout = Layout();
    seen = Look(*device);
    EXPECT_EQ(seen.status, StatusCode(layout.discStatus));
    EXPECT_EQ(seen.sessions, 1);
    EXPECT_EQ(seen.used, *OpenTrack(layout).nextWritable);
}

class SequentialDvdTest : public VirtualDriveTest,
                          public ::testing::WithParamInterface<std::tuple<const char *, int, const char *>> {};

TEST_P(SequentialDvdTest, BlankAppendableClosed)
{
    const auto [type, code, name] = GetParam();
    Tool(std::string("insert ") + type + " --capacity 200000");
    Seen seen = Look(*device);
    EXPECT_EQ(seen.code, code);
    EXPECT_EQ(seen.name, name);
    EXPECT_EQ(seen.status, 0);
    EXPECT_EQ(seen.sessions, 0);
    EXPECT_EQ(seen.used, 0u);
    EXPECT_EQ(seen.capacity, 200000u);

    WriteSession(1000, Closing::Session, 1000);
    auto layout = Layout();
    ASSERT_EQ(layout.discStatus, "appendable");
    seen = Look(*device);
    EXPECT_EQ(seen.status, 1);
    EXPECT_EQ(seen.sessions, 1);
    const TrackLayout &open = OpenTrack(layout);
    EXPECT_EQ(seen.used, *open.nextWritable);
    EXPECT_GE(seen.used, 1000u);
    EXPECT_EQ(seen.capacity, *open.nextWritable + open.freeBlocks);

    WriteSession(500, Closing::Disc);
    layout = Layout();
    ASSERT_EQ(layout.discStatus, "complete");
    seen = Look(*device);
    EXPECT_EQ(seen.status, 2);
    EXPECT_EQ(seen.sessions, 2);
    // Closed: used up to the end of the last track.
    EXPECT_EQ(seen.used, TrackEndOf(layout.tracks.back()));
    EXPECT_GE(seen.capacity, seen.used);
}

INSTANTIATE_TEST_SUITE_P(Media, SequentialDvdTest,
                         ::testing::Values(std::make_tuple("dvd-r", int(kMediaDvdR), "DVD-R"),
                                           std::make_tuple("dvd+r", int(kMediaDvdPlusR), "DVD+R"),
                                           std::make_tuple("dvd-rw", int(kMediaDvdRwSequential), "DVD-RW")));

TEST_F(VirtualDriveTest, DvdPlusRwWithAndWithoutIsoVolume)
{
    Tool("insert dvd+rw --capacity 300000");
    Seen seen = Look(*device);
    EXPECT_EQ(seen.code, kMediaDvdPlusRw);
    EXPECT_EQ(seen.name, "DVD+RW");
    EXPECT_EQ(seen.used, 0u);
    EXPECT_TRUE(device->IsErasable());

    FormatDvdPlusRw();
    EXPECT_TRUE(device->SetWriteParameters(false, true, kMediaDvdPlusRw)) << device->LastErrorText();
    WriteAt(0, 64); // data, but no ISO volume
    seen = Look(*device);
    EXPECT_EQ(seen.used, 0u);
    EXPECT_EQ(seen.capacity, 300000u);

    WriteAt(0, 5000, 5000);
    seen = Look(*device);
    EXPECT_EQ(seen.used, 5000u);
    EXPECT_EQ(seen.capacity, 300000u);
    EXPECT_EQ(seen.sessions, 1);
}

TEST_F(VirtualDriveTest, DvdRamAndRestrictedOverwrite)
{
    Tool("insert dvd-ram --capacity 300000");
    Seen seen = Look(*device);
    EXPECT_EQ(seen.code, kMediaDvdRam);
    EXPECT_EQ(seen.name, "DVD-RAM");
    EXPECT_EQ(seen.used, 0u);
    WriteAt(0, 2000, 2000);
    seen = Look(*device);
    EXPECT_EQ(seen.used, 2000u);
    EXPECT_EQ(seen.capacity, Layout().capacity);

    Tool("insert dvd-rw-ro --capacity 300000");
    seen = Look(*device);
    EXPECT_EQ(seen.code, kMediaDvdRwRestricted);
    EXPECT_EQ(seen.name, "DVD-RW");
    // Formatted restricted overwrite holds one growing volume, as DVD+RW
    // does: used is the size of its ISO volume, 0 without one.
    EXPECT_EQ(seen.used, 0u);
    EXPECT_TRUE(device->SetWriteParameters(false, true, kMediaDvdRwRestricted)) << device->LastErrorText();
    WriteAt(0, 2000, 2000);
    seen = Look(*device);
    EXPECT_EQ(seen.used, 2000u);
}

TEST_F(VirtualDriveTest, AMediumChangeIsReportedOnceAndTestUnitReadyTakesIt)
{
    Tool("insert cd-r");
    EXPECT_EQ(device->GetMediaCode(), kMediaCdR); // GET CONFIGURATION answers before the report
    EXPECT_TRUE(device->TestUnitReady());          // takes the report and asks again
    EXPECT_TRUE(device->ReadDiscInformation());
    Tool("eject");
    Tool("load");
    EXPECT_FALSE(device->ReadDiscInformation());
    EXPECT_EQ(device->LastErrorText(), "UNIT ATTENTION (NOT READY TO READY CHANGE, MEDIUM MAY HAVE CHANGED)");
    EXPECT_TRUE(device->ReadDiscInformation());
}

TEST_F(VirtualDriveTest, PressedDiscs)
{
    // A pressed disc made from a 600-block image.
    const std::string image = (folder_ / "rom.iso").string();
    {
        std::vector<uint8_t> data(600 * 2048, 0);
        FILE *file = std::fopen(image.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(data.data(), 1, data.size(), file);
        std::fclose(file);
    }
    Tool("insert-rom " + image);
    Seen seen = Look(*device);
    EXPECT_EQ(seen.code, kMediaCdRom);
    EXPECT_EQ(seen.name, "CD-ROM");
    EXPECT_EQ(seen.status, 2);
    EXPECT_EQ(seen.sessions, 1);
    EXPECT_EQ(seen.used, 599u); // the last block
    Tool("insert-rom " + image + " --dvd");
    seen = Look(*device);
    EXPECT_EQ(seen.code, kMediaDvdRom);
    EXPECT_EQ(seen.name, "DVD-ROM");
    EXPECT_EQ(seen.used, 600u);
}

TEST_F(VirtualDriveTest, DriveModelsOfTheEdgeCases)
{
    Tool("insert cd-r");
    Tool("model --zero-write-speed");
    Reselect();
    EXPECT_EQ(device->MaximumWriteSpeed(), 1385);

    Tool("model --default");
    Tool("model --no-get-configuration");
    Reselect();
    EXPECT_EQ(device->GetMediaCode(), kMediaCdR); // from the ATIP

    Tool("model --default");
    Reselect();
    WriteSession(300, Closing::Disc);
    const auto layout = Layout();
    Tool("model --no-disc-information");
    Reselect();
    const TDisc disc = device->DiscInformation();
    EXPECT_TRUE(disc.valid);
    EXPECT_EQ(disc.used, int32_t(TrackEndOf(layout.tracks.back()) - 1));
    EXPECT_EQ(device->DiscStatus(), -1);
}

TEST_F(VirtualDriveTest, NoDiscAndOpenTray)
{
    Seen seen = Look(*device);
    EXPECT_EQ(seen.code, kMediaUnknown);
    EXPECT_EQ(seen.name, "UNKNOWN");
    EXPECT_EQ(seen.status, -1);
    EXPECT_EQ(seen.sessions, 0);
    EXPECT_EQ(seen.used, 0u);
    Tool("insert cd-r");
    Tool("eject");
    EXPECT_EQ(device->GetMediaCode(), kMediaUnknown);
    EXPECT_TRUE(device->Eject(false));
    EXPECT_EQ(device->GetMediaCode(), kMediaCdR);
}

namespace {

std::string CliInfo(const std::string &arguments)
{
    int status = 0;
    return RunShell(std::string(ZELVANE_CLI) + " info " + arguments + " 2>&1", status);
}

bool Has(const std::string &text, const std::string &line)
{
    return text.find(line + "\n") != std::string::npos;
}

} // namespace

TEST_F(VirtualDriveTest, CliInfoShowsTheInformationPage)
{
    std::string out = CliInfo("");
    if (out.find("Название устройства: vdrive") == std::string::npos)
        GTEST_SKIP() << "a real drive is the default drive here:\n" << out;
    // No disc: the grid is filled, the disc values are unknown.
    EXPECT_TRUE(Has(out, "Запись DVD-RAM: yes")) << out;
    EXPECT_TRUE(Has(out, "Защита от пустого буфера: yes")) << out;
    EXPECT_TRUE(Has(out, "Носитель: ???")) << out;
    EXPECT_TRUE(Has(out, "Статус: ???")) << out;

    Tool("insert cd-r");
    WriteSession(1000, Closing::Session, 1000);
    out = CliInfo("--drive 0");
    EXPECT_TRUE(Has(out, "Носитель: CD-R")) << out;
    EXPECT_TRUE(Has(out, "Скорость: 48X")) << out; // 8467 KB/s
    EXPECT_TRUE(Has(out, "Статус: Открыт")) << out;
    EXPECT_TRUE(Has(out, "Размер: 703 Мб")) << out; // 359847 blocks
    EXPECT_TRUE(Has(out, "Сессий: 1")) << out;
    EXPECT_TRUE(Has(out, "Метка диска: VDRIVE_TEST")) << out;

    // A closed disc has no free space.
    WriteSession(100, Closing::Disc);
    out = CliInfo("");
    EXPECT_TRUE(Has(out, "Статус: Закрыт")) << out;
    EXPECT_TRUE(Has(out, "Свободно: 0 Мб")) << out;
    EXPECT_TRUE(Has(out, "Сессий: 2")) << out;

    // Rewritable DVDs always read as open.
    Tool("insert dvd-rw --capacity 100000");
    WriteSession(100, Closing::Disc);
    out = CliInfo("");
    EXPECT_TRUE(Has(out, "Носитель: DVD-RW")) << out;
    EXPECT_TRUE(Has(out, "Статус: Открыт")) << out;

    EXPECT_NE(CliInfo("--drive 5").find("there is no drive 5"), std::string::npos);
}
