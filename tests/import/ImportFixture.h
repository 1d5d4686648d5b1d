// A burner that reads its disc from an image in memory and keeps every
// message it reports.
#pragma once

#include "ImportSupport.h"

#include "sxCDBC/SarnixBurner.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class ImportTest : public ::testing::Test {
protected:
    ImportTest();

    // The image becomes the disc, with sessions starting at these sectors.
    zelvane::ImageDiscReader &UseImage(std::vector<std::uint8_t> image, std::vector<std::uint32_t> sessions = {0});
    zelvane::ImageDiscReader &UseImageFile(const fs::path &file, std::vector<std::uint32_t> sessions = {0});

    // The entry at a project path such as "\DOCS\A.TXT"; null when absent.
    const zelvane::TFEntry *Entry(const std::string &path);
    // Messages of a level, and whether one begins with the text.
    std::vector<std::string> Messages(std::uint8_t level) const;
    bool Reported(std::string_view start) const;
    // Long names of a directory's entries, in list order.
    std::vector<std::string> Names(const std::string &directoryPath);

    zelvane::TSarnixBurner burner;
    zelvane::ImageDiscReader *reader = nullptr;
    std::vector<std::pair<std::string, std::uint8_t>> messages;
};
