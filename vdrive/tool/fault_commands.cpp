// fault write-error/read-error/busy/not-ready/hang/close-error/flush-error/clear.
#include "core/clock.h"
#include "tool/tool_command.h"

#include <cmath>
#include <iostream>

namespace zelvane::vdrive::tool {

namespace {

struct FaultKind {
    const char *name;
    const char *arguments;
    const char *text;
};

// The faults the drive can be given, in the order the usage lists them.
constexpr FaultKind kFaultKinds[] = {
    {"write-error", "LBA [KEY ASC ASCQ]",
     "a write that covers sector LBA fails with that sense (default 3/0C/00, write error); numbers are decimal, "
     "0x-prefixed or h-suffixed hexadecimal"},
    {"read-error", "LBA", "a read that covers sector LBA fails (unrecovered read error)"},
    {"busy", "SECONDS", "every command ends with the status BUSY for SECONDS"},
    {"not-ready", "SECONDS", "the drive reports \"not ready\" for SECONDS"},
    {"hang", "OPCODE", "commands with the operation code OPCODE never complete"},
    {"close-error", "", "CLOSE TRACK/SESSION is refused (session fixation error)"},
    {"flush-error", "", "SYNCHRONIZE CACHE is refused (write error)"},
    {"clear", "", "remove every fault"},
};

// "write-error LBA [KEY ASC ASCQ]"
std::string form(const FaultKind &kind)
{
    return std::string(kind.name) + (*kind.arguments ? " " : "") + kind.arguments;
}

// args[0] names a fault kind; its arguments must number from minimum to maximum.
void requireCount(const Arguments &args, size_t minimum, size_t maximum)
{
    if (args.size() >= minimum && args.size() <= maximum)
        return;
    for (const FaultKind &kind : kFaultKinds)
        if (args[0] == kind.name)
            throw ToolError("usage: fault " + form(kind));
}

std::string kindNames()
{
    std::string names;
    for (const FaultKind &kind : kFaultKinds)
        names += (names.empty() ? "" : ", ") + std::string(kind.name);
    return names;
}

int64_t untilMs(const std::string &seconds)
{
    return nowMs() + static_cast<int64_t>(std::llround(parsePositive(seconds, "seconds") * 1000.0));
}

void fault(const Arguments &args, const StateStore &store)
{
    if (args.empty())
        throw ToolError("expected one of " + kindNames());
    const std::string &kind = args[0];
    updateState(store, [&](DriveState &state) {
        Faults &faults = state.faults;
        if (kind == "write-error") {
            requireCount(args, 2, 5);
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
            requireCount(args, 2, 2);
            faults.readErrors.push_back(parseNumber(args[1], "LBA"));
        } else if (kind == "busy") {
            requireCount(args, 2, 2);
            faults.busyUntilMs = untilMs(args[1]);
        } else if (kind == "not-ready") {
            requireCount(args, 2, 2);
            faults.notReadyUntilMs = untilMs(args[1]);
        } else if (kind == "hang") {
            requireCount(args, 2, 2);
            faults.hangOpcodes.push_back(static_cast<uint8_t>(parseNumber(args[1], "opcode", 0xFF)));
        } else if (kind == "close-error") {
            requireCount(args, 1, 1);
            faults.closeError = true;
        } else if (kind == "flush-error") {
            requireCount(args, 1, 1);
            faults.flushError = true;
        } else if (kind == "clear") {
            requireCount(args, 1, 1);
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
    usage::Command doc{
        .name = "fault",
        .summary = "make the drive fail in a given way, or remove the faults",
        .description = "Gives the drive a fault that lasts until \"fault clear\" (busy and not-ready end by "
                       "themselves); several faults can be set at once. \"status\" lists them.",
        .operands = {.completion = usage::Completion::Words},
    };
    for (const FaultKind &kind : kFaultKinds) {
        doc.forms.push_back(form(kind));
        doc.operands.words.push_back(kind.name);
        doc.description += "\n\n" + form(kind) + ": " + kind.text + ".";
    }
    table.push_back({std::move(doc), fault});
}

} // namespace zelvane::vdrive::tool
