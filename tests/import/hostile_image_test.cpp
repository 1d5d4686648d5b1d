// Discs that lie: loops, extents and sizes beyond the disc, records that
// overrun their sector, names that try to leave the target folder. Each
// import ends (quickly) with what could be read, and extraction never
// writes outside the chosen folder.
#include "ImportFixture.h"

#include "sxCDBC/EntryExtraction.h"

#include <chrono>
#include <cstring>
#include <random>

using namespace zelvane;

namespace {

// Primary and Joliet descriptors whose roots are the sectors 20 and 21.
HandImage Session(std::uint32_t sectors, std::uint32_t rootSize = 2048)
{
    HandImage image(sectors);
    image.Primary(16, 20, rootSize);
    image.Joliet(17, 21, rootSize);
    image.Terminator(18);
    return image;
}

HandImage::Record Dir(const std::string &name, std::uint32_t extent, std::uint32_t size = 2048)
{
    return {Ucs2(name), extent, size, true};
}

HandImage::Record File(const std::string &name, std::uint32_t extent, std::uint32_t size)
{
    return {Ucs2(name + ";1"), extent, size, false};
}

} // namespace

TEST_F(ImportTest, DirectoryLoopsEndTheirBranch)
{
    HandImage image = Session(40);
    // The root holds itself, a folder holding itself, and a folder that
    // holds the root again.
    image.Directory(21, 21, 21, {Dir("root again", 21), Dir("self", 22), Dir("down", 23)});
    image.Directory(22, 22, 21, {Dir("self", 22), File("in self.txt", 30, 3)});
    image.Directory(23, 23, 21, {Dir("up", 21), File("in down.txt", 31, 3)});
    UseImage(image.Bytes());

    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(Names("\\"), (std::vector<std::string>{"root again", "self", "down"}));
    EXPECT_EQ(Names("\\self"), (std::vector<std::string>{"self", "in self.txt"}));
    EXPECT_TRUE(Names("\\self\\self").empty());
    EXPECT_EQ(Names("\\down"), (std::vector<std::string>{"up", "in down.txt"}));
    EXPECT_TRUE(Names("\\down\\up").empty());
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, DIRECTORY READ BEFORE: \"\\ROOT AGAIN\""));
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, DIRECTORY READ BEFORE: \"\\DOWN\\UP\""));
}

TEST_F(ImportTest, SharedDirectoriesAreReadOnceSoTheTreeStaysLinear)
{
    // 40 levels, each holding two folders that are both the next level:
    // read as a tree that would be 2^40 folders.
    constexpr std::uint32_t kLevels = 40;
    HandImage image = Session(30 + kLevels);
    for (std::uint32_t level = 0; level < kLevels; ++level) {
        const std::uint32_t sector = level == 0 ? 21 : 29 + level;
        image.Directory(sector, sector, 21, {Dir("a", 30 + level), Dir("b", 30 + level)});
    }
    UseImage(image.Bytes());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_LE(burner.Tree().Directories().size(), 2 * kLevels + 2);
}

TEST_F(ImportTest, NestingIsBoundedSoTheStackIsToo)
{
    constexpr std::uint32_t kLevels = 400;
    HandImage image = Session(30 + kLevels);
    for (std::uint32_t level = 0; level < kLevels; ++level) {
        const std::uint32_t sector = level == 0 ? 21 : 29 + level;
        image.Directory(sector, sector, 21, {Dir("d", 30 + level)});
    }
    UseImage(image.Bytes());
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, DIRECTORIES NESTED TOO DEEP"));
    EXPECT_EQ(burner.Tree().Directories().size(), 257u);
}

TEST_F(ImportTest, ExtentsAndSizesBeyondTheDiscEndTheirBranch)
{
    HandImage image = Session(40, 0xFFFFFFFF); // a root as large as a 32-bit size allows
    image.Directory(21, 21, 21, {File("far.txt", 5000, 10), File("too long.txt", 30, 0xFFFFFFFF),
                                 File("at zero.txt", 0, 10), Dir("far folder", 4000), File("fine.txt", 30, 20),
                                 Dir("huge folder", 22, 0xFFFFFFF0)});
    image.Directory(22, 22, 21, {File("inside.txt", 31, 1)});
    UseImage(image.Bytes());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // The root, as large as the disc, reads on into the sector after it.
    EXPECT_EQ(Names("\\"), (std::vector<std::string>{"far folder", "fine.txt", "huge folder", "inside.txt"}));
    EXPECT_TRUE(Names("\\far folder").empty());
    EXPECT_TRUE(Names("\\huge folder").empty());
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, ENTRY OUTSIDE THE DISC: \"\\HUGE FOLDER\""));
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, ENTRY OUTSIDE THE DISC: \"far.txt\""));
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, ENTRY OUTSIDE THE DISC: \"too long.txt\""));
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, ENTRY OUTSIDE THE DISC: \"at zero.txt\""));
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, ENTRY OUTSIDE THE DISC: \"\\FAR FOLDER\""));
}

TEST_F(ImportTest, RecordsThatOverrunTheirSectorEndTheDirectory)
{
    HandImage image = Session(40, 2 * 2048);
    std::size_t offset = image.Directory(21, 21, 21, {File("before.txt", 30, 1)});
    // Records without a name (identifier 0, read as ".") fill the sector up
    // to byte 1990, where a record starts that runs past the sector's end.
    constexpr std::size_t kOverrunAt = 1990;
    while (offset < kOverrunAt) {
        const std::size_t length = kOverrunAt - offset >= 234 ? 200 : kOverrunAt - offset;
        image.Put(21, offset, {std::string(1, '\0'), 0, 0, true});
        image.At(21, offset)[0] = static_cast<std::uint8_t>(length);
        offset += length;
    }
    image.Put(21, kOverrunAt, File("overrun.txt", 31, 1));
    image.At(21, kOverrunAt)[0] = 100;
    image.Directory(22, 22, 21, {File("next sector.txt", 32, 1)});
    UseImage(image.Bytes());
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(Names("\\"), std::vector<std::string>{"before.txt"});
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, DAMAGED DIRECTORY RECORD IN SECTOR 21"));
}

TEST_F(ImportTest, IdentifierLongerThanItsRecordEndsTheDirectory)
{
    HandImage image = Session(40);
    image.Directory(21, 21, 21, {File("good.txt", 30, 1), File("bad.txt", 31, 1)});
    // The second record claims an identifier of 200 bytes.
    const std::size_t second = 68 + image.At(21, 68)[0];
    image.At(21, second)[32] = 200;
    UseImage(image.Bytes());
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(Names("\\"), std::vector<std::string>{"good.txt"});
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, DAMAGED DIRECTORY RECORD IN SECTOR 21"));
}

TEST_F(ImportTest, NamesFromTheDiscCannotLeaveTheTargetFolder)
{
    HandImage image = Session(40);
    image.Directory(21, 21, 21, {Dir("..", 22), Dir(".", 23), File("a/b", 30, 4),
                                 File("ctl\x01\x1b[2Jname", 30, 4), File("back\\slash", 30, 4),
                                 Dir("../../escaped", 24)});
    image.Directory(22, 22, 21, {File("up.txt", 30, 4)});
    image.Directory(23, 23, 21, {File("here.txt", 30, 4), File("..", 30, 4)});
    image.Directory(24, 24, 21, {File("outside.txt", 30, 4)});
    std::memcpy(image.At(30, 0), "data", 4);
    UseImage(image.Bytes());
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(Names("\\"), (std::vector<std::string>{"__", "_", "a_b.", "ctl__[2Jname.", "back_slash.",
                                                    ".._.._escaped"}));
    EXPECT_EQ(Names("\\_"), (std::vector<std::string>{"here.txt", "__."}));

    TempFolder folder;
    const fs::path target = folder / "target";
    fs::create_directory(target);
    ExtractionCount count;
    extractDirectoryContents(burner, *burner.FindDirectory("\\"), target.string(), count);
    EXPECT_EQ(count.failures, 0);
    EXPECT_EQ(RelativeEntries(folder.path()),
              (std::vector<std::string>{"target/", "target/.._.._escaped/", "target/.._.._escaped/outside.txt",
                                        "target/_/", "target/_/__", "target/_/here.txt", "target/__/",
                                        "target/__/up.txt", "target/a_b", "target/back_slash",
                                        "target/ctl__[2Jname"}));
}

TEST_F(ImportTest, RandomDirectoryBytesNeverCrashOrHang)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round) {
        HandImage image = Session(32, static_cast<std::uint32_t>(random() % (12 * 2048)));
        std::uint8_t *bytes = image.At(20, 0);
        for (std::size_t i = 0; i < 12 * 2048; ++i)
            bytes[i] = static_cast<std::uint8_t>(random() % 4 == 0 ? random() % 32 : random());
        // Plausible records now and then, pointing into the image.
        for (int i = 0; i < 20; ++i)
            image.Put(20 + random() % 12, random() % 1900,
                      {Ucs2("n" + std::to_string(i)), static_cast<std::uint32_t>(20 + random() % 14),
                       static_cast<std::uint32_t>(random() % 30000), random() % 2 == 0});
        UseImage(image.Bytes());
        burner.ClearProject(65535, 8191);
        burner.ImportSession(255, nullptr);
        burner.PrepareLayout(true, nullptr);
        burner.BuildHeader(true, nullptr);
    }
}
