// The checks the wizard makes before a disc is written (the project page's
// Next and the burn options page's CheckBurn), with the reasons it shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvane {
class TSCSIDevice;
}

namespace zelvane::cli {

enum class BurnTask { NewDisc, ContinueDisc, BurnImage };

struct DiscState {
    int mediaCode = 0;
    std::string mediaName;
    int discStatus = -1;
    std::int64_t capacity = 0;
    std::int64_t used = 0;
    bool isDvd() const { return mediaName.find("DVD") != std::string::npos; }
};

// Underrun protection as the drive offers it, and the tray closed.
void PrepareWriter(TSCSIDevice &device);

inline constexpr const char *kEraseQuestion =
    "Запись возможна лишь после предварительной очистки носителя.\rЗапланировать предварительную очистку?";

// Drive readiness and the medium: "Устройство не готово", no or unknown
// medium, read-only media and a closed CD to be continued are refused (the
// media refusals eject the disc). Answers the reason, or nothing.
std::optional<std::string> CheckDriveAndMedium(TSCSIDevice &device, BurnTask task, DiscState &disc);

enum class SpaceVerdict { Fits, NeedsErase, TooLarge };

// Whether `sectors` fit the disc, need the disc to be erased first, or are
// too many for its free space.
SpaceVerdict CheckSpace(std::int64_t sectors, const DiscState &disc, BurnTask task);

// The disc is closed when less than 2 megabytes would stay free.
bool FinalizeByFreeSpace(std::int64_t sectors, const DiscState &disc);

inline constexpr const char *kProjectTooLarge = "Размер проекта превышает объем свободного места на диске";

} // namespace zelvane::cli
