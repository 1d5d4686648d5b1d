// Extracting entries of an imported session with everything below them:
// a folder of the disc becomes a local folder (empty ones included), a file
// is copied with ExtractFile. Names come from the import, which made them
// safe as path components, and are checked again here.
#pragma once

#include <atomic>
#include <string>

namespace zelvane {

class TSarnixBurner;
struct TDEntry;
struct TFEntry;

struct ExtractionCount {
    int files = 0;
    int folders = 0;
    int failures = 0;
};

// Extracts the entry into `folder` (which must exist). `stop`, when given,
// is looked at before each entry: once set, no further entry is started.
void extractEntry(TSarnixBurner &burner, const TFEntry &entry, const std::string &folder, ExtractionCount &count,
                  const std::atomic<bool> *stop = nullptr);
// Extracts every entry of a directory into `folder`.
void extractDirectoryContents(TSarnixBurner &burner, const TDEntry &directory, const std::string &folder,
                              ExtractionCount &count, const std::atomic<bool> *stop = nullptr);

} // namespace zelvane
