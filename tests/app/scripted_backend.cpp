#include "scripted_backend.h"

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

bool ScriptedBackend::ReadSectors(uint32_t lba, uint32_t count, std::vector<uint8_t> &data)
{
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
