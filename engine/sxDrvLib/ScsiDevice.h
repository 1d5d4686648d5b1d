// TSCSIDevice: one optical drive reached through the process-wide transport.
// It lists the drives, selects one by its id text, and sends every SCSI
// command through a single command core (Execute) that waits for the
// request, turns its outcome into an error text, keeps the sense data and
// writes the debug trace.
#pragma once

#include "sxASPI/aspi_abi.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zelvane {

class TSCSIDevice;

// Debug message: mType 0 command traces and failures, 1 informational
// lines beginning ">>> ".
using TOnDebugMsg =
    std::function<void(TSCSIDevice *sender, const std::string &message, uint8_t mType)>;
using TDeviceChangedEvent = std::function<void(TSCSIDevice *sender)>;

// Address value meaning "no device selected".
inline constexpr uint8_t kNoDeviceAddress = 254;
// The command core never waits less than this for a request to complete.
inline constexpr uint32_t kMinimumCompletionWaitMs = 10000;
inline constexpr std::size_t kInquiryBufferSize = 128;
inline constexpr uint32_t kInquiryTimeoutMs = 10000;

class TSCSIDevice {
public:
    // Sets the address to "none". When a transport is already active, asks
    // adapter 0 for its adapter count and scans the drives.
    TSCSIDevice();
    virtual ~TSCSIDevice();
    TSCSIDevice(const TSCSIDevice &) = delete;
    TSCSIDevice &operator=(const TSCSIDevice &) = delete;

    // --- Transport and drive list.

    // Initialises the process-wide transport; on success asks adapter 0 for
    // its adapter count and scans the drives again.
    bool InitializeTransport(bool preferSpti, const std::string &path);
    bool ASPIInitialized() const;

    // Rebuilds the drive list: one line per CD/DVD device,
    // "adapter:target:lun,NAME VENDOR__PRODUCT_________REV_" where NAME is
    // the drive's device path or provider name ("?:" when none is known) and
    // " (not supported)" ends lines of write-once devices (type 4).
    void ScanDrives();
    const std::vector<std::string> &DriveList() const { return driveList_; }

    // Selects the device whose id (a drive list line, or its first five
    // characters "a:t:l") is given; an id of four characters or fewer, or
    // one that is not a CD/DVD device, clears the selection.
    void SelectDevice(const std::string &id);
    const std::string &DeviceId() const { return deviceId_; }
    // Device path (or provider name) of the selected drive; empty when none.
    std::string DriveLetter() const;
    uint8_t Adapter() const { return adapter_; }
    uint8_t Target() const { return target_; }
    uint8_t Lun() const { return lun_; }
    bool HasSelection() const { return adapter_ != kNoDeviceAddress; }
    // Device type byte of the last selection's INQUIRY (31 when unknown).
    uint8_t DeviceType() const { return deviceType_; }
    // "VENDOR__ PRODUCT_________ REV_" of the selected drive, or the error
    // text of its failed INQUIRY.
    const std::string &Description() const { return description_; }

    // Asks an adapter for its identification (command 0). The adapter count
    // becomes 255 when the request fails; a count of 0 is taken as 7.
    void HostAdapterInquiry(uint8_t adapter);
    uint8_t AdapterCount() const { return adapterCount_; }
    const std::string &ManagerId() const { return managerId_; }
    const std::string &AdapterId() const { return adapterId_; }

    // --- Command core.

    // Sends one request to the selected device and waits for it (at least
    // 10 s). Returns ZV_SS_COMP when the request was submitted, or
    // ZV_SS_ILLEGAL_MODE when no transport is active or no device is
    // selected (the block's status then stays 0). The block's status byte
    // tells the outcome: 1 is success.
    uint8_t Execute(ZvSrbExec &srb, uint32_t timeoutMs);

    const std::string &LastErrorText() const { return lastErrorText_; }
    const std::array<uint8_t, ZV_SENSE_AREA> &LastSense() const { return lastSense_; }
    bool IsBusy() const { return busy_; }

    // Failed commands are traced once per device; the writing thread marks
    // the trace as used before commands whose failure is expected.
    bool TraceShotUsed() const { return traceShotUsed_; }
    void SetTraceShotUsed() { traceShotUsed_ = true; }

    // INQUIRY (128 bytes, EVPD off) into InquiryData(); true on status 1.
    bool Inquiry();
    const std::array<uint8_t, kInquiryBufferSize> &InquiryData() const { return inquiry_; }

    // --- Critical section (re-entrant) shared with the worker threads.
    void Lock() { section_.lock(); }
    void Unlock() { section_.unlock(); }
    std::recursive_mutex &CriticalSection() { return section_; }

    // Raises OnDebugMessage when it is assigned.
    void EmitDebug(const std::string &text, uint8_t mType);

    bool DoDebug = false;
    TOnDebugMsg OnDebugMessage;
    TDeviceChangedEvent OnDeviceChange;

    // Tests only: maps the completion wait the core asks for to the wait it
    // really performs (and lets a test see the asked wait).
    using WaitPolicy = std::function<std::chrono::milliseconds(std::chrono::milliseconds)>;
    void SetWaitPolicyForTests(WaitPolicy policy) { waitPolicy_ = std::move(policy); }

protected:
    // Selection hooks: refresh the drive's capabilities before its INQUIRY,
    // set the quirk flags from the trimmed product id, and probe the write
    // types the drive accepts. The device class itself does nothing here.
    virtual void RefreshCapabilities();
    virtual void SetDriveQuirks(const std::string &productId);
    virtual void ProbeWriteTypes();

    void ClearSelection();

private:
    void SetAddress(uint8_t adapter, uint8_t target, uint8_t lun);
    std::string DriveListLine(uint8_t adapter, uint8_t target, uint8_t lun) const;
    void RecordFailure(const ZvSrbExec &srb);
    void TraceCommand(const ZvSrbExec &srb);

    std::recursive_mutex section_;
    std::vector<std::string> driveList_;
    std::string deviceId_;
    std::string description_;
    uint8_t adapter_ = kNoDeviceAddress;
    uint8_t target_ = kNoDeviceAddress;
    uint8_t lun_ = kNoDeviceAddress;
    uint8_t deviceType_ = 31;
    uint8_t adapterCount_ = 0;
    std::string managerId_;
    std::string adapterId_;

    std::string lastErrorText_;
    std::array<uint8_t, ZV_SENSE_AREA> lastSense_{};
    bool busy_ = false;
    bool traceShotUsed_ = false;
    alignas(8) std::array<uint8_t, kInquiryBufferSize> inquiry_{};
    WaitPolicy waitPolicy_;
};

} // namespace zelvane
