// zelvane-cli burn-iso: writes an ISO image file to the disc in the drive,
// as the wizard's "burn an image" task does.
#include "burn_settings.h"
#include "command.h"
#include "drive_checks.h"
#include "drive_choice.h"
#include "erase_run.h"
#include "write_session.h"

#include "sxCDBC/SarnixBurner.h"
#include "sxTasks/TaskTexts.h"

#include <cstdio>
#include <sys/stat.h>

namespace zelvane::cli {

namespace {

int refuse(const std::string &reason)
{
    std::fprintf(stderr, "zelvane-cli burn-iso: Запись невозможна: %s\n", reason.c_str());
    return kExitRefused;
}

int burnIso(const CommandArgs &args)
{
    BurnSettings settings;
    std::string image, error;
    for (std::size_t i = 0; i < args.size() && error.empty(); ++i) {
        const SettingTaken taken = takeBurnSetting(args, i, settings, error);
        if (taken == SettingTaken::No && args[i].size() > 1 && args[i][0] == '-')
            error = "unknown option " + args[i];
        else if (taken == SettingTaken::No && image.empty())
            image = args[i];
        else if (taken == SettingTaken::No)
            error = "only one image file can be written";
    }
    if (error.empty() && image.empty())
        error = "no image file";
    if (!error.empty()) {
        std::fprintf(stderr, "zelvane-cli burn-iso: %s\n%s", error.c_str(), commandUsage("burn-iso").c_str());
        return kExitBurnUsage;
    }
    TSarnixBurner burner;
    if (const int code = openDrive(burner, std::nullopt, "burn-iso"))
        return code;
    PrepareWriter(burner);
    DiscFacts disc;
    if (const auto reason = CheckDriveAndMedium(burner, BurnTask::BurnImage, disc))
        return refuse(*reason);
    // An image always starts at the beginning of the disc: a disc that holds
    // data must be erased first.
    struct stat info {};
    const std::int64_t sectors = ::stat(image.c_str(), &info) == 0 ? tasks::ImageSectors(info.st_size) : 0;
    if (settings.eraseFirst) {
        if (sectors > disc.capacity)
            return refuse(tasks::texts::kProjectTooLarge);
        if (const int failure = EraseDisc(burner, EraseRequest{}, "burn-iso"))
            return failure;
        if (const auto reason = CheckDriveAndMedium(burner, BurnTask::BurnImage, disc))
            return refuse(*reason);
    }
    if (const auto refusal = tasks::RefuseImageTarget(disc)) {
        burner.Eject(true);
        return refuse(refusal->text);
    }
    if (tasks::ImageNeedsErase(disc))
        return refuse(std::string(tasks::texts::kEraseNeeded) + " " + kEraseFirstHint);
    if (tasks::CheckSpace(BurnTask::BurnImage, sectors, disc) == SpaceVerdict::TooLarge)
        return refuse(tasks::texts::kProjectTooLarge);
    applyBurnSettings(burner, settings, disc.mediaCode);
    burner.FinalizeDisc = tasks::FinalizeByFreeSpace(sectors, disc);

    std::printf("writing %s to %s: %lld sectors\n", image.c_str(), disc.mediaName.c_str(), static_cast<long long>(sectors));
    WriteSession session(burner, "burn-iso");
    const bool started = burner.BurnImageFile(image);
    return session.finish(session.run(started));
}

const CliCommandRegistrar registrar(
    {.name = "burn-iso",
     .summary = "write an ISO image file to the disc in the drive",
     .description =
         "Writes FILE.iso from the first sector of the disc, as the wizard's \"burn an image\" task does. A disc "
         "that already holds data must be erased first (--erase-first does it for a rewritable disc). The disc "
         "is closed when less than 2 MB stay free. Progress is printed while the disc is written, then "
         "\"Запись успешно завершена\" or the error.",
     .options = burnSettingOptions(),
     .operands = {.placeholder = "FILE.iso", .completion = usage::Completion::File},
     .exits = burnExits()},
    burnIso);

} // namespace

} // namespace zelvane::cli
