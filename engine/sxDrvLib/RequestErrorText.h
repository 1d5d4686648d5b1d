// The error text of a failed request, from its status, host adapter
// status, target status and sense data.
#pragma once

#include "sxASPI/aspi_abi.h"

#include <array>
#include <cstdint>
#include <string>

namespace zelvane {

struct RequestError {
    std::string text;
    bool targetBusy = false;
};

// Status, then host adapter status (for status 4), then target status (for
// host adapter status 0); a CHECK CONDITION is replaced by the sense key
// text, and the additional sense text is appended in brackets when the
// sense data has an additional length.
RequestError DescribeFailedRequest(uint8_t status, uint8_t haStatus, uint8_t targetStatus,
                                   const std::array<uint8_t, ZV_SENSE_AREA> &sense);

} // namespace zelvane
