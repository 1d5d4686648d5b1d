// The string table: counts, padding and the texts quoted byte for byte.
#include "sxConst/EngineTexts.h"

#include <gtest/gtest.h>

using namespace zelvane::texts;

TEST(EngineTexts, AdditionalSenseTableHasItsPairsAndVerbatimTexts)
{
    EXPECT_EQ(AdditionalSenseCount(), 256u);
    EXPECT_EQ(AdditionalSenseText(0x00, 0x16), "OPERATION IN PROGRESS");
    EXPECT_EQ(AdditionalSenseText(0x0B, 0x00), "WARNING");
    EXPECT_EQ(AdditionalSenseText(0x0C, 0x08), "WRITE ERROR - RECOVERY FAILED");
    EXPECT_EQ(AdditionalSenseText(0x08, 0x03), "LOGICAL UNIT COMMUNICATION CRC ERROR (ULTRA-DMA/32)");
    EXPECT_EQ(AdditionalSenseText(0x3F, 0x0E), "REPORTED LUNS DATA HAS CHANGED");
    EXPECT_EQ(AdditionalSenseText(0x5D, 0xFF), "FAILURE PREDICTION THRESHOLD EXCEEDED (FALSE)");
    EXPECT_EQ(AdditionalSenseText(0x6F, 0x02),
              "COPY PROTECTION KEY EXCHANGE FAILURE - KEY NOT ESTABLISHED");
    EXPECT_EQ(AdditionalSenseText(0x73, 0x06), "RMA/PMA IS ALMOST FULL");
    EXPECT_EQ(AdditionalSenseText(0x04, 0x02), "LOGICAL UNIT NOT READY, INITIALIZING CMD. REQUIRED");
    EXPECT_EQ(AdditionalSenseText(0x18, 0x01), "RECOVERED DATA WITH ERROR CORR. & RETRIES APPLIED");
    EXPECT_EQ(AdditionalSenseText(0x3A, 0x01), "MEDIUM NOT PRESENT - TRAY CLOSED");
    // First and last pair of the list, and pairs around its gaps.
    EXPECT_EQ(AdditionalSenseText(0x00, 0x00), "NO ADDITIONAL SENSE INFORMATION");
    EXPECT_FALSE(AdditionalSenseDescription(0x73, 0x05).empty());
    EXPECT_FALSE(AdditionalSenseDescription(0x30, 0x10).empty());
    EXPECT_TRUE(AdditionalSenseDescription(0x30, 0x0A).empty());
    EXPECT_TRUE(AdditionalSenseDescription(0x00, 0x01).empty());   // a tape text, not listed
    EXPECT_TRUE(AdditionalSenseDescription(0x73, 0x07).empty());
    EXPECT_EQ(AdditionalSenseText(0x52, 0x00), "82,0");
    EXPECT_EQ(AdditionalSenseText(0xFF, 0xFF), "255,255");
}

TEST(EngineTexts, CommandNamesArePaddedOrHexadecimal)
{
    EXPECT_EQ(kCommandNameCount, 255u);
    int named = 0;
    for (int code = 0; code < 255; ++code) {
        const std::string_view name = CommandName(static_cast<uint8_t>(code));
        if (name.size() == 22)
            ++named;
        else
            EXPECT_EQ(name.size(), 2u) << code;
    }
    EXPECT_EQ(named, 51);
    EXPECT_EQ(CommandName(0x00), "TEST UNIT READY       ");
    EXPECT_EQ(CommandName(0x1E), "PREVENT/ALLOW REMOVAL ");
    EXPECT_EQ(CommandName(0x4A), "GET EVENT/STATUS NOTIF");
    EXPECT_EQ(CommandName(0xBF), "SEND DVD STRUCTURE    ");
    EXPECT_EQ(CommandName(0x02), "02");
    EXPECT_EQ(CommandName(0xFE), "FE");
    EXPECT_EQ(CommandName(0xFF), "");
}

TEST(EngineTexts, StatusAndSenseKeyTexts)
{
    EXPECT_EQ(RequestStatusText(0x01), "");
    EXPECT_EQ(RequestStatusText(0x03), "OPERATION ABORTED BY USER");
    EXPECT_EQ(RequestStatusText(0xE6), "BUFFER TOO BIG");
    EXPECT_EQ(RequestStatusText(0xE2), "UNKNOWN");
    EXPECT_EQ(HostAdapterStatusText(0x13), "UNEXPECTED BUS FREE");
    EXPECT_EQ(HostAdapterStatusText(0x0A), "UNKNOWN");
    EXPECT_EQ(TargetStatusText(0x00), "CHECK CONDITION");
    EXPECT_EQ(TargetStatusText(0x04), "UNKNOWN");

    EXPECT_EQ(SenseKeyText(0xE0), "FILEMARK");
    EXPECT_EQ(SenseKeyText(0x60), "END OF MEDIA");
    EXPECT_EQ(SenseKeyText(0x20), "ILLEGAL LENGTH");
    EXPECT_EQ(SenseKeyText(0x00), "NO ADDITIONAL SENSE INFORMATION");
    EXPECT_EQ(SenseKeyText(0x82), "NOT READY");  // flag bits only matter for key 0
    EXPECT_EQ(SenseKeyText(0x0A), "COPYABORTED");
    EXPECT_EQ(SenseKeyText(0x09), "");
    EXPECT_EQ(SenseKeyText(0x0C), "");
}
