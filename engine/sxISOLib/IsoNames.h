// Text helpers of the two name spaces: ISO 9660 names (ASCII upper case,
// rule S) and Joliet names (UTF-16 big-endian), and Unicode-aware case
// folding for comparing long names and paths. Names are kept as UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvane {

// Upper-cases the ASCII letters a-z only.
std::string asciiUpper(std::string_view text);

// Upper case of every letter (paths of the disc tree).
std::string unicodeUpper(std::string_view text);

// Case-folded form: two names are equal without regard to case exactly when
// their folded forms are equal.
std::string foldCase(std::string_view text);

// Short name of a directory created by name, and of imported entries: the
// first 13 characters, ASCII upper case, every character below 33 or above
// 122 replaced by "_".
std::string ruleSName(std::string_view name);

// UTF-16 big-endian bytes of the text.
std::string toUcs2BigEndian(std::string_view text);

// Length in UTF-16 units, and in characters.
std::size_t utf16Length(std::string_view text);
std::size_t characterCount(std::string_view text);

// Shortens a name to at most maxUnits UTF-16 units, keeping its extension
// (the part from the last ".") when that leaves room for a stem.
std::string shortenName(std::string_view name, std::size_t maxUnits);

// Longest Joliet name every common reader takes in full (some cut names
// beyond 103 characters), well inside the record limits of the tree.
inline constexpr std::size_t kMaxPortableJolietName = 103;
// A name the project takes as it is when it has at most 103 UTF-16 units;
// a longer one is shortened to 97, keeping its extension, which leaves room
// for the " (N)" of a twin and the "." of a file without one.
std::string portableName(std::string_view name);

// Names of one folder that differ only in case are twins: the first keeps
// its name, the N-th (from 2) becomes "name (N).ext" (a folder: "name (N)").
std::string twinName(std::string_view name, bool folder, unsigned number);
// The key under which two names are twins: the case-folded long name the
// project gives the entry (a file without a "." gets one).
std::string twinKey(std::string_view name, bool folder);

} // namespace zelvane
