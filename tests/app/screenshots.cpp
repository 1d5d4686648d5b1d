// Saves a picture of every wizard page and of the help window:
//   zelvane-screenshots OUTPUT_FOLDER [--virtual-drive]
// The drives are scripted (a reader and a DVD writer holding a DVD+R with
// three sessions made by xorriso), or with --virtual-drive the engine's own,
// as the program finds them.
#include "choose_task.h"
#include "engine_backend.h"
#include "global.h"
#include "main.h"
#include "scripted_backend.h"
#include "session_discs.h"
#include "sessions.h"
#include "ui_sessions.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstring>

using namespace zelvane::app;
using namespace zelvane::app::testing;

namespace {

// Three sessions of photos, documents and music; nothing when xorriso is missing.
std::optional<MultisessionDisc> DemoDisc(const QTemporaryDir &work)
{
    const QList<QStringList> sessions = {
        {"Фотографии/Море 2025/IMG_0001.jpg", "Фотографии/Море 2025/IMG_0002.jpg", "Фотографии/Горы/IMG_0101.jpg",
         "Документы/Отчёт за год.odt", "readme.txt"},
        {"Музыка/Летний альбом/01 - Вступление.ogg", "Музыка/Летний альбом/02 - Дорога.ogg"},
        {"Документы/Договор.pdf", "Документы/Письма/Письмо.txt", "Фотографии/Море 2025/IMG_0003.jpg"},
    };
    QStringList folders;
    int seed = 0;
    for (qsizetype i = 0; i < sessions.size(); ++i) {
        folders << work.filePath(QStringLiteral("session%1").arg(i + 1));
        for (const QString &name : sessions[i]) {
            const QString file = folders.back() + QLatin1Char('/') + name;
            QDir().mkpath(QFileInfo(file).path());
            QFile out(file);
            ++seed;
            if (out.open(QIODevice::WriteOnly))
                out.write(QByteArray(40000 + 90000 * (seed % 7), static_cast<char>(seed)));
        }
    }
    return MakeMultisessionDisc(work.path(), folders);
}

std::unique_ptr<ScriptedBackend> DemoBurner(const std::optional<MultisessionDisc> &disc)
{
    auto burner = std::make_unique<ScriptedBackend>();
    ScriptedDrive reader;
    reader.line = DriveLine(0, "/dev/sr0", "DVD-ROM DRIVE");
    reader.capabilities = 0x1 | 0x2 | 0x8 | 0x10 | 0x20 | 0x80 | 0x100;
    ScriptedDrive writer;
    writer.line = DriveLine(1, "/dev/sr1", "DVD-RW WRITER");
    writer.capabilities = 0x7FFFF & ~0x20000u & ~0x4000u & ~0x40u;
    writer.mediaCode = 11;
    writer.discStatus = 1;
    writer.capacity = 2295104;
    writer.used = 412345;
    writer.maxWriteSpeed = 22160;
    writer.sector16 = PrimaryDescriptor("ФОТО_2026", "Иван Петров", "Zelvane", "COPYING.TXT", "2026120817300000",
                                        "ZELVANE 1.21");
    if (disc) {
        writer.discImage = disc->image.toStdString();
        writer.sessionStarts = disc->sessionStarts;
    }
    burner->drives = {reader, writer};
    return burner;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: zelvane-screenshots OUTPUT_FOLDER [--virtual-drive]\n");
        return 2;
    }
    const bool engineDrives = argc > 2 && std::strcmp(argv[2], "--virtual-drive") == 0;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    InteractionRecorder answers; // no dialog may block the run
    answers.openFileAnswer = QStringLiteral("/tmp/disc.iso");

    const QTemporaryDir work;
    TForm1 window(engineDrives ? MakeEngineBackend() : std::unique_ptr<DriveBackend>(DemoBurner(DemoDisc(work))));
    window.show();
    int failures = 0;
    auto save = [&](const QString &name, QWidget *shown = nullptr) {
        QApplication::processEvents();
        const QString file = out.filePath(name + QStringLiteral(".png"));
        if (!(shown ? shown : &window)->grab().save(file)) {
            std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
            ++failures;
            return;
        }
        std::printf("%s\n", qPrintable(file));
    };
    auto task = [&](int kind) {
        window.PngSpeedButton2Click();
        qobject_cast<TForm2 *>(window.CurrentPage())->PanelClick(kind);
    };
    QTimer::singleShot(0, [&] {
        save(QStringLiteral("1-choose_task"));
        task(Task::NewDisc);
        window.PngSpeedButton1Click();
        save(QStringLiteral("2-add_files"));
        window.PngSpeedButton1Click();
        save(QStringLiteral("3-burn_options"));
        window.PngSpeedButton1Click();
        save(QStringLiteral("4-process"));
        task(Task::EraseDisc);
        window.PngSpeedButton1Click();
        save(QStringLiteral("5-erase_options"));
        task(Task::DiscInfo);
        window.PngSpeedButton1Click();
        save(QStringLiteral("6-info"));
        window.PngSpeedButton3Click();
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->isVisible() && top != &window)
                save(QStringLiteral("6-info-help"), top);
        window.PngSpeedButton1Click();
        // The newest session opened down to a file, whose details show.
        if (auto *sessions = qobject_cast<TForm8 *>(window.CurrentPage())) {
            QTreeWidget *tree = sessions->Form().TreeView1;
            if (QTreeWidgetItem *last = tree->topLevelItem(tree->topLevelItemCount() - 1)) {
                tree->expandItem(last);
                if (QTreeWidgetItem *folder = last->childCount() > 0 ? last->child(0) : nullptr) {
                    tree->expandItem(folder);
                    tree->setCurrentItem(folder->child(folder->childCount() - 1));
                }
            }
        }
        save(QStringLiteral("7-sessions"));
        window.PngSpeedButton2Click();
        save(QStringLiteral("8-choose_task-start_over"));
        QApplication::exit(failures == 0 ? 0 : 1);
    });
    return QApplication::exec();
}
