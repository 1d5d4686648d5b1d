// A burner whose drives and discs are scripted by the test, and a recorder
// that answers the wizard's message boxes and dialogs.
#pragma once

#include "drive_backend.h"
#include "interaction.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace zelvane {
class TSarnixBurner;
}

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
    // The disc's sessions, read through the engine's image disc reader: an
    // image file (empty: a disc without sessions) and the first sector of
    // each session in it.
    std::string discImage;
    std::vector<uint32_t> sessionStarts{0};
};

// Counts the reads of a scripted disc; the read with the number given to
// PauseAt waits until Resume, so that a test acts while a file is copied.
class ReadPacing {
public:
    std::atomic<int> reads{0};

    void PauseAt(int readNumber);
    bool Paused();
    void Resume();
    // Called by each read, on the thread that reads.
    void OnRead();

private:
    std::mutex mutex_;
    std::condition_variable resumed_;
    int pauseAt_ = -1;
    bool paused_ = false;
};

// Drive list line as the device layer writes it.
std::string DriveLine(int target, const std::string &name, const std::string &product);

class ScriptedBackend final : public DriveBackend {
public:
    ScriptedBackend();
    ~ScriptedBackend() override;

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

    uint32_t Capabilities() override { return command(), drive() ? drive()->capabilities : 0; }
    bool UnderrunProtection() const override { return underrunProtection; }
    void SetUnderrunProtection(bool on) override { underrunProtection = on; }
    int MaxWriteSpeed() override { return command(), drive() ? drive()->maxWriteSpeed : 0; }
    void LoadMedium() override { command(), ++loadMediumCalls; }
    bool TestUnitReady(int) override { return command(), drive() && drive()->mediaCode != 0; }
    void AllowMediumRemoval(bool allow) override;

    int MediaCode() override { return command(), drive() ? drive()->mediaCode : 0; }
    int DiscStatus() override { return command(), drive() ? drive()->discStatus : -1; }
    int64_t Capacity() override { return command(), drive() ? drive()->capacity : 0; }
    int64_t Used() override { return command(), drive() ? drive()->used : 0; }
    bool ReadSectors(uint32_t lba, uint32_t count, std::vector<uint8_t> &data) override;

    void SetIdVolume(const std::string &text) override { idVolume = text; }
    void ClearIdentifiers() override { ++clearIdentifierCalls; idVolume.clear(); }
    void CancelWrite() override { ++cancelWriteCalls; }
    void SetDispatcher(Dispatcher d) override { dispatcher = std::move(d); }
    void SetCompletionHandlers(CompletionHandlers h) override { handlers = std::move(h); }

    // --- Sessions and extraction, over the selected drive's disc image.
    ReadPacing reads;
    // Drive calls that began while another one ran (on another thread).
    std::atomic<int> overlappingCalls{0};

    zelvane::SessionsFound ReadSessions(std::vector<zelvane::DiscSession> &sessions) override;
    std::vector<zelvane::SessionItem> SessionContents(int number) override;
    zelvane::ExtractionOutcome Extract(const zelvane::ExtractionRequest &request,
                                       const zelvane::ExtractionHooks &hooks) override;

private:
    // Marks one drive call for as long as it lives.
    struct CommandScope {
        explicit CommandScope(ScriptedBackend &backend);
        ~CommandScope() { --backend.callsRunning_; }
        ScriptedBackend &backend;
    };
    // A drive call that ends at once.
    void command() { CommandScope scope(*this); }
    ScriptedDrive *drive();
    // The engine's burner reading the selected drive's image; null when
    // the drive holds none.
    zelvane::TSarnixBurner *discBurner();

    bool initialized_ = false;
    std::atomic<int> callsRunning_{0};
    std::unique_ptr<zelvane::TSarnixBurner> discBurner_;
    int discBurnerDrive_ = -1;
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
