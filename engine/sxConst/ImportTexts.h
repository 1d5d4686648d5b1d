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
inline constexpr std::string_view kExtentsMissing =
    "ERROR IMPORTING SESSION, A FILE OF SEVERAL EXTENTS LACKS ITS LAST ONE: \"%s\"";
inline constexpr std::string_view kExtentsApart =
    "ERROR IMPORTING SESSION, A FILE OF SEVERAL EXTENTS IS NOT IN CONSECUTIVE SECTORS: \"%s\"";
inline constexpr std::string_view kRelocatedDirectoryUnreadable =
    "ERROR IMPORTING SESSION, RELOCATED DIRECTORY CANNOT BE READ: \"%s\"";
// A name of the session that the project holds under another one (too long
// for a Joliet record, or a twin of another name but for case).
inline constexpr std::string_view kImportedNameChanged = "IMPORTED NAME \"%s\" CHANGED TO \"%s\"";
// A continue whose import failed: the new session would show none of the
// files the import could not read.
inline constexpr std::string_view kPreviousSessionUnreadable =
    "THE LAST SESSION OF THE DISC CANNOT BE READ WHOLE, A NEW SESSION WOULD HIDE ITS FILES";

} // namespace zelvane::texts
