#include "sxISOLib/UniqueIsoNames.h"

#include "sxISOLib/DiscTree.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace zelvane {

namespace {

std::string variantName(const std::string &name, bool isDirectory, unsigned number)
{
    const auto dot = isDirectory ? std::string::npos : name.rfind('.');
    const std::string basis = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string{} : name.substr(dot);
    const std::string tail = "~" + std::to_string(number);
    const std::size_t width = std::max<std::size_t>(basis.size(), 8);
    const std::size_t room = width > tail.size() ? width - tail.size() : 1;
    return basis.substr(0, room) + tail + extension;
}

// True when two entries of the directory share an ISO name.
bool hasCollision(const TDEntry &directory, std::vector<std::string_view> &names)
{
    names.clear();
    for (const TFEntry *entry = directory.FirstChild; entry; entry = entry->Next)
        names.emplace_back(entry->IsoName);
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) != names.end();
}

} // namespace

void makeIsoNamesUnique(TDiscTree &tree)
{
    std::vector<std::string_view> names;
    std::unordered_set<std::string> all;
    std::unordered_set<std::string> seen;
    for (const auto &directory : tree.Directories()) {
        if (!hasCollision(*directory, names))
            continue;
        all.clear();
        seen.clear();
        for (TFEntry *entry = directory->FirstChild; entry; entry = entry->Next)
            all.insert(entry->IsoName);
        for (TFEntry *entry = directory->FirstChild; entry; entry = entry->Next) {
            if (seen.insert(entry->IsoName).second)
                continue;
            std::string candidate;
            for (unsigned number = 1;; ++number) {
                candidate = variantName(entry->IsoName, entry->isDirectory(), number);
                if (!all.count(candidate))
                    break;
            }
            all.insert(candidate);
            seen.insert(candidate);
            entry->IsoName = candidate;
            if (entry->Directory)
                entry->Directory->IsoName = candidate;
        }
    }
}

} // namespace zelvane
