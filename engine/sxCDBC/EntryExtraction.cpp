#include "sxCDBC/EntryExtraction.h"

#include "sxCDBC/FileExtraction.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxISOLib/RecordReading.h"

namespace zelvane {

namespace {

bool stopped(const std::atomic<bool> *stop)
{
    return stop && stop->load();
}

} // namespace

void extractEntry(TSarnixBurner &burner, const TFEntry &entry, const std::string &folder, ExtractionCount &count,
                  const std::atomic<bool> *stop)
{
    if (stopped(stop) || entry.Removed)
        return;
    const std::string target = folder + "/" + safeDiscName(entry.LongName);
    if (!burner.ExtractFile(entry, target)) {
        ++count.failures;
        return;
    }
    if (!entry.Directory) {
        ++count.files;
        return;
    }
    ++count.folders;
    extractDirectoryContents(burner, *entry.Directory, target, count, stop);
    // The folder's own date, now that its contents stopped changing it.
    setLocalDate(target, entry.DateTime);
}

void extractDirectoryContents(TSarnixBurner &burner, const TDEntry &directory, const std::string &folder,
                              ExtractionCount &count, const std::atomic<bool> *stop)
{
    for (const TFEntry *child = directory.FirstChild; child; child = child->Next)
        extractEntry(burner, *child, folder, count, stop);
}

} // namespace zelvane
