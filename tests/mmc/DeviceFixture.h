// A device selected on the scripted drive, with the readiness pauses
// recorded instead of slept.
#pragma once

#include "ScriptedDisc.h"

#include "sxDrvLib/ScsiDevice.h"

#include <gtest/gtest.h>

#include <memory>

class ScriptedDriveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fakedrive::SetIdentification("ZELVANE ", "SCRIPTED DVD-RW ");
        disc = std::make_shared<fakedrive::ScriptedDisc>();
        disc->currentCapabilities = fakedrive::CapabilitiesPage(0x3F, 0x37, 0x80, 8467, 7056, 7056);
        disc->defaultCapabilities = disc->currentCapabilities;
        disc->writePage = {0x05, 0x32, 0x01, 0x04, 0x08, 0, 0, 0, 0, 0};
        disc->writePage.resize(52, 0);
        Attach();
        device = std::make_unique<zelvane::TSCSIDevice>();
        ASSERT_TRUE(device->InitializeTransport(false, FAKE_DRIVE_LIBRARY));
        ASSERT_FALSE(device->DriveList().empty());
        Select();
    }

    void TearDown() override { fakedrive::SetHandler(nullptr); }

    // Routes the drive's answers to `disc` (again, after it was replaced).
    void Attach()
    {
        auto shared = disc;
        fakedrive::SetHandler([shared](const fakedrive::Request &r) { return (*shared)(r); });
    }

    void Select()
    {
        device->SelectDevice(device->DriveList()[0]);
        device->SetSleepForTests([this](int ms) { slept += ms; });
        fakedrive::ClearRequests();
    }

    // The requests sent with a given operation code.
    std::vector<fakedrive::Request> Sent(uint8_t opcode) const
    {
        std::vector<fakedrive::Request> found;
        for (const auto &request : fakedrive::Requests())
            if (request.cdb[0] == opcode)
                found.push_back(request);
        return found;
    }

    std::shared_ptr<fakedrive::ScriptedDisc> disc;
    std::unique_ptr<zelvane::TSCSIDevice> device;
    int slept = 0;
};
