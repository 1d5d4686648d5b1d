// The wizard's drive access over the engine's burner component.
#pragma once

#include "drive_backend.h"

#include <memory>

namespace zelvane::app {

std::unique_ptr<DriveBackend> MakeEngineBackend();

} // namespace zelvane::app
