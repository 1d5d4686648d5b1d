// TEraseThread: the second half of an erase. The blanking command is running
// in the drive (or has been accepted); this thread finishes what one command
// cannot do (the zero writes of DVD+RW and DVD-RAM), waits until the drive
// is ready again, turns the time spent into a percentage, restores the drive
// and reports the end through the burner's OnEraseDone.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace zelvane {

class TSarnixBurner;

// Expected duration of an erase in seconds, by medium family and type
// (0 full, 1 quick); the percentage is measured against it.
std::uint16_t ExpectedEraseSeconds(std::uint8_t mediaCode, std::uint8_t type);

class TEraseThread {
public:
    TEraseThread(TSarnixBurner &device, std::uint8_t mediaCode, std::uint16_t expectedSeconds);
    // Waits for the body to end.
    ~TEraseThread();
    TEraseThread(const TEraseThread &) = delete;
    TEraseThread &operator=(const TEraseThread &) = delete;

    void Start();
    // 0 at the start, 100 at the end; never falls.
    std::int32_t Percent() const { return percent_; }
    // The body has ended (OnEraseDone has returned).
    bool Finished() const { return finished_; }

    const std::uint8_t MediaCode;
    const std::uint16_t ExpectedSeconds;
    // Stays false: a refused blanking command is reported by the erase start.
    const bool WithError = false;

private:
    void Execute();
    void WaitDvdMinusRwBlank();
    void FinishDvdPlusRwFormat(bool quick);
    void WriteDvdRamZeros();
    void WaitSlowDrive();
    void WaitUntilIdle();

    // One step of the estimate: Elapsed grows, Percent follows it.
    void Advance(double seconds) { elapsed_ += seconds; }
    void UpdatePercent();
    bool NotReady() const;
    // The waits end when the expected time has passed or the burner goes away.
    bool WithinExpected() const { return elapsed_ <= ExpectedSeconds && !Abandoned(); }
    bool Abandoned() const;
    // A fixed wait, skipped once the burner goes away.
    void Wait(int ms);
    // TEST UNIT READY; a drive that is not ready gets 2 s before the next poll.
    void PollReady();

    TSarnixBurner &device_;
    double elapsed_ = 0;
    std::atomic<std::int32_t> percent_{0};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

} // namespace zelvane
