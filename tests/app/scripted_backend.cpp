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
ScriptedBackend::~ScriptedBackend() = default;

ScriptedBackend::CommandScope::CommandScope(ScriptedBackend &backend) : backend(backend)
{
    if (backend.callsRunning_.fetch_add(1) > 0)
        ++backend.overlappingCalls;
}

void ScriptedBackend::AllowMediumRemoval(bool allow)
{
    CommandScope scope(*this);
    removalCalls.push_back(allow);
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

bool ScriptedBackend::ReadSectors(uint32_t lba, uint32_t count, std::vector<uint8_t> &data)
{
    CommandScope scope(*this);
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
        [this](const OpenFileRequest &) { return openFileAnswer; },
        [this](const FolderRequest &request) {
            folderRequests.push_back(request);
            return folderAnswer;
        },
        [this](int code) { endRequests.push_back(code); },
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
