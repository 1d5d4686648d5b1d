// What the device learns from the drive through the MMC command set: answer
// buffers of the last commands, capabilities, speeds, quirks and write types.
// One per device, so two drives never share answers.
#pragma once

#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/DiscAnswers.h"
#include "sxDrvLib/DriveQuirks.h"
#include "sxDrvLib/FormatCapacities.h"
#include "sxDrvLib/WriteParametersPage.h"

#include <array>
#include <cstdint>
#include <functional>

namespace zelvane {

constexpr uint32_t kConfigurationLength = 114;
constexpr uint32_t kCapacityLength = 8;
constexpr uint32_t kBufferCapacityLength = 32;
constexpr uint32_t kCurrentCapabilitiesLength = 128;
constexpr size_t kWritePageSenseLength = 512;

struct MmcState {
    // Answers of the last commands of their kind.
    alignas(8) std::array<uint8_t, kDiscInfoLength> discInfo{};
    alignas(8) std::array<uint8_t, kTrackInfoLength> trackInfo{};
    alignas(8) std::array<uint8_t, kFormatCapacitiesLength> formatCapacities{};
    alignas(8) std::array<uint8_t, kConfigurationLength> configuration{};
    alignas(8) std::array<uint8_t, kCapacityLength> capacity{};
    alignas(8) std::array<uint8_t, kBufferCapacityLength> bufferCapacity{};

    // Page 2Ah as current values, moved to its start.
    alignas(8) std::array<uint8_t, kCurrentCapabilitiesLength> capabilitiesPage{};
    // Page 05h as last sensed, moved to its start.
    alignas(8) std::array<uint8_t, kWritePageKept> writePage{};

    CapabilitySet capabilities = 0;
    bool driveReportsUnderrun = false; // from page 2Ah or page 30h, before quirks
    uint16_t maxWriteSpeed = 0;
    uint16_t maxReadSpeed = 0;
    DriveQuirks quirks;
    uint8_t writeTypes = 0;     // WriteTypeBit set
    uint8_t lastMediaCode = 0;  // last media code determined

    // Pauses of the readiness wait; tests replace it to run without waiting.
    std::function<void(int ms)> sleep;
};

} // namespace zelvane
