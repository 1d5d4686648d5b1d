// Waiting until the drive is ready for media access: a drive that has just
// been loaded, is blanking or formatting reports "not ready, becoming ready /
// in progress" (ASC 04h) for a while.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/MediaCode.h"

#include <array>
#include <chrono>
#include <thread>

namespace zelvane {

namespace {

constexpr uint8_t kAscNotReady = 0x04;
constexpr size_t kSenseAsc = 12;
constexpr int kSlowReadyStepMs = 1500;
constexpr uint32_t kReadyTimeoutMs = 5000;

} // namespace

void TSCSIDevice::Pause(int ms)
{
    if (mmc_.sleep)
        mmc_.sleep(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool TSCSIDevice::WaitUntilReady(int totalMs, int stepMs)
{
    const auto pause = [this](int ms) { Pause(ms); };
    const auto lastAsc = [this] { return LastSense()[kSenseAsc]; };
    alignas(8) std::array<uint8_t, 40> sense{};

    if (mmc_.quirks.slowReady) {
        do {
            pause(kSlowReadyStepMs);
            totalMs -= kSlowReadyStepMs;
            if (totalMs < 0)
                break;
            TestUnitReady(kReadyTimeoutMs);
        } while (lastAsc() == kAscNotReady);
    }

    if (mmc_.lastMediaCode == kMediaDvdRam) {
        // DVD-RAM answers READ DISC INFORMATION while still formatting.
        sense[kSenseAsc] = kAscNotReady;
    } else {
        do {
            pause(stepMs);
            ReadDiscInformation();
            totalMs -= stepMs;
            if (totalMs < 0)
                return false;
        } while (lastAsc() == kAscNotReady);
    }

    if (TestUnitReady(kReadyTimeoutMs) && sense[kSenseAsc] == 0)
        return true;

    do {
        pause(stepMs);
        totalMs -= stepMs;
        if (totalMs < 0)
            return false;
        TestUnitReady(kReadyTimeoutMs);
    } while (lastAsc() == kAscNotReady);

    do {
        sense.fill(0);
        // A drive that cannot even report its sense is not taken as ready.
        if (!RequestSense(sense))
            sense[kSenseAsc] = kAscNotReady;
        totalMs -= stepMs;
        if (totalMs < 0)
            return false;
        if (sense[0] == 0xF0)
            sense[kSenseAsc] = kAscNotReady;
        if (sense[kSenseAsc] == kAscNotReady)
            pause(stepMs);
    } while (sense[kSenseAsc] != 0);
    return true;
}

} // namespace zelvane
