// Capabilities, speeds, write parameters and the readiness wait against
// scripted drive answers.
#include "DeviceFixture.h"

#include "sxDrvLib/MediaCode.h"

using namespace zelvane;
using fakedrive::CapabilitiesPage;

TEST_F(ScriptedDriveTest, CapabilitiesFromPagesAndFeatures)
{
    disc->defaultCapabilities = CapabilitiesPage(0x0B, 0x07, 0x00, 8467, 8467, 0);
    disc->currentCapabilities = CapabilitiesPage(0x0B, 0x07, 0x00, 7056, 7056, 5644);
    disc->profile = 0x0000;
    disc->features[0x002A] = {0x00, 0x2A, 0x0B, 0x04, 0x01, 0, 0, 0};
    disc->features[0x002F] = {0x00, 0x2F, 0x0B, 0x04, 0x46, 0, 0, 0};
    disc->underrunPage = true;
    disc->blockDescriptorLength = 8; // the page starts at byte 16
    Select();
    const CapabilitySet caps = device->Capabilities();
    EXPECT_EQ(caps, kReadsCdR | kReadsCdRw | kReadsDvdRom | kWritesCdR | kWritesCdRw | kTestWrite |
                        kReadsDvdPlusR | kReadsDvdPlusRw | kWritesDvdPlusR | kWritesDvdPlusRw |
                        kReadsDvdR | kReadsDvdRw | kUnderrunProtection);
    // The larger of the default and current figures.
    EXPECT_EQ(device->DeviceMaxWriteSpeed(), 8467);
    EXPECT_EQ(device->DeviceMaxReadSpeed(), 8467);
    // The queries answer the current page.
    EXPECT_EQ(device->MaximumWriteSpeed(), 7056);
    EXPECT_EQ(device->CurrentWriteSpeed(), 5644);
    EXPECT_EQ(device->MaximumReadSpeed(), 7056);
    EXPECT_TRUE(IsWriter(caps));
}

TEST_F(ScriptedDriveTest, DriveReportingWriteSpeedZero)
{
    disc->defaultCapabilities = CapabilitiesPage(0x3F, 0x37, 0x80, 0, 0, 0);
    disc->currentCapabilities = CapabilitiesPage(0x3F, 0x37, 0x80, 8467, 0, 0);
    Select();
    EXPECT_EQ(device->MaximumWriteSpeed(), 1385);
    EXPECT_EQ(device->CurrentWriteSpeed(), 1385);
    EXPECT_EQ(device->DeviceMaxWriteSpeed(), 1385);

    // Without a current page there is no speed at all.
    disc->currentCapabilities.clear();
    EXPECT_EQ(device->MaximumWriteSpeed(), 0);
    // A DVD-RAM writer's zero default figures count as 1.
    disc->defaultCapabilities = CapabilitiesPage(0x3F, 0x20, 0, 0, 0, 0);
    EXPECT_FALSE(device->UpdateCapabilities());
    EXPECT_EQ(device->DeviceMaxWriteSpeed(), 1);
    EXPECT_EQ(device->DeviceMaxReadSpeed(), 1);
}

TEST_F(ScriptedDriveTest, QuirkForcesUnderrunProtection)
{
    disc->defaultCapabilities = CapabilitiesPage(0x03, 0x03, 0x00, 7056, 7056, 7056);
    disc->currentCapabilities = disc->defaultCapabilities;
    fakedrive::SetIdentification("YAMAHA  ", "CD-W512EB       ");
    Select();
    EXPECT_TRUE(device->Capabilities() & kUnderrunProtection);
    EXPECT_TRUE(device->Quirks().forceUnderrunProtection);
    fakedrive::SetIdentification("YAMAHA  ", "CRW2100E        ");
    Select();
    EXPECT_FALSE(device->Capabilities() & kUnderrunProtection);
}

TEST_F(ScriptedDriveTest, WriteTypeProbeAndWriteParameters)
{
    disc->acceptedWriteTypes = {1}; // track at once only
    Select();
    // Selection probed again after the fixture cleared the log; select anew.
    fakedrive::ClearRequests();
    device->SelectDevice(device->DriveList()[0]);
    EXPECT_EQ(device->WriteTypes(), kWriteTypeTrackAtOnce);
    const auto selects = Sent(0x55);
    ASSERT_EQ(selects.size(), 3u);
    EXPECT_EQ(selects[0].dataOut[10], 3);
    EXPECT_EQ(selects[0].dataOut[12], 1);
    EXPECT_EQ(selects[1].dataOut[10], 2);
    EXPECT_EQ(selects[2].dataOut[10], 1);

    disc->acceptedWriteTypes = {0, 1, 2};
    fakedrive::ClearRequests();
    ASSERT_TRUE(device->SetWriteParameters(false, true, kMediaDvdR));
    const auto list = Sent(0x55).at(0);
    EXPECT_EQ(list.cdb[8], 60);
    ASSERT_EQ(list.dataOut.size(), 60u);
    EXPECT_EQ(list.dataOut[8], 0x05);
    EXPECT_EQ(list.dataOut[9], 0x32);
    EXPECT_EQ(list.dataOut[10], 0x60);
    EXPECT_EQ(list.dataOut[11], 0xE5);

    fakedrive::ClearRequests();
    EXPECT_TRUE(device->SetWriteParameters(false, true, kMediaDvdRam));
    EXPECT_TRUE(fakedrive::Requests().empty());

    disc->writePage.clear(); // the drive has no page 05h
    EXPECT_FALSE(device->SetWriteParameters(false, true, kMediaCdR));
}

TEST_F(ScriptedDriveTest, WaitUntilReadyOnADriveBecomingReady)
{
    disc->becomesReadyAfter = 3;
    EXPECT_TRUE(device->WaitUntilReady(30000, 5000));
    EXPECT_GE(slept, 5000);
    EXPECT_LE(slept, 20000);

    // A drive that stays "becoming ready" runs out of time.
    slept = 0;
    disc->becomesReadyAfter = 1000;
    EXPECT_FALSE(device->WaitUntilReady(30000, 5000));
    EXPECT_LE(slept, 30000 + 5000);

    // No medium: not ready, and the wait does not sleep its whole time away.
    slept = 0;
    disc->becomesReadyAfter = 0;
    disc->ready = false;
    EXPECT_FALSE(device->WaitUntilReady(3000, 5000));
    EXPECT_LE(slept, 5000);

    // A drive that cannot report its sense is not taken as ready.
    disc->requestSenseWorks = false;
    EXPECT_FALSE(device->WaitUntilReady(30000, 5000));

    // Slow-ready drives are polled in 1.5 s steps first.
    slept = 0;
    disc->ready = true;
    disc->requestSenseWorks = true;
    device->SetSlowReady(true);
    EXPECT_TRUE(device->WaitUntilReady(30000, 5000));
    EXPECT_EQ(slept, 1500 + 5000);
}
