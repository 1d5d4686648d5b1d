// Drive capabilities and speeds from page 2Ah and GET CONFIGURATION.
#include "sxDrvLib/ScsiDevice.h"

#include "sxDrvLib/ModePage.h"

#include <algorithm>
#include <array>

namespace zelvane {

namespace {

constexpr size_t kDefaultPageLength = 255;
constexpr size_t kUnderrunPageLength = 128;
constexpr uint16_t kFallbackWriteSpeed = 1385; // 1x DVD, for drives that report 0

} // namespace

bool TSCSIDevice::UpdateCapabilities()
{
    mmc_.capabilities = 0;
    mmc_.maxWriteSpeed = 0;
    mmc_.maxReadSpeed = 0;
    mmc_.driveReportsUnderrun = false;

    alignas(8) std::array<uint8_t, kDefaultPageLength> defaults{};
    if (ModeSense(kCapabilitiesPage, true, defaults)) {
        MoveModePageToStart(defaults, kCapabilitiesPage);
        mmc_.capabilities = CapabilitiesFromPage(defaults);
        alignas(8) std::array<uint8_t, kUnderrunPageLength> underrun{};
        if (ModeSense(kUnderrunPage, false, underrun) && FindModePage(underrun, kUnderrunPage))
            mmc_.capabilities |= kUnderrunProtection;
        mmc_.driveReportsUnderrun = (mmc_.capabilities & kUnderrunProtection) != 0;
        if (mmc_.quirks.forceUnderrunProtection)
            mmc_.capabilities |= kUnderrunProtection;
        const SpeedFigures figures = SpeedFiguresFromPage(defaults);
        const bool writesDvdRam = (mmc_.capabilities & kWritesDvdRam) != 0;
        mmc_.maxWriteSpeed = figures.maxWriteSpeed ? figures.maxWriteSpeed : (writesDvdRam ? 1 : 0);
        mmc_.maxReadSpeed = figures.maxReadSpeed ? figures.maxReadSpeed : (writesDvdRam ? 1 : 0);
        for (uint16_t feature : {kFeatureDvdPlusRw, kFeatureDvdMinusRw}) {
            if (GetConfiguration(2, feature))
                mmc_.capabilities |= CapabilitiesFromFeature(mmc_.configuration, feature);
        }
    }

    alignas(8) std::array<uint8_t, kCurrentCapabilitiesLength> current{};
    if (!ModeSense(kCapabilitiesPage, false, current))
        return false;
    MoveModePageToStart(current, kCapabilitiesPage);
    // A drive that reports no write speed is driven as a 1x DVD writer.
    for (size_t offset : {size_t{18}, size_t{20}}) {
        if (current[offset] == 0 && current[offset + 1] == 0) {
            current[offset] = kFallbackWriteSpeed >> 8;
            current[offset + 1] = kFallbackWriteSpeed & 0xFF;
        }
    }
    mmc_.capabilitiesPage = current;
    const SpeedFigures figures = SpeedFiguresFromPage(current);
    mmc_.maxWriteSpeed = std::max(mmc_.maxWriteSpeed, figures.maxWriteSpeed);
    mmc_.maxReadSpeed = std::max(mmc_.maxReadSpeed, figures.maxReadSpeed);
    return true;
}

uint16_t TSCSIDevice::MaximumWriteSpeed()
{
    return UpdateCapabilities() ? SpeedFiguresFromPage(mmc_.capabilitiesPage).maxWriteSpeed : 0;
}

uint16_t TSCSIDevice::MaximumReadSpeed()
{
    return UpdateCapabilities() ? SpeedFiguresFromPage(mmc_.capabilitiesPage).maxReadSpeed : 0;
}

uint16_t TSCSIDevice::CurrentWriteSpeed()
{
    return UpdateCapabilities() ? SpeedFiguresFromPage(mmc_.capabilitiesPage).currentWriteSpeed : 0;
}

} // namespace zelvane
