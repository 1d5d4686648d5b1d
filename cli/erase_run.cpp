#include "erase_run.h"

#include "drive_checks.h"
#include "sxCDBC/InterfaceCall.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/SpeedText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zelvane::cli {

namespace {

constexpr uint32_t kReadyTimeoutMs = 5000;
constexpr auto kPollInterval = std::chrono::milliseconds(500);
// KB/s of one speed step as the wizard parses speed texts.
constexpr double kCdSpeedStep = 177;
constexpr uint8_t kQuickErase = 1;
constexpr uint8_t kFullErase = 0;

uint16_t SpeedKBps(double multiple, int mediaCode)
{
    const double kbps = multiple * (IsCdMedia(mediaCode) ? kCdSpeedStep : kDvdBaseSpeed);
    return static_cast<uint16_t>(std::clamp(std::lround(kbps), 1L, 0xFFFEL));
}

void ShowPercent(int percent, int &shown)
{
    if (percent <= shown)
        return;
    shown = percent;
    std::printf("%d%%\n", percent);
    std::fflush(stdout);
}

} // namespace

std::optional<double> ParseSpeedMultiple(const std::string &text)
{
    std::string digits = text;
    if (!digits.empty() && (digits.back() == 'x' || digits.back() == 'X'))
        digits.pop_back();
    char *end = nullptr;
    const double value = std::strtod(digits.c_str(), &end);
    if (digits.empty() || *end != '\0' || !std::isfinite(value) || value <= 0 || value > 1000)
        return std::nullopt;
    return value;
}

std::vector<usage::ExitStatus> eraseExits()
{
    return {{kExitNotReady, "the drive is not ready"},
            {kExitNotRewritable, "the disc is not rewritable"},
            {kExitEraseFailed, "the drive refused or failed to erase the disc"},
            {kExitNotBlank, "the disc is not blank after the erase"}};
}

int EraseDisc(TSarnixBurner &burner, const EraseRequest &request, const std::string &command)
{
    const char *name = command.c_str();
    if (!burner.TestUnitReady(kReadyTimeoutMs)) {
        std::fprintf(stderr, "zelvane-cli %s: the drive is not ready\n", name);
        return kExitNotReady;
    }
    const DiscFacts disc = ReadDiscFacts(burner);
    const uint8_t code = static_cast<uint8_t>(disc.mediaCode);
    if (!tasks::CanErase(disc, request.quick)) {
        std::fprintf(stderr, "zelvane-cli %s: the disc (%s) is not rewritable; insert a rewritable disc to erase\n",
                     name, MediaName(code).c_str());
        return kExitNotRewritable;
    }
    burner.SetWriteSpeed(request.speedMultiple ? SpeedKBps(*request.speedMultiple, code) : 0);

    TInterfaceQueue interfaceThread;
    bool done = false;
    bool failed = false;
    burner.Dispatcher = interfaceThread.Caller();
    burner.OnEraseDone = [&](TSarnixBurner *, bool withError) {
        done = true;
        failed = withError;
    };
    std::printf("erasing the %s (%s)\n", MediaName(code).c_str(), request.quick ? "quick" : "full");
    int shown = -1;
    ShowPercent(0, shown);
    const bool started = burner.Erase(request.quick ? kQuickErase : kFullErase);
    while (!done) {
        interfaceThread.RunPending(kPollInterval);
        ShowPercent(burner.EraseProgress(), shown);
    }
    burner.OnEraseDone = nullptr;
    burner.Dispatcher = nullptr;
    if (!started || failed) {
        const std::string reason = burner.LastErrorText();
        std::fprintf(stderr, "zelvane-cli %s: the drive refused to erase the disc%s%s\n", name,
                     reason.empty() ? "" : ": ", reason.c_str());
        return kExitEraseFailed;
    }
    ShowPercent(100, shown);
    burner.TestUnitReady(kReadyTimeoutMs);
    if (!tasks::DiscIsBlank(ReadDiscFacts(burner))) {
        std::fprintf(stderr, "zelvane-cli %s: the disc is not blank after the erase\n", name);
        return kExitNotBlank;
    }
    std::printf("the disc is blank\n");
    return 0;
}

} // namespace zelvane::cli
