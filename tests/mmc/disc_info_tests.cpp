// Media code, disc status, sessions, capacity and used blocks on scripted
// discs laid out as real ones are.
#include "DeviceFixture.h"

#include "sxDrvLib/MediaCode.h"

using namespace zelvane;
using namespace fakedrive;

TEST_F(ScriptedDriveTest, MediaCodeFromProfileAtipDiscInformationOrReadiness)
{
    disc->profile = 0x001A;
    EXPECT_EQ(device->GetMediaCode(), kMediaDvdPlusRw);
    EXPECT_EQ(device->GetMediaName(), "DVD+RW");

    // A drive without GET CONFIGURATION: a blank CD-R from its ATIP.
    disc->profile.reset();
    disc->atip = AtipBytes(79, 59, 72, false);
    EXPECT_EQ(device->GetMediaCode(), kMediaCdR);
    EXPECT_EQ(device->LastMediaCode(), kMediaCdR);
    disc->atip = AtipBytes(79, 59, 72, true);
    EXPECT_EQ(device->GetMediaName(), "CD-RW");

    disc->atip.reset();
    disc->discInfo = DiscInfoBytes(0, 0, true, 1, 1);
    EXPECT_EQ(device->GetMediaCode(), kMediaCdRw);
    disc->discInfo.reset();
    EXPECT_EQ(device->GetMediaCode(), kMediaCdRom);
    disc->ready = false;
    EXPECT_EQ(device->GetMediaCode(), kMediaUnknown);
    EXPECT_EQ(device->GetMediaName(), "UNKNOWN");
}

TEST_F(ScriptedDriveTest, ErasableStatusAndSessions)
{
    disc->profile = 0x0013;
    disc->discInfo = DiscInfoBytes(2, 3, false, 1, 1);
    EXPECT_FALSE(device->IsErasable());
    EXPECT_EQ(device->DiscStatus(), 2);
    EXPECT_EQ(device->RecordedSessions(), 1);
    disc->discInfo.reset();
    EXPECT_TRUE(device->IsErasable()); // restricted overwrite DVD-RW by its code
    EXPECT_EQ(device->DiscStatus(), -1);
    EXPECT_EQ(device->RecordedSessions(), 0);
}

TEST_F(ScriptedDriveTest, CdWithTwoClosedSessionsAndAnEmptyThird)
{
    // Session 1: track 1 at 0, 10000 blocks; session 2 after the 11400-block
    // lead-out/lead-in gap: track 2 at 21400, 5000 blocks; track 3 is the
    // invisible track after a 6900-block gap.
    disc->profile = 0x0009;
    disc->atip = AtipBytes(79, 59, 72, false);
    disc->discInfo = DiscInfoBytes(1, 0, false, 3, 3);
    disc->tracks[1] = TrackBytes(0, 0, 0, 10000, false);
    disc->tracks[2] = TrackBytes(21400, 0, 0, 5000, false);
    disc->tracks[3] = TrackBytes(33300, 33300, 359847 - 33300, 359847 - 33300);
    disc->tracks[255] = disc->tracks[3];
    disc->capacityLastLba = 26399;
    EXPECT_EQ(device->RecordedSessions(), 2);
    EXPECT_EQ(device->UsedBlocks(), 33300u);
    EXPECT_EQ(device->Capacity(), 359847u);
    EXPECT_EQ(device->DiscStatus(), 1);
}

TEST_F(ScriptedDriveTest, ClosedCdUsesReadCapacity)
{
    disc->profile = 0x0009;
    disc->atip = AtipBytes(79, 59, 72, false);
    disc->discInfo = DiscInfoBytes(2, 3, false, 1, 1);
    disc->tracks[1] = TrackBytes(0, 0, 0, 20000, false);
    disc->capacityLastLba = 19999;
    EXPECT_EQ(device->UsedBlocks(), 19999u); // the last block, as READ CAPACITY tells it
    EXPECT_EQ(device->Capacity(), 359847u);
    // A blank CD-R: the first track's next writable address.
    disc->discInfo = DiscInfoBytes(0, 0, false, 1, 1);
    disc->tracks[1] = TrackBytes(0, 0, 359847, 359847);
    EXPECT_EQ(device->UsedBlocks(), 0u);
}

TEST_F(ScriptedDriveTest, DvdPlusRwUsedIsTheIsoVolumeSize)
{
    disc->profile = 0x001A;
    disc->discInfo = DiscInfoBytes(3, 3, true, 1, 1);
    disc->tracks[1] = TrackBytes(0, 0, 2295104, 2295104);
    disc->formatCapacities = FormatCapacityBytes(2295104, 0x02);
    EXPECT_EQ(device->UsedBlocks(), 0u); // no ISO volume
    // The volume descriptor may follow other descriptors; the first one counts.
    std::vector<uint8_t> boot(2048, 0);
    boot[0] = 0;
    std::copy_n("CD001", 5, boot.begin() + 1);
    disc->sectors[16] = boot;
    disc->sectors[17] = PrimaryDescriptor(48213);
    EXPECT_EQ(device->UsedBlocks(), 48213u);
    EXPECT_EQ(device->IsoVolumeSize(), 48213u);
    EXPECT_EQ(device->Capacity(), 2295104u);
}

TEST_F(ScriptedDriveTest, DvdSequentialMedia)
{
    // Appendable DVD-R: session 1 closed (track 1, 100000 blocks), the open
    // track 2 starts after the border.
    disc->profile = 0x0011;
    disc->discInfo = DiscInfoBytes(1, 0, false, 2, 2);
    disc->tracks[1] = TrackBytes(0, 0, 0, 100000, false);
    disc->tracks[2] = TrackBytes(116256, 116256, 2295104 - 116256, 2295104 - 116256);
    EXPECT_EQ(device->UsedBlocks(), 116256u);
    EXPECT_EQ(device->Capacity(), 2295104u);
    // Closed DVD+R: the complete last track has no writable address; the
    // disc is used up to the end of that track.
    disc->profile = 0x001B;
    disc->discInfo = DiscInfoBytes(2, 3, false, 1, 1);
    disc->tracks[1] = TrackBytes(0, 0, 0, 250000, false);
    EXPECT_EQ(device->UsedBlocks(), 250000u);
    EXPECT_EQ(device->Capacity(), 250000u);
    // Sequential DVD-RW with format capacities: a blank track counts as unused.
    disc->profile = 0x0014;
    disc->discInfo = DiscInfoBytes(0, 0, true, 1, 1);
    disc->tracks[1] = TrackBytes(0, 0, 2295104, 2295104);
    disc->formatCapacities = FormatCapacityBytes(2295104, 0x02);
    EXPECT_EQ(device->UsedBlocks(), 0u);
    disc->tracks[1] = TrackBytes(0, 0, 2000000, 2295104);
    EXPECT_EQ(device->UsedBlocks(), 2295104u);
}

TEST_F(ScriptedDriveTest, DiscRecord)
{
    std::vector<std::string> debug;
    device->OnDebugMessage = [&debug](TSCSIDevice *, const std::string &text, uint8_t) {
        debug.push_back(text);
    };
    disc->profile = 0x0009;
    disc->toc = std::vector<uint8_t>{0, 10, 1, 1, 0, 0x14, 1, 0, 0, 0, 0, 0};
    disc->atip = AtipBytes(79, 59, 72, false);
    disc->discInfo = DiscInfoBytes(1, 0, false, 2, 2);
    disc->tracks[255] = TrackBytes(33300, 33300, 359847 - 33300, 359847 - 33300);
    TDisc record = device->DiscInformation();
    EXPECT_TRUE(record.valid);
    EXPECT_EQ(record.mediaText, "CD-R");
    EXPECT_EQ(record.profile, 0x0009);
    EXPECT_EQ(record.used, 33300);
    EXPECT_EQ(record.capacity, 359847);
    EXPECT_EQ(record.blockSize, 2048);
    EXPECT_EQ(record.discStatus, 1);
    EXPECT_EQ(record.lastSessionState, 0);
    EXPECT_EQ(record.firstSession, 1);
    EXPECT_EQ(record.lastSession, 1);
    device->UsedBlocks();
    device->Capacity();
    device->UpdateCapabilities();
    // Every answer buffer is aligned as providers require.
    for (const auto &line : debug)
        EXPECT_NE(line.rfind("aaaa", 0), 0u) << line;

    // A drive without READ DISC INFORMATION: used blocks from READ CAPACITY.
    disc->discInfo.reset();
    disc->tracks.clear();
    disc->capacityLastLba = 26399;
    record = device->DiscInformation();
    EXPECT_EQ(record.used, 26399);
    EXPECT_EQ(record.capacity, 359847);

    // No disc: the record says the drive never became ready.
    disc->ready = false;
    slept = 0;
    record = device->DiscInformation();
    EXPECT_FALSE(record.valid);
    EXPECT_EQ(record.used, 0);
}
