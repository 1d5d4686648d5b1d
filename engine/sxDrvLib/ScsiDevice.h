// TSCSIDevice: one optical drive reached through the process-wide transport.
// It lists the drives, selects one by its id text, and sends every SCSI
// command through a single command core (Execute) that waits for the
// request, turns its outcome into an error text, keeps the sense data and
// writes the debug trace.
#pragma once

#include "sxASPI/aspi_abi.h"
#include "sxDrvLib/DiscRecord.h"
#include "sxDrvLib/MmcState.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <span>
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

    // --- MMC command set (one wrapper per command; true when the request
    // completed with status 1). Answers land in the device's own buffers.

    bool TestUnitReady(uint32_t timeoutMs = 5000);
    bool RezeroUnit();
    bool RequestSense(std::span<uint8_t> buffer);
    bool FormatUnit(uint8_t byte1, std::span<const uint8_t> parameterList);
    // FORMAT UNIT with a one-descriptor list whose block count becomes the
    // one READ FORMAT CAPACITIES offers for its format type (as given when
    // the drive offers none).
    bool FormatUnitAsOffered(uint8_t byte1, std::span<const uint8_t> parameterList);
    bool Eject(bool eject);              // START STOP UNIT: eject, or load when false
    bool AllowRemoval(bool allow);       // PREVENT ALLOW MEDIUM REMOVAL
    bool ReadFormatCapacities();
    bool ReadCapacity(uint32_t &lastLba, uint32_t &blockLength);
    bool Read10(uint32_t lba, uint16_t blocks, std::span<uint8_t> buffer);
    bool Write10(uint32_t lba, uint16_t blocks, std::span<const uint8_t> buffer,
                 uint8_t flags = ZV_SRB_EVENT_NOTIFY | ZV_SRB_DIR_OUT);
    bool SynchronizeCache(bool immediate, uint32_t timeoutMs);
    bool ReadToc(uint8_t format, bool msf, uint8_t trackOrSession, std::span<uint8_t> buffer,
                 uint8_t control = 0);
    bool GetConfiguration(uint8_t rt, uint16_t startingFeature);
    bool ReadDiscInformation();
    bool ReadTrackInformation(uint32_t track);
    // READ TRACK INFORMATION of the first track of a session (address type 2).
    bool ReadSessionTrackInformation(uint32_t session);
    bool ReserveTrack(uint32_t blocks);
    bool PerformOpc();                   // SEND OPC INFORMATION
    bool ModeSelect(std::span<const uint8_t> parameterList);
    bool ModeSense(uint8_t pageCode, bool defaultValues, std::span<uint8_t> buffer);
    bool Close(bool track, bool immediate, bool finalize);
    bool Close(bool immediate, uint8_t function, uint8_t byte3, uint8_t byte4, uint8_t byte5);
    bool ReadBufferCapacity();
    bool SendCueSheet(std::span<const uint8_t> cueSheet);
    bool Blank(uint8_t blankType);       // immediate
    bool SetStreaming(std::span<const uint8_t> descriptor);
    bool SetCdSpeed(uint16_t readKBps, uint16_t writeKBps);
    bool SetSpeeds();                    // ReadSpeed and WriteSpeed
    void SetWriteSpeed(uint16_t kbps);   // sends SET CD SPEED at once
    bool SendDvdStructure(uint8_t format, std::span<const uint8_t> parameterList);
    bool WriteTimestamp(const std::tm &localTime);

    // Answers of the last READ DISC INFORMATION, READ TRACK INFORMATION,
    // GET CONFIGURATION and READ FORMAT CAPACITIES.
    DiscInfo LastDiscInfo() const;
    TrackInfo LastTrackInfo() const;
    std::span<const uint8_t> LastConfiguration() const { return mmc_.configuration; }
    std::span<const uint8_t> LastFormatCapacities() const { return mmc_.formatCapacities; }

    // Write parameters page 05h for a medium; DVD-RAM needs none.
    bool SetWriteParameters(bool testWrite, bool underrunProtection, int mediaCode,
                            bool closeDisc = false);
    // Waits until the drive is ready for media access, at most totalMs.
    bool WaitUntilReady(int totalMs, int stepMs);

    // --- Drive capabilities and disc information.

    // Reads page 2Ah (default and current values) and the DVD features anew.
    bool UpdateCapabilities();
    CapabilitySet Capabilities() const { return mmc_.capabilities; }
    uint16_t DeviceMaxWriteSpeed() const { return mmc_.maxWriteSpeed; }
    uint16_t DeviceMaxReadSpeed() const { return mmc_.maxReadSpeed; }
    uint16_t MaximumWriteSpeed();
    uint16_t MaximumReadSpeed();
    uint16_t CurrentWriteSpeed();
    uint8_t WriteTypes() const { return mmc_.writeTypes; }
    const DriveQuirks &Quirks() const { return mmc_.quirks; }
    void SetSlowReady(bool slow) { mmc_.quirks.slowReady = slow; }
    // Tests only: replaces the pauses of the readiness waits (Pause).
    void SetSleepForTests(std::function<void(int ms)> sleep) { mmc_.sleep = std::move(sleep); }
    // Waits between polls of the drive; every fixed wait of the engine's
    // readiness loops goes through here.
    void Pause(int ms);
    // Puts the drive back into its everyday state after a write or an erase:
    // plain write parameters, maximum read speed and low write speed, tray
    // unlocked and loaded, then one readiness check.
    void RestoreDrive();

    uint8_t GetMediaCode();              // 0..14, remembered as the last media code
    uint8_t LastMediaCode() const { return mmc_.lastMediaCode; }
    std::string GetMediaName();
    bool IsErasable();
    int DiscStatus();                    // -1 when the drive does not answer
    int RecordedSessions();
    TDisc DiscInformation();
    uint32_t Capacity();                 // blocks of 2048 bytes
    uint32_t UsedBlocks();
    uint32_t IsoVolumeSize();

    // Settings the write parameters follow (published by the burner).
    uint16_t ReadSpeed = 0;
    uint16_t WriteSpeed = 0;
    bool UnderrunProtection = true;
    bool FinalizeDisc = false;
    // Figures of the last READ BUFFER CAPACITY, read by the display thread.
    std::atomic<uint32_t> DeviceBufferSize{0};
    std::atomic<uint32_t> DeviceFreeBufferSize{0};

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

protected:
    bool SendMmc(const uint8_t *cdb, uint8_t cdbLength, uint8_t direction, void *data,
                 uint32_t length, uint32_t timeoutMs, bool pendingCounts = false);
    uint8_t PrepareDiscQuery();
    MmcState mmc_;
};

} // namespace zelvane
