#include "ImportFixture.h"

using namespace zelvane;

ImportTest::ImportTest()
{
    burner.OnDebugMessage = [this](TSCSIDevice *, const std::string &message, std::uint8_t level) {
        messages.emplace_back(message, level);
    };
}

ImageDiscReader &ImportTest::UseImage(std::vector<std::uint8_t> image, std::vector<std::uint32_t> sessions)
{
    auto owned = std::make_unique<ImageDiscReader>(std::move(image), std::move(sessions));
    reader = owned.get();
    burner.SetDiscReader(std::move(owned));
    return *reader;
}

ImageDiscReader &ImportTest::UseImageFile(const fs::path &file, std::vector<std::uint32_t> sessions)
{
    auto loaded = ImageDiscReader::FromFile(file.string(), std::move(sessions));
    if (!loaded)
        throw std::runtime_error("can't read " + file.string());
    auto owned = std::make_unique<ImageDiscReader>(std::move(*loaded));
    reader = owned.get();
    burner.SetDiscReader(std::move(owned));
    return *reader;
}

const TFEntry *ImportTest::Entry(const std::string &path)
{
    const auto slash = path.rfind('\\');
    const TDEntry *directory = burner.FindDirectory(path.substr(0, slash));
    return directory ? burner.Tree().FindEntry(directory, path.substr(slash + 1)) : nullptr;
}

std::vector<std::string> ImportTest::Messages(std::uint8_t level) const
{
    std::vector<std::string> texts;
    for (const auto &[text, messageLevel] : messages)
        if (messageLevel == level)
            texts.push_back(text);
    return texts;
}

bool ImportTest::Reported(std::string_view start) const
{
    for (const auto &message : messages)
        if (message.first.rfind(start, 0) == 0)
            return true;
    return false;
}

std::vector<std::string> ImportTest::Names(const std::string &directoryPath)
{
    std::vector<std::string> names;
    const TDEntry *directory = burner.FindDirectory(directoryPath);
    for (const TFEntry *entry = directory ? directory->FirstChild : nullptr; entry; entry = entry->Next)
        names.push_back(entry->LongName);
    return names;
}
