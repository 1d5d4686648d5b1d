// DVD+RW, DVD-RAM and DVD-RW: formatting, blanking (with progress while they
// run) and writes in the formatted area.
#include "provider_harness.h"

namespace zelvane::vdrive::test {
namespace {

using OverwritableMedia = VirtualDriveTest;

// FORMAT UNIT parameter list: immediate, one descriptor of `blocks` blocks.
std::vector<uint8_t> formatList(uint32_t blocks, uint8_t type, uint32_t parameter)
{
    return {0x00, 0x82, 0x00, 0x08, uint8_t(blocks >> 24), uint8_t(blocks >> 16), uint8_t(blocks >> 8), uint8_t(blocks),
            uint8_t(type << 2), uint8_t(parameter >> 16), uint8_t(parameter >> 8), uint8_t(parameter)};
}

TEST_F(OverwritableMedia, NewDvdPlusRwRefusesWritesUntilFormatted)
{
    insert(MediaKind::DvdPlusRw, 200000);
    const auto write1 = write(0, 16);
    EXPECT_EQ(write1.key(), 0x05);
    EXPECT_EQ(write1.asc(), 0x30);
    EXPECT_EQ(discInfo().data[2] & 0x13, 0x10); // blank, erasable

    auto capacities = in({0x23, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0}, 0xF8);
    ASSERT_TRUE(capacities.ok());
    EXPECT_EQ(capacities.data[8], 0x01); // unformatted
    EXPECT_EQ(capacities.be32(12), 200000u);
    EXPECT_EQ(capacities.data[16], 0x98); // format type 26h

    // A format is taken only as READ FORMAT CAPACITIES offers it.
    EXPECT_SENSE(out({0x04, 0x11, 0, 0, 0, 0}, formatList(200001, 0x26, 0)), 0x05, 0x26, 0x00);
    EXPECT_SENSE(out({0x04, 0x11, 0, 0, 0, 0}, formatList(200000, 0x00, 2048)), 0x05, 0x26, 0x00);
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, formatList(200000, 0x26, 0)).ok());
    const auto busy = testUnitReady();
    EXPECT_SENSE(busy, 0x02, 0x04, 0x04);
    EXPECT_EQ(busy.sense[15] & 0x80, 0x80); // progress indication valid
    EXPECT_SENSE(write(0, 16), 0x02, 0x04, 0x04);
    ASSERT_TRUE(waitReady(5000));

    EXPECT_EQ(discInfo().data[2] & 0x03, 0x02);
    ASSERT_TRUE(write(1000, 32, 0x3C).ok());
    ASSERT_TRUE(write(16, 16, 0x11).ok());
    ASSERT_TRUE(write(16, 16, 0x22).ok()); // overwrite
    EXPECT_EQ(read(1000, 32).data[2048 * 31], 0x3C);
    EXPECT_EQ(read(16, 1).data[0], 0x22);
    EXPECT_EQ(read(5000, 1).data[0], 0x00); // formatted, never written
    EXPECT_SENSE(write(199990, 16), 0x05, 0x21, 0x00);
    EXPECT_EQ(in({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8).be32(0), 199999u);
    EXPECT_TRUE(closeSession().ok());
}

TEST_F(OverwritableMedia, DvdRamWritesAnywhereAndCannotBeBlanked)
{
    insert(MediaKind::DvdRam, 100000);
    EXPECT_EQ(discInfo().data[2] & 0x03, 0x03); // others: random access
    ASSERT_TRUE(write(50000, 3).ok());
    ASSERT_TRUE(write(7, 1).ok());
    EXPECT_SENSE(in({0xA1, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0x05, 0x30, 0x00);
    EXPECT_SENSE(out({0x04, 0x11, 0, 0, 0, 0}, formatList(100000, 0x00, 512)), 0x05, 0x26, 0x00);
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, formatList(100000, 0x00, 2048)).ok());
    ASSERT_TRUE(waitReady(5000));
    EXPECT_EQ(read(50000, 1).data[0], 0x00); // formatting wiped the data
}

TEST_F(OverwritableMedia, BlankingCdRwRunsWithProgressThenLeavesABlankDisc)
{
    insert(MediaKind::CdRw, 50000);
    ASSERT_TRUE(write(0, 100).ok());
    ASSERT_TRUE(closeSession().ok());
    ASSERT_TRUE(waitReady(2000));
    EXPECT_EQ(discInfo().data[2], 0x1E); // erasable, complete
    ASSERT_TRUE(in({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).ok()); // minimal, immediate
    const auto busy = testUnitReady();
    EXPECT_SENSE(busy, 0x02, 0x04, 0x07);
    EXPECT_EQ(busy.sense[15], 0x80);
    EXPECT_SENSE(discInfo(), 0x02, 0x04, 0x07);
    ASSERT_TRUE(waitReady(5000));
    EXPECT_EQ(discInfo().data[2], 0x10); // erasable, blank
    EXPECT_TRUE(write(0, 16).ok());
    // Only erasable media blank.
    insert(MediaKind::CdR, 50000);
    EXPECT_SENSE(in({0xA1, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0x05, 0x30, 0x00);
}

TEST_F(OverwritableMedia, RestrictedOverwriteTakesWholePacketsAndBlanksToSequential)
{
    insert(MediaKind::DvdRwRestricted, 100000);
    EXPECT_SENSE(write(8, 16), 0x05, 0x21, 0x02);
    EXPECT_SENSE(write(0, 8), 0x05, 0x21, 0x02);
    ASSERT_TRUE(write(0, 32).ok());
    auto config = in({0x46, 0x02, 0, 0, 0, 0, 0, 0, 8, 0}, 8);
    EXPECT_EQ(config.be16(6), 0x0013);

    ASSERT_TRUE(in({0xA1, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).ok());
    ASSERT_TRUE(waitReady(5000));
    config = in({0x46, 0x02, 0, 0, 0, 0, 0, 0, 8, 0}, 8);
    EXPECT_EQ(config.be16(6), 0x0014);
    // After a minimal blank a DVD-RW only takes disc-at-once recording,
    // into a reserved track.
    EXPECT_SENSE(write(0, 16), 0x05, 0x64, 0x00);
    ASSERT_TRUE(setWriteParameters(0x42, 0x05).ok());
    EXPECT_SENSE(write(0, 16), 0x05, 0x2C, 0x00);
    ASSERT_TRUE(in({0x53, 0, 0, 0, 0, 0, 0, 0, 16, 0}).ok());
    EXPECT_TRUE(write(0, 16).ok());

    // Quick format back to restricted overwrite: the volume grows from 0.
    ASSERT_TRUE(out({0x04, 0x11, 0, 0, 0, 0}, formatList(100000, 0x15, 16)).ok());
    ASSERT_TRUE(waitReady(5000));
    EXPECT_EQ(trackInfo(1).be32(24), 0u);
    EXPECT_SENSE(write(32, 16), 0x05, 0x21, 0x02); // beyond the formatted end
    ASSERT_TRUE(write(0, 48).ok());
    auto track = trackInfo(1);
    EXPECT_EQ(track.be32(24), 48u);
    EXPECT_EQ(track.be32(16), 100000u - 48u);
}

} // namespace
} // namespace zelvane::vdrive::test
