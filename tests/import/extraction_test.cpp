// ExtractFile and the extraction of whole folders: bytes and dates as on
// the disc, chunks of 31 sectors, and nothing left behind when a read fails.
#include "ImportFixture.h"

#include "sxCDBC/EntryExtraction.h"

#include <cstring>
#include <fstream>

using namespace zelvane;

namespace {

// Counts the sectors of every read of the image below it.
class CountingReader : public ImageDiscReader {
public:
    using ImageDiscReader::ImageDiscReader;
    bool ReadSectors(std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> buffer) override
    {
        reads.push_back(count);
        return ImageDiscReader::ReadSectors(lba, count, buffer);
    }
    std::vector<std::uint32_t> reads;
};

// A disc with one file of `size` bytes at sector 30, each byte its offset
// modulo 251.
std::vector<std::uint8_t> OneFileImage(std::uint32_t size)
{
    HandImage image(30 + (size + 2047) / 2048 + 1);
    for (std::uint32_t i = 0; i < size; ++i)
        image.At(30, 0)[i] = static_cast<std::uint8_t>(i % 251);
    return image.Bytes();
}

TFEntry ImportedFile(std::uint32_t size)
{
    TFEntry entry;
    entry.LongName = "data.bin";
    entry.IsoLocation = 30;
    entry.IsoDataLength = size;
    entry.FromPreviousSession = true;
    entry.DateTime = encodeDateTime({2019, 7, 1, 12, 30, 45, 0});
    return entry;
}

} // namespace

TEST_F(ImportTest, ExtractFileCopiesInChunksOf31SectorsWithTheDate)
{
    auto owned = std::make_unique<CountingReader>(OneFileImage(100000));
    CountingReader &counting = *owned;
    burner.SetDiscReader(std::move(owned));
    TempFolder folder;
    const fs::path target = folder / "copy.bin";

    ASSERT_TRUE(burner.ExtractFile(ImportedFile(100000), target.string()));
    EXPECT_EQ(counting.reads, (std::vector<std::uint32_t>{31, 18}));
    const auto bytes = ReadBytes(target);
    ASSERT_EQ(bytes.size(), 100000u);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], i % 251) << i;
    EXPECT_EQ(ModificationTime(target), unixFromLocalDateTime(encodeDateTime({2019, 7, 1, 12, 30, 45, 0})));
    EXPECT_EQ(Messages(1), std::vector<std::string>{">>> EXTRACTING FILE data.bin TO " + target.string()});
    EXPECT_EQ(RelativeEntries(folder.path()), std::vector<std::string>{"copy.bin"});
}

TEST_F(ImportTest, FailedReadStopsTheFileRemovesItAndReportsIt)
{
    ImageDiscReader &image = UseImage(OneFileImage(200000));
    image.FailReadsAt(30 + 31 + 5); // inside the second chunk
    TempFolder folder;
    const fs::path target = folder / "copy.bin";

    EXPECT_FALSE(burner.ExtractFile(ImportedFile(200000), target.string()));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(RelativeEntries(folder.path()).empty()) << "partial file left behind";
    EXPECT_EQ(Messages(4), std::vector<std::string>{"CAN'T READ FILE \"" + target.string() +
                                                    "\" FROM THE DISC [MEDIUM ERROR]"});

    // A file already at the target is left as it was.
    std::ofstream(target) << "keep me";
    EXPECT_FALSE(burner.ExtractFile(ImportedFile(200000), target.string()));
    EXPECT_EQ(ReadBytes(target), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    EXPECT_EQ(RelativeEntries(folder.path()), std::vector<std::string>{"copy.bin"});
}

TEST_F(ImportTest, ExtractFileReplacesAnExistingFileAndRefusesAMissingFolder)
{
    UseImage(OneFileImage(5000));
    TempFolder folder;
    const fs::path target = folder / "copy.bin";
    std::ofstream(target) << std::string(9000, 'x');
    ASSERT_TRUE(burner.ExtractFile(ImportedFile(5000), target.string()));
    EXPECT_EQ(fs::file_size(target), 5000u);

    const fs::path nowhere = folder / "missing" / "copy.bin";
    EXPECT_FALSE(burner.ExtractFile(ImportedFile(5000), nowhere.string()));
    EXPECT_EQ(Messages(4).back(), "CAN'T CREATE FILE \"" + nowhere.string() + "\"");
}

TEST_F(ImportTest, FolderEntriesBecomeFoldersEvenWhenEmpty)
{
    UseImage(OneFileImage(10));
    TempFolder folder;
    TFEntry entry = ImportedFile(0);
    entry.Attr = faDirectory;
    ASSERT_TRUE(burner.ExtractFile(entry, (folder / "empty").string()));
    EXPECT_TRUE(fs::is_directory(folder / "empty"));
    EXPECT_EQ(ModificationTime(folder / "empty"), unixFromLocalDateTime(entry.DateTime));
    // An existing folder will do; a file in its place will not.
    EXPECT_TRUE(burner.ExtractFile(entry, (folder / "empty").string()));
    std::ofstream(folder / "file") << "x";
    EXPECT_FALSE(burner.ExtractFile(entry, (folder / "file").string()));
}

namespace {

// A session whose root holds A.TXT (3000 bytes at sector 30) and B.TXT ("bee").
std::vector<std::uint8_t> TwoFileSession()
{
    HandImage image(60);
    image.Primary(16, 20, 2048);
    image.Terminator(17);
    image.Directory(20, 20, 20, {{"A.TXT;1", 30, 3000, false}, {"B.TXT;1", 40, 3, false}});
    std::memcpy(image.At(40, 0), "bee", 3);
    return image.Bytes();
}

} // namespace

TEST_F(ImportTest, FailedFileDoesNotStopTheRestOfAFolder)
{
    ImageDiscReader &disc = UseImage(TwoFileSession());
    disc.FailReadsAt(31);
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    TempFolder folder;
    ExtractionCount count;
    extractDirectoryContents(burner, *burner.FindDirectory("\\"), folder.path().string(), count);
    EXPECT_EQ(count.files, 1);
    EXPECT_EQ(count.failures, 1);
    EXPECT_EQ(RelativeEntries(folder.path()), std::vector<std::string>{"B.TXT"});
}

TEST_F(ImportTest, StopRequestStartsNoFurtherEntry)
{
    UseImage(TwoFileSession());
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    TempFolder folder;
    std::atomic<bool> stop{true};
    ExtractionCount count;
    extractDirectoryContents(burner, *burner.FindDirectory("\\"), folder.path().string(), count, &stop);
    EXPECT_EQ(count.files + count.folders + count.failures, 0);
    EXPECT_TRUE(RelativeEntries(folder.path()).empty());
}

class ToolImageExtraction : public ImportTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(ToolImageExtraction, WholeSessionComesBackByteForByteWithDates)
{
    TempFolder work;
    const fs::path source = work / "src";
    MakeSourceTree(source);
    const fs::path image = work / "image.iso";
    ASSERT_EQ(Shell(std::string(GetParam()) + " -o " + Quote(image) + " " + Quote(source) + " >/dev/null 2>&1"), 0);
    UseImageFile(image);
    ASSERT_TRUE(burner.ImportSession(255, nullptr));

    const fs::path target = work / "out";
    fs::create_directory(target);
    ExtractionCount count;
    extractDirectoryContents(burner, *burner.FindDirectory("\\"), target.string(), count);
    EXPECT_EQ(count.failures, 0);
    // make-iso puts the folder itself into the image, as the wizard does,
    // and leaves empty folders out.
    const bool ownImage = std::string(GetParam()).find("make-iso") != std::string::npos;
    const fs::path copied = ownImage ? target / "src" : target;
    if (ownImage)
        fs::remove(source / "empty folder");
    EXPECT_EQ(RelativeEntries(copied), RelativeEntries(source));
    for (const auto &item : fs::recursive_directory_iterator(source)) {
        const fs::path copy = copied / fs::relative(item.path(), source);
        // The wizard's folders carry the time they were made.
        if (!item.is_directory() || !ownImage) {
            EXPECT_EQ(ModificationTime(copy), ModificationTime(item.path())) << copy;
        }
        if (!item.is_directory()) {
            EXPECT_EQ(ReadBytes(copy), ReadBytes(item.path())) << copy;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Images, ToolImageExtraction,
                         ::testing::Values("genisoimage -J -input-charset utf-8", "xorriso -as mkisofs -J",
                                           ZELVANE_CLI " make-iso"),
                         [](const auto &info) { return std::string(info.index == 0 ? "genisoimage" : info.index == 1 ? "xorriso" : "make_iso"); });
