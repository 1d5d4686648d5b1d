#include "sxTasks/SessionContents.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxISOLib/IsoNames.h"

#include <QCollator>
#include <QString>

#include <algorithm>
#include <cstdio>

namespace zelvane {

namespace {

// The path's names, split at "/" and "\" (names from a disc hold neither).
std::vector<std::string> pathNames(const std::string &path)
{
    std::vector<std::string> names;
    std::string name;
    for (const char c : path + '/') {
        if (c != '/' && c != '\\') {
            name += c;
        } else if (!name.empty()) {
            names.push_back(std::move(name));
            name.clear();
        }
    }
    return names;
}

const TFEntry *childNamed(const TDEntry &directory, const std::string &name)
{
    const TFEntry *folded = nullptr;
    const TFEntry *dotted = nullptr;
    const std::string key = foldCase(name);
    for (const TFEntry *child = directory.FirstChild; child; child = child->Next) {
        if (child->Removed)
            continue;
        if (child->LongName == name)
            return child;
        const std::string childKey = foldCase(child->LongName);
        if (!folded && childKey == key)
            folded = child;
        if (!dotted && !child->isDirectory() && childKey == key + ".")
            dotted = child;
    }
    return folded ? folded : dotted;
}

} // namespace

std::vector<const TFEntry *> sortedEntries(const TDEntry &directory)
{
    std::vector<std::pair<QString, const TFEntry *>> keyed;
    for (const TFEntry *entry = directory.FirstChild; entry; entry = entry->Next)
        if (!entry->Removed)
            keyed.emplace_back(QString::fromStdString(entry->LongName), entry);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
        if (a.second->isDirectory() != b.second->isDirectory())
            return a.second->isDirectory();
        return collator.compare(a.first, b.first) < 0;
    });
    std::vector<const TFEntry *> entries;
    entries.reserve(keyed.size());
    for (const auto &[name, entry] : keyed)
        entries.push_back(entry);
    return entries;
}

std::vector<SessionItem> sessionItems(const TDEntry &directory)
{
    std::vector<SessionItem> items;
    for (const TFEntry *entry : sortedEntries(directory)) {
        SessionItem item;
        item.name = entry->LongName;
        item.folder = entry->isDirectory();
        item.size = item.folder ? 0 : entry->IsoDataLength;
        item.location = entry->IsoLocation;
        item.date = entry->DateTime;
        if (item.folder)
            item.children = sessionItems(*entry->Directory);
        items.push_back(std::move(item));
    }
    return items;
}

std::string dateText(TDateTime date)
{
    const DateParts p = decodeDateTime(date);
    char text[48];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", p.day, p.month, p.year, p.hour, p.minute,
                  p.second);
    return text;
}

const TFEntry *findEntry(TSarnixBurner &burner, const std::string &path)
{
    const TDEntry *directory = burner.FindDirectory("\\");
    const TFEntry *entry = nullptr;
    for (const std::string &name : pathNames(path)) {
        if (!directory)
            return nullptr;
        entry = childNamed(*directory, name);
        if (!entry)
            return nullptr;
        directory = entry->Directory;
    }
    return entry;
}

} // namespace zelvane
