#include "burn_settings.h"

#include "drive_choice.h"
#include "erase_run.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxDrvLib/MediaCode.h"

#include <cmath>
#include <cstdlib>

namespace zelvane::cli {

namespace {

bool parseNumber(const std::string &text, long low, long high, long &value)
{
    char *end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && end && *end == '\0' && value >= low && value <= high;
}

} // namespace

SettingTaken takeBurnSetting(const CommandArgs &args, std::size_t &i, BurnSettings &settings, std::string &error)
{
    const std::string &arg = args[i];
    if (arg == "--test-write") {
        settings.testWrite = true;
        return SettingTaken::Yes;
    }
    if (arg == "--erase-first") {
        settings.eraseFirst = true;
        return SettingTaken::Yes;
    }
    if (arg != "--speed" && arg != "--cache")
        return SettingTaken::No;
    if (i + 1 >= args.size()) {
        error = "option " + arg + " needs a value";
        return SettingTaken::Failed;
    }
    long value = 0;
    const std::string &text = args[++i];
    if (arg == "--speed") {
        if (!parseNumber(text, 0, 100, value)) {
            error = "--speed takes a multiple from 0 (maximum) to 100";
            return SettingTaken::Failed;
        }
        settings.speed = static_cast<unsigned>(value);
    } else {
        if (!parseNumber(text, 2, 64, value)) {
            error = "--cache takes megabytes from 2 to 64";
            return SettingTaken::Failed;
        }
        settings.cacheMB = static_cast<int>(value);
    }
    return SettingTaken::Yes;
}

std::vector<usage::Option> burnSettingOptions()
{
    return {
        {.names = {"--test-write"},
         .text = "Test write: the drive goes through the whole write with its laser off, so nothing is recorded."},
        {.names = {"--erase-first"}, .text = "Erase the rewritable disc (quickly) before writing."},
        {.names = {"--speed"},
         .value = "N",
         .text = "Write at N times the medium's base speed, 1 to 100 (default 0: the drive's highest)."},
        {.names = {"--cache"}, .value = "MB", .text = "Use a read-ahead cache of MB megabytes, 2 to 64 (default 32)."},
    };
}

std::vector<usage::ExitStatus> burnExits()
{
    std::vector<usage::ExitStatus> exits{
        {kExitRefused, "the write was refused or ended with an error, or not every file could be put on the disc"},
        {kExitBurnUsage, "wrong usage, or " + std::string(kNoTransportExitText)},
        {kExitNoDrive, "no CD/DVD drive was found"}};
    for (auto exit : eraseExits()) {
        exit.text += " (--erase-first)";
        exits.push_back(exit);
    }
    return exits;
}

void applyBurnSettings(TSarnixBurner &burner, const BurnSettings &settings, int mediaCode)
{
    burner.PerformOPC = true;
    burner.TestWrite = settings.testWrite;
    burner.SetCacheSize(settings.cacheMB * 1048576);
    // Multiples are turned into KB/s the way the speed list texts are read back.
    const unsigned step = IsCdMedia(mediaCode) ? 177 : 1385;
    const unsigned kbps = settings.speed ? settings.speed * step : burner.MaximumWriteSpeed();
    burner.SetWriteSpeed(static_cast<std::uint16_t>(std::min(kbps, 0xFFFFu)));
}

} // namespace zelvane::cli
