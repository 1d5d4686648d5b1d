// What a command handler sees: the CDB, the data buffer of the request, the
// drive state (loaded under the drive lock) and the disc image.
#pragma once

#include "core/drive_state.h"
#include "core/sense.h"
#include "core/state_store.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace zelvane::vdrive {

struct CommandContext {
    DriveState &state;
    const StateStore &store;
    std::span<const uint8_t> cdb;
    std::span<uint8_t> data; // data-in buffer or data-out parameter list
    int64_t now = 0;

    size_t transferred = 0;
    bool dirty = false;     // the state changed and must be saved
    int64_t delayMs = 0;    // time the command takes before it returns

    uint8_t at(size_t index) const { return index < cdb.size() ? cdb[index] : 0; }
    uint16_t be16(size_t index) const { return static_cast<uint16_t>(at(index) << 8 | at(index + 1)); }
    uint32_t be32(size_t index) const
    {
        return uint32_t{at(index)} << 24 | uint32_t{at(index + 1)} << 16 | uint32_t{at(index + 2)} << 8 | at(index + 3);
    }

    // Sends an answer, cut to the allocation length and to the buffer.
    void respond(const std::vector<uint8_t> &answer, size_t allocation)
    {
        transferred = std::min({answer.size(), allocation, data.size()});
        if (transferred)
            std::memcpy(data.data(), answer.data(), transferred);
    }

    // The parameter list the host sent: length from the CDB, bounded by the buffer.
    std::span<const uint8_t> parameters(size_t length) const
    {
        return std::span<const uint8_t>(data.data(), std::min(length, data.size()));
    }
};

// Big-endian writers for answers.
inline void putBe16(std::vector<uint8_t> &out, size_t index, uint32_t value)
{
    out[index] = static_cast<uint8_t>(value >> 8);
    out[index + 1] = static_cast<uint8_t>(value);
}

inline void putBe32(std::vector<uint8_t> &out, size_t index, uint32_t value)
{
    out[index] = static_cast<uint8_t>(value >> 24);
    out[index + 1] = static_cast<uint8_t>(value >> 16);
    out[index + 2] = static_cast<uint8_t>(value >> 8);
    out[index + 3] = static_cast<uint8_t>(value);
}

// An absolute CD address (LBA + 150) as 00 MM SS FF.
inline void putMsf(std::vector<uint8_t> &out, size_t index, uint32_t lba)
{
    const uint32_t frames = lba + 150;
    out[index] = 0;
    out[index + 1] = static_cast<uint8_t>(frames / 4500);
    out[index + 2] = static_cast<uint8_t>(frames / 75 % 60);
    out[index + 3] = static_cast<uint8_t>(frames % 75);
}

using CommandHandler = void (*)(CommandContext &);

} // namespace zelvane::vdrive
