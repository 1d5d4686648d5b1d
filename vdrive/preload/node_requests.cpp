#include "preload/node_requests.h"

#include "core/drive.h"
#include "core/state_store.h"
#include "preload/device_node.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <scsi/scsi.h>
#include <scsi/scsi_ioctl.h>
#include <scsi/sg.h>
#include <span>
#include <string>
#include <sys/uio.h>
#include <thread>
#include <vector>

namespace zelvane::vdrive::preload {

namespace {

constexpr uint32_t kBlock = 2048;
constexpr uint32_t kWriteChunkBlocks = 32;
constexpr int kSgVersion = 30527;
constexpr unsigned kDefaultTimeoutMs = 60000;
constexpr uint8_t kDriverSense = 0x08;
constexpr uint8_t kDriverTimeout = 0x06;
constexpr uint8_t kHostTimeout = 0x03;
// The capabilities the Linux CD-ROM driver reports for an MMC writer.
constexpr int kDriveCapabilities = CDC_CLOSE_TRAY | CDC_OPEN_TRAY | CDC_LOCK | CDC_SELECT_SPEED | CDC_MULTI_SESSION |
                                   CDC_MCN | CDC_MEDIA_CHANGED | CDC_PLAY_AUDIO | CDC_DRIVE_STATUS |
                                   CDC_GENERIC_PACKET | CDC_CD_R | CDC_CD_RW | CDC_DVD | CDC_DVD_R | CDC_DVD_RAM |
                                   CDC_RAM;

CommandResult execute(std::span<const uint8_t> cdb, std::span<uint8_t> data)
{
    return Drive(StateStore::defaultFolder()).execute(cdb, data);
}

std::string describe(std::span<const uint8_t> cdb, const CommandResult &result)
{
    std::string text;
    char hex[4];
    for (uint8_t byte : cdb) {
        std::snprintf(hex, sizeof hex, "%02x ", byte);
        text += hex;
    }
    char outcome[64];
    switch (result.completion) {
    case Completion::Good:
        std::snprintf(outcome, sizeof outcome, "-> good, %zu bytes", result.transferred);
        break;
    case Completion::CheckCondition:
        std::snprintf(outcome, sizeof outcome, "-> check condition %X/%02X/%02X", result.sense.key, result.sense.asc,
                      result.sense.ascq);
        break;
    case Completion::Busy:
        std::snprintf(outcome, sizeof outcome, "-> busy");
        break;
    case Completion::Hang:
        std::snprintf(outcome, sizeof outcome, "-> no answer (time-out)");
        break;
    }
    return text + outcome;
}

// A command without data; a pending unit attention is taken as the kernel's
// driver takes it, by asking again.
CommandResult simpleCommand(std::initializer_list<uint8_t> bytes, std::span<uint8_t> data = {})
{
    const std::vector<uint8_t> cdb(bytes);
    CommandResult result;
    for (int attempt = 0; attempt < 3; ++attempt) {
        result = execute(cdb, data);
        if (result.completion != Completion::CheckCondition || result.sense.key != 0x06)
            break;
    }
    return result;
}

int driveStatus()
{
    const CommandResult ready = simpleCommand({0x00, 0, 0, 0, 0, 0});
    if (ready.completion == Completion::Good)
        return CDS_DISC_OK;
    if (ready.completion == Completion::CheckCondition && ready.sense.asc == 0x3A)
        return ready.sense.ascq == 0x02 ? CDS_TRAY_OPEN : CDS_NO_DISC;
    return CDS_DRIVE_NOT_READY;
}

bool randomWritable()
{
    std::vector<uint8_t> answer(16, 0);
    const CommandResult result = simpleCommand({0x46, 0x02, 0x00, 0x20, 0, 0, 0, 0, 16, 0}, answer);
    return result.completion == Completion::Good && answer[8] == 0x00 && answer[9] == 0x20 && (answer[10] & 0x01);
}

uint64_t capacityBytes()
{
    std::vector<uint8_t> answer(8, 0);
    const CommandResult result = simpleCommand({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, answer);
    if (result.completion != Completion::Good)
        return 0;
    const uint64_t last = uint64_t{answer[0]} << 24 | uint64_t{answer[1]} << 16 | uint64_t{answer[2]} << 8 | answer[3];
    return (last + 1) * kBlock;
}

template <typename T> int put(void *argument, T value)
{
    if (!argument) {
        errno = EFAULT;
        return -1;
    }
    std::memcpy(argument, &value, sizeof value);
    return 0;
}

int sgIo(sg_io_hdr_t &header)
{
    if (header.interface_id != 'S') {
        errno = ENOSYS;
        return -1;
    }
    if (!header.cmdp || header.cmd_len < 6 || header.cmd_len > 16) {
        errno = EINVAL;
        return -1;
    }
    const bool dataIn = header.dxfer_direction == SG_DXFER_FROM_DEV || header.dxfer_direction == SG_DXFER_TO_FROM_DEV;
    const bool hasData = header.dxfer_direction != SG_DXFER_NONE && header.dxfer_len > 0;
    // Scattered buffers are gathered into one and spread again afterwards.
    std::vector<uint8_t> gathered;
    std::span<uint8_t> data;
    const auto *vectors = static_cast<const iovec *>(header.dxferp);
    if (hasData && header.iovec_count > 0) {
        for (unsigned i = 0; i < header.iovec_count; ++i) {
            const auto *base = static_cast<const uint8_t *>(vectors[i].iov_base);
            gathered.insert(gathered.end(), base, base + vectors[i].iov_len);
        }
        gathered.resize(header.dxfer_len, 0);
        data = gathered;
    } else if (hasData) {
        data = std::span<uint8_t>(static_cast<uint8_t *>(header.dxferp), header.dxfer_len);
    }
    const std::span<const uint8_t> cdb(header.cmdp, header.cmd_len);
    const auto started = std::chrono::steady_clock::now();
    const CommandResult result = execute(cdb, data);
    if (result.completion == Completion::Hang)
        std::this_thread::sleep_for(std::chrono::milliseconds(header.timeout ? header.timeout : kDefaultTimeoutMs));
    trace("SG_IO %s", describe(cdb, result).c_str());
    if (!gathered.empty() && dataIn) {
        size_t offset = 0;
        for (unsigned i = 0; i < header.iovec_count && offset < gathered.size(); ++i) {
            const size_t n = std::min(vectors[i].iov_len, gathered.size() - offset);
            std::memcpy(vectors[i].iov_base, gathered.data() + offset, n);
            offset += n;
        }
    }
    header.status = header.masked_status = header.msg_status = 0;
    header.host_status = header.driver_status = 0;
    header.sb_len_wr = 0;
    header.info = SG_INFO_OK;
    header.resid = static_cast<int>(header.dxfer_len - std::min<size_t>(result.transferred, header.dxfer_len));
    switch (result.completion) {
    case Completion::Good:
        break;
    case Completion::CheckCondition: {
        header.status = 0x02;
        header.masked_status = CHECK_CONDITION;
        header.driver_status = kDriverSense;
        const auto sense = result.sense.fixedFormat();
        const size_t length = header.sbp ? std::min<size_t>(header.mx_sb_len, sense.size()) : 0;
        if (length)
            std::memcpy(header.sbp, sense.data(), length);
        header.sb_len_wr = static_cast<unsigned char>(length);
        header.info = SG_INFO_CHECK;
        break;
    }
    case Completion::Busy:
        header.status = 0x08;
        header.masked_status = BUSY;
        header.info = SG_INFO_CHECK;
        break;
    case Completion::Hang:
        header.host_status = kHostTimeout;
        header.driver_status = kDriverTimeout;
        header.info = SG_INFO_CHECK;
        break;
    }
    header.duration = static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
    return 0;
}

int sendPacket(cdrom_generic_command &command)
{
    // The CDB length follows from the operation code's group, at most 12.
    static constexpr uint8_t kGroupLength[8] = {6, 10, 10, 12, 12, 12, 10, 10};
    const std::span<const uint8_t> cdb(command.cmd, kGroupLength[command.cmd[0] >> 5]);
    std::span<uint8_t> data;
    if (command.data_direction != CGC_DATA_NONE && command.buffer && command.buflen)
        data = std::span<uint8_t>(command.buffer, command.buflen);
    const CommandResult result = execute(cdb, data);
    trace("CDROM_SEND_PACKET %s", describe(cdb, result).c_str());
    command.stat = 0;
    switch (result.completion) {
    case Completion::Good:
        return 0;
    case Completion::CheckCondition:
        command.stat = 0x02;
        if (command.sense) {
            const auto sense = result.sense.fixedFormat();
            std::memset(command.sense, 0, sizeof *command.sense);
            std::memcpy(command.sense, sense.data(), std::min(sizeof *command.sense, sense.size()));
        }
        break;
    case Completion::Busy:
        command.stat = 0x08;
        break;
    case Completion::Hang:
        std::this_thread::sleep_for(std::chrono::milliseconds(command.timeout > 0 ? command.timeout : kDefaultTimeoutMs));
        break;
    }
    errno = EIO;
    return -1;
}

int startStop(uint8_t loadEject)
{
    const CommandResult result = simpleCommand({0x1B, 0, 0, 0, loadEject, 0});
    if (result.completion == Completion::Good)
        return 0;
    errno = result.sense.asc == 0x53 ? EBUSY : EIO;
    return -1;
}

} // namespace

int openError(int flags)
{
    if (flags & O_NONBLOCK)
        return 0;
    if (driveStatus() != CDS_DISC_OK)
        return ENOMEDIUM;
    // The driver opens a disc for writing only when it takes writes anywhere.
    if ((flags & O_ACCMODE) != O_RDONLY && !randomWritable())
        return EROFS;
    return 0;
}

int nodeIoctl(int fd, unsigned long request, void *argument)
{
    NodeSettings settings = nodeSettings(fd);
    switch (request) {
    case SG_IO:
        if (!argument) {
            errno = EFAULT;
            return -1;
        }
        return sgIo(*static_cast<sg_io_hdr_t *>(argument));
    case CDROM_SEND_PACKET:
        if (!argument) {
            errno = EFAULT;
            return -1;
        }
        return sendPacket(*static_cast<cdrom_generic_command *>(argument));
    case SG_GET_VERSION_NUM:
        return put(argument, kSgVersion);
    case SG_GET_TIMEOUT:
        return settings.timeoutJiffies;
    case SG_SET_TIMEOUT:
    case SG_SET_RESERVED_SIZE: {
        int value = 0;
        if (!argument) {
            errno = EFAULT;
            return -1;
        }
        std::memcpy(&value, argument, sizeof value);
        if (value < 0) {
            errno = request == SG_SET_TIMEOUT ? EIO : EINVAL;
            return -1;
        }
        if (request == SG_SET_TIMEOUT)
            settings.timeoutJiffies = value;
        else
            settings.reservedSize = std::min(value, 1 << 20);
        setNodeSettings(fd, settings);
        return 0;
    }
    case SG_GET_RESERVED_SIZE:
        return put(argument, settings.reservedSize);
    case SG_EMULATED_HOST:
        return put(argument, 0);
    case SCSI_IOCTL_GET_IDLUN: {
        // Host 0, channel 0, target N of /dev/srN, LUN 0.
        const int id[2] = {static_cast<int>(deviceMinor() & 0xFF), 0};
        if (!argument) {
            errno = EFAULT;
            return -1;
        }
        std::memcpy(argument, id, sizeof id);
        return 0;
    }
    case SCSI_IOCTL_GET_BUS_NUMBER:
        return put(argument, 0);
    case CDROM_DRIVE_STATUS:
        return driveStatus();
    case CDROM_MEDIA_CHANGED:
        return 0;
    case CDROM_GET_CAPABILITY:
        return kDriveCapabilities;
    case CDROM_LOCKDOOR: {
        const bool lock = reinterpret_cast<uintptr_t>(argument) != 0;
        if (simpleCommand({0x1E, 0, 0, 0, static_cast<uint8_t>(lock ? 1 : 0), 0}).completion == Completion::Good)
            return 0;
        errno = EIO;
        return -1;
    }
    case CDROMEJECT:
        return startStop(0x02);
    case CDROMCLOSETRAY:
        return startStop(0x03);
    case CDROM_SET_OPTIONS:
    case CDROM_CLEAR_OPTIONS:
        return 0;
    case CDROM_SELECT_SPEED:
        return 0;
    case BLKGETSIZE64:
        return put(argument, capacityBytes());
    case BLKGETSIZE:
        return put(argument, static_cast<unsigned long>(capacityBytes() / 512));
    case BLKSSZGET:
    case BLKBSZGET:
        return put(argument, static_cast<int>(kBlock));
    case BLKROGET:
        return put(argument, 0);
    case BLKSECTGET:
        return put(argument, static_cast<unsigned short>(128));
    case BLKFLSBUF:
        return 0;
    default:
        trace("ioctl %#lx: not a request of a CD/DVD writer", request);
        errno = ENOTTY;
        return -1;
    }
}

ssize_t nodeWrite(const void *buffer, size_t count, off_t offset)
{
    if (offset < 0 || offset % kBlock != 0 || count % kBlock != 0) {
        errno = EINVAL;
        return -1;
    }
    const auto *bytes = static_cast<const uint8_t *>(buffer);
    size_t done = 0;
    while (done < count) {
        const uint64_t lba = (static_cast<uint64_t>(offset) + done) / kBlock;
        const uint32_t blocks = static_cast<uint32_t>(std::min<size_t>((count - done) / kBlock, kWriteChunkBlocks));
        const uint8_t cdb[10] = {0x2A, 0, static_cast<uint8_t>(lba >> 24), static_cast<uint8_t>(lba >> 16),
                                 static_cast<uint8_t>(lba >> 8), static_cast<uint8_t>(lba), 0,
                                 static_cast<uint8_t>(blocks >> 8), static_cast<uint8_t>(blocks), 0};
        std::vector<uint8_t> chunk(bytes + done, bytes + done + size_t{blocks} * kBlock);
        const CommandResult result = execute(cdb, chunk);
        if (result.completion != Completion::Good) {
            trace("write %s", describe(cdb, result).c_str());
            if (done > 0)
                return static_cast<ssize_t>(done);
            errno = EIO;
            return -1;
        }
        done += size_t{blocks} * kBlock;
    }
    return static_cast<ssize_t>(done);
}

} // namespace zelvane::vdrive::preload
