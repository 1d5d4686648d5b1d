// Texts of request, host adapter and target statuses and of sense keys.
#include "sxConst/EngineTexts.h"

namespace zelvane::texts {

std::string_view RequestStatusText(uint8_t status)
{
    switch (status) {
    case 0x00:
    case 0x01: return {};
    case 0x02:
    case 0x03: return kOperationAborted;
    case 0x80: return kInvalidRequest;
    case 0x81: return kInvalidHostAdapter;
    case 0x82: return kNoDevice;
    case 0xE0: return kInvalidSrb;
    case 0xE1: return kBufferAlignment;
    case 0xE5: return kAspiIsBusy;
    case 0xE6: return kBufferTooBig;
    default: return kUnknown;
    }
}

std::string_view HostAdapterStatusText(uint8_t haStatus)
{
    switch (haStatus) {
    case 0x09: return kCommandTimeout;
    case 0x0B: return kSrbTimeout;
    case 0x0D: return kMessageReject;
    case 0x0E: return kBusReset;
    case 0x0F: return kParityError;
    case 0x10: return kRequestSenseFailed;
    case 0x11: return kSelectionTimeout;
    case 0x12: return kDataOverrun;
    case 0x13: return kUnexpectedBusFree;
    default: return kUnknown;
    }
}

std::string_view TargetStatusText(uint8_t targetStatus)
{
    switch (targetStatus) {
    case 0x00:
    case 0x02: return kCheckCondition;
    case 0x08: return kTargetBusy;
    case 0x18: return kTargetReservationConflict;
    case 0x28: return kTargetQueueFull;
    default: return kUnknown;
    }
}

std::string_view SenseKeyText(uint8_t senseByte2)
{
    switch (senseByte2 & 0x0F) {
    case 0x0:
        if (senseByte2 & 0x80)
            return kFilemark;
        if (senseByte2 & 0x40)
            return kEndOfMedia;
        if (senseByte2 & 0x20)
            return kIllegalLength;
        return kNoAdditionalSense;
    case 0x1: return kRecoveredError;
    case 0x2: return kNotReady;
    case 0x3: return kMediumError;
    case 0x4: return kHardwareError;
    case 0x5: return kIllegalRequest;
    case 0x6: return kUnitAttention;
    case 0x7: return kDataProtect;
    case 0x8: return kEraseCheck;
    case 0xA: return kCopyAborted;
    case 0xB: return kAbortedCommand;
    case 0xD: return kVolumeOverflow;
    case 0xE: return kMiscompare;
    case 0xF: return kReserved;
    default: return {};  // keys 9 and 12
    }
}

} // namespace zelvane::texts
