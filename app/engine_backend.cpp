#include "engine_backend.h"

#include "sxASPI/Transport.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxTasks/DiscSessions.h"

#include <algorithm>

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

        // Write and erase completions come from worker threads: they reach the
        // wizard on the interface thread, the worker waiting meanwhile. The
        // finalising notice is forwarded as it comes.
        burner_.OnWriteDone = [this](TSarnixBurner *, const std::string &error) {
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
            if (handlers_.finalizingTrack)
                handlers_.finalizingTrack();
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
    void CancelWrite() override {}

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

private:
    void deliver(const std::function<void()> &call)
    {
        if (dispatcher_)
            dispatcher_(call);
        else
            call();
    }

    TSarnixBurner burner_;
    Dispatcher dispatcher_;
    CompletionHandlers handlers_;
};

} // namespace

std::unique_ptr<DriveBackend> MakeEngineBackend()
{
    return std::make_unique<EngineBackend>();
}

} // namespace zelvane::app
