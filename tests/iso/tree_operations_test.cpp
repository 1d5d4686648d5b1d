// Tree operations of the burner: finding and making folders, adding files,
// duplicates, renames, removals, the table limits and the setters.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace zelvane;
using namespace zelvane::test;

namespace {

TSearchRecord fileRecord(const std::string &name, std::int64_t size = 10)
{
    TSearchRecord record;
    record.Name = name;
    record.Attr = faArchive;
    record.Size = size;
    record.Time = encodeDateTime({2024, 5, 6, 7, 8, 9, 0});
    return record;
}

std::vector<std::string> listNames(const TDEntry *directory)
{
    std::vector<std::string> names;
    for (const TFEntry *entry = directory->FirstChild; entry; entry = entry->Next)
        names.push_back(entry->LongName);
    return names;
}

} // namespace

TEST(TreeOperations, EmptyProjectHasOnlyTheRoot)
{
    TSarnixBurner burner;
    EXPECT_EQ(burner.FindDirectory(""), burner.Tree().Root());
    EXPECT_EQ(burner.FindDirectory("\\"), burner.Tree().Root());
    EXPECT_EQ(burner.Tree().Root()->IsoName, "CD_ROOT");
    EXPECT_EQ(burner.Tree().Root()->LongName, "CD Root Directory");
    EXPECT_EQ(burner.Tree().Root()->Parent, burner.Tree().Root());
    EXPECT_EQ(burner.SectorsToWrite(), 300);
    burner.WritePostGap = false;
    EXPECT_EQ(burner.SectorsToWrite(), 0);
}

TEST(TreeOperations, MakeDirectoryPathCreatesEachLevelOnce)
{
    TSarnixBurner burner;
    TDEntry *c = burner.MakeDirectoryPath("\\A\\B\\C");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Path, "\\A\\B\\C");
    EXPECT_EQ(c->Parent->Path, "\\A\\B");
    EXPECT_EQ(burner.Tree().Directories().size(), 4u);
    EXPECT_EQ(burner.MakeDirectoryPath("\\a\\b\\c"), c);
    EXPECT_EQ(burner.FindDirectory("\\A\\B\\C\\"), c);
    EXPECT_EQ(burner.Tree().Directories().size(), 4u);
    EXPECT_EQ(burner.Tree().Files().size(), 3u);

    // A trailing "\" makes the folders before it and gives none.
    EXPECT_EQ(burner.MakeDirectoryPath("\\X\\Y\\"), nullptr);
    EXPECT_NE(burner.FindDirectory("\\X\\Y"), nullptr);
}

TEST(TreeOperations, PathsCompareWithoutRegardToCaseInAnyScript)
{
    TSarnixBurner burner;
    TDEntry *folder = burner.MakeDirectoryPath("\\Папка\\Ёлка");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Path, "\\ПАПКА\\ЁЛКА");
    EXPECT_EQ(burner.FindDirectory("\\папка\\ёлка"), folder);
    EXPECT_EQ(burner.MakeDirectoryPath("\\ПАПКА\\ёЛКА"), folder);
}

TEST(TreeOperations, FileWithoutDotGetsOneInBothNames)
{
    TSarnixBurner burner;
    ASSERT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord("readme"), 0, 0, "/x/readme"), 1);
    const TFEntry *entry = burner.Tree().Root()->FirstChild;
    EXPECT_EQ(entry->LongName, "readme.");
    EXPECT_EQ(entry->IsoName, "README.");
    EXPECT_EQ(entry->IsoDataLength, 10);
    EXPECT_FALSE(entry->FromPreviousSession);
}

TEST(TreeOperations, LongNamesThatWouldOverflowAJolietRecordAreRefused)
{
    TSarnixBurner burner;
    MessageLog log;
    log.attach(burner);
    const std::string name108 = std::string(104, 'n') + ".txt";
    const std::string name109 = std::string(105, 'n') + ".txt";
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord(name108), 0, 0, "/a"), 1);
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord(name109), 0, 0, "/b"), 0);

    // A handler that clears Skip still cannot get a broken record written.
    burner.OnAddFile = [](TSarnixBurner *, const std::string &, std::string &, std::string &, TDateTime &,
                          std::int32_t, std::int64_t, bool &skip) { skip = false; };
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord(name109), 0, 0, "/b"), 0);
    EXPECT_TRUE(log.has("NAME TOO LONG FOR A JOLIET RECORD: \"" + name109 + "\"", 4));

    // Counted in UTF-16 units: 108 Cyrillic letters fit, 109 do not.
    std::string cyrillic;
    for (int i = 0; i < 104; ++i)
        cyrillic += "ж";
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord(cyrillic + ".txt"), 0, 0, "/c"), 1);
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord(cyrillic + "ж.txt"), 0, 0, "/d"), 0);

    const std::string folder110(110, 'd');
    EXPECT_NE(burner.MakeDirectoryPath("\\" + folder110), nullptr);
    EXPECT_EQ(burner.MakeDirectoryPath("\\" + folder110 + "x"), nullptr);
}

TEST(TreeOperations, OnAddFileMayRenameOrSkip)
{
    TSarnixBurner burner;
    std::int64_t seenSize = 0;
    burner.OnAddFile = [&](TSarnixBurner *, const std::string &path, std::string &longName, std::string &shortName,
                           TDateTime &, std::int32_t, std::int64_t size, bool &skip) {
        seenSize = size;
        skip = path == "/skip";
        longName = "renamed.bin";
        shortName = "ren.bin";
    };
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord("x", 5000000000LL), 0, 0, "/skip"), 0);
    EXPECT_EQ(seenSize, 5000000000LL);
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord("x"), 0, 0, "/take"), 1);
    EXPECT_EQ(burner.Tree().Root()->FirstChild->LongName, "renamed.bin");
    EXPECT_EQ(burner.Tree().Root()->FirstChild->IsoName, "REN.BIN");
}

TEST(TreeOperations, SecondFileOfTheSameNameIsRefusedOrReplacesInPlace)
{
    TSarnixBurner burner;
    TDEntry *root = burner.Tree().Root();
    ASSERT_EQ(burner.AddFileEntry(root, fileRecord("One.txt", 1), 0, 0, "/1"), 1);
    ASSERT_EQ(burner.AddFileEntry(root, fileRecord("two.txt", 2), 0, 0, "/2"), 1);
    EXPECT_EQ(burner.AddFileEntry(root, fileRecord("ONE.TXT", 3), 0, 0, "/3"), 0);
    EXPECT_EQ(root->FirstChild->SourcePath, "/1");

    burner.ReplaceFile = true;
    EXPECT_EQ(burner.AddFileEntry(root, fileRecord("one.TXT", 4), 0, 0, "/4"), 1);
    EXPECT_EQ(listNames(root), (std::vector<std::string>{"one.TXT", "two.txt"}));
    EXPECT_EQ(root->FirstChild->SourcePath, "/4");
    EXPECT_EQ(root->FirstChild->IsoDataLength, 4);
    EXPECT_EQ(burner.Tree().Files().size(), 2u);
}

TEST(TreeOperations, DirectoryLimitCountsTheRoot)
{
    TSarnixBurner burner;
    MessageLog log;
    log.attach(burner);
    burner.ClearProject(65535, 8191);
    for (int i = 1; i < 8191; ++i)
        ASSERT_NE(burner.MakeDirectoryPath("\\D" + std::to_string(i)), nullptr) << i;
    EXPECT_EQ(burner.MakeDirectoryPath("\\ONE MORE"), nullptr);
    EXPECT_TRUE(log.has(">>> MAXIMUM DIRECTORIES CAN BE 8191", 3));
    EXPECT_EQ(burner.Tree().Directories().size(), 8191u);
    EXPECT_EQ(burner.Tree().IsoOrder().size(), 8191u);
}

TEST(TreeOperations, EntryLimitCountsFilesAndFolders)
{
    TSarnixBurner burner;
    MessageLog log;
    log.attach(burner);
    burner.ClearProject(20, 8191);
    ASSERT_NE(burner.MakeDirectoryPath("\\F"), nullptr);
    for (int i = 0; i < 19; ++i)
        ASSERT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord("f" + std::to_string(i) + ".x"), 0, 0, "/f"), 1);
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord("last.x"), 0, 0, "/f"), 0);
    EXPECT_EQ(burner.MakeDirectoryPath("\\G"), nullptr);
    EXPECT_TRUE(log.has("MAXIMUM FILES CAN BE 20", 3));
    EXPECT_EQ(burner.Tree().Directories().size(), 2u);
}

TEST(TreeOperations, RenameChangesLongNameAndShortNameUpTo13Characters)
{
    TSarnixBurner burner;
    TDEntry *root = burner.Tree().Root();
    burner.AddFileEntry(root, fileRecord("a.txt"), 0, 0, "/a");
    EXPECT_FALSE(burner.RenameEntry("\\", "A.TXT", "Fourteen chars", "fourteen chars"));
    EXPECT_EQ(root->FirstChild->LongName, "Fourteen chars");
    EXPECT_EQ(root->FirstChild->IsoName, "A.TXT");
    EXPECT_TRUE(burner.RenameEntry("\\", "fourteen CHARS", "b.txt", ""));
    EXPECT_EQ(root->FirstChild->IsoName, "B.TXT");
    EXPECT_FALSE(burner.RenameEntry("\\", "missing", "c", "c"));
}

TEST(TreeOperations, RenamedFolderKeepsPathTableAndRecordInAgreement)
{
    TSarnixBurner burner;
    burner.MakeDirectoryPath("\\Old\\Inner");
    ASSERT_TRUE(burner.RenameEntry("\\", "old", "New", "New"));
    TDEntry *renamed = burner.FindDirectory("\\New");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->LongName, "New");
    EXPECT_EQ(renamed->IsoName, "NEW");
    EXPECT_EQ(renamed->Self->IsoName, "NEW");
    EXPECT_NE(burner.FindDirectory("\\New\\Inner"), nullptr);
    EXPECT_EQ(burner.FindDirectory("\\Old"), nullptr);
}

TEST(TreeOperations, RenameToANameTakenInTheFolderIsRefused)
{
    TSarnixBurner burner;
    TDEntry *root = burner.Tree().Root();
    burner.AddFileEntry(root, fileRecord("a.txt"), 0, 0, "/a");
    burner.AddFileEntry(root, fileRecord("b.txt"), 0, 0, "/b");
    EXPECT_FALSE(burner.RenameEntry("\\", "a.txt", "B.TXT", "B.TXT"));
    EXPECT_EQ(listNames(root), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(TreeOperations, RemoveEntryTakesTheSubtreeOutOfEveryTable)
{
    TSarnixBurner burner;
    burner.MakeDirectoryPath("\\A\\B");
    burner.MakeDirectoryPath("\\C");
    burner.AddFileEntry(burner.FindDirectory("\\A\\B"), fileRecord("f.txt"), 0, 0, "/f");
    burner.AddFileEntry(burner.FindDirectory("\\C"), fileRecord("g.txt"), 0, 0, "/g");
    ASSERT_TRUE(burner.RemoveEntry("\\", "a"));
    EXPECT_EQ(burner.FindDirectory("\\A"), nullptr);
    EXPECT_EQ(burner.FindDirectory("\\A\\B"), nullptr);
    EXPECT_EQ(burner.Tree().Directories().size(), 2u);
    EXPECT_EQ(burner.Tree().IsoOrder().size(), 2u);
    EXPECT_EQ(burner.Tree().JolietOrder().size(), 2u);
    ASSERT_EQ(burner.Tree().Files().size(), 2u);
    EXPECT_EQ(burner.Tree().Files()[0]->LongName, "C");
    EXPECT_EQ(burner.Tree().Files()[1]->LongName, "g.txt");
    EXPECT_EQ(listNames(burner.Tree().Root()), std::vector<std::string>{"C"});
    EXPECT_FALSE(burner.RemoveEntry("\\", "a"));
}

TEST(TreeOperations, RemoveEmptyDirectoriesRemovesParentsThatBecomeEmpty)
{
    TSarnixBurner burner;
    burner.MakeDirectoryPath("\\A\\B");
    burner.MakeDirectoryPath("\\K\\L");
    burner.AddFileEntry(burner.FindDirectory("\\K"), fileRecord("keep.txt"), 0, 0, "/k");
    EXPECT_TRUE(burner.RemoveEmptyDirectories());
    EXPECT_EQ(burner.FindDirectory("\\A"), nullptr);
    EXPECT_EQ(burner.FindDirectory("\\K\\L"), nullptr);
    EXPECT_NE(burner.FindDirectory("\\K"), nullptr);
    EXPECT_EQ(burner.Tree().Directories().size(), 2u);
    EXPECT_EQ(listNames(burner.Tree().Root()), std::vector<std::string>{"K"});
    EXPECT_EQ(burner.Tree().Root()->LastChild->LongName, "K");
}

TEST(TreeOperations, NamesWithAPathSeparatorAreRefused)
{
    TSarnixBurner burner;
    MessageLog log;
    log.attach(burner);
    TSearchRecord folder;
    folder.Name = "a\\b";
    folder.Attr = faDirectory;
    EXPECT_EQ(burner.AddDirectoryEntry(burner.Tree().Root(), folder), nullptr);
    EXPECT_EQ(burner.AddFileEntry(burner.Tree().Root(), fileRecord("x\\y.txt"), 0, 0, "/x"), 0);
    EXPECT_TRUE(log.has("NAME CONTAINS A PATH SEPARATOR: \"a\\b\"", 4));
    EXPECT_EQ(burner.Tree().Directories().size(), 1u);
}

TEST(TreeOperations, AddFileResultCodes)
{
    TempDir dir;
    const std::string file = dir.file("data.bin", 100);
    TSarnixBurner burner;
    MessageLog log;
    log.attach(burner);
    EXPECT_EQ(burner.AddFile("\\missing", file, false), 0);
    EXPECT_TRUE(log.has("INVALID DESTINATION PATH", 4));
    EXPECT_EQ(burner.AddFile("\\", dir.path() + "/nothing", false), -1);
    EXPECT_EQ(burner.AddFile("\\", file, false), 1);
    EXPECT_EQ(burner.AddFile("\\", file, false), 1); // found, not added again
    EXPECT_EQ(burner.Tree().Files().size(), 1u);
    EXPECT_EQ(burner.Tree().Root()->FirstChild->IsoDataLength, 100);

    // With the source path the file goes to the folder of the same path.
    EXPECT_EQ(burner.AddFile("", file, true), 1);
    std::string projectPath = dir.path();
    for (char &c : projectPath)
        if (c == '/')
            c = '\\';
    TDEntry *mirrored = burner.FindDirectory(projectPath);
    ASSERT_NE(mirrored, nullptr);
    EXPECT_EQ(mirrored->FirstChild->LongName, "data.bin");
}

TEST(TreeOperations, SettersAndDefaults)
{
    TSarnixBurner burner;
    EXPECT_EQ(burner.CacheSize(), 4194304);
    burner.SetCacheSize(1000000);
    EXPECT_EQ(burner.CacheSize(), 2097152);
    burner.SetCacheSize(5000000);
    EXPECT_EQ(burner.CacheSize(), 4999168);
    burner.SetVersion("9.9");
    EXPECT_EQ(burner.Version(), "1.21");
    EXPECT_TRUE(burner.JolietFileSystem);
    EXPECT_TRUE(burner.WritePostGap);
    EXPECT_TRUE(burner.FinalizeTrack);
    EXPECT_TRUE(burner.UnderrunProtection);
    EXPECT_FALSE(burner.ReplaceFile);
    EXPECT_FALSE(burner.PerformOPC);
}
