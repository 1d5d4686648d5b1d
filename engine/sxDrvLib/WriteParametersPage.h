// Building the MODE SELECT (10) parameter list for the write parameters page
// 05h from the page the drive reported.
#pragma once

#include "sxDrvLib/CapabilitySet.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zelvane {

constexpr size_t kWritePageKept = 54;   // bytes of the sensed page the device keeps
constexpr uint8_t kWritePageLength = 0x32;

struct WriteParameterRequest {
    bool testWrite = false;
    bool underrunProtection = false;
    bool finalizeDisc = false;
    int mediaCode = 0;
    CapabilitySet capabilities = 0;
    bool linkSizeQuirk = false;
    // DVD-R and sequential DVD-RW pages otherwise always allow a next session;
    // set when the session about to be closed must finalise the disc.
    bool closeDisc = false;
};

// The sensed page (starting at its page code byte) changed for the medium
// and the request; the page length byte becomes 32h.
std::array<uint8_t, kWritePageKept> BuildWriteParametersPage(std::span<const uint8_t> sensedPage,
                                                            const WriteParameterRequest &request);

// Write types probed at selection.
enum WriteTypeBit : uint8_t {
    kWriteTypeRaw = 0x02,
    kWriteTypeSessionAtOnce = 0x04,
    kWriteTypeTrackAtOnce = 0x10,
};

// Page for probing one write type: byte 2 the write type (3 raw, 2 session at
// once, 1 track at once), byte 4 the data block type (1 raw, else 0).
std::array<uint8_t, kWritePageKept> BuildWriteTypeProbePage(std::span<const uint8_t> sensedPage,
                                                            uint8_t writeType);

// Mode parameter list: an 8-byte zero header followed by the page, as long as
// the page's own length byte says (page length + 10), bounded by the page.
std::vector<uint8_t> ModeSelectList(std::span<const uint8_t> page);

} // namespace zelvane
