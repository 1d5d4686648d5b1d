#include "sxCDBC/EraseThread.h"

#include "sxASPI/Transport.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxDrvLib/MediaCode.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zelvane {

namespace {

constexpr uint32_t kReadyTimeoutMs = 5000;
constexpr int kPollPauseMs = 2000;
constexpr int kSettlePauseMs = 5000;
constexpr int kFlushPauseMs = 300;
constexpr uint32_t kFlushTimeoutMs = 30000;
constexpr uint8_t kAscNotReady = 0x04;
constexpr size_t kSenseAsc = 12;
constexpr uint8_t kSenseValidCurrent = 0xF0;
// Zero units written after a DVD+RW format: LBA 0 to 2,048 for a quick
// erase, LBA 0 to 2,272,000 (the whole disc) for a full one.
constexpr uint32_t kQuickZeroUnits = 65;
constexpr uint32_t kFullZeroUnits = 71001;
constexpr uint8_t kCloseDvdPlusRwFormat = 3;

} // namespace

void EraseThreadDeleter::operator()(TEraseThread *thread) const
{
    delete thread;
}

std::uint16_t ExpectedEraseSeconds(std::uint8_t mediaCode, std::uint8_t type)
{
    const bool cd = IsCdMedia(mediaCode);
    switch (type) {
    case 0: return cd ? 4500 : 4440;
    case 1: return cd ? 150 : 600;
    default: return cd ? 4500 : 8880;
    }
}

TEraseThread::TEraseThread(TSarnixBurner &device, std::uint8_t mediaCode, std::uint16_t expectedSeconds)
    : MediaCode(mediaCode), ExpectedSeconds(std::max<std::uint16_t>(expectedSeconds, 1)), device_(device)
{
}

TEraseThread::~TEraseThread()
{
    if (thread_.joinable())
        thread_.join();
}

void TEraseThread::Start()
{
    thread_ = std::thread([this] { Execute(); });
}

void TEraseThread::UpdatePercent()
{
    // An estimate from the polling steps, to the nearest integer (ties to
    // even); it stops at 100 when the drive takes longer than expected.
    const double share = std::nearbyint(elapsed_ / ExpectedSeconds * 100.0);
    percent_ = static_cast<std::int32_t>(std::clamp(share, 0.0, 100.0));
}

bool TEraseThread::Abandoned() const
{
    return device_.EraseAbandoned();
}

void TEraseThread::Wait(int ms)
{
    if (!Abandoned())
        device_.Pause(ms);
}

bool TEraseThread::NotReady() const
{
    return device_.LastSense()[kSenseAsc] == kAscNotReady;
}

void TEraseThread::PollReady()
{
    if (!device_.TestUnitReady(kReadyTimeoutMs))
        Wait(kPollPauseMs);
}

void TEraseThread::Execute()
{
    percent_ = 0;
    elapsed_ = 0;
    const bool quick = device_.EraseType() == 1;
    switch (MediaCode) {
    case kMediaDvdRwRestricted:
    case kMediaDvdRwSequential:
        WaitDvdMinusRwBlank();
        break;
    case kMediaDvdPlusRw:
        FinishDvdPlusRwFormat(quick);
        break;
    case kMediaDvdRam:
        if (quick)
            WriteDvdRamZeros();
        break;
    default:
        break; // CD-RW and a full DVD-RAM format: the drive does it all
    }
    if (device_.Quirks().slowEraseReady)
        WaitSlowDrive();
    if (!(device_.TestUnitReady(kReadyTimeoutMs) && device_.ReadDiscInformation()))
        WaitUntilIdle();
    // The pass-through handles were held through the whole blank; open them afresh.
    if (aspi::IsBuiltinActive())
        aspi::Reinitialize();
    percent_ = 100;
    device_.RestoreDrive();
    device_.EndErase(WithError);
    finished_ = true;
}

void TEraseThread::WaitDvdMinusRwBlank()
{
    do {
        UpdatePercent();
        Advance(1);
        PollReady();
        UpdatePercent();
    } while (NotReady() && WithinExpected());
    Wait(kSettlePauseMs);
    do {
        UpdatePercent();
        Advance(1);
        PollReady();
    } while (NotReady() && WithinExpected());
}

void TEraseThread::FinishDvdPlusRwFormat(bool quick)
{
    // The format's own wait is bounded too: a drive that never becomes ready
    // must not keep the erase from ending.
    do {
        Wait(kPollPauseMs);
        Advance(2);
        device_.ReadDiscInformation();
        UpdatePercent();
    } while (NotReady() && WithinExpected());
    if (!device_.WriteZeroUnits(quick ? kQuickZeroUnits : kFullZeroUnits, true))
        return;
    Wait(kFlushPauseMs);
    Advance(1);
    UpdatePercent();
    device_.SynchronizeCache(false, kFlushTimeoutMs);
    device_.Close(false, kCloseDvdPlusRwFormat, 0, 0, 0);
}

void TEraseThread::WriteDvdRamZeros()
{
    device_.WriteZeroUnits(kQuickZeroUnits, false);
    device_.SynchronizeCache(false, kFlushTimeoutMs);
}

void TEraseThread::WaitSlowDrive()
{
    do {
        UpdatePercent();
        Advance(2);
        PollReady();
    } while (NotReady() && WithinExpected());
    device_.ReadDiscInformation();
    Wait(kSettlePauseMs);
}

void TEraseThread::WaitUntilIdle()
{
    if (MediaCode != kMediaDvdRam) {
        do {
            UpdatePercent();
            device_.ReadDiscInformation();
            Advance(5);
            if (NotReady())
                Wait(kSettlePauseMs);
        } while (NotReady() && WithinExpected());
    }
    do {
        UpdatePercent();
        Advance(2);
        PollReady();
    } while (NotReady() && WithinExpected());
    alignas(8) std::array<uint8_t, 40> sense{};
    do {
        UpdatePercent();
        sense.fill(0);
        device_.RequestSense(sense);
        Advance(2);
        if (sense[0] == kSenseValidCurrent)
            sense[kSenseAsc] = kAscNotReady;
        Wait(kPollPauseMs);
    } while (sense[kSenseAsc] != 0 && WithinExpected());
}

} // namespace zelvane
