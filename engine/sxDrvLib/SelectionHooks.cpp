// Selection hooks: when a drive is selected its capabilities are read, its
// quirk flags set from its identification and its write types probed.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/ModePage.h"

#include <array>

namespace zelvane {

void TSCSIDevice::RefreshCapabilities()
{
    UpdateCapabilities();
}

void TSCSIDevice::SetDriveQuirks(const std::string &)
{
    // The table needs the vendor and the untrimmed product as well, so it
    // reads the whole identification.
    mmc_.quirks = QuirksFromInquiry(InquiryData());
    // The capabilities were read before the identification, under the
    // quirks of the drive selected before; settle the underrun bit anew.
    if (mmc_.driveReportsUnderrun || mmc_.quirks.forceUnderrunProtection)
        mmc_.capabilities |= kUnderrunProtection;
    else
        mmc_.capabilities &= ~CapabilitySet{kUnderrunProtection};
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
        alignas(8) std::array<uint8_t, kWritePageSenseLength> answer{};
        if (!ModeSense(kWriteParametersPage, false, answer))
            continue;
        MoveModePageToStart(answer, kWriteParametersPage);
        const auto page = BuildWriteTypeProbePage(answer, probe.writeType);
        if (ModeSelect(ModeSelectList(page)))
            mmc_.writeTypes |= probe.bit;
    }
}

} // namespace zelvane
