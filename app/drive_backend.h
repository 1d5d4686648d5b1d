// What the wizard needs of the burner component: the transport, the drive
// list and selection, the drive's abilities, the inserted medium, raw sector
// reads, the volume identifiers of the next project and the completion
// events. The program runs it over the engine; tests run it over scripted
// drives.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelvane::app {

// Capability set bits of a drive.
namespace Capability {
constexpr uint32_t ReadCdR = 0x1;
constexpr uint32_t ReadCdRw = 0x2;
constexpr uint32_t ReadDvd = 0x8;
constexpr uint32_t ReadDvdR = 0x10;
constexpr uint32_t ReadDvdRw = 0x20;
constexpr uint32_t ReadDvdRam = 0x40;
constexpr uint32_t ReadDvdPlusR = 0x80;
constexpr uint32_t ReadDvdPlusRw = 0x100;
constexpr uint32_t WriteCdR = 0x200;
constexpr uint32_t WriteCdRw = 0x400;
constexpr uint32_t TestWrite = 0x800;
constexpr uint32_t WriteDvdR = 0x1000;
constexpr uint32_t WriteDvdRw = 0x2000;
constexpr uint32_t WriteDvdRam = 0x4000;
constexpr uint32_t WriteDvdPlusR = 0x8000;
constexpr uint32_t WriteDvdPlusRw = 0x10000;
constexpr uint32_t UnderrunProtection = 0x40000;
} // namespace Capability

// Runs a call on the interface thread and waits for it to finish.
using Dispatcher = std::function<void(const std::function<void()> &call)>;

struct CompletionHandlers {
    std::function<void(bool withError)> eraseDone;
    std::function<void(const std::string &error)> writeDone;
    std::function<void()> finalizingTrack;
};

class DriveBackend {
public:
    virtual ~DriveBackend() = default;

    // Transport and drive list.
    virtual bool InitializeTransport(bool preferPassThrough, const std::string &libraryPath) = 0;
    virtual bool ASPIInitialized() const = 0;
    virtual std::vector<std::string> DeviceList() const = 0;
    virtual void SelectDevice(int index) = 0;
    virtual void SetCloseAfterCommand(bool close) = 0;
    virtual void SetSlowReady(bool slow) = 0;

    // The selected drive.
    virtual uint32_t Capabilities() = 0;
    virtual bool UnderrunProtection() const = 0;
    virtual void SetUnderrunProtection(bool on) = 0;
    virtual int MaxWriteSpeed() = 0;           // KB/s
    virtual void LoadMedium() = 0;              // closes the tray
    virtual bool TestUnitReady(int timeoutSeconds) = 0;
    virtual void AllowMediumRemoval(bool allow) = 0;

    // The inserted medium.
    virtual int MediaCode() = 0;                // 0..14
    virtual std::string MediaName() = 0;        // "UNKNOWN" when none
    virtual int DiscStatus() = 0;               // -1 no answer, 0..3
    virtual int64_t Capacity() = 0;             // 2048-byte blocks
    virtual int64_t Used() = 0;                 // 2048-byte blocks
    // Reads count 2048-byte sectors from lba; false when the drive refuses.
    virtual bool ReadSectors(uint32_t lba, uint32_t count, std::vector<uint8_t> &data) = 0;

    // Project identifiers and the running operation.
    virtual void SetIdVolume(const std::string &text) = 0;
    virtual void ClearIdentifiers() = 0;        // volume, preparer, publisher, copyright
    virtual void CancelWrite() = 0;

    // Completion events, delivered through the dispatcher.
    virtual void SetDispatcher(Dispatcher dispatcher) = 0;
    virtual void SetCompletionHandlers(CompletionHandlers handlers) = 0;
};

} // namespace zelvane::app
