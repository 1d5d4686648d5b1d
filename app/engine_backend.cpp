#include "engine_backend.h"

#include "sxASPI/Transport.h"
#include "sxDrvLib/ScsiDevice.h"

namespace zelvane::app {

namespace {

class EngineBackend final : public DriveBackend {
public:
    bool InitializeTransport(bool preferPassThrough, const std::string &libraryPath) override
    {
        return device_.InitializeTransport(preferPassThrough, libraryPath);
    }
    bool ASPIInitialized() const override { return device_.ASPIInitialized(); }
    std::vector<std::string> DeviceList() const override { return device_.DriveList(); }
    void SelectDevice(int index) override
    {
        const auto &list = device_.DriveList();
        if (index >= 0 && static_cast<size_t>(index) < list.size())
            device_.SelectDevice(list[static_cast<size_t>(index)]);
    }
    void SetCloseAfterCommand(bool close) override { aspi::SetCloseAfterCommand(close); }
    void SetSlowReady(bool) override {}

    uint32_t Capabilities() override { return 0; }
    bool UnderrunProtection() const override { return underrunProtection_; }
    void SetUnderrunProtection(bool on) override { underrunProtection_ = on; }
    int MaxWriteSpeed() override { return 0; }
    void LoadMedium() override {}
    bool TestUnitReady(int) override { return false; }
    void AllowMediumRemoval(bool) override {}

    int MediaCode() override { return 0; }
    int DiscStatus() override { return -1; }
    int64_t Capacity() override { return 0; }
    int64_t Used() override { return 0; }
    bool ReadSectors(uint32_t, uint32_t, std::vector<uint8_t> &) override { return false; }

    void SetIdVolume(const std::string &) override {}
    void ClearIdentifiers() override {}
    void CancelWrite() override {}

    void SetDispatcher(Dispatcher dispatcher) override { dispatcher_ = std::move(dispatcher); }
    void SetCompletionHandlers(CompletionHandlers handlers) override { handlers_ = std::move(handlers); }

private:
    TSCSIDevice device_;
    bool underrunProtection_ = true;
    Dispatcher dispatcher_;
    CompletionHandlers handlers_;
};

} // namespace

std::unique_ptr<DriveBackend> MakeEngineBackend()
{
    return std::make_unique<EngineBackend>();
}

} // namespace zelvane::app
