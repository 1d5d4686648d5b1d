// The request interface of the built-in provider: support info and the
// requests host adapter inquiry, device type and execute SCSI command.
// Every request completes before SendCommand returns.
#include "sxSPTI/SptiState.h"

#include "sxASPI/aspi_abi.h"
#include "sxSPTI/SgIo.h"

#include <algorithm>
#include <cstring>

namespace zelvane::spti {
namespace {

constexpr char kManagerId[] = "ZELVANE SG_IO   ";  // 16 characters
constexpr uint8_t kHostId = 7;
constexpr uint8_t kMaxTargets = 8;
constexpr uint32_t kMaxTransferLength = 0x00FF0000;
constexpr uint8_t kDeviceTypeCdrom = 5;
constexpr uint8_t kDeviceTypeUnknown = 31;
constexpr uint8_t kUnknownHostAdapterStatus = 0xFF;

// Linux host and driver errors in terms of host adapter statuses.
uint8_t HostAdapterStatusOf(const SgIoOutcome &outcome)
{
    if (!outcome.ioctlOk)
        return kUnknownHostAdapterStatus;
    switch (outcome.hostStatus) {
    case 0x00: break;                        // DID_OK
    case 0x01:                               // DID_NO_CONNECT
    case 0x04: return ZV_HASTAT_SEL_TO;      // DID_BAD_TARGET
    case 0x03: return ZV_HASTAT_TIMEOUT;     // DID_TIME_OUT
    case 0x06: return ZV_HASTAT_PARITY_ERROR;// DID_PARITY
    case 0x08: return ZV_HASTAT_BUS_RESET;   // DID_RESET
    default: return kUnknownHostAdapterStatus;
    }
    const uint16_t driverError = outcome.driverStatus & 0x07;
    if (driverError == 0x06)                 // DRIVER_TIMEOUT
        return ZV_HASTAT_TIMEOUT;
    return driverError == 0 ? uint8_t{ZV_HASTAT_OK} : kUnknownHostAdapterStatus;
}

uint8_t HostAdapterInquiry(ZvSrbHaInquiry &srb)
{
    const uint8_t count = State().adapterCount;
    if (srb.adapter >= count)
        return srb.status = ZV_SS_INVALID_HA;
    srb.adapter_count = count;
    srb.host_id = kHostId;
    std::memcpy(srb.manager_id, kManagerId, sizeof(srb.manager_id));
    std::memset(srb.adapter_id, 0, sizeof(srb.adapter_id));
    const std::string adapterId = "SPTI " + std::to_string(srb.adapter);
    std::memcpy(srb.adapter_id, adapterId.data(), std::min(adapterId.size(), sizeof(srb.adapter_id)));
    std::memset(srb.unique, 0, sizeof(srb.unique));
    srb.unique[0] = 7;  // alignment mask
    srb.unique[3] = kMaxTargets;
    for (int i = 0; i < 4; ++i)
        srb.unique[4 + i] = static_cast<uint8_t>(kMaxTransferLength >> (8 * i));
    return srb.status = ZV_SS_COMP;
}

uint8_t GetDeviceType(ZvSrbGetDevType &srb)
{
    const bool found = FindSlot(srb.adapter, srb.target, srb.lun) != nullptr;
    srb.device_type = found ? kDeviceTypeCdrom : kDeviceTypeUnknown;
    return srb.status = found ? ZV_SS_COMP : ZV_SS_NO_DEVICE;
}

uint8_t ExecuteScsi(ZvSrbExec &srb)
{
    DriveSlot *slot = FindSlot(srb.adapter, srb.target, srb.lun);
    if (!slot)
        return srb.status = ZV_SS_NO_DEVICE;
    if (srb.cdb_length == 0 || srb.cdb_length > ZV_CDB_MAX ||
        (srb.data_length > 0 && srb.data == nullptr))
        return srb.status = ZV_SS_INVALID_SRB;

    // INQUIRY is answered from the data captured at scan time.
    if (srb.cdb[0] == 0x12) {
        if (srb.adapter >= State().adapterCount)
            return srb.status = ZV_SS_INVALID_HA;
        const std::size_t length = std::min<std::size_t>(kInquiryAnswerBytes, srb.data_length);
        if (length > 0)
            std::memcpy(srb.data, slot->inquiry.data(), length);
        return srb.status = ZV_SS_COMP;
    }

    if (slot->fd < 0)
        slot->fd = OpenDrive(slot->path);
    TransferDirection direction = TransferDirection::None;
    if (srb.flags & ZV_SRB_DIR_IN)
        direction = TransferDirection::In;
    else if (srb.flags & ZV_SRB_DIR_OUT)
        direction = TransferDirection::Out;
    const SgIoOutcome outcome =
        RunSgIo(slot->fd, std::span<const uint8_t>(srb.cdb, srb.cdb_length), direction, srb.data,
                srb.data_length, kRequestTimeoutSeconds);

    if (outcome.Succeeded()) {
        srb.status = ZV_SS_COMP;
    } else {
        srb.status = ZV_SS_ERR;
        const std::size_t senseLength =
            std::min<std::size_t>({srb.sense_length, sizeof(srb.sense), sizeof(outcome.senseBytes)});
        std::memcpy(srb.sense, outcome.senseBytes, senseLength);
        srb.target_status = outcome.scsiStatus;
        srb.ha_status = HostAdapterStatusOf(outcome);
    }
    if (State().closeAfterCommand)
        CloseDrive(slot->fd);
    return srb.status;
}

} // namespace

uint32_t GetSupportInfo()
{
    const uint8_t count = State().adapterCount;
    if (count == 0)
        return static_cast<uint32_t>(ZV_SS_NO_ADAPTERS) << 8;
    return (static_cast<uint32_t>(ZV_SS_COMP) << 8) | count;
}

uint32_t SendCommand(void *srb)
{
    if (srb == nullptr)
        return ZV_SS_ERR;
    auto *header = static_cast<ZvSrbHeader *>(srb);
    switch (header->command) {
    case ZV_SC_HA_INQUIRY: return HostAdapterInquiry(*static_cast<ZvSrbHaInquiry *>(srb));
    case ZV_SC_GET_DEV_TYPE: return GetDeviceType(*static_cast<ZvSrbGetDevType *>(srb));
    case ZV_SC_EXEC_SCSI_CMD: return ExecuteScsi(*static_cast<ZvSrbExec *>(srb));
    case ZV_SC_GET_DISK_INFO:
        // Drive names come from the table; this request has no answer here.
        return header->status = ZV_SS_PENDING;
    default: return header->status = ZV_SS_ERR;
    }
}

void SetCloseAfterCommand(bool on)
{
    State().closeAfterCommand = on;
}

} // namespace zelvane::spti
