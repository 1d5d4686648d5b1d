// Whether the drive can accept a medium command right now, and the sense
// that says why not (tray open, no disc, becoming ready, work in progress).
#pragma once

#include "core/drive_state.h"
#include "core/sense.h"

#include <optional>

namespace zelvane::vdrive {

// The not-ready condition of the running operation, if one runs.
std::optional<Sense> operationCondition(const DriveState &state, int64_t now);
// Every reason the medium cannot be accessed, most pressing first.
std::optional<Sense> notReadyCondition(const DriveState &state, int64_t now);

} // namespace zelvane::vdrive
