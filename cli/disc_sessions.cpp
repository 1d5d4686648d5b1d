#include "disc_sessions.h"

#include "sxCDBC/SarnixBurner.h"

#include <cstdio>

namespace zelvane::cli {

SessionsFound readDiscSessions(TSarnixBurner &burner, std::vector<DiscSession> &sessions)
{
    sessions.clear();
    burner.Eject(false);
    const TDisc disc = burner.DiscInformation();
    if (!disc.valid || !burner.TestUnitReady(5000))
        return SessionsFound::Unreadable;
    const int count = burner.RecordedSessions();
    if (count <= 0)
        return SessionsFound::None;
    for (int number = 1; number <= count; ++number) {
        DiscSession session;
        session.number = number;
        if (const auto layout = burner.Reader().Session(static_cast<std::uint32_t>(number)))
            session.track = SessionTrack{layout->start, layout->size};
        session.title = sessionTitle(number, std::uint64_t(session.track.size) * 2048);
        sessions.push_back(session);
    }
    return SessionsFound::Some;
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

std::string entryDateText(const TFEntry &entry)
{
    const DateParts p = decodeDateTime(entry.DateTime);
    char text[48];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", p.day, p.month, p.year, p.hour, p.minute,
                  p.second);
    return text;
}

bool loadSession(TSarnixBurner &burner, int number)
{
    burner.ClearProject(65535, 8191);
    return burner.ImportSession(static_cast<std::uint8_t>(number), burner.FindDirectory("\\"));
}

} // namespace zelvane::cli
