// Next writable address rules and session closing on CD-R, DVD-R and DVD+R,
// checked through READ DISC/TRACK INFORMATION and READ TOC.
#include "provider_harness.h"

#include <map>

namespace zelvane::vdrive::test {
namespace {

using SequentialRecording = VirtualDriveTest;

constexpr uint32_t kCapacity = 50000;

// Multi-session 11b: the next session stays possible.
constexpr uint8_t kTaoMultiSession[2] = {0x41, 0xC4};

TEST_F(SequentialRecording, CdRWritesOnlyAtTheNextWritableAddress)
{
    insert(MediaKind::CdR, kCapacity);
    EXPECT_SENSE(write(5, 1), 0x05, 0x21, 0x02);
    ASSERT_TRUE(write(0, 300).ok());
    EXPECT_SENSE(write(301, 10), 0x05, 0x21, 0x02);
    EXPECT_SENSE(write(0, 10), 0x05, 0x21, 0x02);
    ASSERT_TRUE(write(300, 10).ok());

    const auto track = trackInfo(0xFF);
    ASSERT_TRUE(track.ok());
    EXPECT_EQ(track.data[2], 1);
    EXPECT_EQ(track.data[7] & 0x01, 1); // NWA valid
    EXPECT_EQ(track.be32(8), 0u);
    EXPECT_EQ(track.be32(12), 310u);
    EXPECT_EQ(track.be32(16), kCapacity - 310);
    EXPECT_EQ(track.be32(24), kCapacity);

    // Beyond the end of the disc.
    insert(MediaKind::CdR, 100);
    EXPECT_SENSE(write(0, 101), 0x05, 0x21, 0x00);
}

TEST_F(SequentialRecording, ClosingCdSessionsLeavesLeadOutAndLeadInGaps)
{
    insert(MediaKind::CdR, kCapacity);
    ASSERT_TRUE(setWriteParameters(kTaoMultiSession[0], kTaoMultiSession[1]).ok());
    EXPECT_SENSE(closeSession(), 0x05, 0x2C, 0x00); // nothing written yet
    ASSERT_TRUE(write(0, 310).ok());
    ASSERT_TRUE(closeTrack().ok());
    ASSERT_TRUE(waitReady(2000));
    ASSERT_TRUE(closeSession().ok());
    ASSERT_TRUE(waitReady(2000));

    // Track 1: 310 blocks plus 2 run-out blocks; session 2 starts 11400 blocks after its lead-out.
    auto first = trackInfo(1);
    EXPECT_EQ(first.be32(24), 312u);
    EXPECT_EQ(first.data[7] & 0x01, 0);
    auto open = trackInfo(0xFF);
    EXPECT_EQ(open.data[2], 2);
    EXPECT_EQ(open.data[3], 2);
    EXPECT_EQ(open.be32(8), 312u + 11400u);
    EXPECT_EQ(open.be32(12), 312u + 11400u);
    EXPECT_EQ(open.be32(16), kCapacity - 11712u);

    auto disc = discInfo();
    EXPECT_EQ(disc.data[2], 0x01); // appendable, last session empty, not erasable
    EXPECT_EQ(disc.data[4], 2);
    EXPECT_EQ(disc.data[5], 2);
    EXPECT_EQ(disc.data[6], 2);

    ASSERT_TRUE(write(11712, 100).ok());
    EXPECT_EQ(discInfo().data[2] & 0x0C, 0x04); // last session incomplete
    ASSERT_TRUE(closeSession().ok());
    ASSERT_TRUE(waitReady(2000));
    // Later sessions: 6900 blocks of lead-out, lead-in and pre-gap.
    EXPECT_EQ(trackInfo(0xFF).be32(12), 11712u + 102u + 6900u);
    EXPECT_EQ(discInfo().data[4], 3);

    // Table of contents: two tracks and the lead-out of the last closed session.
    auto toc = in({0x43, 0, 0, 0, 0, 0, 0, 0, 100, 0}, 100);
    ASSERT_TRUE(toc.ok());
    EXPECT_EQ(toc.be16(0), 2 + 3 * 8);
    EXPECT_EQ(toc.data[2], 1);
    EXPECT_EQ(toc.data[3], 2);
    EXPECT_EQ(toc.be32(8), 0u);
    EXPECT_EQ(toc.data[14], 2);
    EXPECT_EQ(toc.be32(16), 11712u);
    EXPECT_EQ(toc.data[22], 0xAA);
    EXPECT_EQ(toc.be32(24), 11712u + 102u);
    auto msfToc = in({0x43, 0x02, 0, 0, 0, 0, 0, 0, 100, 0}, 100);
    EXPECT_EQ(msfToc.data[9], 0); // track 1 at 00:02:00
    EXPECT_EQ(msfToc.data[10], 2);

    auto sessions = in({0x43, 0, 1, 0, 0, 0, 0, 0, 12, 0}, 12);
    EXPECT_EQ(sessions.data[2], 1);
    EXPECT_EQ(sessions.data[3], 2);
    EXPECT_EQ(sessions.data[6], 2);
    EXPECT_EQ(sessions.be32(8), 11712u);

    // Full TOC: A0/A1/A2 and the track of each session; B0 points to the next
    // program area and the outermost lead-out; C0 (session 1) to the first lead-in.
    auto full = in({0x43, 0x02, 0x02, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full.data[2], 1);
    EXPECT_EQ(full.data[3], 2);
    ASSERT_EQ(full.be16(0), 2 + 11 * 11);
    std::map<std::pair<int, int>, const uint8_t *> entries;
    for (size_t at = 4; at + 11 <= size_t{full.be16(0)} + 2; at += 11)
        entries[{full.data[at], full.data[at + 3]}] = &full.data[at];
    const auto lbaOf = [](const uint8_t *time) { return time[0] * 4500 + time[1] * 75 + time[2] - 150; };
    ASSERT_EQ(entries.size(), 11u);
    const auto entry = [&entries](int session, int point) {
        const auto found = entries.find({session, point});
        static const uint8_t kMissing[11] = {};
        return found == entries.end() ? kMissing : found->second;
    };
    EXPECT_EQ(entry(1, 0xA0)[8], 1);
    EXPECT_EQ(entry(2, 0xA1)[8], 2);
    EXPECT_EQ(lbaOf(entry(1, 0xA2) + 8), 312);
    EXPECT_EQ(lbaOf(entry(2, 0xA2) + 8), 11712 + 102);
    EXPECT_EQ(lbaOf(entry(2, 0x02) + 8), 11712);
    EXPECT_EQ(entry(1, 0xB0)[1], 0x54);
    EXPECT_EQ(lbaOf(entry(1, 0xB0) + 4), 11712);
    EXPECT_EQ(lbaOf(entry(2, 0xB0) + 4), 11712 + 102 + 6900);
    EXPECT_EQ(lbaOf(entry(2, 0xB0) + 8), int(kCapacity));
    EXPECT_EQ(entry(1, 0xC0)[8], 97);
    EXPECT_EQ(entries.count(std::make_pair(2, 0xC0)), 0u);
    // The PMA: start and stop of both tracks; no CD-TEXT.
    auto pma = in({0x43, 0x02, 0x03, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF);
    ASSERT_EQ(pma.be16(0), 2 + 2 * 11);
    EXPECT_EQ(pma.data[7], 1);
    EXPECT_EQ(lbaOf(&pma.data[8]), 311);
    EXPECT_EQ(lbaOf(&pma.data[12]), 0);
    EXPECT_EQ(lbaOf(&pma.data[19]), 11712 + 101);
    EXPECT_EQ(in({0x43, 0x02, 0x05, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF).be16(0), 2);

    // The data of both sessions reads back; the gap between them does not.
    EXPECT_TRUE(read(11712, 100).ok());
    EXPECT_EQ(read(0, 1).data[0], 0xA5);
    EXPECT_SENSE(read(5000, 1), 0x05, 0x21, 0x00);
    auto capacity = in({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8);
    EXPECT_EQ(capacity.be32(0), 11712u + 102u - 1u);
    EXPECT_EQ(capacity.be32(4), 2048u);
}

TEST_F(SequentialRecording, CdSessionAtOnceFollowsTheCueSheetFromThePreGap)
{
    insert(MediaKind::CdR, kCapacity);
    // Session-at-once with a next session allowed; the page's block type (raw) plays no part.
    ASSERT_TRUE(setWriteParameters(0x02, 0xC0, 0x00).ok());
    const uint32_t preGap = uint32_t(-150);
    EXPECT_SENSE(write(preGap, 30), 0x05, 0x2C, 0x00); // no cue sheet yet
    // Lead-in; track 1: pre-gap at 00:00:00, start at 00:02:00; lead-out at 00:06:00 (LBA 300).
    std::vector<uint8_t> cue{0x41, 0x00, 0x00, 0x14, 0, 0, 0, 0, 0x41, 0x01, 0x00, 0x10, 0, 0, 0, 0,
                             0x41, 0x01, 0x01, 0x10, 0, 0, 2, 0, 0x41, 0xAA, 0x01, 0x14, 0, 0, 6, 0};
    auto audio = cue;
    audio[19] = 0x00; // CD-DA blocks of 2352 bytes
    EXPECT_SENSE(out({0x5D, 0, 0, 0, 0, 0, 0, 0, 32, 0}, audio), 0x05, 0x26, 0x00);
    auto late = cue;
    late[22] = 3; // the track does not start at the next writable address
    EXPECT_SENSE(out({0x5D, 0, 0, 0, 0, 0, 0, 0, 32, 0}, late), 0x05, 0x26, 0x00);
    ASSERT_TRUE(out({0x5D, 0, 0, 0, 0, 0, 0, 0, 32, 0}, cue).ok());

    EXPECT_SENSE(write(0, 30), 0x05, 0x21, 0x02); // writing starts at the pre-gap
    for (uint32_t lba = preGap; lba != 300; lba += 30)
        ASSERT_TRUE(write(lba, 30, 0x5A).ok()) << int32_t(lba);
    EXPECT_SENSE(write(300, 1), 0x05, 0x21, 0x00); // past the lead-out
    ASSERT_TRUE(in({0x35, 0, 0, 0, 0, 0, 0, 0, 0, 0}).ok());
    ASSERT_TRUE(waitReady(2000));

    // The flush laid the session down: one track of 300 blocks without run-out.
    auto track = trackInfo(1);
    EXPECT_EQ(track.be32(8), 0u);
    EXPECT_EQ(track.be32(24), 300u);
    EXPECT_EQ(read(299, 1).data[0], 0x5A);
    EXPECT_EQ(discInfo().data[2] & 0x03, 0x01); // appendable
    EXPECT_EQ(trackInfo(0xFF).be32(12), 300u + 11400u);
    EXPECT_SENSE(write(11700, 1), 0x05, 0x2C, 0x00); // the cue sheet was used up
}

TEST_F(SequentialRecording, CdAtipGivesLeadOutAndDiscType)
{
    insert(MediaKind::CdRw, kCapacity);
    auto atip = in({0x43, 0x02, 0x04, 0, 0, 0, 0, 0, 28, 0}, 28);
    ASSERT_TRUE(atip.ok());
    EXPECT_EQ(atip.data[6] & 0xC0, 0xC0); // CD-RW
    const uint32_t leadOut = atip.data[12] * 4500u + atip.data[13] * 75u + atip.data[14];
    EXPECT_EQ(leadOut, kCapacity + 150);
    EXPECT_SENSE(in({0x43, 0, 0, 0, 0, 0, 0, 0, 100, 0}, 100), 0x05, 0x24, 0x00); // blank: no TOC

    insert(MediaKind::CdR, kCapacity);
    EXPECT_EQ(in({0x43, 0x02, 0x04, 0, 0, 0, 0, 0, 28, 0}, 28).data[6] & 0xC0, 0x80);
    ASSERT_EQ(tool("model --no-atip"), 0);
    EXPECT_SENSE(in({0x43, 0x02, 0x04, 0, 0, 0, 0, 0, 28, 0}, 28), 0x05, 0x24, 0x00);
    insert(MediaKind::DvdR, 100000);
    ASSERT_EQ(tool("model --default"), 0);
    EXPECT_SENSE(in({0x43, 0x02, 0x04, 0, 0, 0, 0, 0, 28, 0}, 28), 0x05, 0x24, 0x00);
    for (uint8_t cdOnly : {0x02, 0x03, 0x05}) // full TOC, PMA, CD-TEXT
        EXPECT_SENSE(in({0x43, 0x02, cdOnly, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF), 0x05, 0x24, 0x00);
}

TEST_F(SequentialRecording, DvdRBordersAndFinalising)
{
    insert(MediaKind::DvdR, 100000);
    // Track-at-once does not exist on DVD-R.
    EXPECT_SENSE(setWriteParameters(0x41, 0xC5), 0x05, 0x26, 0x00);
    ASSERT_TRUE(setWriteParameters(0x40, 0xC5).ok());
    ASSERT_TRUE(write(0, 20).ok());
    ASSERT_TRUE(closeSession().ok());
    ASSERT_TRUE(waitReady(2000));
    // The border closes on an ECC block; the next border starts after border-out and border-in.
    EXPECT_EQ(trackInfo(1).be32(24), 32u);
    EXPECT_EQ(trackInfo(2).be32(12), 32u + kDvdMinusBorderGap);

    // Multi-session 00b: closing the session closes the disc.
    ASSERT_TRUE(setWriteParameters(0x40, 0x05).ok());
    ASSERT_TRUE(write(32 + kDvdMinusBorderGap, 16).ok());
    ASSERT_TRUE(closeSession().ok());
    ASSERT_TRUE(waitReady(2000));
    auto disc = discInfo();
    EXPECT_EQ(disc.data[2], 0x0E); // complete, last session complete
    EXPECT_EQ(disc.data[4], 2);
    EXPECT_SENSE(write(32 + kDvdMinusBorderGap + 16, 16), 0x05, 0x21, 0x02);
    EXPECT_SENSE(trackInfo(0xFF), 0x05, 0x24, 0x00);
}

TEST_F(SequentialRecording, DvdPlusRSessionsAndFinalise)
{
    insert(MediaKind::DvdPlusR, 100000);
    ASSERT_TRUE(write(0, 40).ok());
    ASSERT_TRUE(closeTrack().ok());
    ASSERT_TRUE(waitReady(2000));
    ASSERT_TRUE(closeSession().ok()); // DVD+R keeps the disc appendable
    ASSERT_TRUE(waitReady(2000));
    EXPECT_EQ(discInfo().data[2], 0x01);
    EXPECT_EQ(trackInfo(0xFF).be32(12), 48u + kDvdPlusSessionGap);
    // Finalising with the last session still empty.
    ASSERT_TRUE(in({0x5B, 0, 0x05, 0, 0, 0, 0, 0, 0, 0}).ok());
    ASSERT_TRUE(waitReady(2000));
    auto disc = discInfo();
    EXPECT_EQ(disc.data[2], 0x0E);
    EXPECT_EQ(disc.data[4], 1);
    // Finalising is a DVD+R close function only.
    insert(MediaKind::CdR, kCapacity);
    ASSERT_TRUE(write(0, 16).ok());
    EXPECT_SENSE(in({0x5B, 0, 0x05, 0, 0, 0, 0, 0, 0, 0}), 0x05, 0x24, 0x00);
}

TEST_F(SequentialRecording, ReservedTrackTakesWritesAndInvisibleTrackFollows)
{
    insert(MediaKind::DvdR, 100000);
    ASSERT_TRUE(in({0x53, 0, 0, 0, 0, 0, 0, 0x03, 0xE8, 0, 0, 0}).ok()); // 1000 blocks
    auto reserved = trackInfo(1);
    EXPECT_EQ(reserved.be32(24), 1008u); // rounded up to the ECC block
    EXPECT_EQ(reserved.data[6] & 0x80, 0x80);
    EXPECT_EQ(trackInfo(0xFF).be32(8), 1008u);
    ASSERT_TRUE(write(0, 1008).ok());
    EXPECT_SENSE(write(1008 - 16, 16), 0x05, 0x21, 0x02);
    EXPECT_SENSE(in({0x53, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0x05, 0x24, 0x00);
}

TEST_F(SequentialRecording, TestWriteRecordsNothing)
{
    insert(MediaKind::CdR, kCapacity);
    ASSERT_TRUE(setWriteParameters(0x51, 0xC4).ok()); // track-at-once, test write
    ASSERT_TRUE(write(0, 32).ok());
    ASSERT_TRUE(write(32, 32).ok());
    ASSERT_TRUE(closeTrack().ok());
    ASSERT_TRUE(waitReady(2000));
    EXPECT_EQ(discInfo().data[2] & 0x03, 0); // still blank
    EXPECT_EQ(trackInfo(0xFF).be32(12), 0u);
    EXPECT_SENSE(read(0, 1), 0x05, 0x21, 0x00);
}

} // namespace
} // namespace zelvane::vdrive::test
