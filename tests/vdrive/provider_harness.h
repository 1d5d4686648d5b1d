// Drives the real provider library (loaded with dlopen) with raw CDBs, in a
// fresh drive folder per test.
#pragma once

#include "aspi_abi.h"
#include "core/disc.h"
#include "core/state_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace zelvane::vdrive::test {

struct Reply {
    uint8_t status = 0;       // request status
    uint8_t targetStatus = 0; // SCSI status
    std::vector<uint8_t> data;
    std::vector<uint8_t> sense;

    bool ok() const { return status == ZV_SS_COMP; }
    uint8_t key() const { return sense.size() > 2 ? sense[2] & 0x0F : 0; }
    uint8_t asc() const { return sense.size() > 12 ? sense[12] : 0; }
    uint8_t ascq() const { return sense.size() > 13 ? sense[13] : 0; }
    uint32_t be32(size_t at) const;
    uint16_t be16(size_t at) const;
};

// The provider's entry points, loaded once per process.
struct Provider {
    ZvGetSupportInfoFn supportInfo = nullptr;
    ZvSendCommandFn send = nullptr;
    ZvGetDriveNameFn driveName = nullptr;
    static const Provider &get();
};

class VirtualDriveTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Data-in command with an allocation of `length` bytes.
    Reply in(std::initializer_list<uint8_t> cdb, size_t length = 0, uint8_t senseLength = ZV_SENSE_LEN);
    // Data-out command with the given parameter data.
    Reply out(std::initializer_list<uint8_t> cdb, std::vector<uint8_t> data);
    Reply exec(const std::vector<uint8_t> &cdb, std::vector<uint8_t> &buffer, uint8_t flags, uint8_t senseLength);

    void insert(MediaKind kind, uint32_t capacity);
    DriveState state() const;
    // Runs zelvane-vdrive with arguments; returns its exit code and output.
    int tool(const std::string &arguments, std::string *output = nullptr) const;

    // Common commands.
    Reply write(uint32_t lba, uint32_t count, uint8_t fill = 0xA5);
    Reply read(uint32_t lba, uint32_t count);
    Reply trackInfo(uint32_t number);
    Reply discInfo();
    Reply closeTrack();
    Reply closeSession();
    Reply setWriteParameters(uint8_t byte2, uint8_t byte3, uint8_t dataBlockType = 0x08, uint32_t packet = 0);
    Reply testUnitReady();
    // Waits until TEST UNIT READY passes (at most `ms`).
    bool waitReady(int ms);

    std::filesystem::path folder_;
};

#define EXPECT_SENSE(reply, k, a, q)                                                                   \
    do {                                                                                               \
        const auto &r_ = (reply);                                                                      \
        EXPECT_EQ(r_.status, ZV_SS_ERR);                                                               \
        EXPECT_EQ(r_.targetStatus, ZV_STATUS_CHKCOND);                                                 \
        EXPECT_EQ(r_.key(), (k));                                                                      \
        EXPECT_EQ(r_.asc(), (a));                                                                      \
        EXPECT_EQ(r_.ascq(), (q));                                                                     \
    } while (0)

} // namespace zelvane::vdrive::test
