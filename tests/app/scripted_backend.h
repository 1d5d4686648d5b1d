// A burner whose drives and discs are scripted by the test, and a recorder
// that answers the wizard's message boxes and dialogs.
#pragma once

#include "drive_backend.h"
#include "interaction.h"

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace zelvane::app::testing {

struct ScriptedDrive {
    std::string line;            // drive list line
    uint32_t capabilities = 0;
    int mediaCode = 0;           // 0: no disc
    int discStatus = -1;
    int64_t capacity = 0;
    int64_t used = 0;
    int maxWriteSpeed = 0;
    std::vector<uint8_t> sector16; // empty: the read fails
};

// Drive list line as the device layer writes it.
std::string DriveLine(int target, const std::string &name, const std::string &product);

class ScriptedBackend final : public DriveBackend {
public:
    bool transportWorks = true;
    std::vector<ScriptedDrive> drives;

    // What the wizard did.
    int selected = -1;
    std::vector<int> selections;
    bool closeAfterCommand = false;
    bool slowReady = false;
    bool underrunProtection = false;
    int loadMediumCalls = 0;
    int cancelWriteCalls = 0;
    std::vector<bool> removalCalls;
    std::string idVolume = "OLD";
    int clearIdentifierCalls = 0;
    Dispatcher dispatcher;
    CompletionHandlers handlers;

    bool InitializeTransport(bool, const std::string &) override { return initialized_ = transportWorks; }
    bool ASPIInitialized() const override { return initialized_; }
    std::vector<std::string> DeviceList() const override;
    void SelectDevice(int index) override;
    void SetCloseAfterCommand(bool close) override { closeAfterCommand = close; }
    void SetSlowReady(bool slow) override { slowReady = slow; }

    uint32_t Capabilities() override { return drive() ? drive()->capabilities : 0; }
    bool UnderrunProtection() const override { return underrunProtection; }
    void SetUnderrunProtection(bool on) override { underrunProtection = on; }
    int MaxWriteSpeed() override { return drive() ? drive()->maxWriteSpeed : 0; }
    void LoadMedium() override { ++loadMediumCalls; }
    bool TestUnitReady(int) override { return drive() && drive()->mediaCode != 0; }
    void AllowMediumRemoval(bool allow) override { removalCalls.push_back(allow); }

    int MediaCode() override { return drive() ? drive()->mediaCode : 0; }
    int DiscStatus() override { return drive() ? drive()->discStatus : -1; }
    int64_t Capacity() override { return drive() ? drive()->capacity : 0; }
    int64_t Used() override { return drive() ? drive()->used : 0; }
    bool ReadSectors(uint32_t lba, uint32_t count, std::vector<uint8_t> &data) override;

    void SetIdVolume(const std::string &text) override { idVolume = text; }
    void ClearIdentifiers() override { ++clearIdentifierCalls; idVolume.clear(); }
    void CancelWrite() override { ++cancelWriteCalls; }
    void SetDispatcher(Dispatcher d) override { dispatcher = std::move(d); }
    void SetCompletionHandlers(CompletionHandlers h) override { handlers = std::move(h); }

private:
    ScriptedDrive *drive();
    bool initialized_ = false;
};

// Answers every message box with the next queued answer (No when none is
// queued) and keeps what was asked; records requests to end the process.
class InteractionRecorder {
public:
    InteractionRecorder();
    ~InteractionRecorder();
    InteractionRecorder(const InteractionRecorder &) = delete;
    InteractionRecorder &operator=(const InteractionRecorder &) = delete;

    std::vector<MessageRequest> messages;
    std::deque<QMessageBox::StandardButton> answers;
    std::vector<int> endRequests;
    std::optional<QString> openFileAnswer;
    std::optional<QString> folderAnswer;
    std::vector<FolderRequest> folderRequests;

private:
    InteractionHandlers previous_;
};

// A 2048-byte primary volume descriptor with the given identifiers.
std::vector<uint8_t> PrimaryDescriptor(const std::string &volume, const std::string &preparer,
                                       const std::string &publisher, const std::string &copyright,
                                       const std::string &date, const std::string &application);

} // namespace zelvane::app::testing
