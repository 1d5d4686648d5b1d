// SG_IO requests on Linux CD/DVD block devices.
#include "sxSPTI/SgIo.h"

#include "sxSPTI/SptiProvider.h"

#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zelvane::spti {
namespace {

// driver_status carries DRIVER_SENSE (08h) whenever sense data came back;
// only the low bits tell a driver error.
constexpr uint16_t kDriverSenseFlag = 0x08;

} // namespace

bool SgIoOutcome::Succeeded() const
{
    return ioctlOk && scsiStatus == 0 && hostStatus == 0 &&
           (driverStatus & ~kDriverSenseFlag) == 0;
}

int OpenDrive(const std::string &path)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return fd;
}

void CloseDrive(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

SgIoOutcome RunSgIo(int fd, std::span<const uint8_t> cdb, TransferDirection direction,
                    void *data, uint32_t dataLength, unsigned timeoutSeconds)
{
    SgIoOutcome outcome;
    if (fd < 0 || cdb.empty() || cdb.size() > 16)
        return outcome;

    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.cmd_len = static_cast<unsigned char>(cdb.size());
    header.cmdp = const_cast<unsigned char *>(cdb.data());
    header.mx_sb_len = sizeof(outcome.senseBytes);
    header.sbp = outcome.senseBytes;
    header.timeout = timeoutSeconds * 1000;
    switch (direction) {
    case TransferDirection::In: header.dxfer_direction = SG_DXFER_FROM_DEV; break;
    case TransferDirection::Out: header.dxfer_direction = SG_DXFER_TO_DEV; break;
    case TransferDirection::None: header.dxfer_direction = SG_DXFER_NONE; break;
    }
    if (direction != TransferDirection::None && data != nullptr) {
        header.dxfer_len = dataLength;
        header.dxferp = data;
    }

    outcome.ioctlOk = ::ioctl(fd, SG_IO, &header) == 0;
    if (outcome.ioctlOk) {
        outcome.scsiStatus = header.status;
        outcome.hostStatus = header.host_status;
        outcome.driverStatus = header.driver_status;
        outcome.senseWritten = header.sb_len_wr;
    }
    return outcome;
}

std::optional<LinuxScsiAddress> QueryIdLun(int fd)
{
    struct {
        int devId;
        int hostUniqueId;
    } idLun{};
    if (fd < 0 || ::ioctl(fd, SCSI_IOCTL_GET_IDLUN, &idLun) != 0)
        return std::nullopt;
    LinuxScsiAddress address;
    address.id = idLun.devId & 0xFF;
    address.lun = (idLun.devId >> 8) & 0xFF;
    address.channel = (idLun.devId >> 16) & 0xFF;
    address.host = (idLun.devId >> 24) & 0xFF;
    return address;
}

} // namespace zelvane::spti
