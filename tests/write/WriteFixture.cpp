#include "WriteFixture.h"

#include "sxCDBC/FolderProject.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

std::string Shell(const std::string &command, int &status)
{
    std::string output;
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        output.append(chunk, n);
    status = ::pclose(pipe);
    return output;
}

void MakeFile(const fs::path &path, std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (auto &c : bytes)
        c = static_cast<char>(random());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

fs::path MakeSourceFolder(const fs::path &parent, const std::string &name, unsigned seed)
{
    const fs::path root = parent / name;
    fs::create_directories(root / "inner");
    MakeFile(root / "empty.txt", 0, seed);
    MakeFile(root / "one.bin", 1, seed + 1);
    MakeFile(root / "sector_and_one.bin", 2049, seed + 2);
    MakeFile(root / "inner" / "large.bin", 300000 + seed, seed + 3);
    MakeFile(root / "inner" / ("file " + name + ".dat"), 70000, seed + 4);
    return root;
}

bool SameTree(const fs::path &a, const fs::path &b, std::string &difference)
{
    int status = 0;
    difference = Shell("diff -r '" + a.string() + "' '" + b.string() + "'", status);
    return status == 0;
}

void WriteTest::SetUp()
{
    char pattern[] = "/tmp/zelvane-write-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ::setenv("ZELVANE_VDRIVE_DIR", (folder_ / "drive").c_str(), 1);
    burner = std::make_unique<zelvane::TSarnixBurner>();
    ASSERT_TRUE(burner->InitializeTransport(false, VDRIVE_LIBRARY));
    ASSERT_EQ(burner->DriveList().size(), 1u);
    burner->SelectDevice(burner->DriveList()[0]);
    // The drive works in fast mode; long pauses of the engine are shortened.
    burner->SetSleepForTests([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 20))); });
    burner->OnWriteDone = [this](zelvane::TSarnixBurner *, const std::string &text) {
        ++doneCount;
        doneText = text;
    };
    burner->SetCacheSize(2 * 1048576);
}

void WriteTest::TearDown()
{
    burner.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

void WriteTest::Tool(const std::string &arguments)
{
    int status = 0;
    const std::string output = Shell(std::string(VDRIVE_TOOL) + " " + arguments, status);
    ASSERT_EQ(status, 0) << "zelvane-vdrive " << arguments << ": " << output;
}

std::string WriteTest::ToolOutput(const std::string &arguments)
{
    int status = 0;
    return Shell(std::string(VDRIVE_TOOL) + " " + arguments, status);
}

void WriteTest::BuildProject(const std::vector<fs::path> &paths)
{
    burner->ClearProject(65535, 8191);
    zelvane::FolderProject project(*burner);
    for (const auto &path : paths)
        project.addPath(path.string());
    project.build();
    burner->IdVolume = "SESSION";
    burner->DateCreation = zelvane::todayDate();
}

std::string WriteTest::RunWrite(const std::function<bool()> &start)
{
    doneCount = 0;
    doneText = "(no OnWriteDone)";
    start();
    burner->WaitForWriteEnd();
    EXPECT_EQ(doneCount.load(), 1) << "OnWriteDone must come exactly once";
    EXPECT_FALSE(zelvane::TSarnixBurner::WriteRunning());
    return doneText;
}

std::string WriteTest::Burn(const std::vector<fs::path> &paths, bool continueDisc)
{
    BuildProject(paths);
    burner->ImportSessionNumber = continueDisc ? -1 : 0;
    return RunWrite([this] { return burner->BurnProject(); });
}

fs::path WriteTest::ReadSession(std::uint32_t start, const std::string &name)
{
    const fs::path image = folder_ / (name + ".iso");
    const fs::path out = folder_ / name;
    int status = 0;
    std::string output = Shell(std::string(VDRIVE_TOOL) + " export '" + image.string() + "'", status);
    if (status != 0) {
        ADD_FAILURE() << "export: " << output;
        return {};
    }
    output = Shell("xorriso -indev '" + image.string() + "' -load sbsector " + std::to_string(start) +
                       " -osirrox on -extract / '" + out.string() + "'",
                   status);
    if (status != 0) {
        ADD_FAILURE() << "xorriso at sector " << start << ": " << output;
        return {};
    }
    Shell("chmod -R u+w '" + out.string() + "'", status);
    return out;
}
