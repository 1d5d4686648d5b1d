// The sessions of a disc as both front ends list them: the tray closed, the
// disc record read, each session by its number (with all its tracks), titled
// "Сессия  NNN - X,XX Мб".
#pragma once

#include "sxCDBC/DiscReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelvane {

class TSarnixBurner;

struct DiscSession {
    int number = 0;
    SessionTrack track;  // the whole session, from its first track to the end of its last
    std::string title;
};

enum class SessionsFound { Unreadable, None, Some };

// What the front ends show for a disc that cannot be read and for one
// without sessions.
inline constexpr const char *kSessionsUnreadable = "Ошибка получения сессий";
inline constexpr const char *kNoSessions = "Сессии не обнаружены";

// Closes the tray, reads the disc record and waits up to 5 s for the drive;
// then lists the sessions the burner's reader finds.
SessionsFound readDiscSessions(TSarnixBurner &burner, std::vector<DiscSession> &sessions);

// Every session the reader finds, numbered from 1 with its track and title;
// a session whose track cannot be read has size 0.
std::vector<DiscSession> listSessions(DiscReader &reader);

// "Сессия  " + three-digit number + " - " + megabytes with two decimals
// and a decimal comma.
std::string sessionTitle(int number, std::uint64_t bytes);

// Clears the project and imports one session into its root.
bool loadSession(TSarnixBurner &burner, int number);

} // namespace zelvane
