// Write parameters page 05h: setting it for a medium.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/ModePage.h"

#include <algorithm>
#include <array>

namespace zelvane {

bool TSCSIDevice::SetWriteParameters(bool testWrite, bool underrunProtection, int mediaCode,
                                     bool closeDisc)
{
    if (mediaCode == kMediaDvdRam)
        return true; // DVD-RAM is written without write parameters
    alignas(8) std::array<uint8_t, kWritePageSenseLength> answer{};
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
    request.closeDisc = closeDisc;
    const auto page = BuildWriteParametersPage(mmc_.writePage, request);
    return ModeSelect(ModeSelectList(page));
}

} // namespace zelvane
