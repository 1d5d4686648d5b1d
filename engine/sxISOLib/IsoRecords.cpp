#include "sxISOLib/IsoRecords.h"

#include "sxISOLib/DiscTree.h"
#include "sxISOLib/IsoNames.h"

#include <cstring>

namespace zelvane {

void putLE16(std::uint8_t *at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void putBE16(std::uint8_t *at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

void putLE32(std::uint8_t *at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void putBE32(std::uint8_t *at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * (3 - i)));
}

void putBoth16(std::uint8_t *at, std::uint16_t value)
{
    putLE16(at, value);
    putBE16(at + 2, value);
}

void putBoth32(std::uint8_t *at, std::uint32_t value)
{
    putLE32(at, value);
    putBE32(at + 4, value);
}

namespace {

std::string specialIdentifier(const std::string &name)
{
    if (name == ".")
        return std::string(1, '\0');
    if (name == "..")
        return std::string(1, '\1');
    return {};
}

} // namespace

std::string isoIdentifier(const TFEntry &entry)
{
    const std::string written = entry.isDirectory() ? entry.IsoName : entry.IsoName + ";1";
    const std::string special = specialIdentifier(written);
    return special.empty() ? written : special;
}

namespace {

// The Joliet name of a file: its long name without the "." the project
// added to a name that had none ("readme." is written "readme;1").
std::string_view jolietFileName(const TFEntry &entry)
{
    std::string_view name = entry.LongName;
    if (entry.DotAppended && name.size() > 1 && name.back() == '.')
        name.remove_suffix(1);
    return name;
}

} // namespace

std::string jolietIdentifier(const TFEntry &entry)
{
    const std::string written =
        entry.isDirectory() ? entry.LongName : std::string(jolietFileName(entry)) + ";1";
    const std::string special = specialIdentifier(written);
    return special.empty() ? toUcs2BigEndian(written) : special;
}

namespace {

bool writtenAsSpecial(const std::string &name, bool isDirectory)
{
    return isDirectory && (name == "." || name == "..");
}

} // namespace

std::size_t isoIdentifierLength(const TFEntry &entry)
{
    if (writtenAsSpecial(entry.IsoName, entry.isDirectory()))
        return 1;
    return entry.IsoName.size() + (entry.isDirectory() ? 0 : 2);
}

std::size_t jolietIdentifierLength(const TFEntry &entry)
{
    if (writtenAsSpecial(entry.LongName, entry.isDirectory()))
        return 1;
    if (entry.isDirectory())
        return 2 * utf16Length(entry.LongName);
    return 2 * (utf16Length(jolietFileName(entry)) + 2);
}

std::uint32_t extentCount(std::int64_t dataLength, bool isDirectory)
{
    if (isDirectory || dataLength <= kMaxExtentBytes)
        return 1;
    return static_cast<std::uint32_t>((dataLength + kMaxExtentBytes - 1) / kMaxExtentBytes);
}

RecordDate recordDate(TDateTime value, ZoneOffsetCache &zones)
{
    const DateParts p = decodeDateTime(value);
    RecordDate date;
    const int year = p.year - 1900;
    date.bytes[0] = static_cast<std::uint8_t>(year < 0 ? 0 : year > 255 ? 255 : year);
    date.bytes[1] = static_cast<std::uint8_t>(p.month);
    date.bytes[2] = static_cast<std::uint8_t>(p.day);
    date.bytes[3] = static_cast<std::uint8_t>(p.hour);
    date.bytes[4] = static_cast<std::uint8_t>(p.minute);
    date.bytes[5] = static_cast<std::uint8_t>(p.second);
    date.bytes[6] = static_cast<std::uint8_t>(static_cast<std::int8_t>(zones.quarterHours(p)));
    return date;
}

std::size_t writeDirectoryRecord(std::uint8_t *at, std::uint32_t extent, std::uint32_t length,
                                 const RecordDate &date, std::uint8_t flags, std::string_view identifier)
{
    const std::size_t recordLength = directoryRecordLength(identifier.size());
    std::memset(at, 0, recordLength);
    at[0] = static_cast<std::uint8_t>(recordLength);
    putBoth32(at + 2, extent);
    putBoth32(at + 10, length);
    std::memcpy(at + 18, date.bytes, 7);
    at[25] = flags;
    putBoth16(at + 28, 1);
    at[32] = static_cast<std::uint8_t>(identifier.size());
    std::memcpy(at + 33, identifier.data(), identifier.size());
    return recordLength;
}

std::size_t writePathTableRecord(std::uint8_t *at, bool bigEndian, std::uint32_t extent,
                                 std::uint16_t parentNumber, std::string_view identifier)
{
    const std::size_t recordLength = pathTableRecordLength(identifier.size());
    std::memset(at, 0, recordLength);
    at[0] = static_cast<std::uint8_t>(identifier.size());
    if (bigEndian) {
        putBE32(at + 2, extent);
        putBE16(at + 6, parentNumber);
    } else {
        putLE32(at + 2, extent);
        putLE16(at + 6, parentNumber);
    }
    std::memcpy(at + 8, identifier.data(), identifier.size());
    return recordLength;
}

} // namespace zelvane
