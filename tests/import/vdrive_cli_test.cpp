// zelvane-cli sessions and extract against the virtual drive: pressed discs
// made by genisoimage, a multisession CD-R whose second session xorriso
// made on top of the first, a blank disc, and a read error injected into a
// file.
#include "ImportSupport.h"
#include "VirtualDrive.h"

#include "sxDrvLib/MediaCode.h"
#include "sxISOLib/IsoNames.h"
#include "sxDrvLib/ScsiDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

using namespace zelvane;

namespace {

struct CommandResult {
    int status = 0;
    std::string output;
};

CommandResult RunCommand(const std::string &command)
{
    CommandResult result;
    result.output = RunShell(command + " 2>&1", result.status);
    return result;
}

std::string DateText(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return text;
}

// The first sector of a file in the listing of `sessions`.
long SectorOf(const std::string &listing, const std::string &path)
{
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  " + path + "\t", 0) == 0)
            return std::stol(line.substr(line.rfind('\t') + 1));
    }
    return -1;
}

// Every file and folder of `copy` equals `source`, bytes and dates (the
// dates of folders only when the disc recorded them: the wizard's folders
// carry the time they were made).
void ExpectSameTree(const fs::path &copy, const fs::path &source, bool folderDates = true)
{
    ASSERT_EQ(RelativeEntries(copy), RelativeEntries(source));
    for (const auto &item : fs::recursive_directory_iterator(source)) {
        const fs::path copied = copy / fs::relative(item.path(), source);
        if (folderDates || !item.is_directory()) {
            EXPECT_EQ(ModificationTime(copied), ModificationTime(item.path())) << copied;
        }
        if (!item.is_directory()) {
            EXPECT_EQ(ReadBytes(copied), ReadBytes(item.path())) << copied;
        }
    }
}

// The one folder an extraction of a whole session made in `folder`.
fs::path SessionFolder(const fs::path &folder)
{
    std::vector<fs::path> found;
    for (const auto &item : fs::directory_iterator(folder))
        found.push_back(item.path());
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? folder : found.front();
}

} // namespace

class CliOnVirtualDrive : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("ZELVANE_VDRIVE_DIR", (work / "vdrive").c_str(), 1);
        source = work / "src";
        MakeSourceTree(source);
    }

    void Tool(const std::string &arguments)
    {
        const CommandResult result = RunCommand(std::string(VDRIVE_TOOL) + " " + arguments);
        ASSERT_EQ(result.status, 0) << arguments << ": " << result.output;
    }
    CommandResult Cli(const std::string &arguments) { return RunCommand(std::string(ZELVANE_CLI) + " " + arguments); }

    // Writes an image as the next session of the CD-R in the drive and
    // closes the session; answers the session's first sector.
    std::uint32_t WriteSession(const fs::path &image)
    {
        TSCSIDevice device;
        EXPECT_TRUE(device.InitializeTransport(false, VDRIVE_LIBRARY));
        device.SelectDevice(device.DriveList().at(0));
        EXPECT_TRUE(device.SetWriteParameters(false, true, device.GetMediaCode())) << device.LastErrorText();
        EXPECT_TRUE(device.ReadTrackInformation(255)) << device.LastErrorText();
        const std::uint32_t start = device.LastTrackInfo().nextWritable;
        std::vector<std::uint8_t> data = ReadBytes(image);
        data.resize((data.size() + 2047) / 2048 * 2048);
        constexpr std::uint32_t kChunk = 16;
        const auto sectors = static_cast<std::uint32_t>(data.size() / 2048);
        for (std::uint32_t done = 0; done < sectors; done += kChunk) {
            const std::uint32_t count = std::min(kChunk, sectors - done);
            EXPECT_TRUE(device.Write10(start + done, static_cast<std::uint16_t>(count),
                                       std::span(data).subspan(done * 2048ull, count * 2048ull)))
                << device.LastErrorText();
        }
        EXPECT_TRUE(device.SynchronizeCache(false, 60000)) << device.LastErrorText();
        EXPECT_TRUE(device.Close(true, false, false)) << device.LastErrorText();
        device.WaitUntilReady(60000, 100);
        EXPECT_TRUE(device.Close(false, 2, 0, 0, 0)) << device.LastErrorText();
        device.WaitUntilReady(60000, 100);
        return start;
    }

    TempFolder work;
    fs::path source;
};

class PressedDisc : public CliOnVirtualDrive, public ::testing::WithParamInterface<bool> {};

TEST_P(PressedDisc, SessionsListsTheTreeAndExtractReproducesIt)
{
    const fs::path image = work / "pressed.iso";
    ASSERT_EQ(Shell("genisoimage -quiet -J -input-charset utf-8 -o " + Quote(image) + " " + Quote(source)), 0);
    Tool("insert-rom " + Quote(image) + (GetParam() ? " --dvd" : ""));

    const CommandResult listing = Cli("sessions");
    ASSERT_EQ(listing.status, 0) << listing.output;
    const std::string megabytes = std::to_string(fs::file_size(image) / 1048576);
    EXPECT_EQ(listing.output.rfind("Сессия  001 - " + megabytes + ",", 0), 0u) << listing.output;
    const std::string chunks = "/docs/deep/chunks.bin";
    EXPECT_NE(listing.output.find("  " + chunks + "\t126977\t" +
                                  DateText(ModificationTime(source / "docs/deep/chunks.bin")) + "\t"),
              std::string::npos)
        << listing.output;
    EXPECT_NE(listing.output.find("  /empty folder/\t-\t" + DateText(ModificationTime(source / "empty folder"))),
              std::string::npos);
    // Folders before files, as the sessions page sorts them.
    EXPECT_LT(listing.output.find("  /Документы/"), listing.output.find("  /NOEXT."));
    EXPECT_GT(SectorOf(listing.output, chunks), 16);

    const fs::path whole = work / "whole";
    const CommandResult all = Cli("extract " + Quote(whole));
    ASSERT_EQ(all.status, 0) << all.output;
    const fs::path sessionFolder = SessionFolder(whole);
    EXPECT_EQ(sessionFolder.filename().string().rfind("Сессия  001 - ", 0), 0u);
    ExpectSameTree(sessionFolder, source);

    const fs::path part = work / "part";
    ASSERT_EQ(Cli("extract /DOCS/deep " + Quote(part)).status, 0);
    ExpectSameTree(part / "deep", source / "docs" / "deep");
    ASSERT_EQ(Cli("extract '\\NOEXT' " + Quote(part)).status, 0);
    EXPECT_EQ(ReadBytes(part / "NOEXT"), ReadBytes(source / "NOEXT"));
    EXPECT_NE(Cli("extract /no/such/file " + Quote(part)).status, 0);
}

INSTANTIATE_TEST_SUITE_P(Media, PressedDisc, ::testing::Values(false, true),
                         [](const auto &info) { return std::string(info.param ? "DvdRom" : "CdRom"); });

TEST_F(CliOnVirtualDrive, ReadErrorStopsTheFileAndRemovesIt)
{
    const fs::path image = work / "pressed.iso";
    ASSERT_EQ(Shell("genisoimage -quiet -J -input-charset utf-8 -o " + Quote(image) + " " + Quote(source)), 0);
    Tool("insert-rom " + Quote(image));
    const long sector = SectorOf(Cli("sessions").output, "/docs/deep/chunks.bin");
    ASSERT_GT(sector, 16);
    Tool("fault read-error " + std::to_string(sector + 40)); // in the second chunk of 31 sectors

    const fs::path out = work / "out";
    const CommandResult result = Cli("extract /docs/deep " + Quote(out));
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.output.find("CAN'T READ FILE \"" + (out / "deep" / "chunks.bin").string() + "\" FROM THE DISC"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(RelativeEntries(out),
              (std::vector<std::string>{"deep/", "deep/deeper/", "deep/deeper/leaf.txt"}));
}

TEST_F(CliOnVirtualDrive, BlankDiscHasNoSessions)
{
    Tool("insert cd-r");
    const CommandResult listing = Cli("sessions");
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.output, "Сессии не обнаружены\n");
    const CommandResult extract = Cli("extract " + Quote(work / "out"));
    EXPECT_NE(extract.status, 0);
    EXPECT_NE(extract.output.find("Сессии не обнаружены"), std::string::npos);
}

TEST_F(CliOnVirtualDrive, MultisessionDiscShowsEverySessionAndExtractsEach)
{
    const fs::path more = work / "more";
    fs::create_directories(more / "added");
    std::ofstream(more / "added" / "second session.txt") << "written in the second session\n";
    std::ofstream(more / "readme.txt") << "a newer readme replaces the old one\n";
    const fs::path first = work / "first.iso", second = work / "second.iso";
    ASSERT_EQ(Shell("xorriso -as mkisofs -J -o " + Quote(first) + " " + Quote(source) + " 2>/dev/null"), 0);
    Tool("insert cd-r");
    EXPECT_EQ(WriteSession(first), 0u);
    TSCSIDevice device;
    ASSERT_TRUE(device.InitializeTransport(false, VDRIVE_LIBRARY));
    device.SelectDevice(device.DriveList().at(0));
    ASSERT_TRUE(device.ReadTrackInformation(255));
    const std::uint32_t next = device.LastTrackInfo().nextWritable;
    ASSERT_EQ(Shell("xorriso -as mkisofs -J -M " + Quote(first) + " -C 0," + std::to_string(next) + " -o " +
                    Quote(second) + " " + Quote(more) + " 2>/dev/null"),
              0);
    EXPECT_EQ(WriteSession(second), next);

    const CommandResult listing = Cli("sessions");
    ASSERT_EQ(listing.status, 0) << listing.output;
    const auto firstSession = listing.output.find("Сессия  001 - ");
    const auto secondSession = listing.output.find("Сессия  002 - ");
    ASSERT_NE(firstSession, std::string::npos);
    ASSERT_NE(secondSession, std::string::npos);
    // The old file keeps its sector in the second session's tree.
    const std::string firstPart = listing.output.substr(0, secondSession);
    const std::string secondPart = listing.output.substr(secondSession);
    EXPECT_EQ(firstPart.find("/added/"), std::string::npos);
    EXPECT_NE(secondPart.find("/added/second session.txt"), std::string::npos);
    EXPECT_EQ(SectorOf(firstPart, "/docs/deep/chunks.bin"), SectorOf(secondPart, "/docs/deep/chunks.bin"));
    EXPECT_GT(SectorOf(secondPart, "/readme.txt"), static_cast<long>(next));

    const fs::path old = work / "old";
    ASSERT_EQ(Cli("extract --session 1 " + Quote(old)).status, 0);
    ExpectSameTree(SessionFolder(old), source);

    const fs::path latest = work / "latest";
    ASSERT_EQ(Cli("extract " + Quote(latest)).status, 0);
    const fs::path session2 = SessionFolder(latest);
    EXPECT_EQ(session2.filename().string().rfind("Сессия  002 - ", 0), 0u);
    EXPECT_EQ(ReadBytes(session2 / "readme.txt"), ReadBytes(more / "readme.txt"));
    EXPECT_EQ(ReadBytes(session2 / "added" / "second session.txt"), ReadBytes(more / "added" / "second session.txt"));
    EXPECT_EQ(ReadBytes(session2 / "docs" / "deep" / "chunks.bin"), ReadBytes(source / "docs" / "deep" / "chunks.bin"));
    EXPECT_EQ(ReadBytes(session2 / "Документы" / "отчёт.txt"), ReadBytes(source / "Документы" / "отчёт.txt"));
}

class BurnedDisc : public CliOnVirtualDrive, public ::testing::WithParamInterface<const char *> {};

// Sessions written by burn and burn --continue, read back by sessions and
// extract: the newest session holds the files of both.
TEST_P(BurnedDisc, ContinuedSessionComesBackWithEveryFile)
{
    const fs::path more = work / "more";
    fs::create_directories(more / "added");
    std::ofstream(more / "added" / "second session.txt") << "written in the second session\n";
    fs::remove(source / "empty folder"); // the wizard leaves empty folders out
    Tool(std::string("insert ") + GetParam());
    const CommandResult first = Cli("burn " + Quote(source));
    ASSERT_EQ(first.status, 0) << first.output;
    const CommandResult second = Cli("burn --continue " + Quote(more));
    ASSERT_EQ(second.status, 0) << second.output;

    const CommandResult listing = Cli("sessions");
    ASSERT_EQ(listing.status, 0) << listing.output;
    EXPECT_NE(listing.output.find("  /src/docs/deep/chunks.bin\t126977\t"), std::string::npos) << listing.output;
    EXPECT_NE(listing.output.find("  /more/added/second session.txt\t"), std::string::npos) << listing.output;

    const fs::path latest = work / "latest";
    const CommandResult extract = Cli("extract " + Quote(latest));
    ASSERT_EQ(extract.status, 0) << extract.output;
    const fs::path session = SessionFolder(latest);
    ExpectSameTree(session / "src", source, false);
    ExpectSameTree(session / "more", more, false);
}

INSTANTIATE_TEST_SUITE_P(Media, BurnedDisc, ::testing::Values("cd-r", "dvd+rw", "dvd-r"), [](const auto &info) {
    std::string name = info.param;
    for (auto &c : name)
        c = c == '-' ? '_' : c == '+' ? 'P' : c;
    return name;
});

namespace {

// Sector `index` of an image in memory (empty past its end).
std::string SectorOfImage(const std::vector<std::uint8_t> &image, std::size_t index)
{
    if ((index + 1) * 2048 > image.size())
        return {};
    return std::string(image.begin() + static_cast<std::ptrdiff_t>(index * 2048),
                       image.begin() + static_cast<std::ptrdiff_t>((index + 1) * 2048));
}

// The first sector of the last session with data, from zelvane-vdrive status.
std::uint32_t LastSessionStart(const std::string &status)
{
    std::istringstream lines(status);
    std::uint32_t session = 0, start = 0;
    for (std::string line; std::getline(lines, line);) {
        unsigned number = 0, track = 0, first = 0;
        if (line.find("invisible") != std::string::npos ||
            std::sscanf(line.c_str(), "session %u track %u: start %u", &number, &track, &first) != 3)
            continue;
        if (number > session) {
            session = number;
            start = first;
        }
    }
    return start;
}

struct ForeignMedium {
    const char *type;
    bool overwritable;  // one growing volume, whose descriptors are rewritten in place
};

} // namespace

class ForeignFirstSession : public CliOnVirtualDrive, public ::testing::WithParamInterface<ForeignMedium> {};

// First sessions that genisoimage and xorriso wrote, burned with burn-iso and
// continued with burn --continue: every old file comes back from the new
// session with its bytes under its name (a name too long for the project
// shortened by its rule, and reported), and on media overwritten in place no
// sector of the old session changes but the descriptors.
TEST_P(ForeignFirstSession, ContinuedDiscKeepsEveryOldFileAndItsName)
{
    fs::create_directories(source / "Длинная папка с именем");
    std::ofstream(source / "Длинная папка с именем" / "Файл с русским именем.txt") << "Привет\n";
    // Only Rock Ridge carries names this long; Joliet cuts them.
    const fs::path rockRidgeSource = work / "rr";
    fs::copy(source, rockRidgeSource, fs::copy_options::recursive);
    const std::string longName = std::string(150, 'x') + ".dat";
    std::ofstream(rockRidgeSource / longName) << "a name of 154 bytes\n";
    const fs::path more = work / "more";
    fs::create_directories(more);
    std::ofstream(more / "new.txt") << "the new session's file\n";

    const struct {
        const char *name;
        std::string command;
        const fs::path &tree;
    } firstSessions[] = {
        {"genisoimage -J -R", "genisoimage -quiet -J -R -input-charset utf-8 -o @ " + Quote(source), source},
        {"xorriso -as mkisofs -R", "xorriso -as mkisofs -R -o @ " + Quote(rockRidgeSource), rockRidgeSource},
        {"xorriso -outdev", "xorriso -outdev @ -map " + Quote(rockRidgeSource) + " /", rockRidgeSource},
    };
    for (const auto &first : firstSessions) {
        SCOPED_TRACE(first.name);
        const fs::path image = work / "first.iso";
        fs::remove(image);
        std::string command = first.command;
        command.replace(command.find('@'), 1, Quote(image));
        ASSERT_EQ(Shell(command + " >/dev/null 2>&1"), 0) << command;
        Tool(std::string("insert ") + GetParam().type);
        const CommandResult burned = Cli("burn-iso " + Quote(image));
        ASSERT_EQ(burned.status, 0) << burned.output;
        Tool("export " + Quote(work / "before.iso"));
        const CommandResult continued = Cli("burn --continue " + Quote(more));
        ASSERT_EQ(continued.status, 0) << continued.output;
        const bool rockRidgeNames = &first.tree == &rockRidgeSource;
        const std::string shortened = portableName(longName);
        EXPECT_EQ(continued.output.find("IMPORTED NAME \"" + longName + "\" CHANGED TO \"" + shortened + "\"") !=
                      std::string::npos,
                  rockRidgeNames)
            << continued.output;

        Tool("export " + Quote(work / "after.iso"));
        const std::uint32_t start = GetParam().overwritable ? 0 : LastSessionStart(RunCommand(std::string(VDRIVE_TOOL) + " status").output);
        const fs::path out = work / "out";
        fs::remove_all(out);
        const CommandResult read = RunCommand("xorriso -indev " + Quote(work / "after.iso") + " -load sbsector " +
                                              std::to_string(start) + " -osirrox on -extract / " + Quote(out));
        ASSERT_EQ(read.status, 0) << read.output;
        RunCommand("chmod -R u+w " + Quote(out));
        EXPECT_EQ(ReadBytes(out / "more" / "new.txt"), ReadBytes(more / "new.txt"));
        for (const auto &item : fs::recursive_directory_iterator(first.tree)) {
            fs::path relative = fs::relative(item.path(), first.tree);
            if (relative.filename() == longName)
                relative.replace_filename(shortened);
            ASSERT_TRUE(fs::exists(out / relative)) << relative;
            if (!item.is_directory()) {
                EXPECT_EQ(ReadBytes(out / relative), ReadBytes(item.path())) << relative;
            }
        }
        if (!GetParam().overwritable)
            continue;
        // Nothing of the old volume changed but the descriptor set, from
        // sector 16 to the new terminator.
        const auto before = ReadBytes(work / "before.iso");
        const auto after = ReadBytes(work / "after.iso");
        std::size_t terminator = 16;
        while (terminator < 32 && SectorOfImage(after, terminator).substr(0, 6) != std::string("\xFF" "CD001"))
            ++terminator;
        ASSERT_LT(terminator, 32u);
        const std::string descriptor = SectorOfImage(before, 16);
        ASSERT_FALSE(descriptor.empty());
        const std::size_t oldVolume = static_cast<std::uint8_t>(descriptor[80]) |
                                      static_cast<std::uint8_t>(descriptor[81]) << 8 |
                                      static_cast<std::uint8_t>(descriptor[82]) << 16;
        std::vector<std::size_t> changed;
        for (std::size_t sector = 0; sector < oldVolume; ++sector)
            if ((sector < 16 || sector > terminator) && SectorOfImage(before, sector) != SectorOfImage(after, sector))
                changed.push_back(sector);
        EXPECT_EQ(changed, std::vector<std::size_t>{});
    }
}

INSTANTIATE_TEST_SUITE_P(Media, ForeignFirstSession,
                         ::testing::Values(ForeignMedium{"dvd+rw", true}, ForeignMedium{"dvd-ram", true},
                                           ForeignMedium{"dvd-rw-ro", true}, ForeignMedium{"cd-r", false},
                                           ForeignMedium{"dvd-r", false}, ForeignMedium{"dvd+r", false}),
                         [](const auto &info) {
                             std::string name = info.param.type;
                             for (auto &c : name)
                                 c = c == '-' ? '_' : c == '+' ? 'P' : c;
                             return name;
                         });

// A disc whose last session holds no file system the import can read is not
// continued: the new session would hide whatever the old one holds.
TEST_F(CliOnVirtualDrive, ContinueIsRefusedWhenTheLastSessionCannotBeRead)
{
    std::vector<char> noise(700000, 'z');
    std::ofstream(work / "noise.iso", std::ios::binary).write(noise.data(), static_cast<std::streamsize>(noise.size()));
    Tool("insert cd-r");
    ASSERT_EQ(Cli("burn-iso " + Quote(work / "noise.iso")).status, 0);
    const std::string before = RunCommand(std::string(VDRIVE_TOOL) + " status").output;
    const CommandResult continued = Cli("burn --continue " + Quote(source));
    EXPECT_NE(continued.status, 0);
    EXPECT_NE(continued.output.find("THE LAST SESSION OF THE DISC CANNOT BE READ WHOLE, A NEW SESSION WOULD HIDE ITS FILES"),
              std::string::npos)
        << continued.output;
    EXPECT_EQ(RunCommand(std::string(VDRIVE_TOOL) + " status").output, before);
}

// A session holding a file of 5 GiB (three extents), continued and then read
// back: by bsdtar from the new session and by extract. Opt-in: it moves
// several gigabytes (ZELVANE_TEST_LARGE=1).
TEST_F(CliOnVirtualDrive, FileOfSeveralExtentsSurvivesAContinue)
{
    const char *large = std::getenv("ZELVANE_TEST_LARGE");
    if (!large || std::string(large) != "1")
        GTEST_SKIP() << "set ZELVANE_TEST_LARGE=1 to write a 5 GiB file";
    const fs::path big = work / "big";
    fs::create_directories(big);
    const std::uint64_t size = (5ull << 30) + 12345;
    {
        std::ofstream file(big / "huge.bin", std::ios::binary);
        for (const std::uint64_t at : {std::uint64_t{0}, std::uint64_t{0xFFFFF800} - 3, std::uint64_t{0x1FFFFF000} + 5,
                                       size - 9}) {
            file.seekp(static_cast<std::streamoff>(at));
            file << "MARK" << at;
        }
    }
    fs::resize_file(big / "huge.bin", size);
    const fs::path image = work / "big.iso";
    ASSERT_EQ(Shell("xorriso -as mkisofs -R -iso-level 3 -o " + Quote(image) + " " + Quote(big) + " >/dev/null 2>&1"), 0);
    Tool("insert dvd+rw --capacity 3000000");
    ASSERT_EQ(Cli("burn-iso " + Quote(image)).status, 0);
    fs::remove(image);
    const fs::path more = work / "more";
    fs::create_directories(more);
    std::ofstream(more / "new.txt") << "after the big file\n";
    const CommandResult continued = Cli("burn --continue " + Quote(more));
    ASSERT_EQ(continued.status, 0) << continued.output;

    Tool("export " + Quote(work / "after.iso"));
    EXPECT_EQ(Shell("bsdtar -xOf " + Quote(work / "after.iso") + " huge.bin | cmp -s - " + Quote(big / "huge.bin")), 0);
    fs::remove(work / "after.iso");
    const fs::path out = work / "out";
    ASSERT_EQ(Cli("extract /huge.bin " + Quote(out)).status, 0);
    EXPECT_EQ(fs::file_size(out / "huge.bin"), size);
    EXPECT_EQ(Shell("cmp -s " + Quote(out / "huge.bin") + " " + Quote(big / "huge.bin")), 0);
}
