// Builds a burner project from local files and folders the way the wizard
// hands its tree over: each given path goes to the root (a folder with all it
// holds), the entries of each folder ordered folders first, then by name in
// the user's locale without regard to case.
//
// Names that the project cannot hold as they are get a distinct name and a
// note, so no file is lost: names that differ only in case, names with "\"
// (the project's path separator) and names too long for a Joliet record.
#pragma once

#include "sxISOLib/DirListing.h"

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zelvane {

class TSarnixBurner;

struct ProjectNote {
    std::string path;     // local path concerned
    std::string message;  // what happened
    bool lost = false;    // true when something asked for is not in the project
};

class FolderProject {
public:
    explicit FolderProject(TSarnixBurner &burner);
    ~FolderProject();

    // Leaves out one local file (by identity), e.g. the image being written.
    void exclude(dev_t device, ino_t inode);
    // Adds a local file or folder below the root (call for each, then build).
    void addPath(const std::string &localPath);
    // Hands the collected tree to the burner and removes empty folders.
    void build();

    const std::vector<ProjectNote> &notes() const { return notes_; }
    bool complete() const;

    struct Node;

private:
    void collectFolder(Node &folder, std::vector<std::pair<dev_t, ino_t>> &ancestors);
    void arrangeChildren(Node &folder);
    void handOver(const Node &node, const std::string &path);
    void note(const std::string &path, const std::string &message, bool lost);

    TSarnixBurner &burner_;
    std::unique_ptr<Node> root_;
    std::vector<std::pair<dev_t, ino_t>> excluded_;
    std::vector<ProjectNote> notes_;
};

} // namespace zelvane
