// What a drive reads and writes, decoded from the capabilities mode page 2Ah
// and from the DVD+R/RW and DVD-R/RW features of GET CONFIGURATION.
#pragma once

#include <cstdint>
#include <span>

namespace zelvane {

enum CapabilityBit : uint32_t {
    kReadsCdR = 0x1,
    kReadsCdRw = 0x2,
    kReadsMethod2 = 0x4,
    kReadsDvdRom = 0x8,
    kReadsDvdR = 0x10,
    kReadsDvdRw = 0x20,
    kReadsDvdRam = 0x40,
    kReadsDvdPlusR = 0x80,
    kReadsDvdPlusRw = 0x100,
    kWritesCdR = 0x200,
    kWritesCdRw = 0x400,
    kTestWrite = 0x800,
    kWritesDvdR = 0x1000,
    kWritesDvdRw = 0x2000,
    kWritesDvdRam = 0x4000,
    kWritesDvdPlusR = 0x8000,
    kWritesDvdPlusRw = 0x10000,
    kUnderrunProtection = 0x40000,
};

using CapabilitySet = uint32_t;

// Page 2Ah, starting at its page code byte.
constexpr uint8_t kCapabilitiesPage = 0x2A;
constexpr uint8_t kWriteParametersPage = 0x05;
constexpr uint8_t kUnderrunPage = 0x30;

// Figures of page 2Ah in KB/s (buffer size in KB).
struct SpeedFigures {
    uint16_t maxReadSpeed = 0;
    uint16_t bufferSizeKb = 0;
    uint16_t currentReadSpeed = 0;
    uint16_t maxWriteSpeed = 0;
    uint16_t currentWriteSpeed = 0;
};

// Read and write bits from bytes 2..4 of page 2Ah.
CapabilitySet CapabilitiesFromPage(std::span<const uint8_t> page);

SpeedFigures SpeedFiguresFromPage(std::span<const uint8_t> page);

// GET CONFIGURATION answer for one feature: the bits to add when the drive
// reports that feature (read bits, and write bits when it is current).
// Feature 002Ah is DVD+RW/+R, 002Fh is DVD-R/-RW.
constexpr uint16_t kFeatureDvdPlusRw = 0x002A;
constexpr uint16_t kFeatureDvdMinusRw = 0x002F;
CapabilitySet CapabilitiesFromFeature(std::span<const uint8_t> answer, uint16_t feature);

// True when the capability set holds a write ability the wizard counts as a
// writer (CD-R, DVD-R or DVD-RAM write).
bool IsWriter(CapabilitySet caps);

} // namespace zelvane
