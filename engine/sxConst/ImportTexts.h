// Engine texts of the session import and of the extraction of files from a
// disc. Upper-case English, shown and compared byte for byte.
#pragma once

#include <string_view>

namespace zelvane::texts {

inline constexpr std::string_view kImportingSession = "IMPORTING SESSION # %d";
inline constexpr std::string_view kErrorImportingSession = "ERROR IMPORTING SESSION";
inline constexpr std::string_view kSessionNotFound = "ERROR IMPORTING SESSION %d (ISO IMAGE NOT FOUND)";
inline constexpr std::string_view kNameLengthExceeds = "ERROR IMPORTING SESSION, FILE NAME LENGTH EXCEEDS 120 CHARS";
inline constexpr std::string_view kExtractingFile = "EXTRACTING FILE %s TO %s";

// Failures that need a text of their own on this platform: what the disc
// holds is never trusted.
inline constexpr std::string_view kEntryOutsideDisc = "ERROR IMPORTING SESSION, ENTRY OUTSIDE THE DISC: \"%s\"";
inline constexpr std::string_view kDirectoryRepeated = "ERROR IMPORTING SESSION, DIRECTORY READ BEFORE: \"%s\"";
inline constexpr std::string_view kDirectoriesTooDeep = "ERROR IMPORTING SESSION, DIRECTORIES NESTED TOO DEEP: \"%s\"";
inline constexpr std::string_view kDamagedRecord = "ERROR IMPORTING SESSION, DAMAGED DIRECTORY RECORD IN SECTOR %d";
inline constexpr std::string_view kDirectoryReadLimit = "ERROR IMPORTING SESSION, DIRECTORIES LARGER THAN THE DISC";
inline constexpr std::string_view kCantReadDiscFile = "CAN'T READ FILE \"%s\" FROM THE DISC";

} // namespace zelvane::texts
