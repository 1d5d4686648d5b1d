// zelvane-cli erase against the virtual drive, with the engine's real waits.
#include "EraseFixture.h"

#include <sstream>

namespace {

std::string RunCli(const std::string &arguments, int &status, bool withErrors = true)
{
    return RunShell(std::string(ZELVANE_CLI) + " erase " + arguments + (withErrors ? " 2>&1" : " 2>/dev/null"),
                    status);
}

// The percentages the command printed, in order.
std::vector<int> Percentages(const std::string &output)
{
    std::vector<int> values;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty() && line.back() == '%')
            values.push_back(std::stoi(line));
    return values;
}

} // namespace

TEST_F(EraseTest, CliErasesCdRwAndShowsThePercentage)
{
    Tool("insert cd-rw --capacity 60000");
    WriteSession(64, Closing::Session, 64);
    int status = -1;
    const std::string output = RunCli("", status, false);
    ASSERT_EQ(status, 0) << output;
    const auto percents = Percentages(output);
    ASSERT_GE(percents.size(), 2u) << output;
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(NeverFalls(percents));
    EXPECT_NE(output.find("the disc is blank"), std::string::npos) << output;
    EXPECT_EQ(Layout().discStatus, "blank");
}

TEST_F(EraseTest, CliFullEraseOfDvdRamAtAChosenSpeed)
{
    Tool("insert dvd-ram");
    WriteAt(0, 64, 64);
    int status = -1;
    const std::string output = RunCli("--full --speed 2x --verbose", status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find(">>> STARTING ERASE PROCESS ON DVD-RAM AT "), std::string::npos) << output;
    EXPECT_EQ(device->UsedBlocks(), 0u);
}

TEST_F(EraseTest, CliRefusesWriteOnceDiscAndBadArguments)
{
    Tool("insert cd-r");
    int status = -1;
    std::string output = RunCli("", status);
    EXPECT_EQ(WEXITSTATUS(status), 5) << output;
    EXPECT_NE(output.find("insert a rewritable disc to erase"), std::string::npos) << output;

    output = RunCli("--speed fast", status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << output;
    output = RunCli("--quick-ish", status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << output;
}

namespace {

std::string RunCliCommand(const std::string &arguments, int &status)
{
    return RunShell(std::string(ZELVANE_CLI) + " " + arguments + " 2>&1", status);
}

} // namespace

TEST_F(EraseTest, CliBurnIsoEraseFirstBlanksTheDiscAndWritesTheImage)
{
    Tool("insert dvd+rw --capacity 65536");
    FormatDvdPlusRw();
    WriteAt(0, 64, 64);
    const std::string source = (folder_ / "source").string();
    const std::string image = (folder_ / "new.iso").string();
    int status = -1;
    RunShell("mkdir -p " + source + " && echo erased-then-written > " + source + "/note.txt && genisoimage -quiet -V NEWDISC -o " +
                 image + " " + source,
             status);
    ASSERT_EQ(status, 0);

    // Without --erase-first the used disc is refused.
    std::string output = RunCliCommand("burn-iso " + image, status);
    EXPECT_NE(status, 0) << output;
    EXPECT_NE(output.find("--erase-first"), std::string::npos) << output;

    output = RunCliCommand("burn-iso --erase-first " + image, status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("the disc is blank"), std::string::npos) << output;
    const std::string exported = (folder_ / "exported.img").string();
    Tool("export " + exported);
    RunShell("cmp -n $(stat -c %s " + image + ") " + image + " " + exported, status);
    EXPECT_EQ(status, 0) << "the disc does not hold the image";
}

TEST_F(EraseTest, CliBurnEraseFirstReplacesTheVolumeOfADvdRam)
{
    Tool("insert dvd-ram --capacity 65536");
    WriteAt(0, 64, 64);
    const std::string source = (folder_ / "files").string();
    int status = -1;
    RunShell("mkdir -p " + source + " && head -c 100000 /dev/urandom > " + source + "/data.bin", status);
    ASSERT_EQ(status, 0);
    const std::string output = RunCliCommand("burn --erase-first " + source, status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("the disc is blank"), std::string::npos) << output;
    EXPECT_GT(device->IsoVolumeSize(), 64u);
}

TEST_F(EraseTest, CliEraseFirstRefusesAWriteOnceDisc)
{
    Tool("insert cd-r");
    const std::string source = (folder_ / "files").string();
    int status = -1;
    RunShell("mkdir -p " + source + " && echo x > " + source + "/x.txt", status);
    const std::string output = RunCliCommand("burn --erase-first " + source, status);
    EXPECT_EQ(WEXITSTATUS(status), 5) << output;
    EXPECT_EQ(Layout().discStatus, "blank");
}
