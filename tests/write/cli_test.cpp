// The burn commands of zelvane-cli against the virtual drive: refusals with
// the wizard's reasons, closing the disc, test writes and image burns read
// back byte for byte.
#include "WriteFixture.h"

#include <fstream>

namespace {

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliTest : public WriteTest {
protected:
    std::string Cli(const std::string &arguments, int &status)
    {
        return Shell(std::string(ZELVANE_CLI) + " " + arguments, status);
    }
};

} // namespace

class FinalizeTest : public CliTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(FinalizeTest, FinalizeClosesTheDiscAndAClosedDiscIsRefused)
{
    Tool(std::string("insert ") + GetParam());
    const fs::path source = MakeSourceFolder(folder_, "src", 91);
    int status = 0;
    std::string out = Cli("burn --finalize '" + source.string() + "'", status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("Запись успешно завершена"), std::string::npos) << out;
    EXPECT_NE(out.find("MB of"), std::string::npos) << out;
    EXPECT_NE(ToolOutput("status").find("disc status: complete"), std::string::npos) << ToolOutput("status");

    // A closed write-once disc takes no further session: a CD is refused as
    // finalised, a DVD as having no free space left.
    if (std::string(GetParam()) == "dvd-rw")
        return;
    out = Cli("burn --continue '" + source.string() + "'", status);
    EXPECT_NE(status, 0) << out;
    const char *reason = std::string(GetParam()) == "cd-r"
                             ? "Диск финализирован, его продолжение невозможно."
                             : "Размер проекта превышает объем свободного места на диске";
    EXPECT_NE(out.find(reason), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(WriteOnceMedia, FinalizeTest,
                         ::testing::Values("cd-r", "dvd-r", "dvd-rw", "dvd+r"),
                         [](const auto &info) {
                             std::string name = info.param;
                             for (char &c : name)
                                 c = (c == '-') ? '_' : (c == '+') ? 'P' : c;
                             return name;
                         });

TEST_F(CliTest, RefusedCloseOrFlushEndsWithAWriterError)
{
    const fs::path source = MakeSourceFolder(folder_, "src", 95);
    const std::pair<const char *, const char *> cases[] = {
        {"close-error", "cd-r"}, {"close-error", "dvd-r"}, {"close-error", "dvd+r"}, {"close-error", "dvd-rw-ro"},
        {"flush-error", "cd-rw"}, {"flush-error", "dvd-r"}, {"flush-error", "dvd+rw"}};
    for (const auto &[fault, medium] : cases) {
        Tool(std::string("insert ") + medium);
        Tool(std::string("fault ") + fault);
        int status = 0;
        const std::string out = Cli("burn '" + source.string() + "'", status);
        EXPECT_NE(status, 0) << fault << " on " << medium << ":\n" << out;
        EXPECT_NE(out.find("Запись завершена с ошибкой: WRITER ERROR ["), std::string::npos)
            << fault << " on " << medium << ":\n" << out;
        EXPECT_EQ(out.find("Запись успешно завершена"), std::string::npos) << out;
        Tool("fault clear");
    }
}

TEST_F(CliTest, StoppedMakeIsoLeavesNoFile)
{
    // A large sparse file keeps the write going long enough to be stopped
    // once its temporary file exists.
    fs::create_directories(folder_ / "src" / "out");
    MakeFile(folder_ / "src" / "large.bin", 1, 7);
    fs::resize_file(folder_ / "src" / "large.bin", 3ull << 30);
    const fs::path out = folder_ / "src" / "out";
    for (const char *mode : {"", "--direct "}) {
        const fs::path script = folder_ / "stop.sh";
        std::ofstream(script) << ZELVANE_CLI << " make-iso " << mode << "-o '" << (out / "stopped.iso").string()
                              << "' '" << (folder_ / "src" / "large.bin").string() << "' & pid=$!\n"
                              << "for i in $(seq 1 400); do\n"
                              << "  ls -A '" << out.string() << "' | grep -q '^\\.zelvane-' && break; sleep 0.02\n"
                              << "done\n"
                              << "kill -INT $pid; wait $pid; echo \"exit $?\"\n";
        int status = 0;
        const std::string output = Shell("bash '" + script.string() + "'", status);
        EXPECT_NE(output.find("OPERATION ABORTED BY USER"), std::string::npos) << mode << output;
        EXPECT_NE(output.find("exit 1"), std::string::npos) << mode << output;
        EXPECT_TRUE(fs::is_empty(out)) << mode << output;
    }
}

TEST_F(CliTest, TestWriteWritesAndClosesNothing)
{
    Tool("insert dvd-r");
    const fs::path source = MakeSourceFolder(folder_, "src", 92);
    int status = 0;
    const std::string out = Cli("burn --test-write '" + source.string() + "'", status);
    ASSERT_EQ(status, 0) << out;
    const std::string after = ToolOutput("status");
    EXPECT_NE(after.find("disc status: blank"), std::string::npos) << after;
}

TEST_F(CliTest, ReadOnlyFullAndMissingMediaAreRefusedWithTheirReasons)
{
    const fs::path source = MakeSourceFolder(folder_, "src", 93);
    MakeFile(folder_ / "pressed.iso", 409600, 1);
    Tool("insert-rom '" + (folder_ / "pressed.iso").string() + "'");
    int status = 0;
    std::string out = Cli("burn '" + source.string() + "'", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("Запись на носитель CD-ROM не возможна"), std::string::npos) << out;

    Tool("insert cd-r --capacity 250");
    out = Cli("burn '" + source.string() + "'", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("Размер проекта превышает объем свободного места на диске"), std::string::npos) << out;

    Tool("insert dvd-r");
    out = Cli("burn --erase-first '" + source.string() + "'", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("erase"), std::string::npos) << out;

    // A drive without a disc.
    out = Shell("ZELVANE_VDRIVE_DIR='" + (folder_ / "empty-drive").string() + "' " + ZELVANE_CLI + " burn '" +
                    source.string() + "'",
                status);
    EXPECT_NE(status, 0);
    EXPECT_TRUE(out.find("Устройство не готово") != std::string::npos ||
                out.find("Носитель отсутствует или имеет неизвестный тип") != std::string::npos)
        << out;
}

TEST_F(CliTest, BurnedImagesReadBackByteIdentical)
{
    const fs::path source = MakeSourceFolder(folder_, "src", 94);
    int status = 0;
    std::string out = Shell("genisoimage -quiet -J -r -o '" + (folder_ / "gen.iso").string() + "' '" + source.string() + "'", status);
    ASSERT_EQ(status, 0) << out;
    out = Cli("make-iso -o '" + (folder_ / "own.iso").string() + "' '" + source.string() + "'", status);
    ASSERT_EQ(status, 0) << out;
    for (const char *name : {"gen.iso", "own.iso"}) {
        for (const char *medium : {"cd-r", "dvd+r"}) {
            Tool(std::string("insert ") + medium);
            out = Cli("burn-iso '" + (folder_ / name).string() + "'", status);
            ASSERT_EQ(status, 0) << out;
            Tool("export '" + (folder_ / "back.iso").string() + "'");
            const std::string image = ReadAll(folder_ / name);
            const std::string back = ReadAll(folder_ / "back.iso");
            ASSERT_GE(back.size(), image.size()) << name << " on " << medium;
            EXPECT_TRUE(back.compare(0, image.size(), image) == 0) << name << " on " << medium;
        }
    }
    // A write-once disc that holds data takes no image.
    out = Cli("burn-iso '" + (folder_ / "own.iso").string() + "'", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("Образ записывается с начала диска, а этот диск уже содержит данные"), std::string::npos) << out;
}
