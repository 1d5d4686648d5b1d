// ImportSession on images made by other programs and on hand-made sessions:
// which tree is read, how it merges into the project, what is reported.
#include "ImportFixture.h"

#include "sxISOLib/IsoNames.h"

#include <cmath>
#include <cstring>
#include <fstream>

using namespace zelvane;

namespace {

// Source tree and images made from it once for all tests of this file.
class ToolImages {
public:
    static ToolImages &Get()
    {
        static ToolImages images;
        return images;
    }
    fs::path source() const { return folder_ / "src"; }
    fs::path image(const std::string &name) const { return folder_ / (name + ".iso"); }

private:
    ToolImages()
    {
        MakeSourceTree(source());
        const std::string src = Quote(source());
        const auto make = [&](const std::string &name, const std::string &command) {
            if (Shell(command + " -o " + Quote(image(name)) + " " + src + " >/dev/null 2>&1") != 0)
                ADD_FAILURE() << "can't make " << name << ": " << command;
        };
        make("genisoimage", "genisoimage -J -input-charset utf-8");
        make("genisoimage-iso-only", "genisoimage -input-charset utf-8");
        make("xorriso", "xorriso -as mkisofs -J");
        make("make-iso", ZELVANE_CLI " make-iso");
    }
    TempFolder folder_;
};

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class ToolImageImport : public ImportTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(ToolImageImport, JolietTreeWithSizesDatesAndSectors)
{
    const ToolImages &images = ToolImages::Get();
    UseImageFile(images.image(GetParam()));
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_TRUE(Messages(4).empty()) << Messages(4).front();

    // make-iso puts the folder itself into the image, as the wizard does,
    // and leaves empty folders out.
    const bool ownImage = std::string(GetParam()) == "make-iso";
    const std::string top = ownImage ? "\\src" : "";
    std::vector<std::string> expected = {"docs", "Документы", "readme.txt", "empty.dat", "sector.bin", "NOEXT."};
    if (!ownImage)
        expected.push_back("empty folder");
    EXPECT_EQ(Sorted(Names(top + "\\")), Sorted(expected));
    EXPECT_EQ(Names(top + "\\docs\\deep\\deeper"), std::vector<std::string>{"leaf.txt"});

    const fs::path src = images.source();
    for (const char *path : {"readme.txt", "docs/a rather long file name with spaces.text", "docs/deep/chunks.bin",
                             "Документы/отчёт.txt", "sector.bin"}) {
        std::string projectPath = top + "\\" + path;
        std::replace(projectPath.begin(), projectPath.end(), '/', '\\');
        const TFEntry *entry = Entry(projectPath);
        ASSERT_NE(entry, nullptr) << path;
        EXPECT_EQ(entry->IsoDataLength, static_cast<std::int64_t>(fs::file_size(src / path))) << path;
        EXPECT_EQ(entry->JolietDataLength, entry->IsoDataLength);
        EXPECT_TRUE(entry->FromPreviousSession) << path;
        EXPECT_TRUE(entry->SourcePath.empty());
        EXPECT_EQ(entry->IsoLocation, entry->JolietLocation);
        EXPECT_GT(entry->IsoLocation, 16u);
        EXPECT_EQ(unixFromLocalDateTime(entry->DateTime), ModificationTime(src / path)) << path;
        // The sector holds the file's first bytes.
        const auto bytes = ReadBytes(src / path);
        std::vector<std::uint8_t> sector(2048);
        ASSERT_TRUE(reader->ReadSectors(entry->IsoLocation, 1, sector));
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 2048),
                               sector.begin()))
            << path;
    }
    const TDEntry *docs = burner.FindDirectory(top + "\\DOCS");
    ASSERT_NE(docs, nullptr);
    // The wizard's folders carry the time they were made; other programs
    // record the folder's own date.
    if (!ownImage) {
        EXPECT_EQ(unixFromLocalDateTime(docs->Self->DateTime), ModificationTime(src / "docs"));
    }
    EXPECT_EQ(docs->Self->Attr & faDirectory, static_cast<std::uint32_t>(faDirectory));
}

INSTANTIATE_TEST_SUITE_P(Images, ToolImageImport, ::testing::Values("genisoimage", "xorriso", "make-iso"),
                         [](const auto &info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST_F(ImportTest, SessionWithoutJolietIsReadFromTheIsoTree)
{
    UseImageFile(ToolImages::Get().image("genisoimage-iso-only"));
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    const auto names = Names("\\");
    EXPECT_NE(std::find(names.begin(), names.end(), "README.TXT"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "DOCS"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "NOEXT."), names.end());
    for (const auto &name : names)
        EXPECT_EQ(name.find(';'), std::string::npos) << name;
    ASSERT_NE(Entry("\\README.TXT"), nullptr);
    EXPECT_EQ(Entry("\\README.TXT")->IsoDataLength, 1234);
}

namespace {

// A session at `start` whose root holds one file with that name.
void OneFileSession(HandImage &image, std::uint32_t start, const std::string &name, bool joliet)
{
    image.Primary(start + 16, start + 20, 2048);
    if (joliet)
        image.Joliet(start + 17, start + 21, 2048);
    image.Terminator(start + (joliet ? 18 : 17));
    image.Directory(start + 20, start + 20, start + 20, {{name + ";1", start + 22, 5, false}});
    if (joliet)
        image.Directory(start + 21, start + 21, start + 21, {{Ucs2(name + ";1"), start + 22, 5, false}});
}

} // namespace

TEST_F(ImportTest, BlankDiscImportsNothingAndReportsNothing)
{
    UseImage(std::vector<std::uint8_t>(40 * 2048), {});
    EXPECT_FALSE(burner.ImportSession(255, nullptr));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(burner.Tree().Files().size(), 0u);
}

TEST_F(ImportTest, LastSessionIsTakenForNumber255AndForNumbersAboveTheCount)
{
    HandImage image(300);
    OneFileSession(image, 0, "first.txt", true);
    OneFileSession(image, 100, "second.txt", true);
    OneFileSession(image, 200, "third.txt", true);
    UseImage(image.Bytes(), {0, 100, 200});

    for (std::uint8_t number : {255, 7, 3}) {
        burner.ClearProject(65535, 8191);
        messages.clear();
        ASSERT_TRUE(burner.ImportSession(number, nullptr));
        EXPECT_EQ(Names("\\"), std::vector<std::string>{"third.txt"});
        EXPECT_EQ(Entry("\\third.txt")->IsoLocation, 222u);
        EXPECT_EQ(Messages(1).front(), ">>> IMPORTING SESSION # 3");
    }
    burner.ClearProject(65535, 8191);
    ASSERT_TRUE(burner.ImportSession(2, nullptr));
    EXPECT_EQ(Names("\\"), std::vector<std::string>{"second.txt"});
    EXPECT_FALSE(burner.ImportSession(0, nullptr));
}

TEST_F(ImportTest, SessionWithoutDescriptorIsReportedNotFound)
{
    HandImage image(200);
    OneFileSession(image, 0, "first.txt", true);
    UseImage(image.Bytes(), {0, 100});
    EXPECT_FALSE(burner.ImportSession(2, nullptr));
    EXPECT_EQ(Messages(4), std::vector<std::string>{">>> ERROR IMPORTING SESSION 2 (ISO IMAGE NOT FOUND)"});
}

namespace {

// A disc whose track information cannot be read.
class NoTrackReader : public ImageDiscReader {
public:
    using ImageDiscReader::ImageDiscReader;
    std::optional<SessionLayout> Session(std::uint32_t) override { return std::nullopt; }
};

} // namespace

TEST_F(ImportTest, UnreadableTrackIsReported)
{
    HandImage image(100);
    OneFileSession(image, 0, "first.txt", true);
    burner.SetDiscReader(std::make_unique<NoTrackReader>(image.Bytes()));
    EXPECT_FALSE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(Messages(4), std::vector<std::string>{">>> ERROR IMPORTING SESSION # 1"});
}

TEST_F(ImportTest, JolietIsPreferredAndOtherSupplementaryDescriptorsAreNot)
{
    HandImage image(100);
    image.Primary(16, 20, 2048);
    image.Joliet(17, 21, 2048);
    image.Terminator(18);
    image.Directory(20, 20, 20, {{"MIXED.TXT;1", 22, 5, false}});
    image.Directory(21, 21, 21, {{Ucs2("Mixed Case Name.txt;1"), 22, 5, false}});
    UseImage(image.Bytes());
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(Names("\\"), std::vector<std::string>{"Mixed Case Name.txt"});

    // An ISO 9660:1999 descriptor in place of Joliet: its names are no
    // UCS-2, so the primary tree is read.
    std::memcpy(image.At(17, 88), "\0\0\0", 3);
    UseImage(image.Bytes());
    burner.ClearProject(65535, 8191);
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(Names("\\"), std::vector<std::string>{"MIXED.TXT"});
    EXPECT_EQ(Entry("\\MIXED.TXT")->IsoLocation, 22u);
}

TEST_F(ImportTest, JolietNamesUpTo105CharactersAreReadLongerOnesReportedAndShortened)
{
    const std::string name105 = std::string(101, 'a') + ".txt";
    const std::string name106 = std::string(102, 'b') + ".txt";
    HandImage image(100);
    image.Primary(16, 20, 2048);
    image.Joliet(17, 21, 2048);
    image.Terminator(18);
    image.Directory(21, 21, 21, {{Ucs2(name105 + ";1"), 30, 5, false}, {Ucs2(name106 + ";1"), 31, 5, false}});
    UseImage(image.Bytes());
    ASSERT_TRUE(burner.ImportSession(255, nullptr));

    ASSERT_NE(Entry("\\" + name105), nullptr);
    const auto reports = Messages(4);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "ERROR IMPORTING SESSION, FILE NAME LENGTH EXCEEDS 120 CHARS\n\r" + name106);
    const auto names = Names("\\");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(utf16Length(names[1]), 105u);
    EXPECT_EQ(names[1], std::string(101, 'b') + ".txt");
    EXPECT_EQ(Entry("\\" + names[1])->IsoLocation, 31u);
}

TEST_F(ImportTest, RecordsBecomeEntriesWithShortNamesAttributesAndDates)
{
    HandImage image(100);
    image.Primary(16, 20, 2048);
    image.Joliet(17, 21, 2048);
    image.Terminator(18);
    image.Directory(21, 21, 21, {{Ucs2("twenty characters.ab;1"), 30, 7, false},
                                 {Ucs2("hidden.txt;1"), 31, 7, false},
                                 {Ucs2("bad date.txt;1"), 32, 7, false},
                                 {Ucs2("empty;1"), 0, 0, false}});
    // The second record is hidden, the third has no valid date.
    std::size_t offset = 34 + 34;
    offset += image.At(21, offset)[0];
    image.At(21, offset)[25] |= 1;
    offset += image.At(21, offset)[0];
    image.At(21, offset)[19] = 2;
    image.At(21, offset)[20] = 30;
    UseImage(image.Bytes());
    const TDateTime before = nowDateTime();
    ASSERT_TRUE(burner.ImportSession(255, nullptr));

    const TFEntry *twenty = Entry("\\twenty characters.ab");
    ASSERT_NE(twenty, nullptr);
    EXPECT_EQ(twenty->IsoName, "TWENTY_CHARAC");
    EXPECT_EQ(twenty->Attr, 0u);
    EXPECT_DOUBLE_EQ(twenty->DateTime, encodeDateTime({2021, 3, 14, 15, 9, 26, 0}));
    EXPECT_EQ(Entry("\\hidden.txt")->Attr, static_cast<std::uint32_t>(faHidden));
    EXPECT_GE(Entry("\\bad date.txt")->DateTime, before);
    // An empty file at sector 0 is an ordinary empty file.
    const TFEntry *empty = Entry("\\empty.");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->IsoDataLength, 0);
    EXPECT_TRUE(Messages(4).empty());
}

TEST_F(ImportTest, ImportMergesWithTheProjectAndKeepsNewFiles)
{
    TempFolder folder;
    std::ofstream(folder / "readme.txt") << "the new readme";
    std::ofstream(folder / "new.txt") << "new";
    const ToolImages &images = ToolImages::Get();
    UseImageFile(images.image("genisoimage"));

    burner.MakeDirectoryPath("\\docs");
    ASSERT_EQ(burner.AddFile("\\", (folder / "readme.txt").string(), false), 1);
    ASSERT_EQ(burner.AddFile("\\docs", (folder / "new.txt").string(), false), 1);
    const std::size_t directoriesBefore = burner.Tree().Directories().size();
    ASSERT_TRUE(burner.ImportSession(255, nullptr));

    // One \DOCS holding the new file and the old ones.
    const auto docs = Names("\\docs");
    EXPECT_EQ(docs.front(), "new.txt");
    EXPECT_EQ(docs.size(), 3u);
    EXPECT_EQ(burner.Tree().Directories().size(), directoriesBefore + 4);
    // The new readme stays; the old one is refused.
    const TFEntry *readme = Entry("\\readme.txt");
    EXPECT_FALSE(readme->FromPreviousSession);
    EXPECT_EQ(readme->SourcePath, (folder / "readme.txt").string());
}

TEST_F(ImportTest, SessionGoesBelowTheGivenRoot)
{
    UseImageFile(ToolImages::Get().image("xorriso"));
    TDEntry *old = burner.MakeDirectoryPath("\\old");
    ASSERT_TRUE(burner.ImportSession(255, old));
    EXPECT_EQ(Names("\\"), std::vector<std::string>{"old"});
    EXPECT_NE(Entry("\\old\\docs\\deep\\chunks.bin"), nullptr);
}

TEST_F(ImportTest, DiscModeLayoutImportsTheSessionItIsTold)
{
    UseImageFile(ToolImages::Get().image("genisoimage"));
    burner.ImportSessionNumber = -1;
    burner.PrepareLayout(false, nullptr);
    ASSERT_NE(Entry("\\readme.txt"), nullptr);
    EXPECT_TRUE(Entry("\\readme.txt")->FromPreviousSession);
    // Image mode never imports.
    burner.ClearProject(65535, 8191);
    burner.PrepareLayout(true, nullptr);
    EXPECT_EQ(Entry("\\readme.txt"), nullptr);
}
