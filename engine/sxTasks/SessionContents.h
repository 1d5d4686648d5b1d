// The folders and files of an imported session as plain values, in the order
// both front ends list them (folders before files, then names compared
// without regard to case), and the lookup of an entry by its path on the
// disc. Values, not pointers: the next import frees the burner's tree.
#pragma once

#include "sxISOLib/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelvane {

class TSarnixBurner;
struct TDEntry;
struct TFEntry;

struct SessionItem {
    std::string name;            // long name, as the import gives it
    bool folder = false;
    std::int64_t size = 0;       // bytes; the data length of files
    std::uint32_t location = 0;  // first sector
    TDateTime date = 0;
    std::vector<SessionItem> children; // folders only, in listing order
};

// The entries of a directory, in listing order.
std::vector<const TFEntry *> sortedEntries(const TDEntry &directory);
// A directory's contents with everything below it, in listing order.
std::vector<SessionItem> sessionItems(const TDEntry &directory);

// A date as the wizard shows it: dd.mm.yyyy hh:mm:ss.
std::string dateText(TDateTime date);

// The entry at a path of the loaded session: "/docs/a.txt" or
// "\DOCS\A.TXT". Each name is matched exactly first, then without regard to
// case, and a file without an extension also by the trailing "." the
// project gives it. Null for the root, or when nothing is found.
const TFEntry *findEntry(TSarnixBurner &burner, const std::string &path);

} // namespace zelvane
