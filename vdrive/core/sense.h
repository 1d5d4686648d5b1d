// Sense data of the virtual drive: the key, ASC and ASCQ a real MMC drive
// reports for a refusal, with an optional progress indication.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace zelvane::vdrive {

struct Sense {
    uint8_t key = 0;
    uint8_t asc = 0;
    uint8_t ascq = 0;
    std::optional<uint16_t> progress; // sense-key specific progress, 0..65535

    static constexpr size_t kFixedLength = 18;
    // Fixed-format sense data (response code 70h, current error).
    std::array<uint8_t, kFixedLength> fixedFormat() const;
};

// Thrown by a command handler to end the command with CHECK CONDITION.
class CommandFailure : public std::runtime_error {
public:
    explicit CommandFailure(Sense sense) : std::runtime_error("check condition"), sense_(sense) {}
    const Sense &sense() const { return sense_; }

private:
    Sense sense_;
};

[[noreturn]] inline void fail(uint8_t key, uint8_t asc, uint8_t ascq)
{
    throw CommandFailure(Sense{key, asc, ascq, std::nullopt});
}

// The refusals used across the command set.
namespace sense {
inline constexpr uint8_t kNotReady = 0x02;
inline constexpr uint8_t kMediumError = 0x03;
inline constexpr uint8_t kIllegalRequest = 0x05;
inline constexpr uint8_t kUnitAttention = 0x06;
inline constexpr uint8_t kDataProtect = 0x07;

[[noreturn]] inline void mediumMayHaveChanged() { fail(kUnitAttention, 0x28, 0x00); }
[[noreturn]] inline void invalidOpcode() { fail(kIllegalRequest, 0x20, 0x00); }
[[noreturn]] inline void invalidFieldInCdb() { fail(kIllegalRequest, 0x24, 0x00); }
[[noreturn]] inline void invalidFieldInParameterList() { fail(kIllegalRequest, 0x26, 0x00); }
[[noreturn]] inline void parameterListLengthError() { fail(kIllegalRequest, 0x1A, 0x00); }
[[noreturn]] inline void lbaOutOfRange() { fail(kIllegalRequest, 0x21, 0x00); }
[[noreturn]] inline void invalidAddressForWrite() { fail(kIllegalRequest, 0x21, 0x02); }
[[noreturn]] inline void commandSequenceError() { fail(kIllegalRequest, 0x2C, 0x00); }
[[noreturn]] inline void incompatibleMedium() { fail(kIllegalRequest, 0x30, 0x00); }
[[noreturn]] inline void cannotWriteIncompatibleFormat() { fail(kIllegalRequest, 0x30, 0x05); }
[[noreturn]] inline void cannotFormatIncompatibleMedium() { fail(kIllegalRequest, 0x30, 0x06); }
[[noreturn]] inline void savingNotSupported() { fail(kIllegalRequest, 0x39, 0x00); }
[[noreturn]] inline void removalPrevented() { fail(kIllegalRequest, 0x53, 0x02); }
[[noreturn]] inline void illegalModeForTrack() { fail(kIllegalRequest, 0x64, 0x00); }
[[noreturn]] inline void writeProtected() { fail(kDataProtect, 0x27, 0x00); }
[[noreturn]] inline void unrecoveredReadError() { fail(kMediumError, 0x11, 0x00); }
[[noreturn]] inline void writeError() { fail(kMediumError, 0x0C, 0x00); }
[[noreturn]] inline void sessionFixationError() { fail(kMediumError, 0x72, 0x00); }
} // namespace sense

} // namespace zelvane::vdrive
