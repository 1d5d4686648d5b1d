// Debug trace lines of commands.
#include "sxDrvLib/CommandTrace.h"

#include "sxConst/EngineTexts.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace zelvane {
namespace {

std::string Hex(unsigned value, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "%0*X", digits, value);
    return buffer;
}

constexpr std::array<uint8_t, 17> kRoutineCommands = {
    0x00, 0x01, 0x04, 0x12, 0x1B, 0x1E, 0x23, 0x35, 0x43,
    0x46, 0x51, 0x52, 0x55, 0x5A, 0x5C, 0xB6, 0xBB};

} // namespace

std::string FormatTraceLine(const ZvSrbExec &srb, std::string_view errorText,
                            std::string_view timePiece)
{
    std::string line = "<<< ";
    line += timePiece;
    line += texts::CommandName(srb.cdb[0]);
    line += " (" + Hex(srb.cdb[0], 2) + ") {" + Hex(srb.flags, 2) + "|" + Hex(srb.cdb_length, 2) +
            "} - ";
    line += std::to_string(srb.adapter) + ":" + Hex(srb.target, 1) + ":" + std::to_string(srb.lun);
    line += " <" + Hex(srb.status, 2) + "> [" + Hex(srb.data_length, 5) + "] ";
    for (int i = 1; i < ZV_CDB_MAX; ++i)
        line += Hex(srb.cdb[i], 2) + " ";
    line += " |";
    if (srb.data_length != 0 && srb.data != nullptr) {
        const auto *bytes = static_cast<const uint8_t *>(srb.data);
        const uint32_t shown = std::min(srb.data_length, kTracedDataBytes);
        for (uint32_t i = 0; i < shown; ++i)
            line += Hex(bytes[i], 2) + " ";
    }
    line += "= " + Hex(srb.ha_status, 2) + " " + Hex(srb.target_status, 2) + " " +
            Hex(srb.sense[0], 2) + " " + Hex(srb.sense[2], 2) + " ASC:" + Hex(srb.sense[12], 2) +
            ",ASQ:" + Hex(srb.sense[13], 2) + " ";
    line += errorText;
    return line;
}

bool IsTracedFailure(const ZvSrbExec &srb)
{
    if (srb.status == ZV_SS_PENDING || srb.status == ZV_SS_COMP)
        return false;
    if (std::find(kRoutineCommands.begin(), kRoutineCommands.end(), srb.cdb[0]) !=
        kRoutineCommands.end())
        return false;
    return !(srb.sense[12] == 0x04 && srb.sense[13] == 0x08);
}

} // namespace zelvane
