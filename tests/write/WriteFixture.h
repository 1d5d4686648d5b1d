// A burner on the virtual drive in a fresh folder of its own, source
// folders with varied files, and the disc read back by xorriso.
#pragma once

#include "sxCDBC/SarnixBurner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Runs a shell command; answers its output (stdout and stderr) and status.
std::string Shell(const std::string &command, int &status);

// Writes `size` bytes of pseudo-random data (seeded) into a new file.
void MakeFile(const fs::path &path, std::size_t size, unsigned seed);

// A folder with files of several sizes (empty, 1 byte, 2049 bytes, a few
// hundred kilobytes) and a subfolder; answers its path.
fs::path MakeSourceFolder(const fs::path &parent, const std::string &name, unsigned seed);

// True when both folders hold the same files with the same bytes.
bool SameTree(const fs::path &a, const fs::path &b, std::string &difference);

class WriteTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void Tool(const std::string &arguments);
    std::string ToolOutput(const std::string &arguments);

    // Builds a project of the given local paths into the burner.
    void BuildProject(const std::vector<fs::path> &paths);
    // Runs an operation that starts a write and waits for its end; answers
    // the text of OnWriteDone (which must come exactly once).
    std::string RunWrite(const std::function<bool()> &start);
    std::string Burn(const std::vector<fs::path> &paths, bool continueDisc = false);

    // Exports the disc and extracts the session starting at `start` with
    // xorriso into a new folder; answers it (empty on failure).
    fs::path ReadSession(std::uint32_t start, const std::string &name);

    fs::path folder_;
    std::unique_ptr<zelvane::TSarnixBurner> burner;
    std::atomic<int> doneCount{0};
    std::string doneText;
};
