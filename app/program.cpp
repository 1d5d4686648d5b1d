// zelvane: the CD/DVD burning wizard.
#include "engine_backend.h"
#include "global.h"
#include "interaction.h"
#include "main.h"
#include "program_usage.h"
#include "single_instance.h"

#include <QApplication>
#include <QFont>

#include <cstdio>

namespace {

constexpr int kExitNoTransport = 1;
constexpr int kExitUsage = 2;

zelvane::usage::Program wizardProgram()
{
    return {
        .name = "zelvane",
        .summary = "CD/DVD burning wizard",
        .synopsis = {"[QT-OPTIONS]", "--help | --version | --manual-page | --bash-completion"},
        .description =
            "Zelvane is a wizard for burning CDs and DVDs. Its first page offers six tasks: burn a new data "
            "disc, continue a multisession disc (a new session that keeps the files of the earlier ones), erase "
            "a rewritable disc, make an ISO image from a project, burn an ISO image, and show the drive and the "
            "disc with a browser of the disc's sessions from which files and folders can be extracted. A few "
            "pages (in Russian) lead to a progress page. The Help button of each page opens its help page.\n\n"
            "The drives are found through Linux SG_IO on /dev/sr0 to /dev/sr24. On a machine without an optical "
            "drive the wizard works on Zelvane's virtual drive (see zelvane-vdrive(1)), so every task can be "
            "tried: give it a disc with \"zelvane-vdrive insert dvd-rw\" first.\n\n"
            "A second start of the program, by the same user, brings the running window to the front and ends.\n\n"
            "The options of every Qt program (QT-OPTIONS, such as -platform NAME, -display DISPLAY or "
            "-style STYLE) are taken as Qt describes them; any other argument is refused.",
        .options = zelvane::usage::StandardOptions(),
        .exits = {{0, "the wizard was closed, or a running wizard was brought to the front"},
                  {kExitNoTransport,
                   "ASPI initialization error: neither SG_IO drives nor a provider library were found"},
                  {kExitUsage, "an unknown argument was given"}},
        .environment = {{"ZELVANE_VDRIVE_DIR",
                         "The folder of the virtual drive's state and disc "
                         "(default $XDG_DATA_HOME/zelvane/vdrive, else ~/.local/share/zelvane/vdrive)."}},
        .files = {{"/usr/share/zelvane/help",
                   "The help pages, one per topic (N.html); looked up in help/ beside the program first, then in "
                   "../share/zelvane/help from the program's folder."},
                  {"libwnaspi32.so",
                   "The provider library: looked up beside the program, then in the dynamic loader's search path. "
                   "The one installed with Zelvane is the virtual drive."}},
        .seeAlso = {"zelvane-cli(1)", "zelvane-vdrive(1)"},
    };
}

} // namespace

int main(int argc, char **argv)
{
    using namespace zelvane::app;
    const zelvane::usage::Program program = wizardProgram();
    // Answered before Qt starts, so they need no display.
    for (int i = 1; i < argc; ++i)
        if (const auto status = zelvane::usage::AnswerStandardOption(program, argv[i]))
            return *status;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zelvane"));
    QApplication::setDesktopFileName(QStringLiteral("zelvane"));
    // Qt has taken its own options out of the arguments; what is left is unknown.
    const QStringList rest = QApplication::arguments().mid(1);
    if (!rest.isEmpty()) {
        std::fprintf(stderr, "zelvane: unknown argument '%s'\n%s", rest.front().toLocal8Bit().constData(),
                     zelvane::usage::HelpText(program).c_str());
        return kExitUsage;
    }
    InstallQtRussianTexts();

    SingleInstance instance;
    if (instance.ActivateRunningInstance())
        return 0;
    instance.Listen();

    TForm1 window(MakeEngineBackend());
    if (!window.Started())
        return kExitNoTransport;
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &TForm1::Activate);
    window.show();
    return QApplication::exec();
}
