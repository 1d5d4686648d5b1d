#include "provider_harness.h"

#include "core/clock.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>

namespace zelvane::vdrive::test {

uint32_t Reply::be32(size_t at) const
{
    if (at + 4 > data.size())
        return 0xDEADBEEF;
    return uint32_t{data[at]} << 24 | uint32_t{data[at + 1]} << 16 | uint32_t{data[at + 2]} << 8 | data[at + 3];
}

uint16_t Reply::be16(size_t at) const
{
    if (at + 2 > data.size())
        return 0xDEAD;
    return static_cast<uint16_t>(data[at] << 8 | data[at + 1]);
}

const Provider &Provider::get()
{
    static const Provider provider = [] {
        void *library = dlopen(VDRIVE_PROVIDER_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
        Provider p;
        p.supportInfo = reinterpret_cast<ZvGetSupportInfoFn>(dlsym(library, ZV_ENTRY_SUPPORT_INFO));
        p.send = reinterpret_cast<ZvSendCommandFn>(dlsym(library, ZV_ENTRY_SEND_COMMAND));
        p.driveName = reinterpret_cast<ZvGetDriveNameFn>(dlsym(library, ZV_ENTRY_DRIVE_NAME));
        return p;
    }();
    return provider;
}

void VirtualDriveTest::SetUp()
{
    char pattern[] = "/tmp/zelvane-vdrive-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    setenv("ZELVANE_VDRIVE_DIR", pattern, 1);
}

void VirtualDriveTest::TearDown()
{
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

Reply VirtualDriveTest::exec(const std::vector<uint8_t> &cdb, std::vector<uint8_t> &buffer, uint8_t flags,
                             uint8_t senseLength)
{
    ZvSrbExec srb{};
    srb.command = ZV_SC_EXEC_SCSI_CMD;
    srb.flags = flags;
    srb.data_length = static_cast<uint32_t>(buffer.size());
    srb.data = buffer.empty() ? nullptr : buffer.data();
    srb.sense_length = senseLength;
    srb.cdb_length = static_cast<uint8_t>(cdb.size());
    std::memcpy(srb.cdb, cdb.data(), cdb.size());
    Reply reply;
    reply.status = static_cast<uint8_t>(Provider::get().send(&srb));
    EXPECT_EQ(reply.status, srb.status);
    reply.targetStatus = srb.target_status;
    reply.sense.assign(srb.sense, srb.sense + sizeof srb.sense);
    reply.data = buffer;
    return reply;
}

Reply VirtualDriveTest::in(std::initializer_list<uint8_t> cdb, size_t length, uint8_t senseLength)
{
    std::vector<uint8_t> buffer(length, 0);
    return exec(cdb, buffer, ZV_SRB_DIR_IN | ZV_SRB_EVENT_NOTIFY, senseLength);
}

Reply VirtualDriveTest::out(std::initializer_list<uint8_t> cdb, std::vector<uint8_t> data)
{
    return exec(cdb, data, ZV_SRB_DIR_OUT | ZV_SRB_EVENT_NOTIFY, ZV_SENSE_LEN);
}

void VirtualDriveTest::insert(MediaKind kind, uint32_t capacity)
{
    const StateStore store(folder_);
    const auto lock = store.lock();
    DriveState s = store.load();
    store.clearImage();
    s.insert(Disc::blank(kind, capacity), nowMs());
    // The host has taken the report of the new medium.
    s.unitAttention = false;
    store.save(s);
}

DriveState VirtualDriveTest::state() const
{
    const StateStore store(folder_);
    const auto lock = store.lock();
    return store.load();
}

int VirtualDriveTest::tool(const std::string &arguments, std::string *output) const
{
    const std::string command = std::string(VDRIVE_TOOL_PATH) + " " + arguments + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 512> chunk;
    std::string text;
    size_t n;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        text.append(chunk.data(), n);
    const int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Reply VirtualDriveTest::write(uint32_t lba, uint32_t count, uint8_t fill)
{
    std::vector<uint8_t> data(size_t{count} * 2048, fill);
    return out({0x2A, 0, uint8_t(lba >> 24), uint8_t(lba >> 16), uint8_t(lba >> 8), uint8_t(lba), 0,
                uint8_t(count >> 8), uint8_t(count), 0},
               data);
}

Reply VirtualDriveTest::read(uint32_t lba, uint32_t count)
{
    return in({0x28, 0, uint8_t(lba >> 24), uint8_t(lba >> 16), uint8_t(lba >> 8), uint8_t(lba), 0, uint8_t(count >> 8),
               uint8_t(count), 0},
              size_t{count} * 2048);
}

Reply VirtualDriveTest::trackInfo(uint32_t number)
{
    return in({0x52, 0x01, 0, 0, uint8_t(number >> 8), uint8_t(number), 0, 0, 0x28, 0}, 0x28);
}

Reply VirtualDriveTest::discInfo() { return in({0x51, 0, 0, 0, 0, 0, 0, 0, 56, 0}, 56); }

Reply VirtualDriveTest::closeTrack() { return in({0x5B, 0x00, 0x01, 0, 0, 0xFF, 0, 0, 0, 0}); }

Reply VirtualDriveTest::closeSession() { return in({0x5B, 0x00, 0x02, 0, 0, 0, 0, 0, 0, 0}); }

Reply VirtualDriveTest::setWriteParameters(uint8_t byte2, uint8_t byte3, uint8_t dataBlockType, uint32_t packet)
{
    std::vector<uint8_t> list(8 + 52, 0);
    uint8_t *page = list.data() + 8;
    page[0] = 0x05;
    page[1] = 0x32;
    page[2] = byte2;
    page[3] = byte3;
    page[4] = dataBlockType;
    page[10] = uint8_t(packet >> 24);
    page[11] = uint8_t(packet >> 16);
    page[12] = uint8_t(packet >> 8);
    page[13] = uint8_t(packet);
    page[15] = 150;
    return out({0x55, 0x10, 0, 0, 0, 0, 0, 0, uint8_t(list.size()), 0}, list);
}

Reply VirtualDriveTest::testUnitReady() { return in({0, 0, 0, 0, 0, 0}); }

bool VirtualDriveTest::waitReady(int ms)
{
    for (int waited = 0; waited <= ms; waited += 50) {
        if (testUnitReady().ok())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

} // namespace zelvane::vdrive::test
