// Arbitrary CDBs and parameter data never crash the drive and always end in
// a proper status with fixed-format sense.
#include "provider_harness.h"

#include <random>

namespace zelvane::vdrive::test {
namespace {

using RandomCommands = VirtualDriveTest;

TEST_F(RandomCommands, EveryAnswerIsWellFormed)
{
    std::mt19937 random(20261208);
    const MediaKind media[] = {MediaKind::CdR, MediaKind::DvdPlusRw, MediaKind::DvdRwSequential, MediaKind::DvdRam};
    // The commands the drive knows, so that most random CDBs reach a handler. Eject,
    // blank and format would keep the drive not ready for the rest of the run.
    const uint8_t known[] = {0x00, 0x01, 0x03, 0x12, 0x1E, 0x23, 0x25, 0x28, 0x2A, 0x35, 0x43, 0x46,
                             0x4A, 0x51, 0x52, 0x53, 0x54, 0x55, 0x5A, 0x5B, 0x5C, 0x5D, 0xAC, 0xAD, 0xB6, 0xBB, 0xBF};
    int completed = 0;
    for (MediaKind kind : media) {
        insert(kind, 20000);
        for (int i = 0; i < 400; ++i) {
            std::vector<uint8_t> cdb(random() % 2 ? 10 : 12);
            for (auto &b : cdb)
                b = static_cast<uint8_t>(random());
            cdb[0] = random() % 8 ? known[random() % std::size(known)] : static_cast<uint8_t>(random());
            if (cdb[0] == 0x1B || cdb[0] == 0x04 || cdb[0] == 0xA1)
                cdb[0] = 0x00;
            // Keep transfer counts small so the run stays quick.
            if (cdb[0] == 0x28 || cdb[0] == 0x2A)
                cdb[7] = 0;
            std::vector<uint8_t> buffer(random() % 3000);
            for (auto &b : buffer)
                b = static_cast<uint8_t>(random());
            const uint8_t flags = random() % 2 ? ZV_SRB_DIR_IN : ZV_SRB_DIR_OUT;
            const auto reply = exec(cdb, buffer, flags, ZV_SENSE_LEN);
            ASSERT_TRUE(reply.status == ZV_SS_COMP || reply.status == ZV_SS_ERR) << int(cdb[0]);
            completed += reply.ok();
            if (reply.status == ZV_SS_ERR) {
                ASSERT_EQ(reply.targetStatus, ZV_STATUS_CHKCOND) << int(cdb[0]);
                ASSERT_EQ(reply.sense[0], 0x70) << int(cdb[0]);
                ASSERT_NE(reply.key(), 0) << int(cdb[0]);
                // A medium-reading failure of the drive's own storage would be 4/44/00.
                ASSERT_FALSE(reply.key() == 0x04 && reply.asc() == 0x44) << int(cdb[0]);
            }
        }
        // The drive still works and its state still loads.
        ASSERT_EQ(tool("status"), 0);
    }
    EXPECT_GT(completed, 200);
}

} // namespace
} // namespace zelvane::vdrive::test
