// Engine texts of the writing thread and the write control.
// Upper-case English, shown and compared byte for byte.
#pragma once

#include <string_view>

namespace zelvane::texts {

inline constexpr std::string_view kWriterError = "WRITER ERROR";
inline constexpr std::string_view kWriterBusy = "WRITER BUSY/BUFFER FULL";
inline constexpr std::string_view kStartingWrite = "STARTING WRITE PROCESS ON %s AT %s";
inline constexpr std::string_view kTestDummyWrite = "TEST/DUMMY WRITE";
inline constexpr std::string_view kErrorGettingNwa = "ERROR GETTING NEXT WRITABLE ADDRESS";

// Failures that need a text of their own on this platform.
inline constexpr std::string_view kWriteAlreadyRunning = "A WRITE IS ALREADY RUNNING";
inline constexpr std::string_view kEraseRunning = "AN ERASE IS RUNNING";
inline constexpr std::string_view kCacheNotReady = "READ-AHEAD CACHE DID NOT START";

} // namespace zelvane::texts
