// 8.3 alternate names generated for a folder listing the way a VFAT volume
// does: a name that already fits 8.3 keeps none; any other gets BASIS~N.EXT,
// unique within its folder.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace zelvane {

// True when the name fits 8.3 without regard to case: a basis of 1 to 8 and
// an optional extension of 1 to 3 allowed characters, one dot at most.
bool fitsEightDotThree(std::string_view name);

// Generates BASIS~N.EXT names unique among the names it has given or been
// told of, with the smallest free N. It remembers the next N to try for each
// basis, so a folder of many similar names is named in linear time.
class ShortNameGenerator {
public:
    // Marks an (upper-case) name as taken.
    void reserve(const std::string &name) { taken_.insert(name); }
    std::string generate(std::string_view longName);
    const std::unordered_set<std::string> &taken() const { return taken_; }

private:
    std::unordered_set<std::string> taken_;
    std::unordered_map<std::string, unsigned> nextNumber_;
};

} // namespace zelvane
