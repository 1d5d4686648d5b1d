#include "sxTasks/DiscSessions.h"

#include "sxCDBC/SarnixBurner.h"

#include <algorithm>
#include <cstdio>

namespace zelvane {

namespace {

constexpr std::uint32_t kReadyTimeoutMs = 5000;
constexpr int kMaxProjectFiles = 65535;
constexpr int kMaxProjectDirectories = 8191;
// Session numbers travel in one byte.
constexpr int kMaxSessions = 255;

} // namespace

SessionsFound readDiscSessions(TSarnixBurner &burner, std::vector<DiscSession> &sessions)
{
    sessions.clear();
    burner.Eject(false);
    const TDisc disc = burner.DiscInformation();
    if (!disc.valid || !burner.TestUnitReady(kReadyTimeoutMs))
        return SessionsFound::Unreadable;
    sessions = listSessions(burner.Reader());
    return sessions.empty() ? SessionsFound::None : SessionsFound::Some;
}

std::vector<DiscSession> listSessions(DiscReader &reader)
{
    std::vector<DiscSession> sessions;
    const int count = std::min(reader.RecordedSessions(), kMaxSessions);
    for (int number = 1; number <= count; ++number) {
        DiscSession session;
        session.number = number;
        if (const auto layout = reader.Session(static_cast<std::uint32_t>(number)))
            session.track = SessionTrack{layout->start, layout->size};
        session.title = sessionTitle(number, std::uint64_t(session.track.size) * 2048);
        sessions.push_back(session);
    }
    return sessions;
}

std::string sessionTitle(int number, std::uint64_t bytes)
{
    char text[96];
    std::snprintf(text, sizeof text, "Сессия  %03d - %.2f Мб", number, static_cast<double>(bytes) / 1048576.0);
    std::string title = text;
    // Decimal comma, as the wizard's locale writes it.
    const auto point = title.rfind('.');
    if (point != std::string::npos)
        title[point] = ',';
    return title;
}

bool loadSession(TSarnixBurner &burner, int number)
{
    burner.ClearProject(kMaxProjectFiles, kMaxProjectDirectories);
    if (number < 1 || number > kMaxSessions)
        return false;
    return burner.ImportSession(static_cast<std::uint8_t>(number), burner.FindDirectory("\\"));
}

} // namespace zelvane
