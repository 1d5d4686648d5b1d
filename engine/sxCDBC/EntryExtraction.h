// Extracting entries of an imported session with everything below them:
// a folder of the disc becomes a local folder (empty ones included), a file
// is copied with ExtractFile. Names come from the import, which made them
// safe as path components, and are checked again here.
#pragma once

#include <atomic>
#include <functional>
#include <string>

namespace zelvane {

class TSarnixBurner;
struct TDEntry;
struct TFEntry;

struct ExtractionCount {
    int files = 0;
    int folders = 0;
    int failures = 0;       // files and folders that could not be extracted
    int failedFolders = 0;  // of which folders
    int skipped = 0;        // files the caller chose not to replace
};

// How the caller steers an extraction.
struct ExtractionHooks {
    // Looked at before each entry: once set, no further entry is started.
    const std::atomic<bool> *stop = nullptr;
    // Asked before a local file of the same name is replaced: false skips
    // the entry. Without it existing files are replaced.
    std::function<bool(const std::string &target)> replaceExisting;
    // Told of a folder that could not be created; its branch is skipped.
    std::function<void(const std::string &folder)> folderFailed;
};

// Extracts the entry into `folder` (which must exist).
void extractEntry(TSarnixBurner &burner, const TFEntry &entry, const std::string &folder, ExtractionCount &count,
                  const ExtractionHooks &hooks);
// Extracts every entry of a directory into `folder`.
void extractDirectoryContents(TSarnixBurner &burner, const TDEntry &directory, const std::string &folder,
                              ExtractionCount &count, const ExtractionHooks &hooks);

// The same with only a stop flag, existing files being replaced.
void extractEntry(TSarnixBurner &burner, const TFEntry &entry, const std::string &folder, ExtractionCount &count,
                  const std::atomic<bool> *stop = nullptr);
void extractDirectoryContents(TSarnixBurner &burner, const TDEntry &directory, const std::string &folder,
                              ExtractionCount &count, const std::atomic<bool> *stop = nullptr);

} // namespace zelvane
