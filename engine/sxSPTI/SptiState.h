// Process-wide state of the built-in provider (internal to sxSPTI).
#pragma once

#include "sxSPTI/SptiProvider.h"

namespace zelvane::spti {

struct SptiState {
    DriveTable table{};
    uint8_t adapterCount = 0;
    bool scanned = false;
    bool closeAfterCommand = false;
    std::string deviceRoot = "/dev";
    std::string sysfsRoot = "/sys";
};

SptiState &State();

// The present slot at a compact address, or nullptr.
DriveSlot *FindSlot(uint8_t adapter, uint8_t target, uint8_t lun);

} // namespace zelvane::spti
