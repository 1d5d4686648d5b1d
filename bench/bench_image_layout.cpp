// PrepareLayout + BuildHeader of a project at the limits: 8191 folders
// (the root counted) and 65535 entries, names of realistic length.
#include "sxCDBC/SarnixBurner.h"

#include <chrono>
#include <cstdio>

using namespace zelvane;
using Clock = std::chrono::steady_clock;

static double seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

int main()
{
    TSarnixBurner burner;
    burner.ClearProject(65535, 8191);
    const auto buildStart = Clock::now();
    // 90 top folders, each with up to 90 subfolders: 8190 folders.
    std::vector<TDEntry *> folders;
    for (int top = 0; top < 91 && folders.size() < 8190; ++top) {
        const std::string topName = "Project folder " + std::to_string(top) + " (архив)";
        for (int sub = 0; sub < 90 && folders.size() < 8190; ++sub) {
            TDEntry *d = burner.MakeDirectoryPath("\\" + topName + "\\Subfolder with a longer name " + std::to_string(sub));
            if (d)
                folders.push_back(d);
        }
    }
    const std::size_t dirs = burner.Tree().Directories().size();
    TSearchRecord record;
    record.Attr = faArchive;
    record.Size = 12345;
    record.Time = nowDateTime();
    std::size_t i = 0;
    while (burner.Tree().Files().size() < 65535) {
        TDEntry *d = folders[i % folders.size()];
        record.Name = "Document number " + std::to_string(i) + " final version.docx";
        record.AlternateName = "DOCUME~" + std::to_string(i % 9 + 1) + ".DOC";
        if (burner.AddFileEntry(d, record, 0, 0, "/tmp/source/file") != 1)
            break;
        ++i;
    }
    std::printf("project: %zu folders, %zu entries, built in %.3f s\n", dirs, burner.Tree().Files().size(),
                seconds(buildStart));

    const auto layoutStart = Clock::now();
    burner.PrepareLayout(true, nullptr);
    const double layout = seconds(layoutStart);
    const auto headerStart = Clock::now();
    burner.BuildHeader(true, nullptr);
    const double header = seconds(headerStart);
    std::printf("PrepareLayout %.3f s, BuildHeader %.3f s, together %.3f s (target < 0.5 s); header %zu bytes\n",
                layout, header, layout + header, burner.HeaderBuffer().size());
    return layout + header < 0.5 ? 0 : 1;
}
