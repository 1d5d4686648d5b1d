// The wizard's drive access over the engine's burner component.
#pragma once

#include "drive_backend.h"

#include <memory>

namespace zelvane {
class TSarnixBurner;
}

namespace zelvane::app {

std::unique_ptr<DriveBackend> MakeEngineBackend();

// The burner under an engine backend, nothing for any other backend. Tests
// build projects on it and shorten its fixed waits.
TSarnixBurner *EngineBurner(DriveBackend &backend);

} // namespace zelvane::app
