// zelvane-cli burn: writes local files and folders to the disc in the drive
// as the wizard's "new disc" task does, or with --continue as its "continue
// disc" task (a new session that carries on the last one).
#include "burn_checks.h"
#include "burn_settings.h"
#include "command.h"
#include "drive_choice.h"
#include "erase_run.h"
#include "project_builder.h"
#include "write_session.h"

#include "sxCDBC/FolderProject.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxConst/ImportTexts.h"
#include "sxDrvLib/VolumeDescriptor.h"

#include <array>
#include <cstdio>

namespace zelvane::cli {

namespace {

constexpr const char *kUsage =
    "burn [--continue] [--finalize] [--test-write] [--erase-first] [--speed N] [--cache MB] [--volume TEXT] "
    "[--boot FLOPPY.img] PATH...";

struct BurnOptions {
    bool continueDisc = false;
    bool finalize = false;
    BurnSettings settings;
    ProjectOptions project;
};

bool parse(const CommandArgs &args, BurnOptions &options, std::string &error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--continue") {
            options.continueDisc = true;
            continue;
        }
        if (arg == "--finalize") {
            options.finalize = true;
            continue;
        }
        const SettingTaken setting = takeBurnSetting(args, i, options.settings, error);
        if (setting == SettingTaken::Failed)
            return false;
        if (setting == SettingTaken::Yes)
            continue;
        const OptionTaken taken = takeProjectOption(args, i, options.project, error);
        if (taken == OptionTaken::Failed)
            return false;
        if (taken == OptionTaken::No) {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.project.paths.empty())
        error = "no PATH to write";
    else if (options.continueDisc && options.settings.eraseFirst)
        error = "--erase-first cannot continue a disc";
    else
        checkBootImage(options.project, error);
    return error.empty();
}

// A continued disc keeps the identifiers its volume already carries.
void keepDiscIdentifiers(TSarnixBurner &burner)
{
    alignas(8) std::array<std::uint8_t, 2048> sector{};
    if (!burner.Read10(kFirstDescriptorLba, 1, sector))
        return;
    if (const auto ids = PrimaryVolumeIdentifiers(sector)) {
        burner.IdPreparer = ids->preparer;
        burner.IdPublisher = ids->publisher;
        burner.FileCopyright = ids->copyright;
        burner.IdApplication = ids->application;
    }
}

int refuse(const std::string &reason)
{
    std::fprintf(stderr, "zelvane-cli burn: Запись невозможна: %s\n", reason.c_str());
    return 1;
}

int burn(const CommandArgs &args)
{
    BurnOptions options;
    std::string error;
    if (!parse(args, options, error)) {
        std::fprintf(stderr, "zelvane-cli burn: %s\nusage: zelvane-cli %s\n", error.c_str(), kUsage);
        return 2;
    }
    TSarnixBurner burner;
    bool treeFailed = false;
    reportTreeMessages(burner, "burn", treeFailed);
    if (const int code = openDrive(burner, std::nullopt, "burn"))
        return code;
    PrepareWriter(burner);

    const BurnTask task = options.continueDisc ? BurnTask::ContinueDisc : BurnTask::NewDisc;
    FolderProject project(burner);
    buildProject(burner, project, options.project);
    printProjectNotes(project, "burn");
    if (projectBytes(burner) == 0)
        return refuse("Проект пуст");
    DiscState disc;
    if (const auto reason = CheckDriveAndMedium(burner, task, disc))
        return refuse(*reason);

    // The previous session is carried on when the disc is continued.
    burner.ImportSessionNumber = task == BurnTask::ContinueDisc ? -1 : 0;
    burner.PrepareLayout(false, nullptr);
    if (burner.LastImportFailed())
        return refuse(std::string(texts::kPreviousSessionUnreadable));
    const std::int64_t sectors = burner.SectorsToWrite();
    if (options.settings.eraseFirst) {
        // The whole disc will be free once it is blank.
        if (sectors > disc.capacity)
            return refuse(kProjectTooLarge);
        if (const int failure = EraseDisc(burner, EraseRequest{}, "burn"))
            return failure;
        if (const auto reason = CheckDriveAndMedium(burner, task, disc))
            return refuse(*reason);
    }
    switch (CheckSpace(sectors, disc, task)) {
    case SpaceVerdict::NeedsErase:
        return refuse(std::string("Запись возможна лишь после предварительной очистки носителя. ") + kEraseFirstHint);
    case SpaceVerdict::TooLarge:
        return refuse(kProjectTooLarge);
    case SpaceVerdict::Fits:
        break;
    }
    burner.FinalizeDisc = options.finalize || FinalizeByFreeSpace(sectors, disc);
    if (task == BurnTask::ContinueDisc)
        keepDiscIdentifiers(burner);
    applyBurnSettings(burner, options.settings, disc.mediaCode);

    std::printf("%s %s: %lld sectors%s%s\n", task == BurnTask::ContinueDisc ? "continuing" : "writing",
                disc.mediaName.c_str(), static_cast<long long>(sectors),
                burner.FinalizeDisc ? ", the disc will be closed" : "", burner.TestWrite ? ", test write" : "");
    WriteSession session(burner, "burn");
    const bool started = burner.BurnProject();
    const std::string result = session.run(started);
    const int code = session.finish(result);
    return code == 0 && (treeFailed || !project.complete()) ? 1 : code;
}

const CliCommandRegistrar registrar("burn", kUsage, burn);

} // namespace

} // namespace zelvane::cli
