// fault write-error/read-error/busy/not-ready/hang/clear.
#include "core/clock.h"
#include "tool/tool_command.h"

#include <cmath>
#include <iostream>

namespace zelvane::vdrive::tool {

namespace {

void requireCount(const Arguments &args, size_t minimum, size_t maximum, const std::string &usage)
{
    if (args.size() < minimum || args.size() > maximum)
        throw ToolError("usage: fault " + usage);
}

int64_t untilMs(const std::string &seconds)
{
    return nowMs() + static_cast<int64_t>(std::llround(parsePositive(seconds, "seconds") * 1000.0));
}

void fault(const Arguments &args, const StateStore &store)
{
    if (args.empty())
        throw ToolError("expected write-error, read-error, busy, not-ready, hang, close-error, flush-error or clear");
    const std::string &kind = args[0];
    updateState(store, [&](DriveState &state) {
        Faults &faults = state.faults;
        if (kind == "write-error") {
            requireCount(args, 2, 5, "write-error LBA [KEY ASC ASCQ]");
            if (args.size() != 2 && args.size() != 5)
                throw ToolError("give all three of KEY ASC ASCQ or none");
            WriteFault entry;
            entry.lba = parseNumber(args[1], "LBA");
            if (args.size() == 5) {
                entry.key = static_cast<uint8_t>(parseNumber(args[2], "sense key", 0x0F));
                entry.asc = static_cast<uint8_t>(parseNumber(args[3], "ASC", 0xFF));
                entry.ascq = static_cast<uint8_t>(parseNumber(args[4], "ASCQ", 0xFF));
            }
            faults.writeErrors.push_back(entry);
        } else if (kind == "read-error") {
            requireCount(args, 2, 2, "read-error LBA");
            faults.readErrors.push_back(parseNumber(args[1], "LBA"));
        } else if (kind == "busy") {
            requireCount(args, 2, 2, "busy SECONDS");
            faults.busyUntilMs = untilMs(args[1]);
        } else if (kind == "not-ready") {
            requireCount(args, 2, 2, "not-ready SECONDS");
            faults.notReadyUntilMs = untilMs(args[1]);
        } else if (kind == "hang") {
            requireCount(args, 2, 2, "hang OPCODE");
            faults.hangOpcodes.push_back(static_cast<uint8_t>(parseNumber(args[1], "opcode", 0xFF)));
        } else if (kind == "close-error") {
            requireCount(args, 1, 1, "close-error");
            faults.closeError = true;
        } else if (kind == "flush-error") {
            requireCount(args, 1, 1, "flush-error");
            faults.flushError = true;
        } else if (kind == "clear") {
            requireCount(args, 1, 1, "clear");
            faults = Faults{};
        } else {
            throw ToolError("unknown fault \"" + kind + "\"");
        }
    });
    std::cout << "fault " << kind << " set\n";
}

} // namespace

void addFaultCommands(std::vector<ToolCommand> &table)
{
    table.push_back({"fault",
                     "fault write-error LBA [KEY ASC ASCQ] | read-error LBA | busy SECONDS | not-ready SECONDS | "
                     "hang OPCODE | close-error | flush-error | clear",
                     fault});
}

} // namespace zelvane::vdrive::tool
