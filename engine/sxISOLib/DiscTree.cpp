#include "sxISOLib/DiscTree.h"

#include "sxConst/ImageTexts.h"
#include "sxConst/TextFormat.h"
#include "sxISOLib/IsoNames.h"
#include "sxISOLib/ShortNames.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace zelvane {

namespace {

// Longest ISO 9660 file identifier of level 2 (30 characters with ";1").
constexpr std::size_t kMaxIsoFileName = 28;
constexpr std::size_t kMaxIsoDirectoryName = 31;

std::string_view stripOne(std::string_view text, char c)
{
    if (!text.empty() && text.front() == c)
        text.remove_prefix(1);
    if (!text.empty() && text.back() == c)
        text.remove_suffix(1);
    return text;
}

} // namespace

TDiscTree::TDiscTree()
{
    Clear(65535, 8191);
}

void TDiscTree::reportMessage(const std::string &message, std::uint8_t level) const
{
    if (report_)
        report_(message, level);
}

void TDiscTree::Clear(int maxFiles, int maxDirs)
{
    isoOrder_.clear();
    jolietOrder_.clear();
    byPath_.clear();
    files_.clear();
    directories_.clear();
    maxFiles_ = std::max(0, maxFiles);
    maxDirs_ = std::max(1, maxDirs);
    files_.reserve(static_cast<std::size_t>(maxFiles_));
    directories_.reserve(static_cast<std::size_t>(maxDirs_));

    auto root = std::make_unique<TDEntry>();
    root->IsoName = "CD_ROOT";
    root->LongName = "CD Root Directory";
    root->Path = "\\";
    root->Parent = root.get();
    root->Number = 1;
    isoOrder_.push_back(root.get());
    jolietOrder_.push_back(root.get());
    directories_.push_back(std::move(root));
}

TDEntry *TDiscTree::FindDirectory(std::string_view path) const
{
    if (path.empty() || path == "\\")
        return Root();
    if (path.back() == '\\')
        path.remove_suffix(1);
    const auto found = byPath_.find(foldCase(path));
    return found == byPath_.end() ? nullptr : found->second;
}

TDEntry *TDiscTree::MakeDirectoryPath(std::string_view path)
{
    if (TDEntry *existing = FindDirectory(path))
        return existing;
    const auto slash = path.rfind('\\');
    const std::string_view parentPath = slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    TDEntry *parent = parentPath.empty() ? Root() : MakeDirectoryPath(parentPath);
    if (!parent || name.empty())
        return nullptr;
    return CreateDirectoryEntry(parent, name, faDirectory);
}

TDEntry *TDiscTree::CreateDirectoryEntry(TDEntry *parent, std::string_view name, std::int32_t attr)
{
    TSearchRecord description;
    description.Name = std::string(stripOne(name, '\\'));
    description.AlternateName = ruleSName(description.Name);
    description.Time = nowDateTime();
    description.Attr = attr;
    return AddDirectoryEntry(parent, description);
}

TDEntry *TDiscTree::AddDirectoryEntry(TDEntry *parent, const TSearchRecord &d)
{
    if (!parent || d.Name.empty())
        return nullptr;
    // A "\" inside a name would make a different folder of the project.
    if (d.Name.find('\\') != std::string::npos) {
        reportMessage(texts::fillText(texts::kNameHasPathSeparator, d.Name), 4);
        return nullptr;
    }
    std::string path = parent->Path + "\\" + d.Name;
    if (path.rfind("\\\\", 0) == 0)
        path.erase(0, 1);
    if (TDEntry *existing = FindDirectory(path))
        return existing;
    if (utf16Length(d.Name) > kMaxJolietDirectoryName) {
        reportMessage(texts::fillText(texts::kNameTooLong, d.Name), 4);
        return nullptr;
    }
    if (static_cast<int>(directories_.size()) >= maxDirs_) {
        reportMessage(">>> " + texts::fillText(texts::kMaximumDirectories, maxDirs_), 3);
        return nullptr;
    }
    if (static_cast<int>(files_.size()) >= maxFiles_) {
        reportMessage(texts::fillText(texts::kMaximumFiles, maxFiles_), 3);
        return nullptr;
    }

    std::string shortName = d.AlternateName.empty() ? asciiUpper(d.Name) : d.AlternateName;
    // A folder identifier of ISO 9660 level 2 has at most 31 characters.
    if (shortName.size() > kMaxIsoDirectoryName)
        shortName = ruleSName(d.Name);
    auto directory = std::make_unique<TDEntry>();
    auto entry = std::make_unique<TFEntry>();
    directory->Parent = parent;
    directory->LongName = d.Name;
    directory->IsoName = shortName;
    directory->Path = unicodeUpper(path);
    directory->Self = entry.get();
    entry->LongName = d.Name;
    entry->IsoName = shortName;
    entry->Attr = static_cast<std::uint32_t>(d.Attr);
    entry->Directory = directory.get();
    entry->DateTime = std::isnan(d.Time) ? nowDateTime() : d.Time;

    TDEntry *result = directory.get();
    linkEntry(parent, entry.get());
    result->PathKey = foldCase(path);
    byPath_.emplace(result->PathKey, result);
    isoOrder_.push_back(result);
    jolietOrder_.push_back(result);
    directories_.push_back(std::move(directory));
    files_.push_back(std::move(entry));
    return result;
}

int TDiscTree::AddFileEntry(TDEntry *directory, const TSearchRecord &d, std::uint8_t tag,
                            std::uint32_t discLocation, const std::string &sourcePath,
                            const AddFileHandler &onAddFile)
{
    if (!directory)
        return 0;
    const bool isDirectory = (d.Attr & faDirectory) != 0;
    std::string longName = d.Name;
    const bool appendDot = !isDirectory && longName.find('.') == std::string::npos;
    if (appendDot)
        longName += '.';
    const std::string withDot = longName;

    std::string shortName = d.AlternateName.empty() ? asciiUpper(longName) : d.AlternateName;
    TDateTime dateTime = std::isnan(d.Time) ? nowDateTime() : d.Time;
    bool skip = utf16Length(longName) > kMaxJolietFileName;

    if (onAddFile)
        onAddFile(sourcePath, longName, shortName, dateTime, d.Attr, d.Size, skip);
    if (skip)
        return 0;
    // Whatever the handler chose, a record must fit its one-byte length,
    // and a "\" would be read as a folder of the project.
    if (utf16Length(longName) > (isDirectory ? kMaxJolietDirectoryName : kMaxJolietFileName) || longName.empty()) {
        reportMessage(texts::fillText(texts::kNameTooLong, longName), 4);
        return 0;
    }
    if (longName.find('\\') != std::string::npos) {
        reportMessage(texts::fillText(texts::kNameHasPathSeparator, longName), 4);
        return 0;
    }
    TFEntry *match = FindEntry(directory, longName);

    TFEntry *entry = nullptr;
    if (match) {
        if (!ReplaceFile || match->isDirectory())
            return 0;
        entry = match;
        unindexName(directory, entry);
    } else {
        if (static_cast<int>(files_.size()) >= maxFiles_) {
            reportMessage(texts::fillText(texts::kMaximumFiles, maxFiles_), 3);
            return 0;
        }
        files_.push_back(std::make_unique<TFEntry>());
        entry = files_.back().get();
    }

    std::string isoName = asciiUpper(shortName);
    if (isoName.empty() || isoName.size() > kMaxIsoFileName) {
        isoName = ShortNameGenerator().generate(longName);
    }
    entry->IsoName = std::move(isoName);
    entry->LongName = longName;
    entry->IsoDataLength = d.Size;
    entry->JolietDataLength = d.Size;
    entry->Attr = static_cast<std::uint32_t>(d.Attr);
    entry->DateTime = dateTime;
    entry->SourcePath = sourcePath;
    entry->Tag = tag;
    entry->DotAppended = appendDot && longName == withDot;
    entry->FromPreviousSession = discLocation != 0;
    entry->IsoLocation = entry->JolietLocation = discLocation;
    if (match)
        indexName(directory, entry);
    else
        linkEntry(directory, entry);
    return 1;
}

TFEntry *TDiscTree::FindEntry(const TDEntry *directory, std::string_view longName) const
{
    if (!directory)
        return nullptr;
    const auto [first, last] = directory->ChildrenByName.equal_range(foldCase(longName));
    if (first == last)
        return nullptr;
    if (std::next(first) == last)
        return first->second;
    // Several entries share the name: the first in list order counts.
    for (TFEntry *walk = directory->FirstChild; walk; walk = walk->Next)
        for (auto it = first; it != last; ++it)
            if (it->second == walk)
                return walk;
    return first->second;
}

bool TDiscTree::RenameEntry(std::string_view dirPath, std::string_view oldLongName, std::string_view newLongName,
                            std::string_view newShortName)
{
    TDEntry *directory = FindDirectory(dirPath);
    TFEntry *entry = FindEntry(directory, oldLongName);
    if (!entry)
        return false;
    const std::size_t limit = entry->isDirectory() ? kMaxJolietDirectoryName : kMaxJolietFileName;
    if (newLongName.empty() || utf16Length(newLongName) > limit) {
        reportMessage(texts::fillText(texts::kNameTooLong, newLongName), 4);
        return false;
    }
    if (newLongName.find('\\') != std::string_view::npos) {
        reportMessage(texts::fillText(texts::kNameHasPathSeparator, newLongName), 4);
        return false;
    }
    // Two entries of one name would both be shown by readers ("name." whose
    // dot was added is written as "name").
    if (TFEntry *other = FindEntry(directory, newLongName); other && other != entry)
        return false;
    if (TFEntry *other = FindEntry(directory, std::string(newLongName) + ".");
        other && other != entry && other->DotAppended)
        return false;

    unindexName(directory, entry);
    entry->LongName = std::string(newLongName);
    entry->DotAppended = false;
    indexName(directory, entry);
    if (newShortName.empty())
        newShortName = newLongName;
    const bool shortFits = characterCount(newShortName) <= 13;
    if (shortFits)
        entry->IsoName = asciiUpper(newShortName);
    // The path tables name a folder by its TDEntry, its record by its TFEntry:
    // both must agree.
    if (TDEntry *renamed = entry->Directory) {
        renamed->LongName = entry->LongName;
        renamed->IsoName = entry->IsoName;
        rebuildPaths(renamed);
    }
    return shortFits;
}

void TDiscTree::rebuildPaths(TDEntry *directory)
{
    std::vector<TDEntry *> pending{directory};
    while (!pending.empty()) {
        TDEntry *current = pending.back();
        pending.pop_back();
        byPath_.erase(current->PathKey);
        std::string path = current->Parent->Path + "\\" + current->LongName;
        if (path.rfind("\\\\", 0) == 0)
            path.erase(0, 1);
        current->Path = unicodeUpper(path);
        current->PathKey = foldCase(path);
        byPath_.emplace(current->PathKey, current);
        for (TFEntry *child = current->FirstChild; child; child = child->Next)
            if (child->Directory)
                pending.push_back(child->Directory);
    }
}

bool TDiscTree::RemoveEntry(std::string_view dirPath, std::string_view longName)
{
    TDEntry *directory = FindDirectory(dirPath);
    TFEntry *entry = FindEntry(directory, longName);
    if (!entry)
        return false;
    unlinkEntry(entry);
    markRemoved(entry);
    compactTables();
    return true;
}

bool TDiscTree::RemoveEmptyDirectories()
{
    // A parent is always created before its subdirectories, so one pass from
    // the newest directory back also removes parents that become empty.
    bool removed = false;
    for (auto it = directories_.rbegin(); it != directories_.rend(); ++it) {
        TDEntry *directory = it->get();
        if (directory == Root() || directory->Removed || directory->FirstChild)
            continue;
        unlinkEntry(directory->Self);
        markRemoved(directory->Self);
        removed = true;
    }
    if (removed)
        compactTables();
    return true;
}

void TDiscTree::linkEntry(TDEntry *directory, TFEntry *entry)
{
    entry->Owner = directory;
    entry->Next = nullptr;
    if (directory->LastChild)
        directory->LastChild->Next = entry;
    else
        directory->FirstChild = entry;
    directory->LastChild = entry;
    indexName(directory, entry);
}

void TDiscTree::unlinkEntry(TFEntry *entry)
{
    TDEntry *directory = entry->Owner;
    TFEntry *previous = nullptr;
    for (TFEntry *walk = directory->FirstChild; walk && walk != entry; walk = walk->Next)
        previous = walk;
    if (previous)
        previous->Next = entry->Next;
    else
        directory->FirstChild = entry->Next;
    if (directory->LastChild == entry)
        directory->LastChild = previous;
    entry->Next = nullptr;
    unindexName(directory, entry);
}

void TDiscTree::indexName(TDEntry *directory, TFEntry *entry)
{
    directory->ChildrenByName.emplace(foldCase(entry->LongName), entry);
}

void TDiscTree::unindexName(TDEntry *directory, TFEntry *entry)
{
    const auto [first, last] = directory->ChildrenByName.equal_range(foldCase(entry->LongName));
    for (auto it = first; it != last; ++it)
        if (it->second == entry) {
            directory->ChildrenByName.erase(it);
            return;
        }
}

void TDiscTree::markRemoved(TFEntry *entry)
{
    std::vector<TFEntry *> pending{entry};
    while (!pending.empty()) {
        TFEntry *current = pending.back();
        pending.pop_back();
        current->Removed = true;
        if (TDEntry *directory = current->Directory) {
            directory->Removed = true;
            byPath_.erase(directory->PathKey);
            for (TFEntry *child = directory->FirstChild; child; child = child->Next)
                pending.push_back(child);
        }
    }
}

void TDiscTree::compactTables()
{
    auto gone = [](const TDEntry *d) { return d->Removed; };
    isoOrder_.erase(std::remove_if(isoOrder_.begin(), isoOrder_.end(), gone), isoOrder_.end());
    jolietOrder_.erase(std::remove_if(jolietOrder_.begin(), jolietOrder_.end(), gone), jolietOrder_.end());
    directories_.erase(std::remove_if(directories_.begin(), directories_.end(),
                                      [](const auto &d) { return d->Removed; }),
                       directories_.end());
    files_.erase(std::remove_if(files_.begin(), files_.end(), [](const auto &f) { return f->Removed; }),
                 files_.end());
}

} // namespace zelvane
