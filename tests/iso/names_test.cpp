// Names of both name spaces: rule S, generated 8.3 names and the folder
// listing, Joliet UTF-16 big-endian identifiers and their record sizes.
#include "TestSupport.h"

#include "sxISOLib/IsoNames.h"
#include "sxISOLib/IsoRecords.h"
#include "sxISOLib/ShortNames.h"

#include <filesystem>
#include <map>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zelvane;
using namespace zelvane::test;

TEST(Names, RuleSKeeps13CharactersAndReplacesOthers)
{
    EXPECT_EQ(ruleSName("my dir {x}"), "MY_DIR__X_");
    EXPECT_EQ(ruleSName("abcdefghijklmnopqrst"), "ABCDEFGHIJKLM");
    EXPECT_EQ(ruleSName("Привет, мир"), "______,____");
    EXPECT_EQ(ruleSName("a~b|c"), "A_B_C");
    EXPECT_EQ(ruleSName("tab\there"), "TAB_HERE");
}

TEST(Names, DirectoryCreatedByNameUsesRuleS)
{
    TSarnixBurner burner;
    TDEntry *folder = burner.MakeDirectoryPath("\\my dir {x}");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->IsoName, "MY_DIR__X_");
    EXPECT_EQ(folder->LongName, "my dir {x}");
    EXPECT_EQ(folder->Self->IsoName, "MY_DIR__X_");
}

TEST(Names, EightDotThreeFitIgnoresCase)
{
    EXPECT_TRUE(fitsEightDotThree("readme.txt"));
    EXPECT_TRUE(fitsEightDotThree("README"));
    EXPECT_TRUE(fitsEightDotThree("a-b_c.$$$"));
    EXPECT_FALSE(fitsEightDotThree("longername.txt"));
    EXPECT_FALSE(fitsEightDotThree("a.text"));
    EXPECT_FALSE(fitsEightDotThree("a.b.c"));
    EXPECT_FALSE(fitsEightDotThree(".hidden"));
    EXPECT_FALSE(fitsEightDotThree("name."));
    EXPECT_FALSE(fitsEightDotThree("a b.txt"));
    EXPECT_FALSE(fitsEightDotThree("файл.txt"));
}

TEST(Names, GeneratedShortNamesAreUniqueAndWellFormed)
{
    ShortNameGenerator taken;
    EXPECT_EQ(taken.generate("Long File Name.text"), "LONGFI~1.TEX");
    EXPECT_EQ(taken.generate("longfile other.text"), "LONGFI~2.TEX");
    EXPECT_EQ(taken.generate(".bashrc"), "BASHRC~1");
    EXPECT_EQ(taken.generate("Отчёт за год.docx"), "______~1.DOC");
    EXPECT_EQ(taken.generate("a+b.c+d"), "A_B~1.C_D");
    EXPECT_EQ(taken.generate("..."), "_~1");
    for (int i = 3; i <= 9; ++i)
        taken.generate("longfile x.text");
    EXPECT_EQ(taken.generate("longfile y.text"), "LONGF~10.TEX");
    for (const auto &name : taken.taken()) {
        const auto dot = name.find('.');
        EXPECT_LE(name.substr(0, dot).size(), 8u) << name;
        if (dot != std::string::npos) {
            EXPECT_LE(name.size() - dot - 1, 3u) << name;
        }
    }
}

TEST(Names, FolderListingGivesAttributesAndUniqueShortNames)
{
    TempDir dir;
    dir.file("Report 2024 final.pdf", 10);
    dir.file("Report 2024 draft.pdf", 20);
    dir.file("plain.txt", 3);
    dir.file(".profile", 1);
    dir.folder("sub folder");
    const std::string locked = dir.file("locked.dat", 1);
    ::chmod(locked.c_str(), 0444);
    ::mkfifo((dir.path() + "/pipe").c_str(), 0644);
    ::symlink("plain.txt", (dir.path() + "/link.txt").c_str());
    ::symlink("nowhere", (dir.path() + "/broken").c_str());

    const auto records = listDirectory(dir.path());
    ASSERT_TRUE(records.has_value());
    std::map<std::string, TSearchRecord> byName;
    for (const auto &r : *records)
        byName[r.Name] = r;
    EXPECT_EQ(byName.count("pipe"), 0u);
    EXPECT_EQ(byName.count("broken"), 0u);
    ASSERT_EQ(byName.size(), 7u);
    EXPECT_EQ(byName["plain.txt"].AlternateName, "");
    EXPECT_EQ(byName["plain.txt"].Attr, faArchive);
    EXPECT_EQ(byName["plain.txt"].Size, 3);
    EXPECT_EQ(byName["link.txt"].Size, 3);
    EXPECT_EQ(byName[".profile"].Attr, faArchive | faHidden);
    EXPECT_EQ(byName["sub folder"].Attr & faDirectory, faDirectory);
    EXPECT_EQ(byName["sub folder"].AlternateName, "SUBFOL~1");
    if (::geteuid() != 0) {
        EXPECT_EQ(byName["locked.dat"].Attr, faArchive | faReadOnly);
    }
    // Sorted by name before numbering, so the numbers do not depend on the
    // order in which the file system lists the folder.
    EXPECT_EQ(byName["Report 2024 draft.pdf"].AlternateName, "REPORT~1.PDF");
    EXPECT_EQ(byName["Report 2024 final.pdf"].AlternateName, "REPORT~2.PDF");

    DirectoryLookup lookup;
    const auto one = lookup.find(dir.path() + "/Report 2024 final.pdf");
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(one->AlternateName, "REPORT~2.PDF");
    EXPECT_FALSE(lookup.find(dir.path() + "/pipe").has_value());
}

TEST(Names, JolietIdentifiersAreUtf16BigEndian)
{
    EXPECT_EQ(toUcs2BigEndian("A"), std::string("\0A", 2));
    EXPECT_EQ(toUcs2BigEndian("Ж"), std::string("\x04\x16", 2));
    EXPECT_EQ(toUcs2BigEndian("😀"), std::string("\xD8\x3D\xDE\x00", 4));
    EXPECT_EQ(utf16Length("😀ж"), 3u);
    EXPECT_EQ(characterCount("😀ж"), 2u);

    TFEntry file;
    file.LongName = "ab";
    EXPECT_EQ(jolietIdentifier(file), std::string("\0a\0b\0;\0" "1", 8));
    TDEntry folder;
    TFEntry folderEntry;
    folderEntry.LongName = "ab";
    folderEntry.IsoName = "AB";
    folderEntry.Directory = &folder;
    EXPECT_EQ(jolietIdentifier(folderEntry), std::string("\0a\0b", 4));
    EXPECT_EQ(isoIdentifier(folderEntry), "AB");
    file.IsoName = "AB.TXT";
    EXPECT_EQ(isoIdentifier(file), "AB.TXT;1");
}

TEST(Names, LongestAcceptedFileNameMakesA254ByteJolietRecord)
{
    TFEntry file;
    file.LongName = std::string(104, 'x') + ".txt";
    EXPECT_EQ(directoryRecordLength(jolietIdentifier(file).size()), 254u);
    file.LongName = std::string(106, 'x') + ".txt";  // 110 units with ";1"
    EXPECT_EQ(directoryRecordLength(2 * (110 + 2)), 258u);
}

TEST(Names, ShorteningKeepsTheExtensionAndWholeCharacters)
{
    EXPECT_EQ(shortenName("abcdefghij.txt", 8), "abcd.txt");
    EXPECT_EQ(shortenName("short.txt", 20), "short.txt");
    EXPECT_EQ(shortenName(std::string(38, 'a') + "😀😀😀.txt", 43), std::string(38, 'a') + ".txt");
    EXPECT_EQ(shortenName("noextension", 4), "noex");
}
