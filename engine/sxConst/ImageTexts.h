// Engine texts of the disc project, the image layout and the image writes.
// Upper-case English, shown and compared byte for byte.
#pragma once

#include <string_view>

namespace zelvane::texts {

inline constexpr std::string_view kMaximumDirectories = "MAXIMUM DIRECTORIES CAN BE %d";
inline constexpr std::string_view kMaximumFiles = "MAXIMUM FILES CAN BE %d";
inline constexpr std::string_view kInvalidDestinationPath = "INVALID DESTINATION PATH";
inline constexpr std::string_view kInternalError0004 = "INTERNAL ERROR 0004";
inline constexpr std::string_view kCantOpenFile = "CAN'T OPEN FILE \"%s\" OR FILE IS IN USES BY OTHER SOFTWARE";
inline constexpr std::string_view kCantCreateFile = "CAN'T CREATE FILE \"%s\"";

// Failures that need a text of their own on this platform.
inline constexpr std::string_view kNameTooLong = "NAME TOO LONG FOR A JOLIET RECORD: \"%s\"";
inline constexpr std::string_view kFileTooLarge = "FILE TOO LARGE FOR THE IMAGE: \"%s\"";
inline constexpr std::string_view kCantWriteFile = "CAN'T WRITE FILE \"%s\"";
inline constexpr std::string_view kSourceFileChanged = "SOURCE FILE CHANGED WHILE WRITING: \"%s\"";
inline constexpr std::string_view kNameHasPathSeparator = "NAME CONTAINS A PATH SEPARATOR: \"%s\"";

} // namespace zelvane::texts
