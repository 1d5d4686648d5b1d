// Low-level SG_IO access to one block device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zelvane::spti {

struct LinuxScsiAddress;

enum class TransferDirection { None, In, Out };

struct SgIoOutcome {
    bool ioctlOk = false;
    uint8_t scsiStatus = 0;
    uint16_t hostStatus = 0;
    uint16_t driverStatus = 0;
    uint8_t senseBytes[32] = {};
    uint8_t senseWritten = 0;

    // The command reached the drive and completed without any error.
    bool Succeeded() const;
};

// Opens a drive read-write, else read-only; both non-blocking so that a
// drive without a disc opens. Returns -1 when neither works.
int OpenDrive(const std::string &path);
void CloseDrive(int &fd);

// Sends one CDB and waits for it (timeoutSeconds in the kernel).
SgIoOutcome RunSgIo(int fd, std::span<const uint8_t> cdb, TransferDirection direction,
                    void *data, uint32_t dataLength, unsigned timeoutSeconds);

// SCSI address of an open drive from SCSI_IOCTL_GET_IDLUN.
std::optional<LinuxScsiAddress> QueryIdLun(int fd);

} // namespace zelvane::spti
