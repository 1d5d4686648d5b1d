// The debug trace line of one command.
#pragma once

#include "sxASPI/aspi_abi.h"

#include <string>
#include <string_view>

namespace zelvane {

// At most this many data bytes are shown in a trace line.
inline constexpr uint32_t kTracedDataBytes = 257;

// "<<< " [time] name " (" op ") {" flags "|" cdb length "} - " a ":" t ":" l
// " <" status "> [" data length "] " cdb[1..15] " |" data "= " ha " " ts " "
// sense0 " " sense2 " ASC:" asc ",ASQ:" ascq " " error text.
// Hexadecimal values are upper case; the data length has five hexadecimal
// digits (a 64 KB transfer is 10000). timePiece is "nn:ss:zzz " or empty.
std::string FormatTraceLine(const ZvSrbExec &srb, std::string_view errorText,
                            std::string_view timePiece);

// Whether a failed command is worth the one trace a device writes: not a
// command whose failures are routine (readiness, inquiry, capability and
// buffer polls) and not a long write still in progress.
bool IsTracedFailure(const ZvSrbExec &srb);

} // namespace zelvane
