// Projects built from local folders: the wizard's order, and names that the
// project cannot hold as they are (case-only differences, "\", long names),
// links that lead back into the tree.
#include "TestSupport.h"

#include "sxCDBC/FolderProject.h"
#include "sxISOLib/IsoNames.h"

#include <set>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zelvane;
using namespace zelvane::test;

namespace {

std::vector<std::string> listNames(const TDEntry *directory)
{
    std::vector<std::string> names;
    for (const TFEntry *entry = directory->FirstChild; entry; entry = entry->Next)
        names.push_back(entry->LongName);
    return names;
}

} // namespace

TEST(FolderProject, FoldersFirstThenNamesWithoutRegardToCase)
{
    TempDir dir;
    dir.file("src/b.txt", 1);
    dir.file("src/A.txt", 1);
    dir.file("src/zeta/x.txt", 1);
    dir.file("src/Alpha/x.txt", 1);
    dir.file("src/Яблоко.txt", 1);
    dir.file("src/арбуз.txt", 1);
    dir.folder("src/empty");
    TSarnixBurner burner;
    FolderProject project(burner);
    project.addPath(dir.path() + "/src");
    project.build();
    EXPECT_TRUE(project.complete());
    TDEntry *src = burner.FindDirectory("\\src");
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(listNames(src), (std::vector<std::string>{"Alpha", "zeta", "A.txt", "b.txt", "арбуз.txt", "Яблоко.txt"}));
    EXPECT_EQ(burner.FindDirectory("\\src\\empty"), nullptr);
    // Folders are created in the order of the hand-over.
    ASSERT_EQ(burner.Tree().Directories().size(), 4u);
    EXPECT_EQ(burner.Tree().Directories()[2]->LongName, "Alpha");
}

TEST(FolderProject, NamesThatDifferOnlyInCaseAreAllKept)
{
    TempDir dir;
    dir.text("src/Readme.txt", "one");
    dir.text("src/README.TXT", "two");
    dir.text("src/readme.txt", "three");
    dir.text("src/notes", "file without dot");
    dir.folder("src/NOTES.");
    dir.text("src/NOTES./inside.txt", "x");
    TSarnixBurner burner;
    FolderProject project(burner);
    project.addPath(dir.path() + "/src");
    project.build();
    EXPECT_TRUE(project.complete());
    EXPECT_EQ(project.notes().size(), 3u);
    TDEntry *src = burner.FindDirectory("\\src");
    ASSERT_NE(src, nullptr);
    std::vector<std::string> names = listNames(src);
    EXPECT_EQ(names.size(), 5u);
    std::set<std::string> folded;
    for (TFEntry *e = src->FirstChild; e; e = e->Next)
        folded.insert(foldCase(e->LongName));
    EXPECT_EQ(folded.size(), 5u);
    EXPECT_EQ(names, (std::vector<std::string>{"NOTES.", "notes (2).", "README.TXT", "Readme (2).txt", "readme (3).txt"}));

    burner.PrepareLayout(true, nullptr);
    std::set<std::string> isoNames;
    for (TFEntry *e = src->FirstChild; e; e = e->Next)
        isoNames.insert(e->IsoName);
    EXPECT_EQ(isoNames.size(), 5u);
}

TEST(FolderProject, BackslashAndOverlongNamesGetNamesThatFit)
{
    TempDir dir;
    dir.text("src/a\\b.txt", "slash");
    dir.text("src/" + std::string(150, 'L') + ".txt", "long");
    dir.folder("src/" + std::string(140, 'F'));
    dir.text("src/" + std::string(140, 'F') + "/in.txt", "in folder");
    TSarnixBurner burner;
    FolderProject project(burner);
    project.addPath(dir.path() + "/src");
    project.build();
    EXPECT_TRUE(project.complete());
    EXPECT_EQ(project.notes().size(), 3u);
    TDEntry *src = burner.FindDirectory("\\src");
    ASSERT_NE(src, nullptr);
    ASSERT_EQ(burner.Tree().Files().size(), 5u);
    EXPECT_NE(burner.Tree().FindEntry(src, "a_b.txt"), nullptr);
    for (TFEntry *e = src->FirstChild; e; e = e->Next)
        EXPECT_LE(e->LongName.size(), e->isDirectory() ? 110u : 108u) << e->LongName;
    EXPECT_EQ(burner.Tree().Directories().size(), 3u);
}

TEST(FolderProject, LinksBackIntoTheTreeAreNotEntered)
{
    TempDir dir;
    dir.file("src/sub/file.txt", 4);
    ASSERT_EQ(::symlink("..", (dir.path() + "/src/sub/up").c_str()), 0);
    ASSERT_EQ(::symlink("file.txt", (dir.path() + "/src/sub/alias.txt").c_str()), 0);
    TSarnixBurner burner;
    FolderProject project(burner);
    project.addPath(dir.path() + "/src");
    project.build();
    EXPECT_TRUE(project.complete());
    TDEntry *sub = burner.FindDirectory("\\src\\sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(listNames(sub), (std::vector<std::string>{"alias.txt", "file.txt"}));
    EXPECT_EQ(burner.Tree().Directories().size(), 3u);
}

TEST(FolderProject, MissingPathIsALoss)
{
    TempDir dir;
    TSarnixBurner burner;
    FolderProject project(burner);
    project.addPath(dir.path() + "/nothing-here");
    project.build();
    EXPECT_FALSE(project.complete());
}

TEST(FolderProject, TwoPathsOfOneNameBothArrive)
{
    TempDir dir;
    dir.text("one/docs/a.txt", "1");
    dir.text("two/docs/a.txt", "2");
    TSarnixBurner burner;
    FolderProject project(burner);
    project.addPath(dir.path() + "/one/docs");
    project.addPath(dir.path() + "/two/docs");
    project.build();
    EXPECT_TRUE(project.complete());
    EXPECT_NE(burner.FindDirectory("\\docs"), nullptr);
    EXPECT_NE(burner.FindDirectory("\\docs (2)"), nullptr);
}

TEST(FolderProject, SpecialFilesAndEmptyFoldersAreNotedButNotLosses)
{
    TempDir dir;
    dir.file("src/real.txt", 1);
    dir.folder("src/empty");
    ASSERT_EQ(::mkfifo((dir.path() + "/src/pipe").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("nowhere", (dir.path() + "/src/dangling").c_str()), 0);
    TSarnixBurner burner;
    FolderProject project(burner);
    project.addPath(dir.path() + "/src");
    project.build();
    EXPECT_TRUE(project.complete());
    std::set<std::string> noted;
    for (const auto &note : project.notes())
        noted.insert(note.path.substr(dir.path().size()));
    EXPECT_EQ(noted, (std::set<std::string>{"/src/pipe", "/src/dangling", "/src/empty/"}));
    EXPECT_EQ(burner.Tree().Files().size(), 2u);
}
