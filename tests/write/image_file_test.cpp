// Saving the project into an image file through the cache and the writing
// thread: the same bytes as the direct path, and every failure reported
// once with its text.
#include "WriteFixture.h"

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace zelvane;

namespace {

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Files a write left in a folder under its temporary names.
std::vector<std::string> LeftOvers(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".zelvane-", 0) == 0)
            names.push_back(entry.path().filename().string());
    return names;
}

} // namespace

TEST_F(WriteTest, ThreadedImageHasTheBytesOfTheDirectImage)
{
    const fs::path source = MakeSourceFolder(folder_, "src", 11);
    MakeFile(folder_ / "boot.img", 1474560, 12);
    for (bool bootable : {false, true}) {
        BuildProject({source});
        burner->Bootable = bootable;
        burner->BootImageFile = bootable ? (folder_ / "boot.img").string() : std::string();
        burner->DateCreation = 46000;
        ASSERT_EQ(RunWrite([&] { return burner->SaveImageFile((folder_ / "threaded.iso").string(), false) == -1; }), "");
        ASSERT_EQ(burner->BytesWritten.load(), burner->SectorsToWrite() * 2048);
        BuildProject({source});
        burner->Bootable = bootable;
        burner->BootImageFile = bootable ? (folder_ / "boot.img").string() : std::string();
        burner->DateCreation = 46000;
        ASSERT_EQ(RunWrite([&] { return burner->SaveImageFile((folder_ / "direct.iso").string(), true) == 1; }), "");
        const std::string threaded = ReadAll(folder_ / "threaded.iso");
        const std::string direct = ReadAll(folder_ / "direct.iso");
        ASSERT_EQ(threaded.size(), direct.size());
        // The directory records carry the time of the build; the rest is equal.
        std::size_t differing = 0;
        for (std::size_t i = 0; i < threaded.size(); ++i)
            differing += threaded[i] != direct[i];
        EXPECT_LT(differing, 200u) << "bootable " << bootable;
        const std::size_t files = std::size_t{burner->FirstFileLocation()} * 2048;
        EXPECT_TRUE(threaded.compare(files, std::string::npos, direct, files) == 0);
    }
}

TEST_F(WriteTest, ImageWriteFailuresEndWithTheirText)
{
    const fs::path source = MakeSourceFolder(folder_, "src", 21);
    BuildProject({source});
    EXPECT_EQ(RunWrite([&] { return burner->SaveImageFile("/nonexistent-folder/x.iso", false) == -1; }),
              "CAN'T CREATE FILE \"/nonexistent-folder/x.iso\"");

    // A full disk: the short write is an error, not a success.
    BuildProject({source});
    EXPECT_EQ(RunWrite([&] { return burner->SaveImageFile("/dev/full", false) == -1; }),
              "CAN'T WRITE FILE \"/dev/full\"");

    BuildProject({source});
    fs::remove(source / "inner" / "large.bin");
    EXPECT_EQ(RunWrite([&] { return burner->SaveImageFile((folder_ / "x.iso").string(), false) == -1; }),
              "CAN'T OPEN FILE \"" + (source / "inner" / "large.bin").string() +
                  "\" OR FILE IS IN USES BY OTHER SOFTWARE");
    EXPECT_EQ(burner->LastSourceFile, (source / "inner" / "large.bin").string());
    EXPECT_FALSE(fs::exists(folder_ / "x.iso"));

    MakeFile(source / "inner" / "large.bin", 1000, 5);
    BuildProject({source});
    MakeFile(source / "inner" / "large.bin", 900, 5);
    EXPECT_EQ(RunWrite([&] { return burner->SaveImageFile((folder_ / "x.iso").string(), false) == -1; }),
              "SOURCE FILE CHANGED WHILE WRITING: \"" + (source / "inner" / "large.bin").string() + "\"");
    // A failed write leaves no image, and an image already there as it was.
    EXPECT_FALSE(fs::exists(folder_ / "x.iso"));
    MakeFile(folder_ / "x.iso", 5, 6);
    BuildProject({source});
    fs::remove(source / "one.bin");
    EXPECT_NE(RunWrite([&] { return burner->SaveImageFile((folder_ / "x.iso").string(), false) == -1; }), "");
    EXPECT_NE(RunWrite([&] { return burner->SaveImageFile((folder_ / "x.iso").string(), true) == -1; }), "");
    EXPECT_EQ(fs::file_size(folder_ / "x.iso"), 5u);
    EXPECT_EQ(LeftOvers(folder_), std::vector<std::string>{});
}

TEST_F(WriteTest, StoppingAnImageWriteEndsOnceWithTheStopText)
{
    fs::create_directories(folder_ / "big");
    MakeFile(folder_ / "big" / "data.bin", 48 * 1048576, 31);
    int stopped = 0;
    for (int delayUs : {0, 100, 1000, 5000, 20000}) {
        BuildProject({folder_ / "big"});
        const std::string text = RunWrite([&] {
            burner->SaveImageFile((folder_ / "stop.iso").string(), false);
            std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
            burner->CancelWrite();
            return true;
        });
        EXPECT_TRUE(text == "OPERATION ABORTED BY USER" || text.empty()) << text;
        stopped += text == "OPERATION ABORTED BY USER";
        // A stopped write leaves no file at all; a finished one its image.
        EXPECT_EQ(fs::exists(folder_ / "stop.iso"), text.empty()) << text;
        EXPECT_EQ(LeftOvers(folder_), std::vector<std::string>{});
        fs::remove(folder_ / "stop.iso");
    }
    EXPECT_GE(stopped, 3);
}

TEST_F(WriteTest, StoppingAnotherBurnerLeavesThisWriteRunning)
{
    fs::create_directories(folder_ / "big");
    MakeFile(folder_ / "big" / "data.bin", 16 * 1048576, 41);
    BuildProject({folder_ / "big"});
    TSarnixBurner other;
    const std::string text = RunWrite([&] {
        const bool started = burner->SaveImageFile((folder_ / "kept.iso").string(), false) == -1;
        other.CancelWrite();
        return started;
    });
    EXPECT_EQ(text, "");
    EXPECT_EQ(fs::file_size(folder_ / "kept.iso"), std::uintmax_t(burner->SectorsToWrite()) * 2048);
}

TEST_F(WriteTest, ASourceThatGivesNothingEndsTheWaitForTheCache)
{
    // A named pipe nobody writes to: opening it for reading never returns.
    const fs::path pipe = folder_ / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    burner->ClearProject(65535, 8191);
    TSearchRecord record;
    record.Name = "pipe.bin";
    record.Attr = faArchive;
    record.Size = 100000;
    ASSERT_EQ(burner->AddFileEntry(burner->Tree().Root(), record, 0, 0, pipe.string()), 1);
    burner->CacheStallLimitMs = 300;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(RunWrite([&] { return burner->SaveImageFile((folder_ / "pipe.iso").string(), false) == -1; }),
              "READ-AHEAD CACHE DID NOT START");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_FALSE(fs::exists(folder_ / "pipe.iso"));
    // The cache thread still waits in the open; a writer that comes and goes
    // lets it end.
    const int writer = ::open(pipe.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ::close(writer);
}
