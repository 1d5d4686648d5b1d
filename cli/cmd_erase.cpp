// zelvane-cli erase: blanks the rewritable disc in the drive, quickly (the
// default) or fully, shows the percentage while the drive works, and checks
// afterwards that the disc is blank (or formatted and empty).
#include "command.h"
#include "drive_choice.h"
#include "erase_run.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxDrvLib/MediaCode.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zelvane::cli {
namespace {

int RunErase(const CommandArgs &args)
{
    EraseRequest request;
    std::optional<long> wanted;
    bool verbose = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--full") {
            request.quick = false;
        } else if (arg == "--speed" && i + 1 < args.size()) {
            request.speedMultiple = ParseSpeedMultiple(args[++i]);
            if (!request.speedMultiple) {
                std::fprintf(stderr, "zelvane-cli erase: invalid speed '%s'\n", args[i].c_str());
                return kExitUsage;
            }
        } else if (arg == "--drive") {
            std::string error;
            if (!parseDriveOption(args, i, wanted, error)) {
                std::fprintf(stderr, "zelvane-cli erase: %s\n", error.c_str());
                return kExitUsage;
            }
        } else if (arg == "--verbose") {
            verbose = true;
        } else {
            std::fputs(commandUsage("erase").c_str(), stderr);
            return kExitUsage;
        }
    }

    TSarnixBurner burner;
    if (verbose)
        burner.OnDebugMessage = [](TSCSIDevice *, const std::string &message, uint8_t) {
            std::fprintf(stderr, "%s\n", message.c_str());
        };
    if (const int failure = openDrive(burner, wanted, "erase"))
        return failure;
    return EraseDisc(burner, request, "erase");
}

const CliCommandRegistrar registrar(
    {.name = "erase",
     .summary = "blank the rewritable disc (quick unless --full)",
     .description =
         "Blanks a CD-RW or DVD-RW, or formats a DVD+RW or DVD-RAM, printing the percentage done as the drive "
         "reports it, then checks that the disc is blank (or formatted and empty).",
     .options = {{.names = {"--full"}, .text = "Erase the whole disc instead of the quick erase."},
                 {.names = {"--speed"},
                  .value = "N",
                  .text = "Erase at N times the medium's base speed (\"4\", \"4x\" or \"2.4x\"; "
                          "default: the drive's highest)."},
                 driveOption(),
                 {.names = {"--verbose"}, .text = "Print the engine's command trace on standard error."}},
     .exits = driveCommandExits(eraseExits())},
    RunErase);

} // namespace
} // namespace zelvane::cli
