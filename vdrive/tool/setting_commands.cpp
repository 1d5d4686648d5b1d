// speed and model.
#include "tool/tool_command.h"

#include <iostream>

namespace zelvane::vdrive::tool {

namespace {

void speed(const Arguments &args, const StateStore &store)
{
    if (args.empty() || (args[0] != "realtime" && args[0] != "fast"))
        throw ToolError("expected realtime or fast");
    double factor = 1.0;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--factor" && i + 1 < args.size())
            factor = parsePositive(args[++i], "factor");
        else
            throw ToolError("unexpected argument \"" + args[i] + "\"");
    }
    updateState(store, [&](DriveState &state) {
        state.speedMode = args[0] == "fast" ? SpeedMode::Fast : SpeedMode::Realtime;
        state.timeFactor = factor;
        state.bufferFill = 0;
    });
    std::cout << "speed emulation: " << args[0] << ", factor " << factor << '\n';
}

void model(const Arguments &args, const StateStore &store)
{
    if (args.empty())
        throw ToolError("expected --default or model options");
    updateState(store, [&](DriveState &state) {
        DriveModel next = state.model;
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string &option = args[i];
            const bool hasValue = i + 1 < args.size();
            if (option == "--default")
                next = DriveModel{};
            else if (option == "--vendor" && hasValue)
                next.vendor = args[++i].substr(0, 8);
            else if (option == "--product" && hasValue)
                next.product = args[++i].substr(0, 16);
            else if (option == "--revision" && hasValue)
                next.revision = args[++i].substr(0, 4);
            else if (option == "--no-get-configuration")
                next.noGetConfiguration = true;
            else if (option == "--no-disc-information")
                next.noDiscInformation = true;
            else if (option == "--no-atip")
                next.noAtip = true;
            else if (option == "--zero-write-speed")
                next.zeroWriteSpeed = true;
            else
                throw ToolError("unexpected argument \"" + option + "\"");
        }
        for (const std::string *text : {&next.vendor, &next.product, &next.revision})
            for (char c : *text)
                if (c < 0x20 || c > 0x7E)
                    throw ToolError("identification strings take printable ASCII only");
        state.model = next;
    });
    std::cout << "drive model set\n";
}

} // namespace

void addSettingCommands(std::vector<ToolCommand> &table)
{
    table.push_back({"speed", "speed realtime|fast [--factor F]", speed});
    table.push_back({"model",
                     "model [--vendor V] [--product P] [--revision R] [--no-get-configuration] "
                     "[--no-disc-information] [--no-atip] [--zero-write-speed] | model --default",
                     model});
}

} // namespace zelvane::vdrive::tool
