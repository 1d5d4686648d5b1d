// Order of the directories in the path tables, their numbers, and the path
// table records written from that order.
#include "TestSupport.h"

#include "sxISOLib/PathTableOrder.h"

#include <gtest/gtest.h>

using namespace zelvane;
using namespace zelvane::test;

namespace {

std::vector<std::string> order(const std::vector<TDEntry *> &entries)
{
    std::vector<std::string> names;
    for (const TDEntry *d : entries)
        names.push_back(d->LongName);
    return names;
}

// Path table records after the root's: (identifier, extent, parent number).
struct PathRecord {
    std::string identifier;
    std::uint32_t extent;
    std::uint16_t parent;
};

std::vector<PathRecord> readPathTable(const std::uint8_t *at, std::uint32_t size, bool bigEndian)
{
    std::vector<PathRecord> records;
    std::uint32_t offset = 0;
    while (offset < size) {
        const std::uint8_t length = at[offset];
        PathRecord r{ascii(at + offset + 8, length), bigEndian ? be32(at + offset + 2) : le32(at + offset + 2),
                     bigEndian ? be16(at + offset + 6) : le16(at + offset + 6)};
        records.push_back(r);
        offset += 8 + length + length % 2;
    }
    return records;
}

} // namespace

TEST(PathTableOrder, RootAloneIsNumberOne)
{
    TSarnixBurner burner;
    orderPathTables(burner.Tree());
    ASSERT_EQ(burner.Tree().IsoOrder().size(), 1u);
    EXPECT_EQ(burner.Tree().Root()->Number, 1u);
}

TEST(PathTableOrder, LevelByLevelSortedByIsoNameWithinParent)
{
    TSarnixBurner burner;
    burner.MakeDirectoryPath("\\B");
    burner.MakeDirectoryPath("\\A");
    burner.MakeDirectoryPath("\\A\\C");
    orderPathTables(burner.Tree());
    EXPECT_EQ(order(burner.Tree().IsoOrder()), (std::vector<std::string>{"CD Root Directory", "A", "B", "C"}));
    EXPECT_EQ(burner.FindDirectory("\\A\\C")->Number, 4u);
    EXPECT_EQ(burner.FindDirectory("\\A\\C")->Parent->Number, 2u);
}

TEST(PathTableOrder, DeeperLevelsFollowTheOrderOfTheirParents)
{
    TSarnixBurner burner;
    burner.MakeDirectoryPath("\\Z\\A");
    burner.MakeDirectoryPath("\\M\\Z");
    burner.MakeDirectoryPath("\\M\\B\\Q");
    burner.MakeDirectoryPath("\\A");
    orderPathTables(burner.Tree());
    EXPECT_EQ(order(burner.Tree().IsoOrder()),
              (std::vector<std::string>{"CD Root Directory", "A", "M", "Z", "B", "Z", "A", "Q"}));
    // Parent numbers never decrease along the table.
    std::uint32_t last = 0;
    for (const TDEntry *d : burner.Tree().IsoOrder()) {
        EXPECT_GE(d->Parent->Number, last);
        last = d->Parent->Number;
    }
}

TEST(PathTableOrder, JolietTableFollowsTheIsoNamesNotTheLongNames)
{
    TSarnixBurner burner;
    // Long names sort a < b, their ISO names the other way round.
    TSearchRecord first;
    first.Name = "a folder";
    first.AlternateName = "ZZZ";
    first.Attr = faDirectory;
    TSearchRecord second = first;
    second.Name = "b folder";
    second.AlternateName = "AAA";
    burner.AddDirectoryEntry(burner.Tree().Root(), first);
    burner.AddDirectoryEntry(burner.Tree().Root(), second);
    burner.AddDirectoryEntry(burner.FindDirectory("\\a folder"), second);
    burner.PrepareLayout(true, nullptr);
    burner.BuildHeader(true, nullptr);
    EXPECT_EQ(order(burner.Tree().IsoOrder()),
              (std::vector<std::string>{"CD Root Directory", "b folder", "a folder", "b folder"}));
    EXPECT_EQ(order(burner.Tree().JolietOrder()), order(burner.Tree().IsoOrder()));

    const TImageLayout &layout = burner.Layout();
    const auto iso = readPathTable(headerSector(burner, layout.IsoPathTableL), layout.IsoPathTableSize, false);
    const auto isoM = readPathTable(headerSector(burner, layout.IsoPathTableM), layout.IsoPathTableSize, true);
    const auto joliet = readPathTable(headerSector(burner, layout.JolietPathTableL), layout.JolietPathTableSize, false);
    ASSERT_EQ(iso.size(), 4u);
    ASSERT_EQ(joliet.size(), 4u);
    EXPECT_EQ(iso[0].identifier, std::string(1, '\0'));
    EXPECT_EQ(iso[0].parent, 1);
    EXPECT_EQ(iso[1].identifier, "AAA");
    EXPECT_EQ(iso[2].identifier, "ZZZ");
    EXPECT_EQ(iso[3].identifier, "AAA");
    EXPECT_EQ(iso[3].parent, 3);
    EXPECT_EQ(joliet[1].identifier, ucs2("b folder"));
    EXPECT_EQ(joliet[2].identifier, ucs2("a folder"));
    EXPECT_EQ(joliet[3].parent, 3);
    for (std::size_t i = 0; i < iso.size(); ++i) {
        EXPECT_EQ(iso[i].extent, isoM[i].extent);
        EXPECT_EQ(iso[i].parent, isoM[i].parent);
        const TDEntry *d = burner.Tree().IsoOrder()[i];
        EXPECT_EQ(iso[i].extent, layout.IsoDirectoryArea + d->IsoOffset);
        EXPECT_EQ(joliet[i].extent, layout.JolietDirectoryArea + d->JolietOffset);
    }
}

TEST(PathTableOrder, CollidingIsoNamesAreMadeUniqueBeforeOrdering)
{
    TSarnixBurner burner;
    burner.MakeDirectoryPath("\\Documents and Settings 2");
    burner.MakeDirectoryPath("\\Documents and Settings 1");
    TSearchRecord file;
    file.Name = "other name.txt";
    file.AlternateName = "DOCUMENTS_AND";
    file.Attr = faArchive;
    burner.AddFileEntry(burner.Tree().Root(), file, 0, 0, "/f");
    burner.PrepareLayout(true, nullptr);
    const TFEntry *a = burner.Tree().Root()->FirstChild;
    const TFEntry *b = a->Next;
    const TFEntry *c = b->Next;
    EXPECT_EQ(a->IsoName, "DOCUMENTS_AND");
    EXPECT_EQ(b->IsoName, "DOCUMENTS_A~1");
    EXPECT_EQ(c->IsoName, "DOCUMENTS_A~2");
    EXPECT_EQ(b->Directory->IsoName, b->IsoName);
    EXPECT_EQ(order(burner.Tree().IsoOrder()),
              (std::vector<std::string>{"CD Root Directory", "Documents and Settings 2", "Documents and Settings 1"}));
}
