// run: starts a program that sees the virtual drive as a Linux SCSI CD/DVD
// writer at a device path, through the preload library beside the tool (a
// build folder) or in its private library folder (an installed tool).
#include "tool/tool_command.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace zelvane::vdrive::tool {

namespace {

constexpr const char *kPreloadName = "libzelvane-vdrive-preload.so";

std::filesystem::path preloadLibrary()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        throw ToolError(std::string("cannot find ") + kPreloadName + ": the tool's own path is unknown");
    const auto beside = self.parent_path() / kPreloadName;
    if (std::filesystem::exists(beside))
        return beside;
    const auto installed = (self.parent_path() / ZELVANE_PRELOAD_FROM_TOOL / kPreloadName).lexically_normal();
    if (std::filesystem::exists(installed))
        return installed;
    throw ToolError(std::string("cannot find ") + kPreloadName + " beside " + self.string() + " or in " +
                    installed.parent_path().string());
}

void run(const Arguments &args, const StateStore &store)
{
    std::string device = "/dev/sr0";
    size_t i = 0;
    for (; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] == "--device" && i + 1 < args.size())
            device = args[++i];
        else
            throw ToolError("unexpected argument \"" + args[i] + "\" (the program follows --)");
    }
    if (i + 1 >= args.size())
        throw ToolError("missing program: run [--device /dev/srN] -- PROGRAM [ARGUMENTS]");
    if (device.empty() || device.front() != '/')
        throw ToolError("the device must be an absolute path such as /dev/sr0");

    std::string preload = preloadLibrary().string();
    if (const char *earlier = std::getenv("LD_PRELOAD"); earlier && *earlier)
        preload += std::string(":") + earlier;
    const std::string folder = std::filesystem::absolute(store.folder()).string();
    ::setenv("LD_PRELOAD", preload.c_str(), 1);
    ::setenv("ZELVANE_VDRIVE_DEVICE", device.c_str(), 1);
    ::setenv("ZELVANE_VDRIVE_DIR", folder.c_str(), 1);

    std::vector<char *> argv;
    for (size_t k = i + 1; k < args.size(); ++k)
        argv.push_back(const_cast<char *>(args[k].c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    throw ToolError("cannot run " + args[i + 1] + ": " + std::strerror(errno));
}

} // namespace

void addRunCommand(std::vector<ToolCommand> &table)
{
    table.push_back({{.name = "run",
                      .summary = "run a program that sees the virtual drive as a SCSI CD/DVD writer",
                      .description = "Starts PROGRAM with ARGUMENTS so that it sees the virtual drive as a Linux "
                                     "SCSI CD/DVD writer at a device path: a preload library answers opening "
                                     "the device, its status, the SG_IO ioctl and the sg and cdrom queries "
                                     "that burning programs make, and passes each command to the drive. "
                                     "Programs that PROGRAM starts see the drive too. The tool ends with "
                                     "PROGRAM's exit status. With ZELVANE_VDRIVE_TRACE=1 every command and its "
                                     "outcome is printed on standard error.",
                      .options = {{.names = {"--device"},
                                   .value = "/dev/srN",
                                   .text = "The device path the program sees (default /dev/sr0)."}},
                      .operands = {.placeholder = "-- PROGRAM [ARGUMENTS]"},
                      .forms = {"[--device /dev/srN] -- PROGRAM [ARGUMENTS]"}},
                     run});
}

} // namespace zelvane::vdrive::tool
