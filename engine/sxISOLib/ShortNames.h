// 8.3 alternate names generated for a folder listing the way a VFAT volume
// does: a name that already fits 8.3 keeps none; any other gets BASIS~N.EXT,
// unique within its folder.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace zelvane {

// True when the name fits 8.3 without regard to case: a basis of 1 to 8 and
// an optional extension of 1 to 3 allowed characters, one dot at most.
bool fitsEightDotThree(std::string_view name);

// Generates BASIS~N.EXT for a long name, with the smallest N that is not in
// `taken` (upper-case names); the result is added to `taken`.
std::string generateShortName(std::string_view longName, std::unordered_set<std::string> &taken);

} // namespace zelvane
