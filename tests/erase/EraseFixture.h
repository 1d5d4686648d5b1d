// The virtual drive with a burner on it, and one erase run to completion:
// the completion event delivered on the test's own "interface thread", the
// percentage watched all along, and the engine's fixed waits shortened.
#pragma once

#include "VirtualDrive.h"

#include "sxCDBC/SarnixBurner.h"

#include <memory>
#include <string>
#include <vector>

struct EraseRun {
    bool started = false;
    int doneEvents = 0;
    bool withError = false;
    int percentAtDone = -1;          // the thread's percentage when the event came
    bool erasingAtDone = true;       // Erasing as the handler saw it
    std::vector<int> percents;       // EraseProgress while Erasing, in order
    std::vector<std::string> infoLines; // informational debug lines
    double seconds = 0;              // wall time of the whole run
    std::vector<int> pauses;         // the engine's fixed waits, in ms as asked
};

class EraseTest : public VirtualDriveTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Erases (type 0 full, 1 quick) and waits for OnEraseDone (at most
    // 40 s). Every fixed wait of the engine lasts 1/divisor of its time.
    EraseRun RunErase(uint8_t type, int divisor = 100);

    // Reads `blocks` blocks from `lba` through the test's device.
    std::vector<uint8_t> ReadBack(uint32_t lba, uint32_t blocks);

    std::unique_ptr<zelvane::TSarnixBurner> burner;
};

// True when the values never fall.
bool NeverFalls(const std::vector<int> &values);

// The run started, ended with exactly one event without error, at 100 %,
// and its percentage never fell nor passed 100 on the way.
void ExpectOneCleanEnd(const EraseRun &run, const zelvane::TSarnixBurner &burner);
