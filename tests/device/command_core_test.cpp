// The command core through a provider library: request fields, error texts,
// sense data, completion waits and the debug trace.
#include "ProviderFixture.h"

#include <algorithm>
#include <chrono>
#include <tuple>

using namespace zelvane;

TEST_F(ProviderTest, CoreFillsAddressAndLunBitsOfTheRequest)
{
    drives[{2, 3, 1}] = MakeInquiry(5, "V", "P", "R");
    adapterCount = 3;
    auto device = SelectedDevice("2:3:1");
    ASSERT_TRUE(device->HasSelection());
    seen.clear();

    ZvSrbExec srb{};
    srb.flags = ZV_SRB_EVENT_NOTIFY;
    srb.cdb_length = 10;
    srb.cdb[0] = 0x2A;
    srb.cdb[1] = 0xFF;  // the lun bits are replaced, the low five kept
    srb.sense_length = 0;
    EXPECT_EQ(device->Execute(srb, 1000), ZV_SS_COMP);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].command, ZV_SC_EXEC_SCSI_CMD);
    EXPECT_EQ(std::tuple(seen[0].adapter, seen[0].target, seen[0].lun), std::tuple(2, 3, 1));
    EXPECT_EQ(seen[0].sense_length, ZV_SENSE_LEN);
    EXPECT_EQ(seen[0].cdb[1], 0x3F);
    EXPECT_NE(seen[0].completion, nullptr);
    EXPECT_EQ(srb.status, ZV_SS_COMP);
    EXPECT_EQ(device->LastErrorText(), "");

    // Without the completion flag no completion object is handed over.
    srb.flags = 0;
    device->Execute(srb, 1000);
    EXPECT_EQ(seen[1].completion, nullptr);
}

TEST_F(ProviderTest, NoSelectionSendsNothing)
{
    auto device = SelectedDevice("");
    const int before = requestCount;
    ZvSrbExec srb{};
    EXPECT_EQ(device->Execute(srb, 1000), ZV_SS_ILLEGAL_MODE);
    EXPECT_EQ(srb.status, ZV_SS_PENDING);
    EXPECT_EQ(requestCount, before);
}

struct ErrorCase {
    uint8_t status;
    uint8_t haStatus;
    uint8_t targetStatus;
    std::array<uint8_t, ZV_SENSE_AREA> sense;
    const char *text;
    bool busy;
};

TEST_F(ProviderTest, ErrorTextOfEveryStatusPath)
{
    const std::array<uint8_t, ZV_SENSE_AREA> none{};
    auto senseByte0 = [](uint8_t byte0) {
        auto sense = FixedSense(5, 0x24, 0, 0);
        sense[0] = byte0;
        return sense;
    };
    const ErrorCase cases[] = {
        {0x02, 0, 0, none, "OPERATION ABORTED BY USER", false},
        {0x03, 0, 0, none, "OPERATION ABORTED BY USER", false},
        {0x80, 0, 0, none, "INVALID REQUEST", false},
        {0x81, 0, 0, none, "INVALID HOST ADAPTER", false},
        {0x82, 0, 0, none, "NO DEVICE", false},
        {0xE0, 0, 0, none, "INVALID SRB", false},
        {0xE1, 0, 0, none, "BUFFER ALIGNMENT", false},
        {0xE4, 0, 0, none, "UNKNOWN", false},
        {0xE5, 0, 0, none, "ASPI IS BUSY", false},
        {0xE6, 0, 0, none, "BUFFER TOO BIG", false},
        {0x04, 0x09, 0, none, "COMMAND TIMEOUT", false},
        {0x04, 0x0B, 0, none, "SRB TIMEOUT", false},
        {0x04, 0x0D, 0, none, "MESSAGE REJECT", false},
        {0x04, 0x0E, 0, none, "BUS RESET", false},
        {0x04, 0x0F, 0, none, "PARITY ERROR", false},
        {0x04, 0x10, 0, none, "REQUEST SENSE FAILED", false},
        {0x04, 0x11, 0, none, "SELECTION TIMEOUT", false},
        {0x04, 0x12, 0, none, "DATA OVERRUN", false},
        {0x04, 0x13, 0, none, "UNEXPECTED BUS FREE", false},
        {0x04, 0x01, 0, none, "UNKNOWN", false},
        {0x04, 0, 0x08, none, "TARGET BUSY", true},
        {0x04, 0, 0x18, none, "TARGET RESERVATION CONFLICT", false},
        {0x04, 0, 0x28, none, "TARGET QUEUE FULL", false},
        {0x04, 0, 0x30, none, "UNKNOWN", false},
        // CHECK CONDITION, replaced from the sense data.
        {0x04, 0, 0x02, none, "", false},
        {0x04, 0, 0x00, senseByte0(0x71), "ILLEGAL REQUEST", false},
        {0x04, 0, 0x02, senseByte0(0x74), "UNKNOWN", false},
        {0x04, 0, 0x02, senseByte0(0xF0), "ILLEGAL REQUEST", false},
        {0x04, 0, 0x02, FixedSense(0x80, 0, 0, 0), "FILEMARK", false},
        {0x04, 0, 0x02, FixedSense(0x40, 0, 0, 0), "END OF MEDIA", false},
        {0x04, 0, 0x02, FixedSense(0x20, 0, 0, 0), "ILLEGAL LENGTH", false},
        {0x04, 0, 0x02, FixedSense(0x00, 0, 0, 0), "NO ADDITIONAL SENSE INFORMATION", false},
        {0x04, 0, 0x02, FixedSense(1, 0, 0, 0), "RECOVERED ERROR", false},
        {0x04, 0, 0x02, FixedSense(2, 0, 0, 0), "NOT READY", false},
        {0x04, 0, 0x02, FixedSense(3, 0, 0, 0), "MEDIUM ERROR", false},
        {0x04, 0, 0x02, FixedSense(4, 0, 0, 0), "HARDWARE ERROR", false},
        {0x04, 0, 0x02, FixedSense(5, 0, 0, 0), "ILLEGAL REQUEST", false},
        {0x04, 0, 0x02, FixedSense(6, 0, 0, 0), "UNIT ATTENTION", false},
        {0x04, 0, 0x02, FixedSense(7, 0, 0, 0), "DATA PROTECT", false},
        {0x04, 0, 0x02, FixedSense(8, 0, 0, 0), "ERASE CHECK", false},
        {0x04, 0, 0x02, FixedSense(9, 0, 0, 0), "CHECK CONDITION", false},
        {0x04, 0, 0x02, FixedSense(10, 0, 0, 0), "COPYABORTED", false},
        {0x04, 0, 0x02, FixedSense(11, 0, 0, 0), "ABORTED COMMAND", false},
        {0x04, 0, 0x02, FixedSense(12, 0, 0, 0), "CHECK CONDITION", false},
        {0x04, 0, 0x02, FixedSense(13, 0, 0, 0), "VOLUME OVERFLOW", false},
        {0x04, 0, 0x02, FixedSense(14, 0, 0, 0), "MISCOMPARE", false},
        {0x04, 0, 0x02, FixedSense(15, 0, 0, 0), "RESERVED", false},
        // The additional sense text when the sense data has an additional length.
        {0x04, 0, 0x02, FixedSense(2, 0x3A, 0x00), "NOT READY (MEDIUM NOT PRESENT)", false},
        {0x04, 0, 0x02, FixedSense(2, 0x3A, 0x01), "NOT READY (MEDIUM NOT PRESENT - TRAY CLOSED)", false},
        {0x04, 0, 0x02, FixedSense(2, 0x52, 0x00), "NOT READY (82,0)", false},
        {0x04, 0, 0x02, FixedSense(9, 0x04, 0x02),
         "CHECK CONDITION (LOGICAL UNIT NOT READY, INITIALIZING CMD. REQUIRED)", false},
        {0x04, 0x11, 0, FixedSense(3, 0x11, 0x00), "SELECTION TIMEOUT (UNRECOVERED READ ERROR)", false},
    };

    auto device = SelectedDevice();
    ASSERT_TRUE(device->HasSelection());
    for (const ErrorCase &c : cases) {
        next = ScriptedOutcome{c.status, c.haStatus, c.targetStatus, c.sense};
        const ZvSrbExec srb = Send(*device, 0x28);
        EXPECT_EQ(srb.status, c.status);
        EXPECT_EQ(device->LastErrorText(), c.text)
            << std::hex << int(c.status) << "/" << int(c.haStatus) << "/" << int(c.targetStatus);
        EXPECT_EQ(device->IsBusy(), c.busy) << c.text;
        EXPECT_TRUE(std::equal(c.sense.begin(), c.sense.end(), device->LastSense().begin())) << c.text;
    }

    // The next command starts clean.
    next = ScriptedOutcome{};
    Send(*device, 0x28);
    EXPECT_EQ(device->LastErrorText(), "");
    EXPECT_FALSE(device->IsBusy());
    EXPECT_EQ(device->LastSense(), (std::array<uint8_t, ZV_SENSE_AREA>{}));
}

TEST_F(ProviderTest, DescriptorSenseIsReadAsFixedSense)
{
    // Descriptor sense (72h current, 73h deferred): key at byte 1, ASC and
    // ASCQ at 2 and 3, then an information descriptor and a sense-key
    // specific one (progress 0x4000); a truncated descriptor after them.
    auto descriptor = [](uint8_t code, uint8_t key, uint8_t asc, uint8_t ascq) {
        std::array<uint8_t, ZV_SENSE_AREA> sense{};
        const uint8_t bytes[] = {code, key, asc, ascq, 0, 0, 0, 25,
                                 0x00, 0x0A, 0x80, 0, 0, 0, 0, 0, 0x12, 0x34, 0x56, 0x78,
                                 0x02, 0x06, 0, 0, 0x80, 0x40, 0x00, 0,
                                 0x01, 0x0A, 0xAA};
        std::copy(std::begin(bytes), std::end(bytes), sense.begin());
        return sense;
    };
    auto device = SelectedDevice();
    next = ScriptedOutcome{ZV_SS_ERR, 0, ZV_STATUS_CHKCOND, descriptor(0x72, 0x02, 0x04, 0x04)};
    Send(*device, 0x2A);
    EXPECT_EQ(device->LastErrorText(), "NOT READY (LOGICAL UNIT NOT READY, FORMAT IN PROGRESS)");
    const auto &fixed = device->LastSense();
    EXPECT_EQ(fixed[0], 0xF0);  // current, information valid
    EXPECT_EQ(fixed[2], 0x02);
    EXPECT_EQ((std::array<uint8_t, 4>{fixed[3], fixed[4], fixed[5], fixed[6]}),
              (std::array<uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(fixed[7], 10);
    EXPECT_EQ(std::tuple(fixed[12], fixed[13]), std::tuple(0x04, 0x04));
    EXPECT_EQ(std::tuple(fixed[15], fixed[16], fixed[17]), std::tuple(0x80, 0x40, 0x00));
    EXPECT_TRUE(std::all_of(fixed.begin() + 18, fixed.end(), [](uint8_t b) { return b == 0; }));

    next = ScriptedOutcome{ZV_SS_ERR, 0, ZV_STATUS_CHKCOND, descriptor(0x73, 0x03, 0x0C, 0x00)};
    Send(*device, 0x35);
    EXPECT_EQ(device->LastErrorText(), "MEDIUM ERROR (WRITE ERROR)");
    EXPECT_EQ(device->LastSense()[0], 0xF1);

    // A descriptor sense whose length runs past the area stops at its end.
    auto overlong = descriptor(0x72, 0x05, 0x24, 0x00);
    overlong[7] = 0xFF;
    overlong[ZV_SENSE_AREA - 2] = 0x02;
    overlong[ZV_SENSE_AREA - 1] = 0x06;
    next = ScriptedOutcome{ZV_SS_ERR, 0, ZV_STATUS_CHKCOND, overlong};
    Send(*device, 0x2A);
    EXPECT_EQ(device->LastErrorText(), "ILLEGAL REQUEST (INVALID FIELD IN CDB)");
}

TEST_F(ProviderTest, AsynchronousCompletionIsAwaited)
{
    auto device = SelectedDevice();
    next.completeAfterMs = 50;
    EXPECT_EQ(Send(*device, 0x28).status, ZV_SS_COMP);

    next = ScriptedOutcome{ZV_SS_ERR, 0, ZV_STATUS_CHKCOND, FixedSense(3, 0x11, 0x00)};
    next.completeAfterMs = 30;
    EXPECT_EQ(Send(*device, 0x28).status, ZV_SS_ERR);
    EXPECT_EQ(device->LastErrorText(), "MEDIUM ERROR (UNRECOVERED READ ERROR)");
}

TEST_F(ProviderTest, ARequestThatNeverCompletesTimesOut)
{
    auto device = SelectedDevice();
    std::vector<std::chrono::milliseconds> asked;
    device->SetWaitPolicyForTests([&asked](std::chrono::milliseconds wait) {
        asked.push_back(wait);
        return std::chrono::milliseconds(20);
    });
    next.neverComplete = true;
    for (const uint32_t timeout : {0u, 5000u, 10000u, 120000u}) {
        const ZvSrbExec srb = Send(*device, 0x2A, nullptr, timeout);
        EXPECT_EQ(srb.status, ZV_SS_ERR);
        EXPECT_EQ(srb.ha_status, ZV_HASTAT_TIMEOUT);
        EXPECT_EQ(device->LastErrorText(), "COMMAND TIMEOUT");
    }
    EXPECT_EQ(asked, (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(10000),
                                                              std::chrono::milliseconds(10000),
                                                              std::chrono::milliseconds(10000),
                                                              std::chrono::milliseconds(120000)}));
    // A provider that signals after the wait has expired signals an object
    // that is still alive.
    next = ScriptedOutcome{};
    next.signalOnlyAfterMs = 100;
    EXPECT_EQ(Send(*device, 0x28).ha_status, ZV_HASTAT_TIMEOUT);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

TEST_F(ProviderTest, TheWaitIsNeverShorterThanTenSeconds)
{
    auto device = SelectedDevice();
    next.neverComplete = true;
    const auto start = std::chrono::steady_clock::now();
    const ZvSrbExec srb = Send(*device, 0x2A, nullptr, 5000);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(10000));
    EXPECT_LT(waited, std::chrono::milliseconds(12000));
    EXPECT_EQ(srb.ha_status, ZV_HASTAT_TIMEOUT);
}

TEST_F(ProviderTest, TraceLineFormat)
{
    auto device = SelectedDevice();
    debug.clear();
    next = ScriptedOutcome{ZV_SS_ERR, 0, ZV_STATUS_CHKCOND, FixedSense(3, 0x0C, 0x00)};
    alignas(4) std::array<uint8_t, 4> data = {0x00, 0xAB, 0x10, 0xFF};
    ZvSrbExec srb{};
    srb.flags = ZV_SRB_EVENT_NOTIFY | ZV_SRB_DIR_OUT;
    srb.cdb_length = 10;
    srb.cdb[0] = 0x2A;
    srb.cdb[5] = 0x20;
    srb.cdb[8] = 0x01;
    srb.data = data.data();
    srb.data_length = 4;
    device->Execute(srb, 1000);
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_EQ(debug[0].second, 0);
    EXPECT_EQ(debug[0].first,
              "<<< WRITE (10)             (2A) {50|0A} - 0:0:0 <04> [00004] "
              "00 00 00 00 20 00 00 01 00 00 00 00 00 00 00  |00 AB 10 FF = 00 02 70 03 "
              "ASC:0C,ASQ:00 MEDIUM ERROR (WRITE ERROR)");
}

TEST_F(ProviderTest, TraceShowsAtMost257DataBytes)
{
    auto target = SelectedDevice();
    ASSERT_TRUE(target->HasSelection());
    debug.clear();
    next = ScriptedOutcome{0xE1, 0, 0, {}};
    std::vector<uint8_t> data(300, 0x5A);
    Send(*target, 0x28, &data);
    ASSERT_EQ(debug.size(), 1u);
    const std::string &line = debug[0].first;
    EXPECT_NE(line.find("[0012C]"), std::string::npos);
    const auto bar = line.find(" |");
    const auto equals = line.find("= ");
    EXPECT_EQ(equals - bar - 2, 257u * 3);
    EXPECT_EQ(line.substr(line.size() - 17), " BUFFER ALIGNMENT");
    EXPECT_EQ(line.find("READ (10)             "), 4u);
}

TEST_F(ProviderTest, OnlyOneFailureIsTracedAndRoutineOnesLeaveTheShot)
{
    auto device = SelectedDevice();
    debug.clear();
    next = ScriptedOutcome{ZV_SS_ERR, 0, ZV_STATUS_CHKCOND, FixedSense(2, 0x3A, 0x00)};
    for (const uint8_t routine : {0x00, 0x01, 0x04, 0x12, 0x1B, 0x1E, 0x23, 0x35, 0x43, 0x46,
                                  0x51, 0x52, 0x55, 0x5A, 0x5C, 0xB6, 0xBB}) {
        if (routine == 0x12)
            continue;  // INQUIRY is answered by the scripted bus itself
        Send(*device, routine);
    }
    next.sense = FixedSense(2, 0x04, 0x08);  // long write in progress
    Send(*device, 0x2A);
    next = ScriptedOutcome{};
    Send(*device, 0x2A);  // success
    EXPECT_TRUE(debug.empty());
    EXPECT_FALSE(device->TraceShotUsed());

    // A command with no data traces nothing between "|" and "=".
    next = ScriptedOutcome{ZV_SS_ERR, 0x11, 0, {}};
    Send(*device, 0x2A);
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_NE(debug[0].first.find("00  |= 11 00 00 00 ASC:00,ASQ:00 SELECTION TIMEOUT"),
              std::string::npos);
    EXPECT_TRUE(device->TraceShotUsed());
    Send(*device, 0x2A);
    EXPECT_EQ(debug.size(), 1u);

    // A device whose shot was used beforehand traces nothing at all.
    auto quiet = SelectedDevice();
    quiet->SetTraceShotUsed();
    debug.clear();
    Send(*quiet, 0x2A);
    EXPECT_TRUE(debug.empty());
}

TEST_F(ProviderTest, MisalignedBufferIsReported)
{
    auto device = SelectedDevice();
    debug.clear();
    alignas(8) std::array<uint8_t, 16> buffer{};
    ZvSrbExec srb{};
    srb.flags = ZV_SRB_EVENT_NOTIFY | ZV_SRB_DIR_IN;
    srb.cdb_length = 10;
    srb.cdb[0] = 0x28;
    srb.data = buffer.data() + 2;
    srb.data_length = 8;
    device->Execute(srb, 1000);
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_EQ(debug[0].first, "aaaa" + std::to_string(reinterpret_cast<uintptr_t>(buffer.data() + 2)));
    EXPECT_EQ(debug[0].second, 0);
}
