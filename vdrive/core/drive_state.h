// Everything the virtual drive keeps between commands and processes: tray,
// disc, identity, speed emulation, write parameters, running operations,
// buffer fill and injected faults. Saved as a small text file.
#pragma once

#include "core/disc.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zelvane::vdrive {

struct DriveModel {
    std::string vendor = "ZELVANE";
    std::string product = "VIRTUAL DVD-RW";
    std::string revision = "1.00";
    bool noGetConfiguration = false;
    bool noDiscInformation = false;
    bool noAtip = false;
    bool zeroWriteSpeed = false;
};

struct WriteFault {
    uint32_t lba = 0;
    uint8_t key = 0x03;
    uint8_t asc = 0x0C;
    uint8_t ascq = 0x00;
};

struct Faults {
    std::vector<WriteFault> writeErrors;
    std::vector<uint32_t> readErrors;
    std::vector<uint8_t> hangOpcodes;
    int64_t busyUntilMs = 0;
    int64_t notReadyUntilMs = 0;
    bool closeError = false; // every CLOSE TRACK/SESSION fails
    bool flushError = false; // every SYNCHRONIZE CACHE fails
};

enum class SpeedMode { Fast, Realtime };

// A long operation during which the drive reports "not ready, in progress".
enum class Activity { None, Loading, Blanking, Formatting, Flushing, Closing };

struct Operation {
    Activity activity = Activity::None;
    int64_t startMs = 0;
    int64_t endMs = 0;
};

inline constexpr size_t kWriteParametersLength = 52; // page 05h with its two-byte header

// Media events GET EVENT STATUS NOTIFICATION reports once each.
enum class MediaEvent : uint8_t { None = 0, NewMedia = 2, MediaRemoval = 3 };

struct DriveState {
    bool trayOpen = false;
    Disc disc;
    DriveModel model;
    SpeedMode speedMode = SpeedMode::Fast;
    double timeFactor = 1.0;
    uint32_t requestedWriteSpeed = 0xFFFF; // KB/s as asked; rounded per medium
    uint32_t requestedReadSpeed = 0xFFFF;
    bool removalPrevented = false;
    std::array<uint8_t, kWriteParametersLength> writeParameters = defaultWriteParameters(MediaKind::None);
    Operation operation;
    uint64_t bufferFill = 0;
    int64_t bufferStampMs = 0;
    Faults faults;
    bool unitAttention = false;          // "medium may have changed" not yet reported
    MediaEvent mediaEvent = MediaEvent::None;
    std::vector<uint8_t> cueSheet;       // the session-at-once plan of SEND CUE SHEET
    int64_t cueNext = 0;                 // next block the host sends in session-at-once

    static std::array<uint8_t, kWriteParametersLength> defaultWriteParameters(MediaKind kind);

    uint16_t currentWriteSpeed() const;
    uint16_t maximumWriteSpeed() const;
    uint16_t maximumReadSpeed() const;
    uint16_t currentReadSpeed() const;
    bool mediumAccessible() const { return !trayOpen && disc.present(); }
    bool operationRunning(int64_t now) const { return operation.activity != Activity::None && now < operation.endMs; }

    // Puts a new disc in the drive and closes the tray.
    void insert(Disc newDisc, int64_t now);
    // The tray opens / closes; a disc that comes in is a medium change.
    void openTray();
    void closeTray(int64_t now, int64_t loadMs);

    std::string serialize() const;
    // Throws std::runtime_error on a malformed file.
    static DriveState parse(const std::string &text);
};

inline constexpr uint32_t kBufferBytes = 2 * 1024 * 1024;

} // namespace zelvane::vdrive
