#include "sxCDBC/EntryExtraction.h"

#include "sxCDBC/FileExtraction.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxISOLib/RecordReading.h"

#include <sys/stat.h>

namespace zelvane {

namespace {

bool stopped(const ExtractionHooks &hooks)
{
    return hooks.stop && hooks.stop->load();
}

// The local name of an entry. The project gives every file name without an
// extension a trailing ".", which file names on the disc's home platform
// never keep; it is dropped again here.
std::string localName(const TFEntry &entry)
{
    std::string name = entry.LongName;
    if (!entry.Directory)
        while (!name.empty() && name.back() == '.')
            name.pop_back();
    return safeDiscName(name);
}

// Something other than a folder already has the target's name.
bool occupiedByNonFolder(const std::string &target)
{
    struct stat info {};
    return ::lstat(target.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace

void extractEntry(TSarnixBurner &burner, const TFEntry &entry, const std::string &folder, ExtractionCount &count,
                  const ExtractionHooks &hooks)
{
    if (stopped(hooks) || entry.Removed)
        return;
    const std::string target = folder + "/" + localName(entry);
    if (!entry.Directory && hooks.replaceExisting && occupiedByNonFolder(target) && !hooks.replaceExisting(target)) {
        ++count.skipped;
        return;
    }
    if (!burner.ExtractFile(entry, target)) {
        ++count.failures;
        if (entry.Directory) {
            ++count.failedFolders;
            if (hooks.folderFailed)
                hooks.folderFailed(target);
        }
        return;
    }
    if (!entry.Directory) {
        ++count.files;
        return;
    }
    ++count.folders;
    extractDirectoryContents(burner, *entry.Directory, target, count, hooks);
    // The folder's own date, now that its contents stopped changing it.
    setLocalDate(target, entry.DateTime);
}

void extractDirectoryContents(TSarnixBurner &burner, const TDEntry &directory, const std::string &folder,
                              ExtractionCount &count, const ExtractionHooks &hooks)
{
    for (const TFEntry *child = directory.FirstChild; child; child = child->Next)
        extractEntry(burner, *child, folder, count, hooks);
}

void extractEntry(TSarnixBurner &burner, const TFEntry &entry, const std::string &folder, ExtractionCount &count,
                  const std::atomic<bool> *stop)
{
    extractEntry(burner, entry, folder, count, ExtractionHooks{stop, {}, {}});
}

void extractDirectoryContents(TSarnixBurner &burner, const TDEntry &directory, const std::string &folder,
                              ExtractionCount &count, const std::atomic<bool> *stop)
{
    extractDirectoryContents(burner, directory, folder, count, ExtractionHooks{stop, {}, {}});
}

} // namespace zelvane
