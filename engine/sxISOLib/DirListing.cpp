#include "sxISOLib/DirListing.h"

#include "sxISOLib/IsoNames.h"
#include "sxISOLib/ShortNames.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zelvane {

namespace {

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// Fills a record from the target of a name (links followed); false for
// entries that are not listed.
bool describe(int folderFd, const std::string &name, TSearchRecord &record)
{
    struct stat info {};
    if (::fstatat(folderFd, name.c_str(), &info, 0) != 0)
        return false;
    if (S_ISDIR(info.st_mode))
        record.Attr = faDirectory;
    else if (S_ISREG(info.st_mode))
        record.Attr = faArchive;
    else
        return false;
    if (!name.empty() && name[0] == '.')
        record.Attr |= faHidden;
    if (::faccessat(folderFd, name.c_str(), W_OK, AT_EACCESS) != 0)
        record.Attr |= faReadOnly;
    record.Name = name;
    record.Size = S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
    record.Time = localDateTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    record.Device = info.st_dev;
    record.Inode = info.st_ino;
    return true;
}

void assignAlternateNames(std::vector<TSearchRecord> &records)
{
    ShortNameGenerator names;
    for (const auto &record : records)
        if (fitsEightDotThree(record.Name))
            names.reserve(asciiUpper(record.Name));
    for (auto &record : records)
        if (!fitsEightDotThree(record.Name))
            record.AlternateName = names.generate(record.Name);
}

std::pair<std::string, std::string> splitPath(const std::string &path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    if (slash == std::string::npos)
        return {".", trimmed};
    return {slash == 0 ? "/" : trimmed.substr(0, slash), trimmed.substr(slash + 1)};
}

} // namespace

std::optional<std::vector<TSearchRecord>> listDirectory(const std::string &folder, std::vector<std::string> *leftOut)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return std::nullopt;
    }
    std::vector<TSearchRecord> records;
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        TSearchRecord record;
        if (describe(fd, name, record))
            records.push_back(std::move(record));
        else if (leftOut)
            leftOut->push_back(name);
    }
    std::sort(records.begin(), records.end(),
              [](const TSearchRecord &a, const TSearchRecord &b) { return a.Name < b.Name; });
    assignAlternateNames(records);
    return records;
}

std::optional<TSearchRecord> DirectoryLookup::find(const std::string &path)
{
    const auto [folder, name] = splitPath(path);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    if (folder != folder_ || !alternateNames_.count(name)) {
        clear();
        const auto records = listDirectory(folder);
        folderFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (!records || folderFd_ < 0)
            return std::nullopt;
        folder_ = folder;
        for (const auto &record : *records)
            alternateNames_.emplace(record.Name, record.AlternateName);
    }
    const auto known = alternateNames_.find(name);
    if (known == alternateNames_.end())
        return std::nullopt;
    TSearchRecord record;
    if (!describe(folderFd_, name, record))
        return std::nullopt;
    record.AlternateName = known->second;
    return record;
}

DirectoryLookup::~DirectoryLookup()
{
    clear();
}

void DirectoryLookup::clear()
{
    if (folderFd_ >= 0)
        ::close(folderFd_);
    folderFd_ = -1;
    folder_.clear();
    alternateNames_.clear();
}

} // namespace zelvane
