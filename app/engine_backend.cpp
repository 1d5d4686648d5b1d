#include "engine_backend.h"

#include "sxASPI/Transport.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxTasks/DiscSessions.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace zelvane::app {

namespace {

constexpr uint32_t kSectorSize = 2048;
constexpr uint32_t kMaxSectorsPerRead = 32;

class EngineBackend final : public DriveBackend {
public:
    EngineBackend()
    {
        // Design-time settings of the wizard's burner.
        burner_.DeviceBufferSize = 0;
        burner_.DeviceFreeBufferSize = 0;
        SetUnderrunProtection(true);
        burner_.ReadSpeed = 0;
        burner_.SetWriteSpeed(0);
        burner_.FinalizeDisc = false;
        burner_.TestWrite = false;
        burner_.ReplaceFile = false;
        burner_.PerformOPC = true;
        burner_.SetCacheSize(33554432);
        burner_.WritePostGap = true;

        // The events come from worker threads (a failed start raises its
        // event on the interface thread itself): each is handed to the
        // interface thread, and the worker goes on without waiting for it.
        burner_.OnWriteDone = [this](TSarnixBurner *, const std::string &error) {
            if (std::this_thread::get_id() == startingThread_.load())
                failedAtStart_ = true;
            deliver([this, error] {
                if (handlers_.writeDone)
                    handlers_.writeDone(error);
            });
        };
        burner_.OnEraseDone = [this](TSarnixBurner *, bool withError) {
            deliver([this, withError] {
                if (handlers_.eraseDone)
                    handlers_.eraseDone(withError);
            });
        };
        burner_.OnFinalizingTrack = [this](TSarnixBurner *) {
            deliver([this] {
                if (handlers_.finalizingTrack)
                    handlers_.finalizingTrack();
            });
        };
    }

    bool InitializeTransport(bool preferPassThrough, const std::string &libraryPath) override
    {
        return burner_.InitializeTransport(preferPassThrough, libraryPath);
    }
    bool ASPIInitialized() const override { return burner_.ASPIInitialized(); }
    std::vector<std::string> DeviceList() const override { return burner_.DriveList(); }
    void SelectDevice(int index) override
    {
        const auto &list = burner_.DriveList();
        if (index >= 0 && static_cast<size_t>(index) < list.size())
            burner_.SelectDevice(list[static_cast<size_t>(index)]);
    }
    void SetCloseAfterCommand(bool close) override { aspi::SetCloseAfterCommand(close); }
    void SetSlowReady(bool slow) override { burner_.SetSlowReady(slow); }

    uint32_t Capabilities() override { return burner_.Capabilities(); }
    bool UnderrunProtection() const override { return burner_.UnderrunProtection; }
    void SetUnderrunProtection(bool on) override
    {
        // The burner and its device layer each keep this setting (the write
        // parameters page reads the device layer's): both are set alike.
        burner_.UnderrunProtection = on;
        burner_.TSCSIDevice::UnderrunProtection = on;
    }
    int MaxWriteSpeed() override { return burner_.MaximumWriteSpeed(); }
    void LoadMedium() override { burner_.Eject(false); }
    bool TestUnitReady(int timeoutSeconds) override
    {
        return burner_.TestUnitReady(static_cast<uint32_t>(std::max(0, timeoutSeconds)) * 1000);
    }
    void AllowMediumRemoval(bool allow) override { burner_.AllowRemoval(allow); }

    int MediaCode() override { return burner_.GetMediaCode(); }
    int DiscStatus() override { return burner_.DiscStatus(); }
    int64_t Capacity() override { return burner_.Capacity(); }
    int64_t Used() override { return burner_.UsedBlocks(); }
    bool ReadSectors(uint32_t lba, uint32_t count, std::vector<uint8_t> &data) override
    {
        if (count == 0 || count > kMaxSectorsPerRead)
            return false;
        data.assign(static_cast<size_t>(count) * kSectorSize, 0);
        return burner_.Read10(lba, static_cast<uint16_t>(count), data);
    }

    void SetIdVolume(const std::string &text) override { burner_.IdVolume = text; }
    void ClearIdentifiers() override
    {
        burner_.IdVolume.clear();
        burner_.IdPreparer.clear();
        burner_.IdPublisher.clear();
        burner_.FileCopyright.clear();
    }
    void CancelWrite() override { burner_.CancelWrite(); }

    // --- Running tasks.

    void Eject() override { burner_.Eject(true); }
    bool IsErasable() override { return burner_.IsErasable(); }
    int CurrentWriteSpeed() override { return burner_.CurrentWriteSpeed(); }
    bool ReadBufferCapacity() override { return burner_.ReadBufferCapacity(); }
    uint32_t DeviceBufferSize() const override { return burner_.DeviceBufferSize; }
    uint32_t DeviceFreeBufferSize() const override { return burner_.DeviceFreeBufferSize; }

    int WriteSpeed() const override { return burner_.WriteSpeed; }
    void SetWriteSpeed(int kbps) override { burner_.SetWriteSpeed(static_cast<uint16_t>(std::clamp(kbps, 0, 0xFFFF))); }
    void SetCacheSize(int32_t bytes) override { burner_.SetCacheSize(bytes); }
    bool FinalizeDisc() const override { return burner_.FinalizeDisc; }
    void SetFinalizeDisc(bool on) override { burner_.FinalizeDisc = on; }
    void SetTestWrite(bool on) override { burner_.TestWrite = on; }
    void SetImportSessionNumber(int session) override
    {
        burner_.ImportSessionNumber = static_cast<int16_t>(session);
    }
    void SetPerformOPC(bool on) override { burner_.PerformOPC = on; }
    void SetJolietFileSystem(bool on) override { burner_.JolietFileSystem = on; }
    void SetBootImage(bool bootable, const std::string &file) override
    {
        burner_.Bootable = bootable;
        burner_.BootImageFile = file;
    }
    std::string IdVolume() const override { return burner_.IdVolume; }
    void SetIdentifiers(const std::string &volume, const std::string &preparer, const std::string &publisher,
                        const std::string &copyright) override
    {
        burner_.IdVolume = volume;
        burner_.IdPreparer = preparer;
        burner_.IdPublisher = publisher;
        burner_.FileCopyright = copyright;
    }
    void SetDateCreation(double date) override { burner_.DateCreation = date; }
    void SetIdApplication(const std::string &text) override { burner_.IdApplication = text; }

    bool Erase(uint8_t type) override { return burner_.Erase(type); }
    bool Erasing() const override { return burner_.Erasing(); }
    int EraseProgress() const override { return burner_.EraseProgress(); }
    bool BurnProject() override
    {
        return startWrite([this] { return burner_.BurnProject(); });
    }
    bool BurnImageFile(const std::string &file) override
    {
        return startWrite([this, &file] { return burner_.BurnImageFile(file); });
    }
    bool SaveImageFile(const std::string &file) override
    {
        // The engine answers -1 whether or not the writing thread started.
        return startWrite([this, &file] { return burner_.SaveImageFile(file, false) == -1; });
    }
    int64_t SectorsToWrite() const override { return burner_.SectorsToWrite(); }
    int64_t BytesWritten() const override { return burner_.BytesWritten.load(); }
    int CacheFillPercent() const override { return burner_.CacheFillPercent(); }
    void EndOperations() override
    {
        burner_.EndOperations();
        burner_.AllowRemoval(true);
    }

    void SetDispatcher(Dispatcher dispatcher) override { dispatcher_ = std::move(dispatcher); }
    void SetCompletionHandlers(CompletionHandlers handlers) override { handlers_ = std::move(handlers); }

    // --- Sessions of the disc and extraction from them.
    SessionsFound ReadSessions(std::vector<DiscSession> &sessions) override
    {
        return readDiscSessions(burner_, sessions);
    }
    std::vector<SessionItem> SessionContents(int number) override
    {
        loadSession(burner_, number);
        return sessionItems(*burner_.FindDirectory("\\"));
    }
    ExtractionOutcome Extract(const ExtractionRequest &request, const ExtractionHooks &hooks) override
    {
        return extractFromSession(burner_, request, hooks);
    }

    TSarnixBurner &Burner() { return burner_; }

private:
    void deliver(const std::function<void()> &call)
    {
        if (dispatcher_)
            dispatcher_(call);
        else
            call();
    }

    // A start failed when its completion came on the starting thread itself,
    // before the start returned; a writing thread reports from elsewhere.
    template <typename Start> bool startWrite(Start start)
    {
        failedAtStart_ = false;
        startingThread_ = std::this_thread::get_id();
        const bool started = start();
        startingThread_ = std::thread::id();
        return started && !failedAtStart_;
    }

    Dispatcher dispatcher_;
    CompletionHandlers handlers_;
    std::atomic<std::thread::id> startingThread_{};
    bool failedAtStart_ = false; // written only on the starting thread
    // Last, so that it goes first: its destructor stops and waits for the
    // worker threads while the event plumbing above still exists.
    TSarnixBurner burner_;
};

} // namespace

std::unique_ptr<DriveBackend> MakeEngineBackend()
{
    return std::make_unique<EngineBackend>();
}

TSarnixBurner *EngineBurner(DriveBackend &backend)
{
    auto *engine = dynamic_cast<EngineBackend *>(&backend);
    return engine ? &engine->Burner() : nullptr;
}

} // namespace zelvane::app
