// The virtual drive in a fresh folder of its own, a device selected on it,
// and ways to prepare discs with raw commands and to read the drive's own
// account of the disc layout.
#pragma once

#include "sxDrvLib/ScsiDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct TrackLayout {
    int session = 0;
    int number = 0;
    uint32_t start = 0;
    uint32_t size = 0;
    std::optional<uint32_t> nextWritable;
    uint32_t freeBlocks = 0;
    std::string state;
};

// What `zelvane-vdrive status` tells of the disc.
struct DiscLayout {
    std::string medium;
    uint32_t capacity = 0;
    std::string discStatus;      // blank, appendable, complete, other
    std::string lastSession;     // empty, incomplete, damaged, complete
    int sessions = 0;
    std::optional<uint32_t> writtenEnd;
    std::vector<TrackLayout> tracks;
};

// Runs a shell command and answers its output and exit status.
std::string RunShell(const std::string &command, int &status);

enum class Closing { None, Session, Disc };

class VirtualDriveTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs zelvane-vdrive with the arguments; fails the test on an error.
    void Tool(const std::string &arguments);
    DiscLayout Layout();
    void Reselect();

    // Writes a data track of `blocks` blocks at the next writable address
    // (a primary volume descriptor at its block 16 giving `volumeBlocks`
    // when not 0) and closes as asked. Answers the track's start.
    uint32_t WriteSession(uint32_t blocks, Closing closing, uint32_t volumeBlocks = 0);
    // Writes blocks at an address of an overwritable disc.
    void WriteAt(uint32_t lba, uint32_t blocks, uint32_t volumeBlocks = 0);
    // Formats a DVD+RW the way the erase does, and waits until it is ready.
    void FormatDvdPlusRw();

    std::filesystem::path folder_;
    std::unique_ptr<zelvane::TSCSIDevice> device;
};
