// Write parameters page 05h: setting it for a medium, and probing at
// selection which write types the drive accepts.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/ModePage.h"

#include <algorithm>
#include <array>

namespace zelvane {

namespace {

constexpr size_t kWritePageSenseLength = 512;

} // namespace

bool TSCSIDevice::SetWriteParameters(bool testWrite, bool underrunProtection, int mediaCode)
{
    if (mediaCode == kMediaDvdRam)
        return true; // DVD-RAM is written without write parameters
    std::array<uint8_t, kWritePageSenseLength> answer{};
    if (!ModeSense(kWriteParametersPage, false, answer))
        return false;
    MoveModePageToStart(answer, kWriteParametersPage);
    std::copy_n(answer.begin(), kWritePageKept, mmc_.writePage.begin());

    WriteParameterRequest request;
    request.testWrite = testWrite;
    request.underrunProtection = underrunProtection;
    request.finalizeDisc = FinalizeDisc;
    request.mediaCode = mediaCode;
    request.capabilities = mmc_.capabilities;
    request.linkSizeQuirk = mmc_.quirks.linkSizeBit;
    const auto page = BuildWriteParametersPage(mmc_.writePage, request);
    return ModeSelect(ModeSelectList(page));
}

void TSCSIDevice::ProbeWriteTypes()
{
    struct Probe {
        uint8_t writeType;
        uint8_t bit;
    };
    static constexpr std::array<Probe, 3> kProbes = {{
        {3, kWriteTypeRaw},
        {2, kWriteTypeSessionAtOnce},
        {1, kWriteTypeTrackAtOnce},
    }};
    mmc_.writeTypes = 0;
    for (const Probe &probe : kProbes) {
        std::array<uint8_t, kWritePageSenseLength> answer{};
        if (!ModeSense(kWriteParametersPage, false, answer))
            continue;
        MoveModePageToStart(answer, kWriteParametersPage);
        const auto page = BuildWriteTypeProbePage(answer, probe.writeType);
        if (ModeSelect(ModeSelectList(page)))
            mmc_.writeTypes |= probe.bit;
    }
}

} // namespace zelvane
