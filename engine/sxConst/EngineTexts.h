// The engine's string table: every text the device layer reports or logs.
// Texts are upper-case English and are compared and shown byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelvane::texts {

// Request status texts.
inline constexpr std::string_view kOperationAborted = "OPERATION ABORTED BY USER";
inline constexpr std::string_view kInvalidRequest = "INVALID REQUEST";
inline constexpr std::string_view kInvalidHostAdapter = "INVALID HOST ADAPTER";
inline constexpr std::string_view kNoDevice = "NO DEVICE";
inline constexpr std::string_view kInvalidSrb = "INVALID SRB";
inline constexpr std::string_view kBufferAlignment = "BUFFER ALIGNMENT";
inline constexpr std::string_view kAspiIsBusy = "ASPI IS BUSY";
inline constexpr std::string_view kBufferTooBig = "BUFFER TOO BIG";
inline constexpr std::string_view kUnknown = "UNKNOWN";

// Host adapter status texts (request status 4).
inline constexpr std::string_view kCommandTimeout = "COMMAND TIMEOUT";
inline constexpr std::string_view kSrbTimeout = "SRB TIMEOUT";
inline constexpr std::string_view kMessageReject = "MESSAGE REJECT";
inline constexpr std::string_view kBusReset = "BUS RESET";
inline constexpr std::string_view kParityError = "PARITY ERROR";
inline constexpr std::string_view kRequestSenseFailed = "REQUEST SENSE FAILED";
inline constexpr std::string_view kSelectionTimeout = "SELECTION TIMEOUT";
inline constexpr std::string_view kDataOverrun = "DATA OVERRUN";
inline constexpr std::string_view kUnexpectedBusFree = "UNEXPECTED BUS FREE";

// Target status texts (host adapter status 0).
inline constexpr std::string_view kCheckCondition = "CHECK CONDITION";
inline constexpr std::string_view kTargetBusy = "TARGET BUSY";
inline constexpr std::string_view kTargetReservationConflict = "TARGET RESERVATION CONFLICT";
inline constexpr std::string_view kTargetQueueFull = "TARGET QUEUE FULL";

// Sense key texts.
inline constexpr std::string_view kFilemark = "FILEMARK";
inline constexpr std::string_view kEndOfMedia = "END OF MEDIA";
inline constexpr std::string_view kIllegalLength = "ILLEGAL LENGTH";
inline constexpr std::string_view kNoAdditionalSense = "NO ADDITIONAL SENSE INFORMATION";
inline constexpr std::string_view kRecoveredError = "RECOVERED ERROR";
inline constexpr std::string_view kNotReady = "NOT READY";
inline constexpr std::string_view kMediumError = "MEDIUM ERROR";
inline constexpr std::string_view kHardwareError = "HARDWARE ERROR";
inline constexpr std::string_view kIllegalRequest = "ILLEGAL REQUEST";
inline constexpr std::string_view kUnitAttention = "UNIT ATTENTION";
inline constexpr std::string_view kDataProtect = "DATA PROTECT";
inline constexpr std::string_view kEraseCheck = "ERASE CHECK";
inline constexpr std::string_view kCopyAborted = "COPYABORTED";
inline constexpr std::string_view kAbortedCommand = "ABORTED COMMAND";
inline constexpr std::string_view kVolumeOverflow = "VOLUME OVERFLOW";
inline constexpr std::string_view kMiscompare = "MISCOMPARE";
inline constexpr std::string_view kReserved = "RESERVED";

// Device layer messages.
inline constexpr std::string_view kInvalidDeviceId = "INVALID DEVICE ID / NOT A CD OR DVD DRIVE";
inline constexpr std::string_view kAspiInitializationError = "ASPI initialization error";
inline constexpr std::string_view kProviderMissingEntry = "PROVIDER LIBRARY %s LACKS THE ENTRY POINT %s";
inline constexpr std::string_view kProviderNotLoaded = "PROVIDER LIBRARY NOT FOUND";
inline constexpr std::string_view kNotSupportedSuffix = " (not supported)";
inline constexpr std::string_view kUnknownDriveLetter = "?:";
inline constexpr std::string_view kMisalignedBuffer = "aaaa";

// Provider names shown in the first debug line of a drive scan.
inline constexpr std::string_view kLibraryProviderName = "WNASPI32.DLL";
inline constexpr std::string_view kBuiltinProviderName = "SXASPI32";

// Text of a request status other than 4 (empty for 0 and 1).
std::string_view RequestStatusText(uint8_t status);

// Text of a host adapter status of a request that ended with status 4.
// Host adapter status 0 is decided by the target status instead.
std::string_view HostAdapterStatusText(uint8_t haStatus);

// Text of a target status reported with host adapter status 0.
std::string_view TargetStatusText(uint8_t targetStatus);

// Text of a sense key. Sense byte 2 carries the key in its low nibble and
// the filemark / end-of-media / illegal-length bits used by key 0. Keys 9
// and 12 have no text of their own: the result is empty and the caller
// keeps its "CHECK CONDITION".
std::string_view SenseKeyText(uint8_t senseByte2);

// Trace name of an operation code: a 22-character padded name for the
// commands the engine knows, otherwise the code as two hexadecimal digits.
// Operation code FFh has no entry and gives an empty text.
std::string_view CommandName(uint8_t opcode);
inline constexpr std::size_t kCommandNameCount = 255;

// Description of an additional sense code pair, empty when it is not in the
// table.
std::string_view AdditionalSenseDescription(uint8_t asc, uint8_t ascq);

// The description, or "ASC,ASCQ" in decimal when the pair is unknown.
std::string AdditionalSenseText(uint8_t asc, uint8_t ascq);

// Number of (ASC, ASCQ) pairs the table describes.
std::size_t AdditionalSenseCount();

} // namespace zelvane::texts
