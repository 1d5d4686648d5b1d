// The first half of an erase, on the caller's thread: the drive is made
// ready, the speeds and write parameters are set, the blanking command for
// the medium is sent, and the erase thread takes over.
#include "sxCDBC/SarnixBurner.h"

#include "sxCDBC/EraseThread.h"
#include "sxConst/EraseTexts.h"
#include "sxConst/TextFormat.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/SpeedText.h"

#include <array>
#include <vector>

namespace zelvane {

namespace {

constexpr uint32_t kReadyTimeoutMs = 5000;
constexpr int kReadyTotalMs = 30000;
constexpr int kReadyStepMs = 5000;
constexpr int kFormatRetryPauseMs = 1000;
constexpr uint32_t kFlushTimeoutMs = 30000;
constexpr uint8_t kFormatWithList = 0x11; // format data, format code 1
constexpr uint32_t kStartZeroUnits = 11;  // LBA 0 to 320
constexpr uint16_t kSectorsPerUnit = 32;
constexpr size_t kZeroUnitBytes = size_t{kSectorsPerUnit} * 2048;

// Immediate format, one descriptor: 2,295,104 blocks (or as many as the drive
// offers for the disc), format type 26h.
constexpr std::array<uint8_t, 12> kDvdPlusRwFormat = {0x00, 0x82, 0x00, 0x08, 0x00, 0x23, 0x05, 0x40,
                                                      0x98, 0x00, 0x00, 0x00};
// Immediate format, one descriptor: 2,236,704 blocks (or as many as the drive
// offers), format type 0, 2048-byte blocks.
constexpr std::array<uint8_t, 12> kDvdRamFormat = {0x00, 0x82, 0x00, 0x08, 0x00, 0x22, 0x21, 0x20,
                                                   0x00, 0x00, 0x08, 0x00};

// The speed of the starting line: DVD-RAM to DVD+RW as a DVD multiple with
// one decimal, anything else as a whole CD multiple, then the KB/s figure.
std::string EraseSpeedText(uint16_t kbps, uint8_t mediaCode)
{
    const bool dvdRange = mediaCode >= kMediaDvdRam && mediaCode <= kMediaDvdPlusRw;
    return SpeedMultipleText(kbps, dvdRange ? mediaCode : uint8_t{kMediaCdRom}, dvdRange) + SpeedKBpsText(kbps);
}

} // namespace

bool TSarnixBurner::Erase(std::uint8_t Type)
{
    // One worker drives the device at a time.
    if (erasing_ || WriteRunning() || writeBusy_)
        return RefuseErase();
    // The thread of an earlier erase may still be returning from its event.
    if (eraseThread_) {
        if (eraseThread_->Finished())
            eraseThread_.reset();
        else
            finishedErases_.push_back(std::move(eraseThread_));
    }

    eraseAbandoned_ = false;
    const bool ready = TestUnitReady(kReadyTimeoutMs);
    Eject(false);
    const uint8_t code = GetMediaCode();
    eraseType_ = Type;
    if (!ready && !WaitUntilReady(kReadyTotalMs, kReadyStepMs))
        return RefuseErase();
    if (code != kMediaDvdRam) {
        SetSpeeds();
        SetWriteParameters(false, false, code);
    }
    const uint16_t speed = CurrentWriteSpeed();
    if (!TestUnitReady(kReadyTimeoutMs) && !WaitUntilReady(kReadyTotalMs, kReadyStepMs))
        return RefuseErase();
    EmitDebug(">>> " + texts::fillText(texts::fillText(texts::kStartingErase, MediaName(code)),
                                       EraseSpeedText(speed, code)),
              1);
    if (!StartBlanking(code, Type))
        return RefuseErase();

    eraseThread_.reset(new TEraseThread(*this, code, ExpectedEraseSeconds(code, Type)));
    erasing_ = true;
    eraseThread_->Start();
    return true;
}

bool TSarnixBurner::StartBlanking(std::uint8_t mediaCode, std::uint8_t type)
{
    if (mediaCode == kMediaDvdPlusRw) {
        if (FormatUnitAsOffered(kFormatWithList, kDvdPlusRwFormat))
            return true;
        RezeroUnit();
        Pause(kFormatRetryPauseMs);
        return FormatUnitAsOffered(kFormatWithList, kDvdPlusRwFormat);
    }
    if (mediaCode == kMediaDvdRam) {
        if (type == 0)
            return FormatUnitAsOffered(kFormatWithList, kDvdRamFormat);
        // A quick erase overwrites the volume descriptors; every unit must be taken.
        const bool written = WriteZeroUnits(kStartZeroUnits, true);
        return SynchronizeCache(false, kFlushTimeoutMs) && written;
    }
    return Blank(type);
}

bool TSarnixBurner::WriteZeroUnits(std::uint32_t count, bool stopAtFailure)
{
    // Every byte of every unit is zero.
    static const std::vector<uint8_t> zeros(kZeroUnitBytes, 0);
    bool all = true;
    for (uint32_t unit = 0; unit < count; ++unit) {
        if (eraseAbandoned_)
            return false;
        if (Write10(unit * kSectorsPerUnit, kSectorsPerUnit, zeros))
            continue;
        all = false;
        if (stopAtFailure)
            break;
    }
    return all;
}

bool TSarnixBurner::RefuseErase()
{
    // Erasing stays as it is: false, or true for an erase already running.
    if (OnEraseDone)
        OnEraseDone(this, true);
    return false;
}

void TSarnixBurner::EndErase(bool withError)
{
    erasing_ = false;
    Synchronize([this, withError] {
        if (OnEraseDone)
            OnEraseDone(this, withError);
    });
}

std::int32_t TSarnixBurner::EraseProgress() const
{
    return erasing_ && eraseThread_ ? eraseThread_->Percent() : 0;
}

} // namespace zelvane
