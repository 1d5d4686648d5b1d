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
    table.push_back({{.name = "speed",
                      .summary = "emulate the drive's speed in real time, or as fast as possible",
                      .description = "realtime: writes wait for the drive buffer (2 MiB) to drain at the selected "
                                     "write speed, and blanking, formatting and closing take their real "
                                     "durations. fast (the default): the buffer drains at once and blanking or "
                                     "formatting takes one second.",
                      .options = {{.names = {"--factor"},
                                   .value = "F",
                                   .text = "Multiply every duration by F (default 1)."}},
                      .operands = {.completion = usage::Completion::Words, .words = {"realtime", "fast"}},
                      .forms = {"realtime|fast [--factor F]"}},
                     speed});
    auto flag = [](const char *name, const char *text) { return usage::Option{.names = {name}, .text = text}; };
    auto text = [](const char *name, const char *value, const char *what) {
        return usage::Option{.names = {name}, .value = value, .text = what};
    };
    table.push_back({{.name = "model",
                      .summary = "set the drive's identification and quirks",
                      .description = "Changes what the drive reports about itself, to try how programs cope "
                                     "with drives that lack a command. The settings last until \"model --default\".",
                      .options = {text("--vendor", "V", "The INQUIRY vendor identification (up to 8 characters)."),
                                  text("--product", "P", "The product identification (up to 16 characters)."),
                                  text("--revision", "R", "The product revision (up to 4 characters)."),
                                  flag("--no-get-configuration", "Refuse GET CONFIGURATION."),
                                  flag("--no-disc-information", "Refuse READ DISC INFORMATION."),
                                  flag("--no-atip", "Answer no ATIP to READ TOC/PMA/ATIP."),
                                  flag("--zero-write-speed", "Report write speeds of 0, and no speed list, in the capabilities page."),
                                  flag("--default", "Go back to the drive's own identification, without quirks.")},
                      .forms = {"[--vendor V] [--product P] [--revision R] [--no-get-configuration] "
                                "[--no-disc-information] [--no-atip] [--zero-write-speed]",
                                "--default"}},
                     model});
}

} // namespace zelvane::vdrive::tool
