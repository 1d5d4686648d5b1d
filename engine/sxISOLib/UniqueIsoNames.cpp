#include "sxISOLib/UniqueIsoNames.h"

#include "sxISOLib/DiscTree.h"

#include <unordered_set>

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

} // namespace

void makeIsoNamesUnique(TDiscTree &tree)
{
    std::unordered_set<std::string> all;
    std::unordered_set<std::string> seen;
    for (const auto &directory : tree.Directories()) {
        all.clear();
        seen.clear();
        for (TFEntry *entry = directory->FirstChild; entry; entry = entry->Next)
            all.insert(entry->IsoName);
        if (all.size() == 0)
            continue;
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
