// Write settings of the burn commands: speed, read-ahead cache, test write,
// and erasing a rewritable disc first.
#pragma once

#include "command.h"

#include <string>

namespace zelvane {
class TSarnixBurner;
}

namespace zelvane::cli {

struct BurnSettings {
    unsigned speed = 0;    // a multiple of the medium's base speed; 0 = the drive's maximum
    int cacheMB = 32;      // 2..64
    bool testWrite = false;
    bool eraseFirst = false;
};

// Takes args[i] (and its value) when it is a write setting; Failed with the
// error for a bad value.
enum class SettingTaken { Yes, No, Failed };
SettingTaken takeBurnSetting(const CommandArgs &args, std::size_t &i, BurnSettings &settings, std::string &error);

// The descriptions of the options takeBurnSetting takes.
std::vector<usage::Option> burnSettingOptions();

// The exit statuses of the burn commands: refused or failed, wrong usage
// (which shares 2 with "no transport"), no drive, and those of the erase
// that --erase-first runs.
inline constexpr int kExitRefused = 1;
inline constexpr int kExitBurnUsage = 2;
std::vector<usage::ExitStatus> burnExits();

// Puts the settings on the burner as the burn options page does.
void applyBurnSettings(TSarnixBurner &burner, const BurnSettings &settings, int mediaCode);

inline constexpr const char *kEraseFirstHint = "use --erase-first to blank the disc before writing";

} // namespace zelvane::cli
