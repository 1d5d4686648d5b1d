// The sessions of the disc in the drive as the sessions page finds them:
// the tray closed, the disc record read, each session by its number (with
// all its tracks), titled "Сессия  NNN - X,XX Мб".
#pragma once

#include "sxCDBC/DiscReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelvane {
class TSarnixBurner;
struct TFEntry;
}

namespace zelvane::cli {

struct DiscSession {
    int number = 0;
    SessionTrack track;  // the whole session, from its first track to the end of its last
    std::string title;
};

enum class SessionsFound { Unreadable, None, Some };

// "Ошибка получения сессий" and "Сессии не обнаружены".
inline constexpr const char *kSessionsUnreadable = "Ошибка получения сессий";
inline constexpr const char *kNoSessions = "Сессии не обнаружены";

SessionsFound readDiscSessions(TSarnixBurner &burner, std::vector<DiscSession> &sessions);

// "Сессия  " + three-digit number + " - " + megabytes with two decimals.
std::string sessionTitle(int number, std::uint64_t bytes);

// The entry's date as the wizard shows it: dd.mm.yyyy hh:mm:ss.
std::string entryDateText(const TFEntry &entry);

// Clears the project and imports one session into it.
bool loadSession(TSarnixBurner &burner, int number);

} // namespace zelvane::cli
