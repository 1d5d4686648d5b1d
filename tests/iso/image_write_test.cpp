// Direct image write: the file's length and bytes, the boot image where the
// catalog points, the internal position check, and failing sources.
#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

using namespace zelvane;
using namespace zelvane::test;

namespace {

std::vector<std::uint8_t> readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct WriteResult {
    int code = 0;
    int doneCalls = 0;
    std::string error;
};

WriteResult save(TSarnixBurner &burner, const std::string &image)
{
    WriteResult result;
    burner.OnWriteDone = [&](TSarnixBurner *, const std::string &error) {
        ++result.doneCalls;
        result.error = error;
    };
    result.code = burner.SaveImageFile(image, true);
    return result;
}

} // namespace

TEST(ImageWrite, OneFileProjectHasTheLaidOutLengthAndBytes)
{
    TempDir dir;
    const std::string source = dir.file("data.bin", 5000);
    TSarnixBurner burner;
    ASSERT_EQ(burner.AddFile("\\", source, false), 1);
    const std::string image = dir.path() + "/out.iso";
    const WriteResult result = save(burner, image);
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.doneCalls, 1);
    EXPECT_EQ(result.error, "");

    const auto bytes = readAll(image);
    ASSERT_EQ(bytes.size(), (burner.FirstFileLocation() + 3) * 2048u);
    const auto original = readAll(source);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), bytes.begin() + 150 * 2048));
    EXPECT_TRUE(std::all_of(bytes.begin() + 150 * 2048 + 5000, bytes.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::equal(burner.HeaderBuffer().begin(), burner.HeaderBuffer().end(), bytes.begin()));
}

TEST(ImageWrite, BootImageLiesWhereTheCatalogPoints)
{
    TempDir dir;
    std::vector<char> boot(3000);
    for (std::size_t i = 0; i < boot.size(); ++i)
        boot[i] = static_cast<char>(i * 7);
    const std::string bootFile = dir.text("boot.img", std::string(boot.begin(), boot.end()));
    const std::string source = dir.file("after.bin", 10);
    TSarnixBurner burner;
    burner.AddFile("\\", source, false);
    burner.BootImageFile = bootFile;
    burner.Bootable = true;
    MessageLog log;
    log.attach(burner);
    const std::string image = dir.path() + "/boot.iso";
    ASSERT_EQ(save(burner, image).code, 1);
    EXPECT_TRUE(log.lines.empty());

    const auto bytes = readAll(image);
    const std::uint32_t catalog = le32(bytes.data() + 17 * 2048 + 71);
    const std::uint32_t bootImage = le32(bytes.data() + catalog * 2048 + 40);
    EXPECT_TRUE(std::equal(boot.begin(), boot.end(), bytes.begin() + bootImage * 2048LL,
                           [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
    EXPECT_EQ(bytes.size(), (burner.FirstFileLocation() + 1) * 2048u);
    EXPECT_EQ(bytes[burner.FirstFileLocation() * 2048LL], 'a');
}

TEST(ImageWrite, MissingSourceEndsTheWriteAndLeavesNoImage)
{
    TempDir dir;
    const std::string first = dir.file("first.bin", 3000);
    const std::string second = dir.file("second.bin", 100);
    TSarnixBurner burner;
    burner.AddFile("\\", first, false);
    burner.AddFile("\\", second, false);
    ASSERT_EQ(::unlink(first.c_str()), 0);
    const std::string image = dir.path() + "/out.iso";
    const WriteResult result = save(burner, image);
    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(result.error, "CAN'T OPEN FILE \"" + first + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
    // No image, complete or not, and no temporary file beside it.
    EXPECT_EQ(::access(image.c_str(), F_OK), -1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // second.bin
}

TEST(ImageWrite, SourceThatShrankIsReported)
{
    TempDir dir;
    const std::string source = dir.file("shrinks.bin", 5000);
    TSarnixBurner burner;
    burner.AddFile("\\", source, false);
    dir.file("shrinks.bin", 10);
    const WriteResult result = save(burner, dir.path() + "/out.iso");
    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(result.error, "SOURCE FILE CHANGED WHILE WRITING: \"" + source + "\"");
}

TEST(ImageWrite, UnwritableTargetIsReported)
{
    TempDir dir;
    TSarnixBurner burner;
    const std::string target = dir.path() + "/no/such/folder/out.iso";
    const WriteResult result = save(burner, target);
    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(result.error, "CAN'T CREATE FILE \"" + target + "\"");
}

TEST(ImageWrite, PositionCheckReportsAFileOutOfPlace)
{
    TempDir dir;
    const std::string source = dir.file("a.bin", 10);
    TSarnixBurner burner;
    burner.AddFile("\\", source, false);
    // An entry whose data the layout counts but nobody writes shifts the next file.
    TSearchRecord ghost;
    ghost.Name = "ghost.bin";
    ghost.Attr = faArchive;
    ghost.Size = 4096;
    burner.AddFileEntry(burner.Tree().Root(), ghost, 0, 0, "");
    burner.AddFile("\\", dir.file("b.bin", 10), false);
    MessageLog log;
    log.attach(burner);
    save(burner, dir.path() + "/out.iso");
    EXPECT_TRUE(log.has(">>> INTERNAL ERROR 0004 " + dir.path() + "/b.bin 153<>151", 4));
}
