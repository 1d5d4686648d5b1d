// zelvane-cli burn: writes local files and folders to the disc in the drive
// as the wizard's "new disc" task does, or with --continue as its "continue
// disc" task (a new session that carries on the last one).
#include "burn_settings.h"
#include "command.h"
#include "drive_checks.h"
#include "drive_choice.h"
#include "erase_run.h"
#include "project_builder.h"
#include "write_session.h"

#include "sxCDBC/FolderProject.h"
#include "sxCDBC/SarnixBurner.h"
#include "sxConst/ImportTexts.h"
#include "sxDrvLib/VolumeDescriptor.h"
#include "sxTasks/TaskTexts.h"

#include <array>
#include <cstdio>

namespace zelvane::cli {

namespace {


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
    return kExitRefused;
}

int burn(const CommandArgs &args)
{
    BurnOptions options;
    std::string error;
    if (!parse(args, options, error)) {
        std::fprintf(stderr, "zelvane-cli burn: %s\n%s", error.c_str(), commandUsage("burn").c_str());
        return kExitBurnUsage;
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
    DiscFacts disc;
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
            return refuse(tasks::texts::kProjectTooLarge);
        if (const int failure = EraseDisc(burner, EraseRequest{}, "burn"))
            return failure;
        if (const auto reason = CheckDriveAndMedium(burner, task, disc))
            return refuse(*reason);
    }
    switch (tasks::CheckSpace(task, sectors, disc)) {
    case SpaceVerdict::NeedsErase:
        return refuse(std::string(tasks::texts::kEraseNeeded) + " " + kEraseFirstHint);
    case SpaceVerdict::TooLarge:
        return refuse(tasks::texts::kProjectTooLarge);
    case SpaceVerdict::Fits:
        break;
    }
    burner.FinalizeDisc = options.finalize || tasks::FinalizeByFreeSpace(sectors, disc);
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

usage::Command describe()
{
    usage::Command command{
        .name = "burn",
        .summary = "write local files and folders to the disc in the drive",
        .description =
            "Writes the files and folders named by PATH (each one at the top of the disc) as the wizard's "
            "\"new disc\" task does, or with --continue as its \"continue disc\" task: a new session that "
            "carries on the last session of the disc, which keeps its files. The checks of the wizard come "
            "first: a drive that is not ready, no or a read-only medium, a finalised CD to be continued, a "
            "project larger than the free space or a disc that must be erased first are refused with the "
            "wizard's message (\"Запись невозможна: ...\"). Progress is printed while the disc is written, "
            "then \"Запись успешно завершена\" or the error.\n\n"
            "The disc is closed with --finalize, and also when less than 2 MB would stay free. An argument "
            "\"--\" ends the options: every later argument is a PATH.",
        .options = {{.names = {"--continue"}, .text = "Add a session that continues the disc."},
                    {.names = {"--finalize"}, .text = "Close the disc after this session: nothing can be added later."}},
        .operands = {.placeholder = "PATH...", .completion = usage::Completion::File},
        .exits = burnExits(),
    };
    for (const auto &options : {burnSettingOptions(), projectOptions()})
        command.options.insert(command.options.end(), options.begin(), options.end());
    return command;
}

const CliCommandRegistrar registrar(describe(), burn);

} // namespace

} // namespace zelvane::cli
