// Runs inside the QEMU test guest: talks to QEMU's emulated CD/DVD drive with
// raw SG_IO (a stand-in until the engine's device layer is in place).
//   zelvane_qemu_drive_check --kind ide|scsi --volume VOLUME_ID
#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int failures = 0;
int total = 0;

void expect(const char *name, bool ok)
{
    ++total;
    failures += ok ? 0 : 1;
    std::printf("ZV-CHECK %s %s\n", ok ? "PASS" : "FAIL", name);
}

struct Outcome {
    bool ioctlOk;
    uint8_t status;
    uint8_t sense[32];
};

Outcome command(int fd, const uint8_t *cdb, uint8_t cdbLength, std::vector<uint8_t> &data, int direction)
{
    Outcome outcome{};
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.cmdp = const_cast<uint8_t *>(cdb);
    io.cmd_len = cdbLength;
    io.dxferp = data.data();
    io.dxfer_len = static_cast<unsigned>(data.size());
    io.dxfer_direction = direction;
    io.sbp = outcome.sense;
    io.mx_sb_len = sizeof outcome.sense;
    io.timeout = 30000;
    outcome.ioctlOk = ioctl(fd, SG_IO, &io) == 0;
    outcome.status = io.status;
    return outcome;
}

} // namespace

int main(int argc, char **argv)
{
    std::string kind = argc > 2 ? argv[2] : "";
    std::string volume = argc > 4 ? argv[4] : "";
    const int fd = open("/dev/sr0", O_RDWR | O_NONBLOCK);
    expect("open /dev/sr0", fd >= 0);
    if (fd < 0)
        return 1;
    std::vector<uint8_t> inquiry(96);
    const uint8_t inquiryCdb[6] = {0x12, 0, 0, 0, 96, 0};
    const Outcome asked = command(fd, inquiryCdb, 6, inquiry, SG_DXFER_FROM_DEV);
    const std::string product(inquiry.begin() + 16, inquiry.begin() + 32);
    expect("INQUIRY", asked.ioctlOk && asked.status == 0 && inquiry[0] == 5);
    expect("product", product.rfind(kind == "ide" ? "QEMU DVD-ROM" : "QEMU CD-ROM", 0) == 0);

    std::vector<uint8_t> sector(2048);
    const uint8_t readCdb[10] = {0x28, 0, 0, 0, 0, 16, 0, 0, 1, 0};
    const Outcome read = command(fd, readCdb, 10, sector, SG_DXFER_FROM_DEV);
    expect("READ (10)", read.ioctlOk && read.status == 0);
    expect("CD001", std::memcmp(sector.data() + 1, "CD001", 5) == 0);
    expect("volume identifier", std::string(sector.begin() + 40, sector.begin() + 40 + volume.size()) == volume);

    const uint8_t writeCdb[10] = {0x2A, 0, 0, 0, 0, 16, 0, 0, 1, 0};
    const Outcome write = command(fd, writeCdb, 10, sector, SG_DXFER_TO_DEV);
    const uint8_t key = kind == "ide" ? 5 : 7;
    const uint8_t asc = kind == "ide" ? 0x20 : 0x27;
    expect("WRITE (10) refused", write.ioctlOk && write.status == 2);
    expect("WRITE (10) sense", (write.sense[2] & 0x0F) == key && write.sense[12] == asc && write.sense[13] == 0);
    close(fd);
    if (failures == 0)
        std::printf("ZV-RESULT PASSED %d checks\n", total);
    else
        std::printf("ZV-RESULT FAILED %d of %d checks\n", failures, total);
    return failures == 0 ? 0 : 1;
}
