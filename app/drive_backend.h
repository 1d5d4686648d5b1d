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


// Hands a call to the interface thread: called there it runs at once,
// called from a worker it is queued and the worker goes on without waiting.
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

    // --- Running tasks: write settings, erasing and writing, progress.

    // The drive and the disc.
    virtual void Eject() = 0;                   // opens the tray
    virtual bool IsErasable() = 0;
    virtual int CurrentWriteSpeed() = 0;        // KB/s the drive reports
    virtual bool ReadBufferCapacity() = 0;      // refreshes the two buffer figures
    virtual uint32_t DeviceBufferSize() const = 0;     // bytes
    virtual uint32_t DeviceFreeBufferSize() const = 0; // bytes

    // Settings of the next write (they stay on the burner).
    virtual int WriteSpeed() const = 0;         // KB/s asked for
    virtual void SetWriteSpeed(int kbps) = 0;   // sent to the drive at once
    virtual void SetCacheSize(int32_t bytes) = 0;
    virtual bool FinalizeDisc() const = 0;
    virtual void SetFinalizeDisc(bool on) = 0;
    virtual void SetTestWrite(bool on) = 0;
    virtual void SetImportSessionNumber(int session) = 0; // -1 the last, 0 none
    virtual void SetPerformOPC(bool on) = 0;
    virtual void SetJolietFileSystem(bool on) = 0;
    virtual void SetBootImage(bool bootable, const std::string &file) = 0;
    virtual std::string IdVolume() const = 0;
    virtual void SetIdentifiers(const std::string &volume, const std::string &preparer,
                                const std::string &publisher, const std::string &copyright) = 0;
    virtual void SetDateCreation(double date) = 0; // days since 30 Dec 1899
    virtual void SetIdApplication(const std::string &text) = 0;

    // The operations. Each ends with exactly one completion event; a start
    // that answers false has already raised it.
    virtual bool Erase(uint8_t type) = 0;       // 0 full, 1 quick
    virtual bool Erasing() const = 0;
    virtual int EraseProgress() const = 0;      // 0..100 while erasing
    virtual bool BurnProject() = 0;
    virtual bool BurnImageFile(const std::string &file) = 0;
    virtual bool SaveImageFile(const std::string &file) = 0;
    virtual int64_t SectorsToWrite() const = 0; // of the last layout or image file
    virtual int64_t BytesWritten() const = 0;
    virtual int CacheFillPercent() const = 0;
    // The window goes away: a write is stopped, an erase is no longer waited
    // for; returns once the worker threads have ended (their events queued)
    // and the tray is unlocked again.
    virtual void EndOperations() = 0;

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
