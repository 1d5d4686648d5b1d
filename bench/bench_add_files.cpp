// Adding a folder of 20,000 files: through AddFile from a real folder (the
// wizard's hand-over), and as listing records straight into the tree.
#include "sxCDBC/SarnixBurner.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace zelvane;
using Clock = std::chrono::steady_clock;

static double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

int main()
{
    constexpr int kFiles = 20000;
    std::string folder = (std::filesystem::temp_directory_path() / "zelvane-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return 2;
    for (int i = 0; i < kFiles; ++i)
        std::ofstream(folder + "/Some document name " + std::to_string(i) + ".txt") << i;

    TSarnixBurner burner;
    auto start = Clock::now();
    burner.MakeDirectoryPath("\\Folder");
    int added = 0;
    for (int i = 0; i < kFiles; ++i)
        added += burner.AddFile("\\Folder", folder + "/Some document name " + std::to_string(i) + ".txt", false) == 1;
    const double viaAddFile = seconds(start);

    burner.ClearProject(65535, 8191);
    TDEntry *target = burner.MakeDirectoryPath("\\Folder");
    TSearchRecord record;
    record.Attr = faArchive;
    record.Size = 10;
    start = Clock::now();
    for (int i = 0; i < kFiles; ++i) {
        record.Name = "Some document name " + std::to_string(i) + ".txt";
        burner.AddFileEntry(target, record, 0, 0, "/x");
    }
    const double viaEntries = seconds(start);
    std::filesystem::remove_all(folder);

    std::printf("AddFile of %d files from one folder: %.3f s (%d added); AddFileEntry: %.3f s (target < 1 s)\n",
                kFiles, viaAddFile, added, viaEntries);
    return viaAddFile < 1.0 ? 0 : 1;
}
