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
#include <thread>
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
    bool notReady = false;         // TEST UNIT READY fails even with a disc
    bool unknownMedium = false;    // ready with a disc of media code 0
    bool erasable = false;
    std::vector<int> writeSpeeds;  // KB/s the drive rounds to, fastest first; empty: any
    uint32_t bufferSize = 0;       // bytes
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

// Every operation runs until the test ends it: its events come from a real
// worker thread through the dispatcher, as the engine's do.
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

    // What the wizard did with the operations and settings.
    std::vector<std::string> operations;  // "erase 1", "burn project", "burn image F", "save image F"
    int ejectCalls = 0;
    int commandsWhileRunning = 0;         // drive commands sent while an operation ran
    std::vector<int> speedRequests;       // KB/s asked of the drive, in order
    int writeSpeed = 0;
    int currentSpeed = 0;                 // what the drive reports
    int32_t cacheSize = 0;
    bool finalizeDisc = false;
    bool testWrite = false;
    int importSessionNumber = 0;
    bool performOPC = false;
    bool joliet = false;
    bool bootable = false;
    std::string bootImage;
    std::vector<std::string> identifiers; // volume, preparer, publisher, copyright
    double dateCreation = 0;
    std::string idApplication;

    // How the next operation goes, and its counters.
    bool startFails = false;              // the start reports its end at once
    std::string startError = "CAN'T OPEN FILE";
    int64_t sectorsToWrite = 0;           // of the last layout
    std::optional<int64_t> sectorsOfNextLayout; // the write lays the project out anew
    int64_t bytesWritten = 0;
    int cacheFill = 0;
    uint32_t freeBuffer = 0;
    int eraseProgress = 0;

    // Ends the running operation from a worker thread.
    void FinishErase(bool withError);
    void FinalizeWrite();
    void FinishWrite(const std::string &error);
    bool Running() const { return running_; }

    bool InitializeTransport(bool, const std::string &) override { return initialized_ = transportWorks; }
    bool ASPIInitialized() const override { return initialized_; }
    std::vector<std::string> DeviceList() const override;
    void SelectDevice(int index) override;
    void SetCloseAfterCommand(bool close) override { closeAfterCommand = close; }
    void SetSlowReady(bool slow) override { slowReady = slow; }

    uint32_t Capabilities() override { return command() && drive() ? drive()->capabilities : 0; }
    bool UnderrunProtection() const override { return underrunProtection; }
    void SetUnderrunProtection(bool on) override { underrunProtection = on; }
    int MaxWriteSpeed() override { return command() && drive() ? drive()->maxWriteSpeed : 0; }
    void LoadMedium() override { command(); ++loadMediumCalls; }
    bool TestUnitReady(int) override
    {
        return command() && drive() && (drive()->mediaCode != 0 || drive()->unknownMedium) && !drive()->notReady;
    }
    void AllowMediumRemoval(bool allow) override { command(); removalCalls.push_back(allow); }

    int MediaCode() override { return command() && drive() ? drive()->mediaCode : 0; }
    int DiscStatus() override { return command() && drive() ? drive()->discStatus : -1; }
    int64_t Capacity() override { return command() && drive() ? drive()->capacity : 0; }
    int64_t Used() override { return command() && drive() ? drive()->used : 0; }
    bool ReadSectors(uint32_t lba, uint32_t count, std::vector<uint8_t> &data) override;

    void SetIdVolume(const std::string &text) override { idVolume = text; }
    void ClearIdentifiers() override { ++clearIdentifierCalls; idVolume.clear(); }
    void CancelWrite() override { ++cancelWriteCalls; }

    void Eject() override { command(); ++ejectCalls; }
    bool IsErasable() override { return command() && drive() && drive()->erasable; }
    int CurrentWriteSpeed() override { return command() ? currentSpeed : 0; }
    bool ReadBufferCapacity() override { return command(); }
    uint32_t DeviceBufferSize() const override { return bufferSize(); }
    uint32_t DeviceFreeBufferSize() const override { return freeBuffer; }
    int WriteSpeed() const override { return writeSpeed; }
    void SetWriteSpeed(int kbps) override;
    void SetCacheSize(int32_t bytes) override { cacheSize = bytes; }
    bool FinalizeDisc() const override { return finalizeDisc; }
    void SetFinalizeDisc(bool on) override { finalizeDisc = on; }
    void SetTestWrite(bool on) override { testWrite = on; }
    void SetImportSessionNumber(int session) override { importSessionNumber = session; }
    void SetPerformOPC(bool on) override { performOPC = on; }
    void SetJolietFileSystem(bool on) override { joliet = on; }
    void SetBootImage(bool on, const std::string &file) override { bootable = on, bootImage = file; }
    std::string IdVolume() const override { return idVolume; }
    void SetIdentifiers(const std::string &volume, const std::string &preparer, const std::string &publisher,
                        const std::string &copyright) override
    {
        idVolume = volume;
        identifiers = {volume, preparer, publisher, copyright};
    }
    void SetDateCreation(double date) override { dateCreation = date; }
    void SetIdApplication(const std::string &text) override { idApplication = text; }

    bool Erase(uint8_t type) override;
    bool Erasing() const override { return erasing_; }
    int EraseProgress() const override { return erasing_ ? eraseProgress : 0; }
    bool BurnProject() override;
    bool BurnImageFile(const std::string &file) override;
    bool SaveImageFile(const std::string &file) override;
    int64_t SectorsToWrite() const override { return sectorsToWrite; }
    int64_t BytesWritten() const override { return bytesWritten; }
    int CacheFillPercent() const override { return cacheFill; }
    void EndOperations() override;

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
    ScriptedDrive *drive();
    // The engine's burner reading the selected drive's image; null when
    // the drive holds none.
    zelvane::TSarnixBurner *discBurner();
    uint32_t bufferSize() const;
    // Counts a drive command (and one that overlaps another call); true, so
    // that it can lead a condition.
    bool command();
    bool startWrite(const std::string &operation);
    // Runs the call on a new worker thread (the previous one is joined first).
    void fromWorker(std::function<void()> call);

    bool initialized_ = false;
    std::atomic<int> callsRunning_{0};
    std::unique_ptr<zelvane::TSarnixBurner> discBurner_;
    int discBurnerDrive_ = -1;
    std::atomic<bool> running_{false};
    std::atomic<bool> erasing_{false};
    std::thread worker_;
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
    std::vector<OpenFileRequest> openFileRequests;
    int powerOffRequests = 0;
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
