#include "sxISOLib/RecordReading.h"

#include <QString>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace zelvane {

namespace {

// Fixed part of a directory record before the identifier.
constexpr std::size_t kRecordFixedBytes = 33;
constexpr std::size_t kIsoNameSearchLimit = 250;

std::uint32_t le32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return std::uint32_t(bytes[offset]) | std::uint32_t(bytes[offset + 1]) << 8 |
           std::uint32_t(bytes[offset + 2]) << 16 | std::uint32_t(bytes[offset + 3]) << 24;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::string utf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

bool isVolumeDescriptor(std::span<const std::uint8_t> sector, std::uint8_t type)
{
    return sector.size() >= kDiscSectorBytes && sector[kDescriptorTypeOffset] == type &&
           std::memcmp(sector.data() + 1, "CD001", 5) == 0;
}

bool isJolietDescriptor(std::span<const std::uint8_t> sector)
{
    if (!isVolumeDescriptor(sector, kSupplementaryDescriptorType))
        return false;
    const std::uint8_t *escape = sector.data() + kEscapeSequenceOffset;
    return escape[0] == '%' && escape[1] == '/' && (escape[2] == '@' || escape[2] == 'C' || escape[2] == 'E');
}

RootLocation descriptorRoot(std::span<const std::uint8_t> sector)
{
    if (sector.size() < kDiscSectorBytes)
        return {};
    return {le32(sector, kRootRecordOffset + 2), le32(sector, kRootRecordOffset + 10)};
}

bool DiscDirectoryRecord::isSelfOrParent() const
{
    return identifier.size() == 1 && identifier[0] <= 1;
}

RecordAt readDirectoryRecord(std::span<const std::uint8_t> sector, std::size_t offset)
{
    RecordAt result;
    if (offset >= sector.size() || sector[offset] == 0)
        return result;
    const std::size_t length = sector[offset];
    if (length < kRecordFixedBytes + 1 || length > sector.size() - offset) {
        result.status = RecordStatus::Malformed;
        return result;
    }
    const auto bytes = sector.subspan(offset, length);
    const std::size_t identifierLength = bytes[32];
    if (identifierLength == 0 || kRecordFixedBytes + identifierLength > length) {
        result.status = RecordStatus::Malformed;
        return result;
    }
    result.status = RecordStatus::Record;
    DiscDirectoryRecord &record = result.record;
    record.length = length;
    record.extent = le32(bytes, 2);
    record.dataLength = le32(bytes, 10);
    record.date = recordDate(bytes.subspan<18, 6>());
    record.hidden = (bytes[25] & 0x01) != 0;
    record.directory = (bytes[25] & 0x02) != 0;
    record.moreExtents = (bytes[25] & 0x80) != 0;
    record.identifier = bytes.subspan(kRecordFixedBytes, identifierLength);
    const std::size_t systemUseStart = kRecordFixedBytes + identifierLength + (identifierLength % 2 == 0 ? 1 : 0);
    if (systemUseStart < length)
        record.systemUse = bytes.subspan(systemUseStart);
    return result;
}

TDateTime recordDate(std::span<const std::uint8_t, 6> bytes)
{
    DateParts parts;
    parts.year = 1900 + bytes[0];
    parts.month = bytes[1];
    parts.day = bytes[2];
    parts.hour = bytes[3];
    parts.minute = bytes[4];
    parts.second = bytes[5];
    if (parts.month < 1 || parts.month > 12 || parts.day < 1 || parts.day > daysInMonth(parts.year, parts.month) ||
        parts.hour > 23 || parts.minute > 59 || parts.second > 59)
        return std::numeric_limits<double>::quiet_NaN();
    return encodeDateTime(parts);
}

std::string jolietIdentifierName(std::span<const std::uint8_t> identifier)
{
    std::vector<char16_t> units(identifier.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(identifier[2 * i] << 8 | identifier[2 * i + 1]);
    QString name = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
    const qsizetype version = name.indexOf(u';', 2);
    if (version >= 0)
        name.truncate(version);
    return utf8(name);
}

std::string isoIdentifierName(std::span<const std::uint8_t> identifier)
{
    const std::size_t searched = std::min(identifier.size(), kIsoNameSearchLimit);
    std::size_t end = identifier.size();
    for (std::size_t i = 0; i < searched; ++i) {
        if (identifier[i] == ';') {
            end = i;
            break;
        }
    }
    return utf8Name(identifier.first(end));
}

std::string utf8Name(std::span<const std::uint8_t> bytes)
{
    const auto *text = reinterpret_cast<const char *>(bytes.data());
    return utf8(QString::fromUtf8(text, static_cast<qsizetype>(bytes.size())));
}

std::string safeDiscName(std::string_view name)
{
    if (name.empty() || name == ".")
        return "_";
    if (name == "..")
        return "__";
    std::string safe(name);
    for (char &c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F)
            c = '_';
    }
    return safe;
}

} // namespace zelvane
