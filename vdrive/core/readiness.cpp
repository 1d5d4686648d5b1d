#include "core/readiness.h"

#include "core/timing.h"

namespace zelvane::vdrive {

std::optional<Sense> operationCondition(const DriveState &state, int64_t now)
{
    if (!state.operationRunning(now))
        return std::nullopt;
    const uint16_t progress = operationProgress(state, now);
    switch (state.operation.activity) {
    case Activity::Loading:
        return Sense{sense::kNotReady, 0x04, 0x01, std::nullopt}; // becoming ready
    case Activity::Formatting:
        return Sense{sense::kNotReady, 0x04, 0x04, progress};     // format in progress
    case Activity::Flushing:
        return Sense{sense::kNotReady, 0x04, 0x08, progress};     // long write in progress
    case Activity::Blanking:
    case Activity::Closing:
        return Sense{sense::kNotReady, 0x04, 0x07, progress};     // operation in progress
    case Activity::None:
        break;
    }
    return std::nullopt;
}

std::optional<Sense> notReadyCondition(const DriveState &state, int64_t now)
{
    if (state.trayOpen)
        return Sense{sense::kNotReady, 0x3A, 0x02, std::nullopt}; // medium not present, tray open
    if (!state.disc.present())
        return Sense{sense::kNotReady, 0x3A, 0x01, std::nullopt}; // medium not present, tray closed
    if (auto working = operationCondition(state, now))
        return working;
    if (now < state.faults.notReadyUntilMs)
        return Sense{sense::kNotReady, 0x04, 0x00, std::nullopt}; // not ready, cause not reportable
    return std::nullopt;
}

} // namespace zelvane::vdrive
