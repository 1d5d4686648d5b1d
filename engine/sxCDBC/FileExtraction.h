// Copying a file of an imported session from the disc to a local file. The
// data goes into a temporary file beside the target, which takes the
// target's name only when every sector was read and written; a failure
// removes it and leaves an existing target as it was.
#pragma once

#include "sxCDBC/DiscReader.h"
#include "sxISOLib/DateTime.h"

#include <cstdint>
#include <string>

namespace zelvane {

// Sectors read at a time: 31, so that a chunk is at most 63488 bytes.
inline constexpr std::uint32_t kExtractChunkSectors = 31;
inline constexpr std::uint32_t kExtractChunkBytes = kExtractChunkSectors * 2048;

// Copies `length` bytes from sector `location` on into `target` and gives
// it the date (a file of several extents lies in consecutive sectors).
// Answers an empty text on success, else the failure.
std::string extractDiscFile(DiscReader &reader, std::uint32_t location, std::uint64_t length, TDateTime date,
                            const std::string &target);

// Creates the folder (an existing folder will do) and gives it the date.
// Answers an empty text on success, else the failure.
std::string extractDiscFolder(const std::string &target, TDateTime date);

// Sets the modification (and access) time of a file or folder.
bool setLocalDate(const std::string &path, TDateTime date);

} // namespace zelvane
