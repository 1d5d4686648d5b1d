// The virtual drive: executes one SCSI command against the state kept in
// its folder. Every command runs under the drive lock on freshly loaded
// state, so several processes share one drive.
#pragma once

#include "core/sense.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace zelvane::vdrive {

enum class Completion {
    Good,
    CheckCondition, // sense holds the reason
    Busy,           // target status BUSY
    Hang,           // the command never completes
};

struct CommandResult {
    Completion completion = Completion::Good;
    Sense sense;
    size_t transferred = 0;
};

class Drive {
public:
    explicit Drive(std::filesystem::path folder);

    // data is the request's buffer: filled for data-in, read for data-out.
    CommandResult execute(std::span<const uint8_t> cdb, std::span<uint8_t> data) const;

private:
    std::filesystem::path folder_;
};

} // namespace zelvane::vdrive
