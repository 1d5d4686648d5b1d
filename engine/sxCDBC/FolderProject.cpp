#include "sxCDBC/FolderProject.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxISOLib/DiscTree.h"
#include "sxISOLib/IsoNames.h"
#include "sxISOLib/ShortNames.h"

#include <QCollator>
#include <QString>

#include <algorithm>
#include <unordered_set>

namespace zelvane {

struct FolderProject::Node {
    TSearchRecord record;     // as listed; record.Name is the name in the project
    std::string sourcePath;   // local path
    std::string listedName;   // the name on the local disk
    bool folder = false;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

std::string baseName(const std::string &path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

} // namespace

FolderProject::FolderProject(TSarnixBurner &burner) : burner_(burner), root_(std::make_unique<Node>())
{
    root_->folder = true;
}

FolderProject::~FolderProject() = default;

void FolderProject::note(const std::string &path, const std::string &message, bool lost)
{
    notes_.push_back({path, message, lost});
}

bool FolderProject::complete() const
{
    return std::none_of(notes_.begin(), notes_.end(), [](const ProjectNote &n) { return n.lost; });
}

void FolderProject::exclude(dev_t device, ino_t inode)
{
    excluded_.emplace_back(device, inode);
}

void FolderProject::addPath(const std::string &localPath)
{
    std::string path = localPath;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    DirectoryLookup lookup;
    std::optional<TSearchRecord> record = lookup.find(path);
    if (!record && path == "/") {
        record = TSearchRecord{};
        record->Attr = faDirectory;
    }
    if (!record) {
        note(localPath, "not found or not a regular file or folder", true);
        return;
    }
    auto node = std::make_unique<Node>();
    node->record = *record;
    node->sourcePath = path;
    node->listedName = baseName(path);
    node->record.Name = node->listedName.empty() || node->listedName == "/" ? "root" : node->listedName;
    node->folder = (record->Attr & faDirectory) != 0;
    if (node->folder) {
        std::vector<std::pair<dev_t, ino_t>> ancestors{{record->Device, record->Inode}};
        collectFolder(*node, ancestors);
    }
    root_->children.push_back(std::move(node));
}

void FolderProject::collectFolder(Node &folder, std::vector<std::pair<dev_t, ino_t>> &ancestors)
{
    std::vector<std::string> leftOut;
    const auto records = listDirectory(folder.sourcePath, &leftOut);
    if (!records) {
        note(folder.sourcePath + "/", "cannot read the folder", true);
        return;
    }
    for (const auto &name : leftOut)
        note(folder.sourcePath + "/" + name, "left out: not a regular file or folder (or a broken link)", false);
    for (const auto &record : *records) {
        const std::pair<dev_t, ino_t> id{record.Device, record.Inode};
        const std::string path = (folder.sourcePath == "/" ? std::string{} : folder.sourcePath) + "/" + record.Name;
        if (std::find(excluded_.begin(), excluded_.end(), id) != excluded_.end()) {
            note(path, "left out: it is the image being written", false);
            continue;
        }
        auto node = std::make_unique<Node>();
        node->record = record;
        node->sourcePath = path;
        node->listedName = record.Name;
        node->folder = (record.Attr & faDirectory) != 0;
        if (node->folder) {
            if (std::find(ancestors.begin(), ancestors.end(), id) != ancestors.end()) {
                note(path + "/", "not entered: a link back to a folder that holds it", false);
                continue;
            }
            ancestors.push_back(id);
            collectFolder(*node, ancestors);
            ancestors.pop_back();
        }
        folder.children.push_back(std::move(node));
    }
}

// Orders one folder's children the wizard's way and gives every child a name
// the project can hold, distinct from its siblings without regard to case.
void FolderProject::arrangeChildren(Node &folder)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QString, std::size_t>> keyed;
    keyed.reserve(folder.children.size());
    for (std::size_t i = 0; i < folder.children.size(); ++i)
        keyed.emplace_back(QString::fromStdString(folder.children[i]->record.Name), i);
    auto isFolder = [&](std::size_t i) { return folder.children[i]->folder; };
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
        if (isFolder(a.second) != isFolder(b.second))
            return isFolder(a.second);
        return collator.compare(a.first, b.first) < 0;
    });
    std::vector<std::unique_ptr<Node>> ordered;
    ordered.reserve(keyed.size());
    for (const auto &entry : keyed)
        ordered.push_back(std::move(folder.children[entry.second]));
    folder.children = std::move(ordered);

    std::unordered_set<std::string> used;
    ShortNameGenerator shortNames;
    for (auto &child : folder.children) {
        std::string name = child->record.Name;
        const std::string shown = child->sourcePath + (child->folder ? "/" : "");
        if (name.find('\\') != std::string::npos) {
            std::replace(name.begin(), name.end(), '\\', '_');
            note(shown, "named \"" + name + "\": \"\\\" separates folders in the project", false);
        }
        if (const std::string portable = portableName(name); portable != name) {
            name = portable;
            note(shown, "named \"" + name + "\": the name is too long for a Joliet record", false);
        }
        auto key = [&](const std::string &n) { return twinKey(n, child->folder); };
        if (used.count(key(name))) {
            std::string candidate;
            for (unsigned number = 2;; ++number) {
                candidate = twinName(name, child->folder, number);
                if (!used.count(key(candidate)))
                    break;
            }
            note(shown, "named \"" + candidate + "\": another entry of the folder has the name \"" + name +
                            "\" without regard to case", false);
            name = candidate;
        }
        used.insert(key(name));
        if (name != child->record.Name) {
            child->record.Name = name;
            child->record.AlternateName.clear();
        }
    }
    // Renamed entries get an 8.3 name of their own, unique among the others.
    for (auto &child : folder.children)
        shortNames.reserve(child->record.AlternateName.empty() ? asciiUpper(child->record.Name)
                                                              : child->record.AlternateName);
    for (auto &child : folder.children)
        if (child->record.Name != child->listedName && !fitsEightDotThree(child->record.Name))
            child->record.AlternateName = shortNames.generate(child->record.Name);
}

void FolderProject::handOver(const Node &node, const std::string &path)
{
    if (node.children.empty()) {
        if (node.folder && &node != root_.get())
            note(node.sourcePath + "/", "left out: an empty folder", false);
        return;
    }
    TDEntry *directory = path.empty() ? burner_.FindDirectory("\\") : burner_.MakeDirectoryPath(path);
    if (!directory) {
        note(node.sourcePath + "/", "the folder could not be created in the project", true);
        return;
    }
    for (const auto &child : node.children) {
        if (child->folder) {
            handOver(*child, path + "\\" + child->record.Name);
            continue;
        }
        if (burner_.AddFileEntry(directory, child->record, 0, 0, child->sourcePath) != 1)
            note(child->sourcePath, "not added to the project", true);
    }
}

void FolderProject::build()
{
    std::vector<Node *> pending{root_.get()};
    while (!pending.empty()) {
        Node *folder = pending.back();
        pending.pop_back();
        arrangeChildren(*folder);
        for (auto &child : folder->children)
            if (child->folder)
                pending.push_back(child.get());
    }
    handOver(*root_, "");
    burner_.RemoveEmptyDirectories();
}

} // namespace zelvane
