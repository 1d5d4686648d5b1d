// zelvane-cli info: what the information page shows about the drive and the
// disc in it: the drive's read and write abilities, the medium, its speed,
// state, size, used and free space, and the identifiers of its ISO volume.
#include "command.h"
#include "drive_choice.h"

#include "sxASPI/Transport.h"
#include "sxConst/EngineTexts.h"
#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/DriveDisplayName.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/ScsiDevice.h"
#include "sxDrvLib/SpeedText.h"
#include "sxDrvLib/VolumeDescriptor.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace zelvane::cli {
namespace {

constexpr uint32_t kSectorBytes = 2048;
constexpr const char *kUnknownValue = "???";

struct GridRow {
    const char *readLabel;
    CapabilitySet readBit;
    const char *writeLabel;
    CapabilitySet writeBit;
};

constexpr std::array<GridRow, 8> kGrid = {{
    {"CD-R", kReadsCdR, "CD-R", kWritesCdR},
    {"CD-RW", kReadsCdRw, "CD-RW", kWritesCdRw},
    {"DVD", kReadsDvdRom, "Test", kTestWrite},
    {"DVD-R", kReadsDvdR, "DVD-R", kWritesDvdR},
    {"DVD+R", kReadsDvdPlusR, "DVD+R", kWritesDvdPlusR},
    {"DVD-RW", kReadsDvdRw, "DVD-RW", kWritesDvdRw},
    {"DVD+RW", kReadsDvdPlusRw, "DVD+RW", kWritesDvdPlusRw},
    {"DVD-RAM", kReadsDvdRam, "DVD-RAM", kWritesDvdRam},
}};

std::string Megabytes(int64_t blocks)
{
    const double mb = static_cast<double>(blocks) * kSectorBytes / 1048576.0;
    return std::to_string(std::llround(mb)) + " Мб";
}

const char *YesNo(bool on) { return on ? "yes" : "no"; }

void PrintValue(const char *label, const std::string &value)
{
    std::printf("%s %s\n", label, value.c_str());
}

struct DiscValues {
    std::string medium = kUnknownValue;
    std::string speed = kUnknownValue;
    std::string status = kUnknownValue;
    std::string size = kUnknownValue;
    std::string used = kUnknownValue;
    std::string free = kUnknownValue;
    std::string sessions = kUnknownValue;
};

DiscValues QueryDisc(TSCSIDevice &device)
{
    DiscValues values;
    const std::string medium = device.GetMediaName();
    if (medium == MediaName(kMediaUnknown))
        return values;
    const int code = device.LastMediaCode();
    values.medium = medium;
    values.speed = SpeedMultipleText(device.MaximumWriteSpeed(), code);
    const int status = device.DiscStatus();
    if (status >= 0)
        values.status = (status == 2 && medium != "DVD+RW" && medium != "DVD-RW") ? "Закрыт" : "Открыт";
    const int64_t capacity = device.Capacity();
    const int64_t used = device.UsedBlocks();
    values.size = Megabytes(capacity);
    values.used = Megabytes(used);
    // A closed disc has no room left, and more used than capacity is none.
    values.free = values.status == "Закрыт" ? Megabytes(0) : Megabytes(std::max<int64_t>(capacity - used, 0));
    values.sessions = std::to_string(device.RecordedSessions());
    return values;
}

int RunInfo(const CommandArgs &args)
{
    std::optional<long> wanted;
    if (!parseDriveOnlyArguments(args, "info", wanted))
        return kExitUsage;

    TSCSIDevice device;
    if (const int status = openDrive(device, wanted, "info"))
        return status;
    const std::string selected = device.DeviceId();
    device.UnderrunProtection = (device.Capabilities() & kUnderrunProtection) != 0;
    device.Eject(false); // close the tray

    PrintValue("Название устройства:", DriveDisplayName(selected));
    const CapabilitySet caps = device.Capabilities();
    for (const GridRow &row : kGrid)
        std::printf("Чтение %s: %s\n", row.readLabel, YesNo(caps & row.readBit));
    for (const GridRow &row : kGrid)
        std::printf("Запись %s: %s\n", row.writeLabel, YesNo(caps & row.writeBit));
    PrintValue("Защита от пустого буфера:", YesNo(caps & kUnderrunProtection));

    aspi::SetCloseAfterCommand(true);
    device.TestUnitReady(5000);
    const DiscValues disc = QueryDisc(device);
    PrintValue("Носитель:", disc.medium);
    PrintValue("Скорость:", disc.speed);
    PrintValue("Статус:", disc.status);
    PrintValue("Размер:", disc.size);
    PrintValue("Занято:", disc.used);
    PrintValue("Свободно:", disc.free);
    PrintValue("Сессий:", disc.sessions);

    VolumeIdentifiers ids;
    if (disc.medium != kUnknownValue) {
        std::vector<uint8_t> sector(kSectorBytes);
        if (device.Read10(kFirstDescriptorLba, 1, sector))
            ids = PrimaryVolumeIdentifiers(sector).value_or(VolumeIdentifiers{});
    }
    PrintValue("Метка диска:", ids.volume);
    PrintValue("Составитель:", ids.preparer);
    PrintValue("Издатель:", ids.publisher);
    PrintValue("Copyright:", ids.copyright);
    PrintValue("Время записи:", ids.created);
    PrintValue("Программа:", ids.application);
    return 0;
}

const CliCommandRegistrar registrar(
    {.name = "info",
     .summary = "show the drive's abilities and the disc in it",
     .description =
         "Closes the tray and prints what the wizard's information page shows, one \"label: value\" line "
         "each (the labels are the page's, in Russian): the drive's display name; which media it reads and "
         "writes, test writes and buffer-underrun protection (yes or no); the medium, its highest write speed, "
         "whether it is open or closed, its size, used and free space in megabytes and its number of sessions; "
         "and the volume label, preparer, publisher, copyright, recording time and application of its ISO "
         "volume. Values that cannot be read are shown as \"???\".",
     .options = {driveOption()},
     .exits = driveCommandExits()},
    RunInfo);

} // namespace
} // namespace zelvane::cli
