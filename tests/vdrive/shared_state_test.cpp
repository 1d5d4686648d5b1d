// The drive's state lives in its folder: a disc written by one process is
// read by the next, and concurrent processes never lose each other's writes.
#include "provider_harness.h"

#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace zelvane::vdrive::test {
namespace {

using SharedState = VirtualDriveTest;

std::vector<uint8_t> fileBytes(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(SharedState, DiscWrittenHereIsReadByAnotherProcess)
{
    ASSERT_EQ(tool("insert cd-r --capacity 40000"), 0);
    ASSERT_TRUE(waitReady(2000));
    ASSERT_TRUE(setWriteParameters(0x41, 0xC4).ok());
    ASSERT_TRUE(write(0, 20, 0x61).ok());
    ASSERT_TRUE(closeSession().ok());
    ASSERT_TRUE(waitReady(2000));
    ASSERT_TRUE(write(11422, 10, 0x62).ok());

    std::string status;
    ASSERT_EQ(tool("status", &status), 0);
    EXPECT_NE(status.find("appendable"), std::string::npos) << status;
    EXPECT_NE(status.find("start 11422"), std::string::npos) << status;

    const auto whole = folder_ / "whole.iso";
    const auto second = folder_ / "second.iso";
    ASSERT_EQ(tool("export " + whole.string()), 0);
    ASSERT_EQ(tool("export " + second.string() + " --session 2"), 0);
    const auto wholeBytes = fileBytes(whole);
    ASSERT_EQ(wholeBytes.size(), (11422u + 10u) * 2048u);
    EXPECT_EQ(wholeBytes[0], 0x61);
    EXPECT_EQ(wholeBytes[20 * 2048], 0x00);
    EXPECT_EQ(wholeBytes[11422 * 2048], 0x62);
    const auto secondBytes = fileBytes(second);
    ASSERT_EQ(secondBytes.size(), 10u * 2048u);
    EXPECT_EQ(secondBytes[0], 0x62);
    EXPECT_NE(tool("export " + second.string() + " --session 3"), 0);

    // A pressed disc made by the tool reads back through the provider.
    ASSERT_EQ(tool("insert-rom " + second.string() + " --dvd"), 0);
    // GET CONFIGURATION answers before the medium change is reported; READ does not.
    auto config = in({0x46, 0x02, 0, 0, 0, 0, 0, 0, 8, 0}, 8);
    EXPECT_EQ(config.be16(6), 0x0010);
    EXPECT_SENSE(read(9, 1), 0x06, 0x28, 0x00);
    EXPECT_EQ(read(9, 1).data[2047], 0x62);
    EXPECT_SENSE(read(10, 1), 0x05, 0x21, 0x00);
    EXPECT_SENSE(write(10, 1), 0x07, 0x27, 0x00);
    EXPECT_EQ(discInfo().data[2], 0x0E);
}

TEST_F(SharedState, ConcurrentProcessesSerialiseOnTheDriveLock)
{
    insert(MediaKind::DvdPlusR, 100000);
    constexpr int kChildren = 4;
    constexpr int kAttempts = 30;
    std::vector<pid_t> children;
    for (int c = 0; c < kChildren; ++c) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Each child appends one block at the NWA it reads; a race shows as a refusal, never as a lost write.
            int written = 0;
            for (int i = 0; i < kAttempts; ++i) {
                const uint32_t nwa = trackInfo(0xFF).be32(12);
                const auto reply = write(nwa, 1, static_cast<uint8_t>(c + 1));
                if (reply.ok())
                    ++written;
                else if (!(reply.key() == 0x05 && reply.asc() == 0x21 && reply.ascq() == 0x02))
                    _exit(255);
            }
            _exit(written);
        }
        children.push_back(pid);
    }
    int total = 0;
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 255);
        total += WEXITSTATUS(status);
    }
    EXPECT_GT(total, 0);
    EXPECT_EQ(trackInfo(0xFF).be32(12), static_cast<uint32_t>(total));
    EXPECT_EQ(state().disc.tracks.front().recorded, static_cast<uint32_t>(total));
}

TEST_F(SharedState, CorruptStateFileIsAHardwareErrorNotACrash)
{
    insert(MediaKind::CdR, 50000);
    {
        std::ofstream broken(folder_ / "state", std::ios::trunc);
        broken << "zelvane-vdrive-state 1\nmedium cd-r nonsense\n";
    }
    EXPECT_SENSE(testUnitReady(), 0x04, 0x44, 0x00);
    std::string output;
    EXPECT_NE(tool("status", &output), 0);
    EXPECT_NE(output.find("malformed"), std::string::npos) << output;
    // Inserting a new disc starts over from a fresh drive.
    ASSERT_EQ(tool("insert dvd-r --capacity 1000", &output), 0) << output;
    EXPECT_TRUE(waitReady(2000));
    EXPECT_EQ(discInfo().data[2] & 0x03, 0);
}

} // namespace
} // namespace zelvane::vdrive::test
