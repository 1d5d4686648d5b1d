// Quick and full erases of every rewritable medium on the virtual drive: the
// drive leaves the medium as a real one would, the disc takes a new write
// that reads back, and the run reports its end once, at 100 %.
#include "EraseFixture.h"

#include "sxDrvLib/MediaCode.h"

#include <algorithm>
#include <regex>

using namespace zelvane;

namespace {

constexpr uint8_t kFull = 0;
constexpr uint8_t kQuick = 1;
constexpr uint32_t kOldVolume = 64;
constexpr uint32_t kNewVolume = 32;

struct MediumCase {
    const char *name;       // test name
    const char *insert;     // arguments of "zelvane-vdrive insert"
    uint8_t type;
    const char *mediaName;  // in the starting line
};

void PrintTo(const MediumCase &param, std::ostream *out) { *out << param.name; }

bool AllBytes(const std::vector<uint8_t> &data, uint8_t value)
{
    return std::all_of(data.begin(), data.end(), [value](uint8_t b) { return b == value; });
}

} // namespace

class EraseMediumTest : public EraseTest, public ::testing::WithParamInterface<MediumCase> {
protected:
    // Something to erase: a volume of kOldVolume blocks.
    void WriteOldVolume(uint8_t code)
    {
        switch (code) {
        case kMediaCdRw:
        case kMediaDvdRwSequential:
            WriteSession(kOldVolume, Closing::Session, kOldVolume);
            break;
        case kMediaDvdPlusRw:
            FormatDvdPlusRw();
            [[fallthrough]];
        default:
            WriteAt(0, kOldVolume, kOldVolume);
        }
        ASSERT_EQ(device->IsoVolumeSize(), kOldVolume);
    }

    // A new volume written the way the burner would, and read back.
    void WriteNewVolumeAndReadBack(uint8_t code)
    {
        uint32_t start = 0;
        if (code == kMediaCdRw) {
            start = WriteSession(kNewVolume, Closing::Session, kNewVolume);
        } else {
            if (code == kMediaDvdRwSequential || code == kMediaDvdRwRestricted) {
                // A blank DVD-RW is quick-formatted to restricted overwrite first.
                const std::vector<uint8_t> list = {0x00, 0xA2, 0x00, 0x08, 0x00, 0x00, 0x03, 0xE8,
                                                   0x15 << 2, 0x00, 0x00, 0x10};
                ASSERT_TRUE(device->FormatUnit(0x11, list)) << device->LastErrorText();
                ASSERT_TRUE(device->WaitUntilReady(60000, 100));
            }
            WriteAt(0, kNewVolume, kNewVolume);
        }
        EXPECT_TRUE(AllBytes(ReadBack(start, 16), 0xA5));
        EXPECT_EQ(device->IsoVolumeSize(), kNewVolume);
    }
};

TEST_P(EraseMediumTest, LeavesTheMediumBlankAndWritable)
{
    const MediumCase &param = GetParam();
    Tool(std::string("insert ") + param.insert);
    const uint8_t code = device->GetMediaCode();
    WriteOldVolume(code);

    const EraseRun run = RunErase(param.type);

    ASSERT_TRUE(run.started) << burner->LastErrorText();
    ExpectOneCleanEnd(run, *burner);

    ASSERT_EQ(run.infoLines.size(), 1u);
    const bool dvdSpeed = code == kMediaDvdRam || code == kMediaDvdPlusRw || code >= kMediaDvdRwRestricted;
    const std::regex line(std::string(">>> STARTING ERASE PROCESS ON ") + param.mediaName + " AT " +
                          (dvdSpeed ? R"(\d+\.\dX)" : R"(\d+X)") + R"(\(\d{1,3}(,\d{3})* KB/s\))");
    EXPECT_TRUE(std::regex_match(run.infoLines[0], line)) << run.infoLines[0];

    const DiscLayout layout = Layout();
    switch (code) {
    case kMediaCdRw:
    case kMediaDvdRwSequential:
    case kMediaDvdRwRestricted:
        // Blanking a restricted-overwrite DVD-RW leaves it sequential.
        EXPECT_EQ(layout.discStatus, "blank");
        EXPECT_EQ(device->GetMediaCode(), code == kMediaCdRw ? kMediaCdRw : kMediaDvdRwSequential);
        EXPECT_EQ(device->DiscStatus(), 0);
        break;
    case kMediaDvdPlusRw:
        EXPECT_EQ(layout.discStatus, "complete"); // formatted
        EXPECT_EQ(device->UsedBlocks(), 0u);
        // The zero units: LBA 0 to 2,048, or the whole disc for a full erase.
        ASSERT_TRUE(layout.writtenEnd.has_value());
        EXPECT_EQ(*layout.writtenEnd, param.type == kQuick ? 2080u : layout.capacity);
        EXPECT_TRUE(AllBytes(ReadBack(0, 32), 0));
        break;
    case kMediaDvdRam:
        EXPECT_EQ(device->UsedBlocks(), 0u);
        EXPECT_TRUE(AllBytes(ReadBack(0, 32), 0));
        EXPECT_TRUE(AllBytes(ReadBack(2048, 32), 0));
        break;
    default:
        FAIL() << "unexpected medium " << int(code);
    }

    WriteNewVolumeAndReadBack(device->GetMediaCode());
}

INSTANTIATE_TEST_SUITE_P(
    Media, EraseMediumTest,
    ::testing::Values(MediumCase{"CdRwQuick", "cd-rw", kQuick, "CD-RW"},
                      MediumCase{"CdRwFull", "cd-rw --capacity 60000", kFull, "CD-RW"},
                      MediumCase{"DvdRwSequentialQuick", "dvd-rw", kQuick, "DVD-RW"},
                      MediumCase{"DvdRwSequentialFull", "dvd-rw --capacity 60000", kFull, "DVD-RW"},
                      MediumCase{"DvdRwRestrictedQuick", "dvd-rw-ro", kQuick, "DVD-RW"},
                      MediumCase{"DvdRwRestrictedFull", "dvd-rw-ro --capacity 60000", kFull, "DVD-RW"},
                      MediumCase{"DvdPlusRwQuick", "dvd+rw", kQuick, "DVD\\+RW"},
                      // A small disc: a full erase writes zeros over all of it.
                      MediumCase{"DvdPlusRwFull", "dvd+rw --capacity 16384", kFull, "DVD\\+RW"},
                      MediumCase{"DvdRamQuick", "dvd-ram", kQuick, "DVD-RAM"},
                      MediumCase{"DvdRamFull", "dvd-ram", kFull, "DVD-RAM"}),
    [](const ::testing::TestParamInfo<MediumCase> &info) { return std::string(info.param.name); });
