// What the wizard needs of the burner component: the transport, the drive
// list and selection, the drive's abilities, the inserted medium, raw sector
// reads, the volume identifiers of the next project and the completion
// events, and the sessions of the disc with the extraction from them. The
// program runs it over the engine; tests run it over scripted drives.
#pragma once

#include "sxTasks/SessionContents.h"
#include "sxTasks/SessionExtraction.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelvane::app {


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
    virtual uint32_t Capabilities() = 0;        // capability set (sxDrvLib/CapabilitySet.h)
    virtual bool UnderrunProtection() const = 0;
    virtual void SetUnderrunProtection(bool on) = 0;
    virtual int MaxWriteSpeed() = 0;           // KB/s
    virtual void LoadMedium() = 0;              // closes the tray
    virtual bool TestUnitReady(int timeoutSeconds) = 0;
    virtual void AllowMediumRemoval(bool allow) = 0;

    // The inserted medium.
    virtual int MediaCode() = 0;                // 0..14
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

    // --- Sessions of the disc and extraction from them (sessions page).
    // The tray is locked and unlocked with AllowMediumRemoval.

    // Closes the tray, reads the disc record and lists the sessions.
    virtual zelvane::SessionsFound ReadSessions(std::vector<zelvane::DiscSession> &sessions) = 0;
    // Imports one session: its folders and files in listing order (none
    // when it cannot be read).
    virtual std::vector<zelvane::SessionItem> SessionContents(int number) = 0;
    // Imports the request's session again and extracts from it.
    virtual zelvane::ExtractionOutcome Extract(const zelvane::ExtractionRequest &request,
                                               const zelvane::ExtractionHooks &hooks) = 0;
};

} // namespace zelvane::app
