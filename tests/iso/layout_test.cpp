// Sector arithmetic of the layout: descriptor and table positions with and
// without Joliet and boot record, multisession offsets, directory and path
// table sizes at sector boundaries, file extents, files beyond 4 GiB.
#include "TestSupport.h"

#include "sxISOLib/ImageLayout.h"
#include "sxISOLib/IsoRecords.h"

#include <gtest/gtest.h>

using namespace zelvane;
using namespace zelvane::test;

namespace {

TSearchRecord fileRecord(const std::string &name, std::int64_t size)
{
    TSearchRecord record;
    record.Name = name;
    record.Attr = faArchive;
    record.Size = size;
    return record;
}

} // namespace

TEST(Layout, RootOnlyWithJoliet)
{
    TSarnixBurner burner;
    burner.PrepareLayout(true, nullptr);
    const TImageLayout &l = burner.Layout();
    EXPECT_EQ(l.PrimaryDescriptor, 16u);
    EXPECT_EQ(l.JolietDescriptor, 17u);
    EXPECT_EQ(l.Terminator, 18u);
    EXPECT_EQ(l.IsoPathTableL, 19u);
    EXPECT_EQ(l.IsoPathTableM, 20u);
    EXPECT_EQ(l.JolietPathTableL, 21u);
    EXPECT_EQ(l.JolietPathTableM, 22u);
    EXPECT_EQ(l.IsoDirectoryArea, 23u);
    EXPECT_EQ(l.JolietDirectoryArea, 24u);
    EXPECT_EQ(l.FirstFileLocation, 150u);
    EXPECT_EQ(l.VolumeSpaceSize, 150);
    EXPECT_EQ(burner.SectorCount(), 150);
    EXPECT_EQ(l.PaddingStart, 25u);
    EXPECT_EQ(l.PaddingSectors, 125u);
    burner.BuildHeader(true, nullptr);
    EXPECT_EQ(burner.HeaderBuffer().size(), 150u * 2048);
}

TEST(Layout, RootOnlyWithoutJoliet)
{
    TSarnixBurner burner;
    burner.JolietFileSystem = false;
    burner.PrepareLayout(true, nullptr);
    const TImageLayout &l = burner.Layout();
    EXPECT_EQ(l.PrimaryDescriptor, 16u);
    EXPECT_EQ(l.Terminator, 17u);
    EXPECT_EQ(l.IsoPathTableL, 18u);
    EXPECT_EQ(l.IsoPathTableM, 19u);
    EXPECT_EQ(l.IsoDirectoryArea, 20u);
    EXPECT_EQ(l.FirstFileLocation, 150u);
}

TEST(Layout, BootRecordMovesTheJolietDescriptorAndTheImageEndsWhereFilesStart)
{
    TempDir dir;
    TSarnixBurner burner;
    burner.BootImageFile = dir.file("floppy.img", 1474560);
    burner.Bootable = true;
    burner.PrepareLayout(true, nullptr);
    const TImageLayout &l = burner.Layout();
    EXPECT_TRUE(l.Bootable);
    EXPECT_EQ(l.BootRecord, 17u);
    EXPECT_EQ(l.JolietDescriptor, 18u);
    EXPECT_EQ(l.Terminator, 19u);
    EXPECT_EQ(l.BootImageSectors, 720u);
    EXPECT_EQ(l.BootImage, l.BootCatalog + 1);
    EXPECT_EQ(l.FirstFileLocation, l.BootImage + 720);
    EXPECT_EQ(l.PaddingSectors, 0u);

    // A small image: the padding comes before the catalog, so that the
    // header (padding included) is followed by the boot image itself.
    burner.BootImageFile = dir.file("small.img", 4096);
    burner.Bootable = true;
    burner.PrepareLayout(true, nullptr);
    const TImageLayout &s = burner.Layout();
    EXPECT_EQ(s.BootImageSectors, 2u);
    EXPECT_EQ(s.PaddingStart, 26u);
    EXPECT_EQ(s.BootCatalog, 147u);
    EXPECT_EQ(s.BootImage, 148u);
    EXPECT_EQ(s.FirstFileLocation, 150u);
    EXPECT_EQ(s.headerSectors(), 148);
}

TEST(Layout, BootableIsClearedWithoutAnImageFile)
{
    TSarnixBurner burner;
    burner.Bootable = true;
    burner.BootImageFile = "/nonexistent/boot.img";
    burner.PrepareLayout(true, nullptr);
    EXPECT_FALSE(burner.Bootable);
    EXPECT_EQ(burner.Layout().JolietDescriptor, 17u);
}

TEST(Layout, SecondSessionStartsAtItsOffsetWithoutPadding)
{
    TSarnixBurner burner;
    burner.SessionStart = 30000;
    TDEntry *root = burner.Tree().Root();
    burner.AddFileEntry(root, fileRecord("old.bin", 4096), 0, 1234, "");
    burner.AddFileEntry(root, fileRecord("new.bin", 100), 0, 0, "/new");
    burner.PrepareLayout(false, nullptr);
    const TImageLayout &l = burner.Layout();
    EXPECT_EQ(l.PrimaryDescriptor, 30016u);
    EXPECT_EQ(l.IsoDirectoryArea, 30023u);
    EXPECT_EQ(l.PaddingSectors, 0u);
    EXPECT_EQ(l.FirstFileLocation, 30025u);
    EXPECT_EQ(l.VolumeSpaceSize, 30026);
    EXPECT_EQ(burner.SectorCount(), 26);

    burner.BuildHeader(false, nullptr);
    EXPECT_EQ(burner.HeaderBuffer().size(), 25u * 2048);
    EXPECT_EQ(le32(headerSector(burner, 30016) + 80), 30026u);
    const auto records = parseDirectory(headerSector(burner, l.IsoDirectoryArea), 2048);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].extent, 30023u);
    EXPECT_EQ(records[2].identifier, "OLD.BIN;1");
    EXPECT_EQ(records[2].extent, 1234u);
    EXPECT_EQ(records[3].extent, 30025u);
}

TEST(Layout, DirectoryFillingExactlyOneSectorTakesOne)
{
    // "." and ".." take 68 bytes; file "XXXXX.TXT;1" (11 characters) makes
    // a 44-byte record: 68 + 44 x 45 = 2048 exactly.
    TSarnixBurner burner;
    TDEntry *folder = burner.MakeDirectoryPath("\\F");
    for (int i = 0; i < 45; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "N%04d.TXT", i);
        burner.AddFileEntry(folder, fileRecord(name, 1), 0, 0, "/x");
    }
    EXPECT_EQ(isoDirectorySize(*folder), 2048);
    TSearchRecord one = fileRecord("Z.TXT", 1);
    burner.AddFileEntry(folder, one, 0, 0, "/x");
    EXPECT_EQ(isoDirectorySize(*folder), 4096);

    burner.PrepareLayout(true, nullptr);
    burner.BuildHeader(true, nullptr);
    const auto records = parseDirectory(headerSector(burner, burner.Layout().IsoDirectoryArea + folder->IsoOffset), 4096);
    ASSERT_EQ(records.size(), 48u);
    EXPECT_EQ(records[47].identifier, "Z.TXT;1");
}

TEST(Layout, PathTableOfExactly4096BytesTakesTwoSectors)
{
    // Root record 10 bytes, 254 folders of 8 characters (16-byte records)
    // and one of 13 characters (22 bytes): 10 + 4064 + 22 = 4096.
    TSarnixBurner burner;
    for (int n = 0; n < 254; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "D%07d", n);
        burner.MakeDirectoryPath(std::string("\\") + name);
    }
    burner.MakeDirectoryPath("\\FFFFFFFFFFFFF");
    burner.PrepareLayout(true, nullptr);
    const TImageLayout &l = burner.Layout();
    EXPECT_EQ(l.IsoPathTableSize, 4096u);
    EXPECT_EQ(l.IsoPathTableM, l.IsoPathTableL + 2);
    EXPECT_EQ(l.JolietPathTableL, l.IsoPathTableM + 2);
}

TEST(Layout, FileExtentsInFileTableOrder)
{
    TSarnixBurner burner;
    TDEntry *root = burner.Tree().Root();
    burner.AddFileEntry(root, fileRecord("a.bin", 2049), 0, 0, "/a");
    burner.AddFileEntry(root, fileRecord("empty.bin", 0), 0, 0, "/e");
    burner.MakeDirectoryPath("\\D");
    burner.AddFileEntry(root, fileRecord("b.bin", 2048), 0, 0, "/b");
    burner.PrepareLayout(true, nullptr);
    burner.BuildHeader(true, nullptr);
    const auto &files = burner.Tree().Files();
    EXPECT_EQ(files[0]->IsoLocation, 0u);
    EXPECT_EQ(files[1]->IsoLocation, 0u);
    EXPECT_EQ(files[3]->IsoLocation, 2u);
    EXPECT_EQ(burner.Layout().VolumeSpaceSize, 153);

    const auto records = parseDirectory(headerSector(burner, burner.Layout().IsoDirectoryArea), 2048);
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[2].extent, 150u);
    EXPECT_EQ(records[2].length, 2049u);
    EXPECT_EQ(records[3].extent, 0u);
    EXPECT_EQ(records[3].length, 0u);
    EXPECT_EQ(records[4].flags, 2);
    EXPECT_EQ(records[4].extent, burner.Layout().IsoDirectoryArea + 1);
    EXPECT_EQ(records[5].extent, 152u);
}

TEST(Layout, FilesBeyondFourGiBAreWrittenAsSeveralExtents)
{
    TSarnixBurner burner;
    const std::int64_t size = 9LL * 1024 * 1024 * 1024 + 5;  // 9 GiB + 5 bytes: three extents
    burner.AddFileEntry(burner.Tree().Root(), fileRecord("huge.bin", size), 0, 0, "/h");
    burner.AddFileEntry(burner.Tree().Root(), fileRecord("after.bin", 1), 0, 0, "/a");
    burner.PrepareLayout(true, nullptr);
    burner.BuildHeader(true, nullptr);
    const TImageLayout &l = burner.Layout();
    const std::int64_t hugeSectors = (size + 2047) / 2048;
    EXPECT_EQ(burner.Tree().Files()[1]->IsoLocation, hugeSectors);
    EXPECT_EQ(l.VolumeSpaceSize, 150 + hugeSectors + 1);

    for (const std::uint32_t area : {l.IsoDirectoryArea, l.JolietDirectoryArea}) {
        const auto records = parseDirectory(headerSector(burner, area), 2048);
        ASSERT_EQ(records.size(), 6u);
        const std::uint32_t perExtent = static_cast<std::uint32_t>(kMaxExtentBytes / 2048);
        std::int64_t total = 0;
        for (int i = 2; i < 5; ++i) {
            EXPECT_EQ(records[i].identifier, records[2].identifier);
            EXPECT_EQ(records[i].extent, 150 + perExtent * (i - 2));
            EXPECT_EQ(records[i].flags, i < 4 ? 0x80 : 0);
            total += records[i].length;
        }
        EXPECT_EQ(total, size);
        EXPECT_EQ(records[5].extent, 150 + hugeSectors);
    }
}
