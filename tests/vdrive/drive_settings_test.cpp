// Mode pages, speeds, configuration features and the drive buffer.
#include "provider_harness.h"

namespace zelvane::vdrive::test {
namespace {

using DriveSettings = VirtualDriveTest;

TEST_F(DriveSettings, SetCdSpeedRoundsToTheMediumsSpeedList)
{
    insert(MediaKind::CdR, 50000);
    auto page = in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF);
    ASSERT_TRUE(page.ok());
    ASSERT_EQ(page.data[8], 0x2A);
    EXPECT_EQ(page.be16(8 + 18), 8467); // 48x
    EXPECT_EQ(page.be16(8 + 30), 6);    // write speed descriptors
    EXPECT_EQ(page.data[8 + 4] & 0x80, 0x80); // buffer underrun free

    ASSERT_TRUE(in({0xBB, 0, 0xFF, 0xFF, 0x13, 0x88, 0, 0, 0, 0, 0, 0}).ok()); // 5000 KB/s
    page = in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF);
    EXPECT_EQ(page.be16(8 + 28), 4234); // 24x: the fastest not above the request
    ASSERT_TRUE(in({0xBB, 0, 0xFF, 0xFF, 0x00, 0x64, 0, 0, 0, 0, 0, 0}).ok()); // 100 KB/s
    EXPECT_EQ(in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF).be16(8 + 28), 1411); // the slowest

    // The same request means another speed on another medium.
    insert(MediaKind::DvdPlusRw, 100000);
    ASSERT_TRUE(in({0xBB, 0, 0xFF, 0xFF, 0x2B, 0x5C, 0, 0, 0, 0, 0, 0}).ok()); // 11100 KB/s
    EXPECT_EQ(in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF).be16(8 + 28), 11080); // 8x DVD

    ASSERT_EQ(tool("model --zero-write-speed"), 0);
    page = in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF);
    EXPECT_EQ(page.be16(8 + 18), 0);
    EXPECT_EQ(page.be16(8 + 20), 0);
}

TEST_F(DriveSettings, ModePagesAnswerAndValidate)
{
    insert(MediaKind::CdR, 50000);
    EXPECT_SENSE(in({0x5A, 0, 0x30, 0, 0, 0, 0, 0, 128, 0}, 128), 0x05, 0x24, 0x00);
    EXPECT_SENSE(in({0x5A, 0, 0xEA, 0, 0, 0, 0, 0, 128, 0}, 128), 0x05, 0x39, 0x00); // saved values
    auto page = in({0x5A, 0, 0x05, 0, 0, 0, 0, 0x02, 0x00, 0}, 512);
    ASSERT_TRUE(page.ok());
    EXPECT_EQ(page.be16(0), 8 + 52 - 2);
    EXPECT_EQ(page.data[8], 0x05);
    EXPECT_EQ(page.data[8 + 4], 0x08);

    // A CD takes session-at-once and track-at-once, but no raw recording (it
    // does not offer it); a DVD-R only incremental and disc-at-once.
    EXPECT_SENSE(setWriteParameters(0x03, 0x00, 0x01), 0x05, 0x26, 0x00);
    EXPECT_TRUE(setWriteParameters(0x02, 0x00, 0x00).ok());
    EXPECT_TRUE(setWriteParameters(0x01, 0x00, 0x00).ok());
    EXPECT_SENSE(setWriteParameters(0x01, 0x00, 0x07), 0x05, 0x26, 0x00);
    // Raw 2352-byte blocks in track-at-once cannot carry our 2048-byte writes.
    EXPECT_SENSE(write(0, 1), 0x05, 0x64, 0x00);
    ASSERT_TRUE(setWriteParameters(0x01, 0x04).ok());
    EXPECT_TRUE(write(0, 1).ok());
    EXPECT_SENSE(setWriteParameters(0x01, 0x80), 0x05, 0x26, 0x00); // multi-session 10b is reserved

    insert(MediaKind::DvdR, 100000);
    EXPECT_SENSE(setWriteParameters(0x03, 0x00, 0x01), 0x05, 0x26, 0x00);
    EXPECT_TRUE(setWriteParameters(0x02, 0x00).ok());
    EXPECT_SENSE(setWriteParameters(0x01, 0x00), 0x05, 0x26, 0x00);
    EXPECT_TRUE(setWriteParameters(0x60, 0xE5, 0x08, 16).ok());
    EXPECT_SENSE(setWriteParameters(0x60, 0xE5, 0x08, 32), 0x05, 0x26, 0x00);
    EXPECT_SENSE(out({0x55, 0x00, 0, 0, 0, 0, 0, 0, 60, 0}, std::vector<uint8_t>(60, 0)), 0x05, 0x24, 0x00);
}

TEST_F(DriveSettings, ConfigurationReportsProfileAndWriteFeatures)
{
    insert(MediaKind::DvdPlusRw, 100000);
    auto feature = in({0x46, 0x02, 0x00, 0x2A, 0, 0, 0, 0, 114, 0}, 114);
    ASSERT_TRUE(feature.ok());
    EXPECT_EQ(feature.be16(6), 0x001A);
    EXPECT_EQ(feature.be16(8), 0x002A);
    EXPECT_EQ(feature.data[10] & 0x01, 0x01); // current
    EXPECT_EQ(feature.data[12], 0x01);        // writes DVD+RW
    feature = in({0x46, 0x02, 0x00, 0x2F, 0, 0, 0, 0, 114, 0}, 114);
    EXPECT_EQ(feature.be16(8), 0x002F);
    EXPECT_EQ(feature.data[10] & 0x01, 0x00); // not current for DVD+RW
    EXPECT_EQ(feature.data[12] & 0x46, 0x46); // buffer underrun free, test write, DVD-RW

    auto all = in({0x46, 0x00, 0, 0, 0, 0, 0, 0x04, 0x00, 0}, 1024);
    const uint32_t length = all.be32(0) + 4;
    ASSERT_LE(length, 1024u);
    bool currentProfileListed = false;
    for (size_t at = 12; at + 4 <= size_t{12} + all.data[11]; at += 4)
        currentProfileListed |= all.be16(at) == 0x001A && (all.data[at + 2] & 1);
    EXPECT_TRUE(currentProfileListed);

    ASSERT_EQ(tool("eject"), 0);
    EXPECT_EQ(in({0x46, 0x02, 0, 0, 0, 0, 0, 0, 8, 0}, 8).be16(6), 0x0000);
    ASSERT_EQ(tool("model --no-get-configuration"), 0);
    EXPECT_SENSE(in({0x46, 0x02, 0, 0, 0, 0, 0, 0, 8, 0}, 8), 0x05, 0x20, 0x00);
    ASSERT_EQ(tool("model --no-disc-information"), 0);
    ASSERT_EQ(tool("load"), 0);
    // The disc that came in is reported first, as a unit attention.
    EXPECT_SENSE(discInfo(), 0x06, 0x28, 0x00);
    EXPECT_SENSE(discInfo(), 0x05, 0x20, 0x00);
}

TEST_F(DriveSettings, StatusQueriesAnswerAsTheFeaturesPromise)
{
    ASSERT_EQ(tool("insert dvd-r --capacity 100000"), 0);
    // The new medium is a media event, reported once, before the unit attention is taken.
    const auto mediaEvent = [this] { return in({0x4A, 0x01, 0, 0, 0x10, 0, 0, 0, 8, 0}, 8); };
    auto event = mediaEvent();
    ASSERT_TRUE(event.ok());
    EXPECT_EQ(event.data[2], 4);    // media class
    EXPECT_EQ(event.data[4], 2);    // new media
    EXPECT_EQ(event.data[5], 0x02); // present, tray closed
    EXPECT_EQ(mediaEvent().data[4], 0);
    EXPECT_SENSE(in({0x4A, 0x00, 0, 0, 0x10, 0, 0, 0, 8, 0}, 8), 0x05, 0x24, 0x00); // polled only
    ASSERT_TRUE(waitReady(2000));

    // GET PERFORMANCE: the length tells every write speed; the host's maximum bounds what comes.
    auto speeds = in({0xAC, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x03, 0}, 8 + 16);
    ASSERT_TRUE(speeds.ok());
    EXPECT_EQ(speeds.be32(0), 4u + 4 * 16);
    EXPECT_EQ(speeds.be32(8 + 4), 99999u);
    EXPECT_EQ(speeds.be32(8 + 12), 22160u); // fastest first
    auto nominal = in({0xAC, 0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0x00, 0}, 8 + 16);
    EXPECT_EQ(nominal.data[4] & 0x02, 0x02); // write performance
    EXPECT_EQ(nominal.be32(8 + 8), 99999u);
    EXPECT_SENSE(in({0xAC, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x01, 0}, 24), 0x05, 0x24, 0x00);

    // READ DISC STRUCTURE: the data zone of the physical format, the list of structures.
    auto pfi = in({0xAD, 0, 0, 0, 0, 0, 0, 0x00, 0x08, 0x04, 0, 0}, 2052);
    ASSERT_TRUE(pfi.ok());
    EXPECT_EQ(pfi.be16(0), 2050);
    EXPECT_EQ(pfi.data[4] >> 4, 2); // DVD-R
    EXPECT_EQ(pfi.be32(4 + 8) - pfi.be32(4 + 4), 99999u);
    auto list = in({0xAD, 0, 0, 0, 0, 0, 0, 0xFF, 0, 64, 0, 0}, 64);
    bool prerecorded = false;
    for (size_t at = 4; at + 4 <= size_t{list.be16(0)} + 2; at += 4)
        prerecorded |= list.data[at] == 0x0E && (list.data[at + 1] & 0x40);
    EXPECT_TRUE(prerecorded);
    EXPECT_TRUE(in({0xAD, 0, 0, 0, 0, 0, 0, 0x0E, 0, 64, 0, 0}, 64).ok());
    EXPECT_SENSE(in({0xAD, 0, 0, 0, 0, 0, 0, 0x11, 0, 64, 0, 0}, 64), 0x05, 0x24, 0x00); // DVD+ only
    insert(MediaKind::CdRw, 50000);
    EXPECT_SENSE(in({0xAD, 0, 0, 0, 0, 0, 0, 0x00, 0x08, 0x04, 0, 0}, 2052), 0x05, 0x30, 0x02);

    // CD: incremental streaming with underrun protection and link size 7;
    // session at once but no raw recording.
    auto streaming = in({0x46, 0x02, 0x00, 0x21, 0, 0, 0, 0, 24, 0}, 24);
    EXPECT_EQ(streaming.data[8 + 6] & 0x01, 0x01);
    EXPECT_EQ(streaming.data[8 + 7], 1);
    EXPECT_EQ(streaming.data[8 + 8], 7);
    auto atOnce = in({0x46, 0x02, 0x00, 0x2E, 0, 0, 0, 0, 16, 0}, 16);
    EXPECT_EQ(atOnce.data[8 + 4] & 0x38, 0x20);
}

TEST_F(DriveSettings, BufferFillsWithWritesAndDrainsAtTheSelectedSpeed)
{
    insert(MediaKind::CdR, 50000);
    auto buffer = in({0x5C, 0, 0, 0, 0, 0, 0, 0, 0x20, 0}, 0x20);
    ASSERT_TRUE(buffer.ok());
    EXPECT_EQ(buffer.be32(4), 2u * 1024 * 1024);
    EXPECT_EQ(buffer.be32(8), 2u * 1024 * 1024);

    ASSERT_EQ(tool("speed realtime"), 0);
    ASSERT_TRUE(in({0xBB, 0, 0xFF, 0xFF, 0x05, 0x83, 0, 0, 0, 0, 0, 0}).ok()); // 8x CD: 1411 KB/s
    ASSERT_TRUE(write(0, 512).ok()); // 1 MiB
    buffer = in({0x5C, 0, 0, 0, 0, 0, 0, 0, 0x20, 0}, 0x20);
    const uint32_t freeBytes = buffer.be32(8);
    EXPECT_LT(freeBytes, 2u * 1024 * 1024 - 900u * 1024);
    EXPECT_GT(freeBytes, 1024u * 1024 - 1);

    // Filling beyond the buffer makes the host wait for the drive: real time.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(write(512, 1024).ok()); // another 2 MiB
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GT(waited, std::chrono::milliseconds(400));
    ASSERT_TRUE(in({0x35, 0x02, 0, 0, 0, 0, 0, 0, 0, 0}).ok());
    EXPECT_SENSE(testUnitReady(), 0x02, 0x04, 0x08);
    ASSERT_EQ(tool("speed fast"), 0);
}

TEST_F(DriveSettings, RecordingSupportCommandsCheckMediumAndParameters)
{
    insert(MediaKind::DvdR, 100000);
    // Time stamp (format 0Fh, 22 bytes) on DVD-R; a short list is refused.
    std::vector<uint8_t> stamp(22, '0');
    stamp[0] = 0x00;
    stamp[1] = 0x14;
    EXPECT_TRUE(out({0xBF, 0, 0, 0, 0, 0, 0, 0x0F, 0, 22, 0, 0}, stamp).ok());
    EXPECT_SENSE(out({0xBF, 0, 0, 0, 0, 0, 0, 0x0F, 0, 2, 0, 0}, {0, 0x14}), 0x05, 0x1A, 0x00);
    EXPECT_SENSE(out({0xBF, 0, 0, 0, 0, 0, 0, 0x77, 0, 22, 0, 0}, stamp), 0x05, 0x24, 0x00);
    EXPECT_TRUE(in({0x54, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}).ok()); // OPC
    EXPECT_TRUE(in({0x01, 0, 0, 0, 0, 0}).ok());                // REZERO

    // SET STREAMING: 5540 KB in 1000 ms is 4x DVD.
    std::vector<uint8_t> performance(28, 0);
    performance[15] = 0x01; // read size 1 KB
    performance[18] = 0x03; // read time 1000 ms
    performance[19] = 0xE8;
    performance[22] = 0x15; // write size 5540 KB
    performance[23] = 0xA4;
    performance[26] = 0x03; // write time 1000 ms
    performance[27] = 0xE8;
    EXPECT_TRUE(out({0xB6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 28, 0}, performance).ok());
    EXPECT_EQ(in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF).be16(8 + 28), 5540);
    EXPECT_SENSE(out({0xB6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0}, std::vector<uint8_t>(20, 0)), 0x05, 0x1A, 0x00);

    // A cue sheet belongs to session-at-once on CD.
    // Lead-in; track 1 with its pre-gap at 00:00:00 and its start at 00:02:00; lead-out at 00:04:00.
    const std::vector<uint8_t> cue{0x41, 0x00, 0x00, 0x14, 0, 0, 0, 0,    0x41, 0x01, 0x00, 0x10, 0, 0, 0, 0,
                                   0x41, 0x01, 0x01, 0x10, 0, 0, 2, 0,    0x41, 0xAA, 0x01, 0x14, 0, 0, 4, 0};
    EXPECT_SENSE(out({0x5D, 0, 0, 0, 0, 0, 0, 0, 32, 0}, cue), 0x05, 0x30, 0x00);
    insert(MediaKind::CdR, 50000);
    EXPECT_SENSE(out({0x5D, 0, 0, 0, 0, 0, 0, 0, 32, 0}, cue), 0x05, 0x2C, 0x00);
    ASSERT_TRUE(setWriteParameters(0x02, 0x00).ok());
    EXPECT_TRUE(out({0x5D, 0, 0, 0, 0, 0, 0, 0, 32, 0}, cue).ok());
    EXPECT_SENSE(out({0x5D, 0, 0, 0, 0, 0, 0, 0, 12, 0}, std::vector<uint8_t>(12, 0)), 0x05, 0x1A, 0x00);
    // SEND DVD STRUCTURE has no meaning on a CD.
    EXPECT_SENSE(out({0xBF, 0, 0, 0, 0, 0, 0, 0x0F, 0, 22, 0, 0}, stamp), 0x05, 0x30, 0x00);
}

} // namespace
} // namespace zelvane::vdrive::test
