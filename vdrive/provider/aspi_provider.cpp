// The provider library libwnaspi32.so: the request interface's C entry
// points in front of the virtual drive. One host adapter with one CD/DVD
// writer at target 0, LUN 0. Every command completes before the call returns,
// except a command made to hang, which stays pending for ever.
#include "aspi_abi.h"

#include "core/drive.h"
#include "core/state_store.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <type_traits>

namespace {

using zelvane::vdrive::Completion;
using zelvane::vdrive::Drive;
using zelvane::vdrive::StateStore;

constexpr uint8_t kDeviceTypeCdDvd = 0x05;

void putText(char *field, size_t width, const char *text)
{
    std::memset(field, ' ', width);
    std::memcpy(field, text, std::min(width, std::strlen(text)));
}

bool isOurDevice(uint8_t adapter, uint8_t target, uint8_t lun) { return adapter == 0 && target == 0 && lun == 0; }

uint8_t hostAdapterInquiry(ZvSrbHaInquiry &srb)
{
    if (srb.adapter != 0)
        return ZV_SS_INVALID_HA;
    srb.adapter_count = 1;
    srb.host_id = 7;
    putText(srb.manager_id, sizeof srb.manager_id, "ZELVANE VDRIVE");
    putText(srb.adapter_id, sizeof srb.adapter_id, "VIRTUAL MMC");
    std::memset(srb.unique, 0, sizeof srb.unique);
    srb.unique[3] = 8; // targets
    const uint32_t maxTransfer = 0x10000;
    srb.unique[4] = static_cast<uint8_t>(maxTransfer);
    srb.unique[5] = static_cast<uint8_t>(maxTransfer >> 8);
    srb.unique[6] = static_cast<uint8_t>(maxTransfer >> 16);
    srb.unique[7] = static_cast<uint8_t>(maxTransfer >> 24);
    return ZV_SS_COMP;
}

uint8_t executeScsi(ZvSrbExec &srb)
{
    if (srb.adapter != 0)
        return ZV_SS_INVALID_HA;
    if (!isOurDevice(srb.adapter, srb.target, srb.lun)) {
        srb.ha_status = ZV_HASTAT_SEL_TO;
        return ZV_SS_NO_DEVICE;
    }
    if (srb.cdb_length == 0 || srb.cdb_length > ZV_CDB_MAX || (srb.data_length && !srb.data))
        return ZV_SS_INVALID_SRB;
    const Drive drive(StateStore::defaultFolder());
    std::span<uint8_t> data(static_cast<uint8_t *>(srb.data), srb.data ? srb.data_length : 0);
    const auto result = drive.execute(std::span<const uint8_t>(srb.cdb, srb.cdb_length), data);
    srb.ha_status = ZV_HASTAT_OK;
    switch (result.completion) {
    case Completion::Good:
        srb.target_status = ZV_STATUS_GOOD;
        return ZV_SS_COMP;
    case Completion::CheckCondition: {
        srb.target_status = ZV_STATUS_CHKCOND;
        const auto sense = result.sense.fixedFormat();
        const size_t room = std::min<size_t>(srb.sense_length, sizeof srb.sense);
        std::memset(srb.sense, 0, sizeof srb.sense);
        std::memcpy(srb.sense, sense.data(), std::min(room, sense.size()));
        return ZV_SS_ERR;
    }
    case Completion::Busy:
        srb.target_status = ZV_STATUS_BUSY;
        return ZV_SS_ERR;
    case Completion::Hang:
        break;
    }
    return ZV_SS_PENDING;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) uint32_t GetASPI32SupportInfo(void)
{
    return uint32_t{ZV_SS_COMP} << 8 | 1u; // one host adapter
}

__attribute__((visibility("default"))) uint32_t SendASPI32Command(void *request)
{
    if (!request)
        return ZV_SS_INVALID_SRB;
    auto *header = static_cast<ZvSrbHeader *>(request);
    uint8_t status = ZV_SS_INVALID_CMD;
    try {
        switch (header->command) {
        case ZV_SC_HA_INQUIRY:
            status = hostAdapterInquiry(*static_cast<ZvSrbHaInquiry *>(request));
            break;
        case ZV_SC_GET_DEV_TYPE: {
            auto &srb = *static_cast<ZvSrbGetDevType *>(request);
            const bool ours = isOurDevice(srb.adapter, srb.target, srb.lun);
            srb.device_type = ours ? kDeviceTypeCdDvd : 0x1F;
            status = srb.adapter != 0 ? ZV_SS_INVALID_HA : ours ? ZV_SS_COMP : ZV_SS_NO_DEVICE;
            break;
        }
        case ZV_SC_EXEC_SCSI_CMD:
            status = executeScsi(*static_cast<ZvSrbExec *>(request));
            if (status == ZV_SS_PENDING)
                return ZV_SS_PENDING; // a hanging command: the block is never touched again
            break;
        case ZV_SC_ABORT_SRB:
            status = ZV_SS_COMP;
            break;
        case ZV_SC_GET_DISK_INFO: {
            auto &srb = *static_cast<ZvSrbDiskInfo *>(request);
            const bool ours = isOurDevice(srb.adapter, srb.target, srb.lun);
            srb.drive_flags = 0;
            srb.drive_number = 0;
            status = ours ? ZV_SS_COMP : ZV_SS_NO_DEVICE;
            break;
        }
        default:
            break;
        }
    } catch (...) {
        status = ZV_SS_ERR;
    }
    header->status = status;
    return status;
}

__attribute__((visibility("default"))) uint32_t GetASPI32DriveName(uint8_t adapter, uint8_t target, uint8_t lun,
                                                                    char *buf, size_t size)
{
    if (!isOurDevice(adapter, target, lun))
        return ZV_SS_NO_DEVICE;
    if (buf && size > 0) {
        const char *name = "vdrive";
        const size_t length = std::min(size - 1, std::strlen(name));
        std::memcpy(buf, name, length);
        buf[length] = '\0';
    }
    return ZV_SS_COMP;
}

} // extern "C"

// The exports must keep the exact shapes the engine loads them as.
static_assert(std::is_same_v<decltype(&GetASPI32SupportInfo), ZvGetSupportInfoFn>);
static_assert(std::is_same_v<decltype(&SendASPI32Command), ZvSendCommandFn>);
static_assert(std::is_same_v<decltype(&GetASPI32DriveName), ZvGetDriveNameFn>);
