// INQUIRY into the device's inquiry buffer.
#include "sxDrvLib/ScsiDevice.h"

namespace zelvane {

bool TSCSIDevice::Inquiry()
{
    ZvSrbExec srb{};
    srb.flags = ZV_SRB_DIR_IN | ZV_SRB_EVENT_NOTIFY;
    srb.cdb_length = 6;
    srb.cdb[0] = 0x12;
    srb.cdb[4] = static_cast<uint8_t>(kInquiryBufferSize);
    srb.data = inquiry_.data();
    srb.data_length = static_cast<uint32_t>(inquiry_.size());
    Execute(srb, kInquiryTimeoutMs);
    return srb.status == ZV_SS_COMP;
}

} // namespace zelvane
