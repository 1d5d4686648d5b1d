// The disc information record: what the drive reports about the inserted disc.
#pragma once

#include <cstdint>
#include <string>

namespace zelvane {

struct TDisc {
    bool valid = false;        // the drive became ready
    int32_t capacity = 0;      // blocks
    int32_t used = 0;          // blocks (next writable address or last block)
    int32_t blockSize = 0;     // bytes
    uint8_t firstSession = 0;
    uint8_t lastSession = 0;
    uint8_t lastSessionState = 0; // 0 empty, 1 incomplete, 2 reserved/damaged, 3 complete
    uint8_t discStatus = 0;       // 0 empty, 1 incomplete, 2 complete, 3 other
    uint16_t profile = 0;
    std::string mediaText;
    bool erasable = false;
};

} // namespace zelvane
