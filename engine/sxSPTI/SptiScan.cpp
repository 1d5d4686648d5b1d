// The drive scan of the built-in provider: which /dev/srN nodes are CD/DVD
// drives, their cached INQUIRY data and their compact SCSI addresses.
#include "sxSPTI/SptiState.h"

#include "sxSPTI/SgIo.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>
#include <utility>

namespace zelvane::spti {
namespace {

constexpr unsigned kScsiCdromMajor = 11;
constexpr uint8_t kScanInquiryLength = 96;

// Parses "host:channel:id:lun".
std::optional<LinuxScsiAddress> ParseHctl(const std::string &text)
{
    int fields[4];
    const char *cursor = text.data();
    const char *end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        const auto [next, error] = std::from_chars(cursor, end, fields[i]);
        if (error != std::errc() || fields[i] < 0)
            return std::nullopt;
        cursor = next;
        if (i < 3) {
            if (cursor == end || *cursor != ':')
                return std::nullopt;
            ++cursor;
        }
    }
    if (cursor != end)
        return std::nullopt;
    return LinuxScsiAddress{fields[0], fields[1], fields[2], fields[3]};
}

// Sends INQUIRY to a drive and keeps its answer and address in the slot.
void ProbeSlot(DriveSlot &slot, const std::string &blockName)
{
    int fd = OpenDrive(slot.path);
    if (fd < 0)
        return;
    const uint8_t cdb[6] = {0x12, 0, 0, 0, kScanInquiryLength, 0};
    uint8_t answer[kScanInquiryLength] = {};
    const SgIoOutcome outcome =
        RunSgIo(fd, cdb, TransferDirection::In, answer, sizeof(answer), kRequestTimeoutSeconds);
    if (outcome.Succeeded()) {
        std::memcpy(slot.inquiry.data(), answer, slot.inquiry.size());
        slot.linuxAddress = QueryIdLun(fd);
        if (!slot.linuxAddress)
            slot.linuxAddress = ReadSysfsAddress(State().sysfsRoot, blockName);
        slot.present = true;
    }
    CloseDrive(fd);
}

} // namespace

SptiState &State()
{
    static SptiState state;
    return state;
}

DriveSlot *FindSlot(uint8_t adapter, uint8_t target, uint8_t lun)
{
    for (DriveSlot &slot : State().table) {
        if (slot.present && slot.adapter == adapter && slot.target == target && slot.lun == lun)
            return &slot;
    }
    return nullptr;
}

void SetRoots(const std::string &deviceRoot, const std::string &sysfsRoot)
{
    Release();
    State().deviceRoot = deviceRoot;
    State().sysfsRoot = sysfsRoot;
}

bool IsCdromNode(const std::string &path)
{
    struct stat info{};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    return S_ISBLK(info.st_mode) && major(info.st_rdev) == kScsiCdromMajor;
}

std::optional<LinuxScsiAddress> ReadSysfsAddress(const std::string &sysfsRoot,
                                                 const std::string &blockName)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path link = fs::path(sysfsRoot) / "class" / "block" / blockName / "device";
    fs::path target = fs::read_symlink(link, error);
    if (error) {
        target = fs::canonical(link, error);
        if (error)
            return std::nullopt;
    }
    return ParseHctl(target.filename().string());
}

uint8_t AssignCompactAddresses(DriveTable &table)
{
    // Hosts in ascending order, and per host its (channel, id) pairs.
    std::map<int, std::set<std::pair<int, int>>> hosts;
    for (const DriveSlot &slot : table) {
        if (slot.present && slot.linuxAddress)
            hosts[slot.linuxAddress->host].insert({slot.linuxAddress->channel, slot.linuxAddress->id});
    }

    uint8_t withoutAddress = 0;
    bool anyWithoutAddress = false;
    for (DriveSlot &slot : table) {
        if (!slot.present)
            continue;
        if (slot.linuxAddress) {
            const auto host = hosts.find(slot.linuxAddress->host);
            const auto &pairs = host->second;
            const auto pair = pairs.find({slot.linuxAddress->channel, slot.linuxAddress->id});
            slot.adapter = static_cast<uint8_t>(std::distance(hosts.begin(), host));
            slot.target = static_cast<uint8_t>(std::distance(pairs.begin(), pair));
            slot.lun = static_cast<uint8_t>(std::min(slot.linuxAddress->lun, 255));
        } else {
            slot.adapter = 0;
            slot.target = withoutAddress++;
            slot.lun = kNoAddressLun;
            anyWithoutAddress = true;
        }
    }

    auto countAdapters = [&table] {
        int highest = -1;
        for (const DriveSlot &slot : table) {
            if (slot.present)
                highest = std::max<int>(highest, slot.adapter);
        }
        return static_cast<uint8_t>(highest + 1);
    };
    uint8_t count = countAdapters();
    if (anyWithoutAddress) {
        // Drives without an address share one extra adapter after the real ones.
        for (DriveSlot &slot : table) {
            if (slot.present && !slot.linuxAddress) {
                slot.lun = 0;
                slot.adapter = count;
            }
        }
        count = countAdapters();
    }
    return count;
}

int Scan()
{
    SptiState &state = State();
    if (state.scanned)
        return 0;
    state.table = DriveTable{};
    state.adapterCount = 0;
    state.scanned = true;

    int found = 0;
    for (int index = 0; index < kSlotCount; ++index) {
        DriveSlot &slot = state.table[index];
        const std::string blockName = "sr" + std::to_string(index);
        slot.path = state.deviceRoot + "/" + blockName;
        slot.letter = static_cast<uint8_t>(kFirstLetterIndex + index);
        if (!IsCdromNode(slot.path)) {
            slot.target = kNotADriveTarget;
            continue;
        }
        ProbeSlot(slot, blockName);
        if (slot.present)
            ++found;
    }
    state.adapterCount = AssignCompactAddresses(state.table);
    return found;
}

void Release()
{
    SptiState &state = State();
    for (DriveSlot &slot : state.table)
        CloseDrive(slot.fd);
    state.table = DriveTable{};
    state.adapterCount = 0;
    state.scanned = false;
}

std::string DrivePath(uint8_t adapter, uint8_t target, uint8_t lun)
{
    const DriveSlot *slot = FindSlot(adapter, target, lun);
    return slot ? slot->path : std::string();
}

uint8_t AdapterCount()
{
    return State().adapterCount;
}

} // namespace zelvane::spti
