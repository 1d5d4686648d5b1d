#include "scripted_backend.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxTasks/DiscSessions.h"

#include <cstring>

namespace zelvane::app::testing {

std::string DriveLine(int target, const std::string &name, const std::string &product)
{
    std::string vendor = "ZELVANE ";
    std::string padded = product;
    padded.resize(16, ' ');
    return "0:" + std::to_string(target) + ":0," + name + " " + vendor + padded + "1.00";
}

std::vector<std::string> ScriptedBackend::DeviceList() const
{
    std::vector<std::string> lines;
    for (const auto &d : drives)
        lines.push_back(d.line);
    return lines;
}

void ScriptedBackend::SelectDevice(int index)
{
    selected = index;
    selections.push_back(index);
}

ScriptedDrive *ScriptedBackend::drive()
{
    if (selected < 0 || static_cast<size_t>(selected) >= drives.size())
        return nullptr;
    return &drives[static_cast<size_t>(selected)];
}

namespace {

// The engine's image reader, paced by the test.
class PacedImageReader final : public zelvane::ImageDiscReader {
public:
    PacedImageReader(zelvane::ImageDiscReader image, ReadPacing &pacing)
        : ImageDiscReader(std::move(image)), pacing_(pacing)
    {
    }
    bool ReadSectors(uint32_t lba, uint32_t count, std::span<uint8_t> buffer) override
    {
        pacing_.OnRead();
        return ImageDiscReader::ReadSectors(lba, count, buffer);
    }

private:
    ReadPacing &pacing_;
};

} // namespace

void ReadPacing::PauseAt(int readNumber)
{
    std::lock_guard lock(mutex_);
    pauseAt_ = readNumber;
}

bool ReadPacing::Paused()
{
    std::lock_guard lock(mutex_);
    return paused_;
}

void ReadPacing::Resume()
{
    std::lock_guard lock(mutex_);
    pauseAt_ = -1;
    resumed_.notify_all();
}

void ReadPacing::OnRead()
{
    std::unique_lock lock(mutex_);
    if (++reads != pauseAt_)
        return;
    paused_ = true;
    resumed_.wait(lock, [this] { return pauseAt_ < 0; });
    paused_ = false;
}

ScriptedBackend::ScriptedBackend() = default;

ScriptedBackend::CommandScope::CommandScope(ScriptedBackend &backend) : backend(backend)
{
    if (backend.callsRunning_.fetch_add(1) > 0)
        ++backend.overlappingCalls;
}

zelvane::TSarnixBurner *ScriptedBackend::discBurner()
{
    if (!drive() || drive()->discImage.empty())
        return nullptr;
    if (discBurner_ && discBurnerDrive_ == selected)
        return discBurner_.get();
    auto image = zelvane::ImageDiscReader::FromFile(drive()->discImage, drive()->sessionStarts);
    if (!image)
        return nullptr;
    auto reader = std::make_unique<PacedImageReader>(std::move(*image), reads);
    discBurner_ = std::make_unique<zelvane::TSarnixBurner>();
    discBurner_->SetDiscReader(std::move(reader));
    discBurnerDrive_ = selected;
    return discBurner_.get();
}

zelvane::SessionsFound ScriptedBackend::ReadSessions(std::vector<zelvane::DiscSession> &sessions)
{
    CommandScope scope(*this);
    ++loadMediumCalls;
    sessions.clear();
    if (!drive() || drive()->mediaCode == 0)
        return zelvane::SessionsFound::Unreadable;
    if (zelvane::TSarnixBurner *burner = discBurner())
        sessions = zelvane::listSessions(burner->Reader());
    return sessions.empty() ? zelvane::SessionsFound::None : zelvane::SessionsFound::Some;
}

std::vector<zelvane::SessionItem> ScriptedBackend::SessionContents(int number)
{
    CommandScope scope(*this);
    zelvane::TSarnixBurner *burner = discBurner();
    if (!burner)
        return {};
    zelvane::loadSession(*burner, number);
    return zelvane::sessionItems(*burner->FindDirectory("\\"));
}

zelvane::ExtractionOutcome ScriptedBackend::Extract(const zelvane::ExtractionRequest &request,
                                                    const zelvane::ExtractionHooks &hooks)
{
    CommandScope scope(*this);
    zelvane::TSarnixBurner *burner = discBurner();
    if (!burner)
        return zelvane::ExtractionOutcome{zelvane::ExtractionEnd::SessionUnread, {}};
    return zelvane::extractFromSession(*burner, request, hooks);
}

ScriptedBackend::~ScriptedBackend()
{
    if (worker_.joinable())
        worker_.join();
}

bool ScriptedBackend::command()
{
    CommandScope scope(*this);
    if (running_)
        ++commandsWhileRunning;
    return true;
}

uint32_t ScriptedBackend::bufferSize() const
{
    if (selected < 0 || static_cast<size_t>(selected) >= drives.size())
        return 0;
    return drives[static_cast<size_t>(selected)].bufferSize;
}

void ScriptedBackend::SetWriteSpeed(int kbps)
{
    command();
    speedRequests.push_back(kbps);
    writeSpeed = kbps;
    currentSpeed = kbps;
    if (!drive() || drive()->writeSpeeds.empty())
        return;
    // The fastest speed of the drive not above the one asked for, else its slowest.
    currentSpeed = drive()->writeSpeeds.back();
    for (int speed : drive()->writeSpeeds)
        if (speed <= kbps) {
            currentSpeed = speed;
            break;
        }
}

bool ScriptedBackend::Erase(uint8_t type)
{
    command();
    operations.push_back("erase " + std::to_string(type));
    if (startFails) {
        if (handlers.eraseDone)
            handlers.eraseDone(true);
        return false;
    }
    running_ = true;
    erasing_ = true;
    return true;
}

bool ScriptedBackend::startWrite(const std::string &operation)
{
    command();
    operations.push_back(operation);
    if (startFails) {
        if (handlers.writeDone)
            handlers.writeDone(startError);
        return false;
    }
    running_ = true;
    return true;
}

bool ScriptedBackend::BurnProject()
{
    if (sectorsOfNextLayout)
        sectorsToWrite = *sectorsOfNextLayout;
    return startWrite("burn project");
}

bool ScriptedBackend::BurnImageFile(const std::string &file)
{
    return startWrite("burn image " + file);
}

bool ScriptedBackend::SaveImageFile(const std::string &file)
{
    return startWrite("save image " + file);
}

void ScriptedBackend::fromWorker(std::function<void()> call)
{
    if (worker_.joinable())
        worker_.join();
    worker_ = std::thread(std::move(call));
}

void ScriptedBackend::FinishErase(bool withError)
{
    fromWorker([this, withError] {
        erasing_ = false;
        running_ = false;
        const auto done = handlers.eraseDone;
        dispatcher([done, withError] { done(withError); });
    });
}

void ScriptedBackend::FinalizeWrite()
{
    fromWorker([this] {
        const auto finalizing = handlers.finalizingTrack;
        dispatcher([finalizing] { finalizing(); });
    });
}

void ScriptedBackend::FinishWrite(const std::string &error)
{
    fromWorker([this, error] {
        running_ = false;
        const auto done = handlers.writeDone;
        dispatcher([done, error] { done(error); });
    });
}

void ScriptedBackend::EndOperations()
{
    if (worker_.joinable())
        worker_.join();
    running_ = false;
    erasing_ = false;
    removalCalls.push_back(true);
}

bool ScriptedBackend::ReadSectors(uint32_t lba, uint32_t count, std::vector<uint8_t> &data)
{
    command();
    if (!drive() || lba != 16 || count != 1 || drive()->sector16.empty())
        return false;
    data = drive()->sector16;
    return true;
}

InteractionRecorder::InteractionRecorder()
{
    previous_ = SetInteractionHandlers(InteractionHandlers{
        [this](const MessageRequest &request) {
            messages.push_back(request);
            if (answers.empty())
                return QMessageBox::No;
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        },
        [this](const OpenFileRequest &request) {
            openFileRequests.push_back(request);
            return openFileAnswer;
        },
        [this](const FolderRequest &request) {
            folderRequests.push_back(request);
            return folderAnswer;
        },
        [this](int code) { endRequests.push_back(code); },
        [this] { ++powerOffRequests; },
    });
}

InteractionRecorder::~InteractionRecorder()
{
    SetInteractionHandlers(std::move(previous_));
}

std::vector<uint8_t> PrimaryDescriptor(const std::string &volume, const std::string &preparer,
                                       const std::string &publisher, const std::string &copyright,
                                       const std::string &date, const std::string &application)
{
    std::vector<uint8_t> sector(2048, ' ');
    sector[0] = 1;
    std::memcpy(sector.data() + 1, "CD001", 5);
    sector[6] = 1;
    auto put = [&](size_t at, size_t width, const std::string &text) {
        std::memcpy(sector.data() + at, text.data(), std::min(width, text.size()));
    };
    put(40, 32, volume);
    put(318, 128, publisher);
    put(446, 128, preparer);
    put(574, 128, application);
    put(702, 37, copyright);
    put(813, 16, date);
    return sector;
}

} // namespace zelvane::app::testing
