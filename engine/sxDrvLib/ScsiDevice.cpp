// TSCSIDevice: construction, transport initialisation, host adapter
// inquiry, address and debug messages.
#include "sxDrvLib/ScsiDevice.h"

#include "sxASPI/Transport.h"

#include <cstring>

namespace zelvane {

TSCSIDevice::TSCSIDevice()
{
    if (aspi::IsInitialized()) {
        HostAdapterInquiry(0);
        ScanDrives();
    }
}

TSCSIDevice::~TSCSIDevice() = default;

bool TSCSIDevice::InitializeTransport(bool preferSpti, const std::string &path)
{
    bool active = false;
    try {
        active = aspi::Initialize(preferSpti, path);
    } catch (...) {
        active = false;
    }
    const std::string loadMessage = aspi::LastLoadMessage();
    if (!loadMessage.empty())
        EmitDebug(loadMessage, 0);
    if (active) {
        HostAdapterInquiry(0);
        ScanDrives();
    }
    return active;
}

bool TSCSIDevice::ASPIInitialized() const
{
    return aspi::IsInitialized();
}

void TSCSIDevice::HostAdapterInquiry(uint8_t adapter)
{
    ZvSrbHaInquiry srb{};
    srb.command = ZV_SC_HA_INQUIRY;
    srb.adapter = adapter;
    aspi::SendCommand(&srb);
    if (srb.status == ZV_SS_COMP) {
        adapterCount_ = srb.adapter_count;
        managerId_.assign(srb.manager_id, ::strnlen(srb.manager_id, sizeof(srb.manager_id)));
        adapterId_.assign(srb.adapter_id, ::strnlen(srb.adapter_id, sizeof(srb.adapter_id)));
    } else {
        adapterCount_ = 255;
    }
    if (adapterCount_ == 0)
        adapterCount_ = 7;
}

void TSCSIDevice::SetAddress(uint8_t adapter, uint8_t target, uint8_t lun)
{
    adapter_ = adapter;
    target_ = target;
    lun_ = lun;
}

void TSCSIDevice::ClearSelection()
{
    SetAddress(kNoDeviceAddress, kNoDeviceAddress, kNoDeviceAddress);
    deviceId_.clear();
}

void TSCSIDevice::EmitDebug(const std::string &text, uint8_t mType)
{
    if (OnDebugMessage)
        OnDebugMessage(this, text, mType);
}

} // namespace zelvane
