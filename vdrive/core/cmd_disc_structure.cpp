// READ DISC STRUCTURE for DVD media: physical format information (00h and,
// from the recording management area of DVD-R/-RW, 10h), the pre-recorded
// lead-in information of DVD-R/-RW (0Eh), the ADIP of DVD+R/+RW (11h) and
// the list of the structures the medium has (FFh).
#include "core/commands.h"

#include <cstring>

namespace zelvane::vdrive {

namespace {

constexpr uint32_t kDataZoneStart = 0x030000;    // first physical sector of the data zone
constexpr uint32_t kDvdRamDataZoneStart = 0x031000;
constexpr const char kManufacturer[] = "ZELVANE VDRIVE"; // media manufacturer identification

bool dvdMinus(MediaKind kind)
{
    return kind == MediaKind::DvdR || kind == MediaKind::DvdRwSequential || kind == MediaKind::DvdRwRestricted;
}

bool dvdPlus(MediaKind kind) { return kind == MediaKind::DvdPlusR || kind == MediaKind::DvdPlusRw; }

uint32_t dataZoneStart(const Disc &disc) { return disc.kind == MediaKind::DvdRam ? kDvdRamDataZoneStart : kDataZoneStart; }

uint32_t dataZoneEnd(const Disc &disc) { return dataZoneStart(disc) + (disc.capacity ? disc.capacity - 1 : 0); }

void putBe24(std::vector<uint8_t> &out, size_t at, uint32_t value)
{
    out[at] = static_cast<uint8_t>(value >> 16);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
    out[at + 2] = static_cast<uint8_t>(value);
}

// Book type and part version, as the disc's control data tells them.
uint8_t bookType(MediaKind kind)
{
    switch (kind) {
    case MediaKind::DvdRam:
        return 0x16;
    case MediaKind::DvdR:
        return 0x25;
    case MediaKind::DvdRwSequential:
    case MediaKind::DvdRwRestricted:
        return 0x32;
    case MediaKind::DvdPlusRw:
        return 0x92;
    case MediaKind::DvdPlusR:
        return 0xA1;
    default:
        return 0x01;
    }
}

std::vector<uint8_t> physicalFormat(const Disc &disc)
{
    std::vector<uint8_t> data(2048, 0);
    data[0] = bookType(disc.kind);
    data[1] = disc.kind == MediaKind::DvdRom ? 0x02 : 0x0F; // 120 mm; maximum rate
    const uint8_t layerType = disc.kind == MediaKind::DvdRom ? 0x01 : disc.traits().erasable ? 0x04 : 0x02;
    data[2] = layerType; // one layer
    putBe32(data, 4, dataZoneStart(disc));
    putBe32(data, 8, dataZoneEnd(disc));
    return data;
}

std::vector<uint8_t> prerecordedInformation(const Disc &disc)
{
    std::vector<uint8_t> data(40, 0);
    for (uint8_t field = 1; field <= 5; ++field)
        data[size_t{field - 1u} * 8] = field;
    putBe24(data, 3, dataZoneEnd(disc)); // last address of the data recordable area
    data[6] = bookType(disc.kind);
    std::memcpy(&data[17], kManufacturer, 6);     // manufacturer, first part
    std::memcpy(&data[25], kManufacturer + 6, 6); // second part
    return data;
}

std::vector<uint8_t> adip(const Disc &disc)
{
    std::vector<uint8_t> data(256, 0);
    data[0] = bookType(disc.kind);
    data[1] = 0x0F;
    data[2] = disc.kind == MediaKind::DvdPlusRw ? 0x04 : 0x02;
    putBe32(data, 4, dataZoneStart(disc));
    putBe32(data, 8, dataZoneEnd(disc));
    std::memcpy(&data[19], kManufacturer, 8);                                 // disc manufacturer
    std::memcpy(&data[27], disc.kind == MediaKind::DvdPlusRw ? "RW1" : "R01", 3); // media type
    data[30] = 1;                                                             // product revision
    return data;
}

struct Structure {
    uint8_t format;
    bool readable;
    bool sendable;
    size_t length;
};

std::vector<Structure> structuresOf(const Disc &disc)
{
    std::vector<Structure> list = {{0x00, true, false, 2048}};
    if (dvdMinus(disc.kind)) {
        list.push_back({0x0E, true, false, 40});
        list.push_back({0x0F, false, true, 18});
        list.push_back({0x10, true, false, 2048});
    }
    if (dvdPlus(disc.kind))
        list.push_back({0x11, true, false, 256});
    if (disc.kind == MediaKind::DvdPlusRw)
        list.push_back({0x30, false, true, 32768});
    list.push_back({0xFF, true, false, 0});
    list.back().length = 4 * list.size();
    return list;
}

void readDiscStructure(CommandContext &ctx)
{
    const Disc &disc = ctx.state.disc;
    if ((ctx.at(1) & 0x0F) != 0)
        sense::invalidFieldInCdb(); // DVD structures only
    if (disc.cd())
        fail(sense::kIllegalRequest, 0x30, 0x02); // cannot read medium, incompatible format
    const uint8_t format = ctx.at(7);
    if (ctx.at(6) != 0 && format < 0xC0)
        sense::invalidFieldInCdb(); // one layer
    const auto structures = structuresOf(disc);
    const Structure *wanted = nullptr;
    for (const auto &structure : structures)
        if (structure.format == format && structure.readable)
            wanted = &structure;
    if (!wanted)
        sense::invalidFieldInCdb();
    std::vector<uint8_t> data;
    switch (format) {
    case 0x00:
    case 0x10:
        data = physicalFormat(disc);
        break;
    case 0x0E:
        data = prerecordedInformation(disc);
        break;
    case 0x11:
        data = adip(disc);
        break;
    default:
        for (const auto &structure : structures) {
            const size_t at = data.size();
            data.resize(at + 4, 0);
            data[at] = structure.format;
            data[at + 1] = static_cast<uint8_t>((structure.sendable ? 0x80 : 0) | (structure.readable ? 0x40 : 0));
            data[at + 2] = static_cast<uint8_t>(structure.length >> 8);
            data[at + 3] = static_cast<uint8_t>(structure.length);
        }
        break;
    }
    std::vector<uint8_t> answer(4, 0);
    answer.insert(answer.end(), data.begin(), data.end());
    putBe16(answer, 0, static_cast<uint32_t>(answer.size() - 2));
    ctx.respond(answer, ctx.be16(8));
}

} // namespace

void addDiscStructureCommands(std::vector<CommandSpec> &table)
{
    table.push_back({0xAD, readDiscStructure, true, false});
}

} // namespace zelvane::vdrive
