// Sessions other programs write: Rock Ridge names and dates (with their
// continuation areas and relocated directories), files of several extents,
// names that differ only in case, and sessions of several tracks.
#include "ImportFixture.h"

#include "sxCDBC/FileExtraction.h"
#include "sxISOLib/IsoNames.h"
#include "sxISOLib/RockRidge.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <tuple>

using namespace zelvane;

namespace {

std::string Entry(const std::string &signature, std::uint8_t length, const std::string &data)
{
    return signature + std::string(1, static_cast<char>(length)) + std::string(1, '\1') + data;
}

std::string Both32(std::uint32_t value)
{
    std::string bytes(8, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>(value >> (8 * i));
        bytes[7 - i] = static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

std::string Nm(const std::string &name, std::uint8_t flags = 0)
{
    return Entry("NM", static_cast<std::uint8_t>(5 + name.size()), std::string(1, static_cast<char>(flags)) + name);
}

std::string Ce(std::uint32_t block, std::uint32_t offset, std::uint32_t length)
{
    return Entry("CE", 28, Both32(block) + Both32(offset) + Both32(length));
}

std::span<const std::uint8_t> Bytes(const std::string &text)
{
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

// Images of a tree that needs Rock Ridge: long, Cyrillic and case-twin
// names, and folders deeper than ISO 9660's eight levels.
class RockRidgeImages {
public:
    static RockRidgeImages &Get()
    {
        static RockRidgeImages images;
        return images;
    }
    fs::path source() const { return folder_ / "src"; }
    fs::path image(const std::string &name) const { return folder_ / (name + ".iso"); }
    static std::string longName() { return std::string(150, 'L') + ".txt"; }
    static std::string deepPath() { return "1/2/3/4/5/6/7/8/9/10/deep.txt"; }

private:
    RockRidgeImages()
    {
        MakeSourceTree(source());
        fs::create_directories(source() / "long");
        std::ofstream(source() / "long" / longName()) << "long name";
        std::ofstream(source() / "Makefile") << "upper case";
        std::ofstream(source() / "makefile") << "lower case, longer";
        fs::create_directories((source() / deepPath()).parent_path());
        std::ofstream(source() / deepPath()) << "deep";
        const std::string src = Quote(source());
        const auto make = [&](const std::string &name, const std::string &command) {
            if (Shell(command + " -o " + Quote(image(name)) + " " + src + " >/dev/null 2>&1") != 0)
                ADD_FAILURE() << "can't make " << name << ": " << command;
        };
        make("genisoimage", "genisoimage -R -input-charset utf-8");
        make("xorriso", "xorriso -as mkisofs -R");
    }
    TempFolder folder_;
};

class RockRidgeImport : public ImportTest, public ::testing::WithParamInterface<const char *> {};

} // namespace

TEST_P(RockRidgeImport, NamesAndDatesComeFromRockRidge)
{
    const RockRidgeImages &images = RockRidgeImages::Get();
    UseImageFile(images.image(GetParam()));
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(burner.LastImportOutcome(), ImportOutcome::Imported);
    EXPECT_TRUE(Messages(4).empty()) << Messages(4).front();

    const fs::path src = images.source();
    for (const char *path : {"readme.txt", "docs/a rather long file name with spaces.text", "docs/deep/chunks.bin",
                             "Документы/отчёт.txt", "1/2/3/4/5/6/7/8/9/10/deep.txt"}) {
        std::string projectPath = "\\" + std::string(path);
        std::replace(projectPath.begin(), projectPath.end(), '/', '\\');
        const TFEntry *entry = Entry(projectPath);
        ASSERT_NE(entry, nullptr) << path;
        EXPECT_EQ(entry->IsoDataLength, static_cast<std::int64_t>(fs::file_size(src / path))) << path;
        EXPECT_EQ(unixFromLocalDateTime(entry->DateTime), ModificationTime(src / path)) << path;
    }
    ASSERT_NE(Entry("\\NOEXT."), nullptr);
    EXPECT_TRUE(Entry("\\NOEXT.")->DotAppended);
    ASSERT_NE(burner.FindDirectory("\\empty folder"), nullptr);
    // The folder that held the relocated directories is not part of the tree.
    const auto root = Names("\\");
    EXPECT_EQ(std::count_if(root.begin(), root.end(), [](const std::string &n) { return n.find("rr_moved") != n.npos; }),
              0);

    // A name too long for the project is shortened its way, and reported.
    const std::string shortened = portableName(RockRidgeImages::longName());
    ASSERT_NE(Entry("\\long\\" + shortened), nullptr);
    EXPECT_TRUE(Reported("IMPORTED NAME \"" + RockRidgeImages::longName() + "\" CHANGED TO \"" + shortened + "\""));

    // Twins but for case are both kept: the second gets a number.
    const TFEntry *first = Entry("\\Makefile.");
    const TFEntry *second = Entry("\\Makefile (2).");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    const auto firstSource = src / (first->LongName.substr(0, first->LongName.size() - 1));
    const auto secondSource = src / (first->LongName[0] == 'M' ? "makefile" : "Makefile");
    EXPECT_EQ(first->IsoDataLength, static_cast<std::int64_t>(fs::file_size(firstSource)));
    EXPECT_EQ(second->IsoDataLength, static_cast<std::int64_t>(fs::file_size(secondSource)));
    EXPECT_EQ(Messages(3).size(), 2u);  // the long name and the twin
}

INSTANTIATE_TEST_SUITE_P(Images, RockRidgeImport, ::testing::Values("genisoimage", "xorriso"));

TEST(RockRidge, SuspIsFoundInTheRootSelfRecord)
{
    const std::string sp = Entry("SP", 7, std::string("\xBE\xEF\x00", 3));
    EXPECT_EQ(suspSkipLength(Bytes(sp + Entry("ER", 8, "abcd"))), 0u);
    const std::string xa = std::string(4, '\0') + "\x0D\x55XA" + std::string(6, '\0');
    EXPECT_EQ(suspSkipLength(Bytes(xa + sp)), 14u);
    EXPECT_EQ(suspSkipLength(Bytes(Entry("SP", 7, std::string("\xBE\xEE\x00", 3)))), std::nullopt);
    EXPECT_EQ(suspSkipLength(Bytes(std::string("SP\x07"))), std::nullopt);
    EXPECT_EQ(suspSkipLength({}), std::nullopt);
}

TEST(RockRidge, NamesTimesAndLinksAreReadThroughContinuationAreas)
{
    // "first-" here, "part" and the rest in the continuation area.
    const std::string tf = Entry("TF", 5 + 2 * 17, std::string("\x83", 1) + "2019010203040500" + '\0' +
                                                        "2021071512345600" + '\0');
    const std::string continuation = Nm("part") + tf + Entry("PX", 44, std::string(40, '\0')) +
                                     Entry("SL", 5, std::string(1, '\0')) + Entry("ST", 4, "") + Nm("ignored");
    int reads = 0;
    const ContinuationReader reader = [&](std::uint32_t block, std::uint32_t offset, std::uint32_t length) {
        ++reads;
        EXPECT_EQ(std::tuple(block, offset), std::tuple(77u, 100u));
        EXPECT_EQ(length, continuation.size());
        return std::optional(std::vector<std::uint8_t>(continuation.begin(), continuation.end()));
    };
    const std::string area = "pad" + Nm("first-", rrip::kNmContinue) + Ce(77, 100, continuation.size());
    const RockRidgeEntries entries = readRockRidge(Bytes(area), 3, reader);
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(entries.name, "first-part");
    ASSERT_TRUE(entries.modified.has_value());
    const DateParts modified = decodeDateTime(*entries.modified);
    EXPECT_EQ(std::tuple(modified.year, modified.month, modified.day, modified.hour, modified.minute, modified.second),
              std::tuple(2021, 7, 15, 12, 34, 56));
    EXPECT_TRUE(entries.posixAttributes);
    EXPECT_TRUE(entries.symbolicLink);
    // The name of "." is no name of an entry.
    const RockRidgeEntries self = readRockRidge(Bytes(Nm("", rrip::kNmCurrent)), 0, reader);
    EXPECT_TRUE(self.namesSelfOrParent);
    EXPECT_FALSE(self.name.has_value());
}

TEST(RockRidge, DamagedAreasAndContinuationLoopsEndTheReading)
{
    // A continuation area that names itself is read once.
    const std::string looping = Nm("a", rrip::kNmContinue) + Ce(5, 0, 40);
    int reads = 0;
    const ContinuationReader again = [&](std::uint32_t, std::uint32_t, std::uint32_t) {
        ++reads;
        return std::optional(std::vector<std::uint8_t>(looping.begin(), looping.end()));
    };
    EXPECT_EQ(readRockRidge(Bytes(looping), 0, again).name, "aa");
    EXPECT_EQ(reads, 1);

    // Entries that claim more bytes than their area, or fewer than a
    // header, end the area; what came before counts.
    std::string overrun = Nm("kept") + Nm("lost");
    overrun[overrun.size() - 7] = static_cast<char>(200);
    EXPECT_EQ(readRockRidge(Bytes(overrun), 0, again).name, "kept");
    EXPECT_FALSE(readRockRidge(Bytes(std::string("NM\x02\x01xyz", 7)), 0, again).name.has_value());
    // Short entries of known kinds carry nothing.
    const RockRidgeEntries shortOnes =
        readRockRidge(Bytes(Entry("TF", 6, std::string("\x02\x7A", 2)) + Entry("CL", 8, "1234") + Entry("CE", 8, "1234")),
                      0, again);
    EXPECT_FALSE(shortOnes.modified.has_value());
    EXPECT_FALSE(shortOnes.childLink.has_value());
    EXPECT_EQ(reads, 1);
    // A skip beyond the area and an unreadable continuation read nothing.
    EXPECT_FALSE(readRockRidge(Bytes(Nm("x")), 50, again).name.has_value());
    const ContinuationReader unreadable = [](std::uint32_t, std::uint32_t, std::uint32_t) {
        return std::optional<std::vector<std::uint8_t>>();
    };
    EXPECT_EQ(readRockRidge(Bytes(Nm("only", rrip::kNmContinue) + Ce(9, 0, 10)), 0, unreadable).name, "only");
    // A name is never longer than the limit, whatever the pieces say.
    std::string pieces;
    for (int i = 0; i < 10; ++i)
        pieces += Nm(std::string(200, 'n'), rrip::kNmContinue);
    EXPECT_EQ(readRockRidge(Bytes(pieces), 0, again).name->size(), rrip::kMaxNameBytes);
}

TEST_F(ImportTest, FilesOfSeveralExtentsComeBackWhole)
{
    HandImage image(100);
    image.Primary(16, 20, 4096);
    image.Terminator(17);
    std::size_t offset = image.Directory(20, 20, 20,
                                         {{"APART.BIN;1", 40, 2048, false, true},
                                          {"APART.BIN;1", 50, 10},
                                          {"LOST.BIN;1", 60, 2048, false, true},
                                          {"OTHER.TXT;1", 70, 5},
                                          {"BIG.BIN;1", 30, 4096, false, true},
                                          {"BIG.BIN;1", 32, 4096, false, true}});
    EXPECT_LT(offset, 2048u);
    // The last part of BIG.BIN lies in the directory's second sector.
    image.Put(21, 0, {"BIG.BIN;1", 34, 100});
    for (std::uint32_t sector = 30; sector < 35; ++sector)
        std::memset(image.At(sector, 0), static_cast<int>('a' + sector - 30), 2048);
    UseImage(image.Bytes());
    ASSERT_TRUE(burner.ImportSession(255, nullptr));

    const TFEntry *big = Entry("\\BIG.BIN");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->IsoDataLength, 2 * 4096 + 100);
    EXPECT_EQ(big->IsoLocation, 30u);
    ASSERT_NE(Entry("\\OTHER.TXT"), nullptr);
    EXPECT_EQ(Entry("\\APART.BIN"), nullptr);
    EXPECT_EQ(Entry("\\LOST.BIN"), nullptr);
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, A FILE OF SEVERAL EXTENTS IS NOT IN CONSECUTIVE SECTORS: \"APART.BIN\""));
    EXPECT_TRUE(Reported("ERROR IMPORTING SESSION, A FILE OF SEVERAL EXTENTS LACKS ITS LAST ONE: \"LOST.BIN\""));
    // A continue after this import would hide those two files.
    EXPECT_EQ(burner.LastImportOutcome(), ImportOutcome::Incomplete);
    EXPECT_TRUE(burner.LastImportFailed());

    TempFolder out;
    ASSERT_TRUE(burner.ExtractFile(*big, (out / "big.bin").string()));
    const auto bytes = ReadBytes(out / "big.bin");
    ASSERT_EQ(bytes.size(), 8292u);
    EXPECT_EQ(bytes[0], 'a');
    EXPECT_EQ(bytes[8191], 'd');
    EXPECT_EQ(bytes[8192], 'e');
    EXPECT_EQ(bytes[8291], 'e');

    // A new session describes the file again as one run of sectors.
    burner.PrepareLayout(true, nullptr);
    burner.BuildHeader(true, nullptr);
    EXPECT_EQ(big->IsoLocation, 30u);
}

TEST_F(ImportTest, NamesThatDifferOnlyInCaseAreAllKept)
{
    HandImage image(100);
    image.Primary(16, 20, 2048);
    image.Joliet(17, 21, 2048);
    image.Terminator(18);
    image.Directory(20, 20, 20, {});
    image.Directory(21, 21, 21,
                    {{Ucs2("Docs"), 22, 2048, true},
                     {Ucs2("DOCS"), 23, 2048, true},
                     {Ucs2("Readme.txt;1"), 30, 1},
                     {Ucs2("README.TXT;1"), 31, 2},
                     {Ucs2("readme.txt;1"), 32, 3},
                     {Ucs2("notes;1"), 33, 4},
                     {Ucs2("NOTES.;1"), 34, 5}});
    image.Directory(22, 22, 21, {{Ucs2("a.txt;1"), 35, 6}});
    image.Directory(23, 23, 21, {{Ucs2("b.txt;1"), 36, 7}});
    UseImage(image.Bytes());
    for (int pass = 0; pass < 2; ++pass) {
        // Imported twice, as a continue does (size check, then the write):
        // the second import adds nothing.
        ASSERT_TRUE(burner.ImportSession(255, nullptr));
        EXPECT_EQ(Names("\\"), (std::vector<std::string>{"Docs", "DOCS (2)", "Readme.txt", "README (2).TXT",
                                                         "readme (3).txt", "notes.", "NOTES (2)."}));
        EXPECT_EQ(Names("\\Docs"), std::vector<std::string>{"a.txt"});
        EXPECT_EQ(Names("\\DOCS (2)"), std::vector<std::string>{"b.txt"});
        EXPECT_EQ(Entry("\\readme (3).txt")->IsoLocation, 32u);
        EXPECT_EQ(Entry("\\NOTES (2).")->IsoDataLength, 5);
    }
    EXPECT_TRUE(Reported("IMPORTED NAME \"README.TXT\" CHANGED TO \"README (2).TXT\""));
    EXPECT_TRUE(Messages(4).empty());
}

TEST_F(ImportTest, SessionsAreFoundByNumberWithAllTheirTracks)
{
    // Session 1: an audio track, then a data track; session 2 (an Enhanced
    // CD's data session) another data track.
    HandImage image(1000);
    image.Primary(316, 320, 2048);
    image.Joliet(317, 321, 2048);
    image.Terminator(318);
    image.Directory(320, 320, 320, {{"FIRST.TXT;1", 322, 5}});
    image.Directory(321, 321, 321, {{Ucs2("first.txt;1"), 322, 5}});
    image.Primary(616, 620, 2048);
    image.Terminator(617);
    image.Directory(620, 620, 620, {{"SECOND.TXT;1", 622, 6}});
    auto reader = std::make_unique<ImageDiscReader>(
        image.Bytes(), std::vector<ImageTrack>{{0, 1, false}, {300, 1, true}, {600, 2, true}});
    const auto session = reader->Session(1);
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ(std::tuple(session->start, session->size, session->tracks.size()), std::tuple(0u, 600u, 2u));
    burner.SetDiscReader(std::move(reader));

    ASSERT_TRUE(burner.ImportSession(1, nullptr));
    EXPECT_EQ(Names("\\"), std::vector<std::string>{"first.txt"});
    ASSERT_TRUE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(Names("\\"), (std::vector<std::string>{"first.txt", "SECOND.TXT"}));

    // A session of audio only holds nothing to import, and that is no failure.
    burner.ClearProject(65535, 8191);
    burner.SetDiscReader(std::make_unique<ImageDiscReader>(image.Bytes(), std::vector<ImageTrack>{{0, 1, false}}));
    EXPECT_FALSE(burner.ImportSession(255, nullptr));
    EXPECT_EQ(burner.LastImportOutcome(), ImportOutcome::NothingToImport);
    EXPECT_FALSE(burner.LastImportFailed());
    EXPECT_TRUE(Messages(4).empty());
}
