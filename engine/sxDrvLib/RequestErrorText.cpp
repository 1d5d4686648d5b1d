// Error texts of failed requests.
#include "sxDrvLib/RequestErrorText.h"

#include "sxConst/EngineTexts.h"

namespace zelvane {

RequestError DescribeFailedRequest(uint8_t status, uint8_t haStatus, uint8_t targetStatus,
                                   const std::array<uint8_t, ZV_SENSE_AREA> &sense)
{
    RequestError error;
    std::string_view text;
    if (status == ZV_SS_ERR) {
        if (haStatus == ZV_HASTAT_OK) {
            text = texts::TargetStatusText(targetStatus);
            error.targetBusy = targetStatus == ZV_STATUS_BUSY;
        } else {
            text = texts::HostAdapterStatusText(haStatus);
        }
    } else {
        text = texts::RequestStatusText(status);
    }

    if (text == texts::kCheckCondition) {
        if (sense[0] == 0) {
            text = {};
        } else if ((sense[0] & 0x7E) != 0x70) {
            text = texts::kUnknown;
        } else {
            const std::string_view keyText = texts::SenseKeyText(sense[2]);
            if (!keyText.empty())
                text = keyText;
        }
    }

    error.text = std::string(text);
    if (sense[7] != 0)
        error.text += " (" + texts::AdditionalSenseText(sense[12], sense[13]) + ")";
    return error;
}

} // namespace zelvane
