// Every blank medium as a host first sees it: profile, disc status,
// erasability, writable start and free space, and format capacities.
#include "provider_harness.h"

namespace zelvane::vdrive::test {
namespace {

struct BlankMedium {
    const char *token;
    uint16_t profile;
    uint8_t discStatus; // READ DISC INFORMATION byte 2 bits 0-1
    bool erasable;
    uint32_t capacity;  // sectors of a new disc
    bool nextWritableValid;
};

// Independent of the drive's tables: the figures of real media.
const BlankMedium kMedia[] = {
    {"cd-r", 0x0009, 0, false, 359847, true},
    {"cd-rw", 0x000A, 0, true, 359847, true},
    {"dvd-r", 0x0011, 0, false, 2295104, true},
    {"dvd-rw", 0x0014, 0, true, 2295104, true},
    {"dvd-rw-ro", 0x0013, 2, true, 2295104, true},
    {"dvd+r", 0x001B, 0, false, 2295104, true},
    {"dvd+rw", 0x001A, 0, true, 2295104, false},
    {"dvd-ram", 0x0012, 3, true, 2236704, true},
};

void PrintTo(const BlankMedium &medium, std::ostream *out) { *out << medium.token; }

class BlankMedia : public VirtualDriveTest, public ::testing::WithParamInterface<BlankMedium> {};

TEST_P(BlankMedia, ReportsProfileStatusAndSpace)
{
    const BlankMedium &medium = GetParam();
    std::string output;
    ASSERT_EQ(tool(std::string("insert ") + medium.token, &output), 0) << output;
    ASSERT_TRUE(waitReady(3000));

    auto config = in({0x46, 0x02, 0, 0, 0, 0, 0, 0, 8, 0}, 8);
    ASSERT_TRUE(config.ok());
    EXPECT_EQ(config.be16(6), medium.profile);

    auto disc = discInfo();
    ASSERT_TRUE(disc.ok());
    EXPECT_EQ(disc.be16(0), 32);
    EXPECT_EQ(disc.data[2] & 0x03, medium.discStatus);
    EXPECT_EQ((disc.data[2] >> 4) & 1, medium.erasable ? 1 : 0);
    EXPECT_EQ(disc.data[3], 1);
    EXPECT_EQ(disc.data[4], 1);

    auto track = trackInfo(1);
    ASSERT_TRUE(track.ok());
    EXPECT_EQ(track.be32(8), 0u);
    EXPECT_EQ(track.data[7] & 0x01, medium.nextWritableValid ? 1 : 0);
    if (medium.nextWritableValid) {
        EXPECT_EQ(track.be32(12) + track.be32(16), medium.capacity);
    }

    auto capacities = in({0x23, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0}, 0xF8);
    ASSERT_TRUE(capacities.ok());
    EXPECT_EQ(capacities.be32(4), medium.capacity);
    EXPECT_EQ(capacities.be32(8) & 0xFFFFFF, 2048u);

    const bool cd = medium.profile < 0x0010;
    auto atip = in({0x43, 0x02, 0x04, 0, 0, 0, 0, 0, 28, 0}, 28);
    EXPECT_EQ(atip.ok(), cd);
    auto page = in({0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0xFF, 0}, 0xFF);
    EXPECT_GT(page.be16(8 + 18), 0);
    EXPECT_GE(page.be16(8 + 30), 3); // several write speeds for every writable medium
}

INSTANTIATE_TEST_SUITE_P(EveryMedium, BlankMedia, ::testing::ValuesIn(kMedia),
                         [](const ::testing::TestParamInfo<BlankMedium> &info) {
                             std::string name = info.param.token;
                             for (char &c : name)
                                 c = c == '-' ? '_' : c == '+' ? 'P' : c;
                             return name;
                         });

} // namespace
} // namespace zelvane::vdrive::test
