// Saves a picture of every wizard page and of the help window:
//   zelvane-screenshots OUTPUT_FOLDER [--virtual-drive IMAGE.iso]
// The drives are scripted (a reader and a DVD writer holding a DVD+R with
// three sessions made by xorriso), or with --virtual-drive the engine's own,
// as the program finds them (a blank DVD-RW in the virtual drive, writing in
// real time): then the process page erases the disc and burns IMAGE.iso onto
// it.
#include "choose_task.h"
#include "engine_backend.h"
#include "global.h"
#include "main.h"
#include "process.h"
#include "scripted_backend.h"
#include "session_discs.h"
#include "sessions.h"
#include "ui_process.h"
#include "ui_sessions.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <cstring>
#include <functional>

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
    writer.writeSpeeds = {22160, 16620, 11080, 8310, 5540, 3324};
    writer.bufferSize = 2097152;
    writer.sector16 = PrimaryDescriptor("ФОТО_2026", "Иван Петров", "Zelvane", "COPYING.TXT", "2026120817300000",
                                        "ZELVANE 1.21");
    if (disc) {
        writer.discImage = disc->image.toStdString();
        writer.sessionStarts = disc->sessionStarts;
    }
    burner->drives = {reader, writer};
    burner->sectorsToWrite = 1638400; // 3 200 MB
    return burner;
}

// A blank DVD-RW in the scripted writer, so that it can be erased.
void InsertDvdRw(ScriptedBackend &burner)
{
    ScriptedDrive &writer = burner.drives[1];
    writer.mediaCode = 9;
    writer.discStatus = 0;
    writer.used = 0;
    writer.erasable = true;
    writer.maxWriteSpeed = 8310;
    writer.writeSpeeds = {8310, 5540, 2770};
}

class Shooter {
public:
    Shooter(TForm1 &window, const QDir &out) : window_(window), out_(out) {}

    void save(const QString &name, QWidget *shown = nullptr)
    {
        QApplication::processEvents();
        const QString file = out_.filePath(name + QStringLiteral(".png"));
        if (!(shown ? shown : &window_)->grab().save(file)) {
            std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
            ++failures;
            return;
        }
        std::printf("%s\n", qPrintable(file));
    }
    void task(int kind)
    {
        window_.PngSpeedButton2Click();
        qobject_cast<TForm2 *>(window_.CurrentPage())->PanelClick(kind);
    }
    void next() { window_.PngSpeedButton1Click(); }
    TForm5 *process() const { return qobject_cast<TForm5 *>(window_.CurrentPage()); }
    // Waits until the condition holds (at most `seconds`).
    bool waitFor(const std::function<bool()> &condition, int seconds)
    {
        for (int i = 0; i < seconds * 20 && !condition(); ++i)
            QTest::qWait(50);
        return condition();
    }
    // The error box as the process page shows it.
    void saveErrorBox(const QString &name, const QString &error)
    {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Ошибка записи"),
                        QStringLiteral("Запись завершена с ошибкой: ") + error, QMessageBox::Ok, &window_);
        box.show();
        save(name, &box);
    }

    int failures = 0;

private:
    TForm1 &window_;
    QDir out_;
};

void ScriptedPages(Shooter &shot, TForm1 &window, ScriptedBackend &burner)
{
    shot.save(QStringLiteral("1-choose_task"));
    shot.task(Task::NewDisc);
    shot.next();
    shot.save(QStringLiteral("2-add_files"));
    shot.next();
    shot.save(QStringLiteral("3-burn_options-new_disc"));
    shot.next();
    shot.waitFor([&] { return burner.Running(); }, 5);
    burner.bytesWritten = 1398101333;
    burner.cacheFill = 87;
    burner.freeBuffer = 524288;
    QTest::qWait(1200);
    shot.save(QStringLiteral("4-process-writing"));
    burner.FinalizeWrite();
    QTest::qWait(200);
    shot.save(QStringLiteral("4-process-finalizing"));
    burner.FinishWrite({});
    shot.waitFor([&] { return shot.process()->Finished(); }, 5);
    shot.save(QStringLiteral("4-process-done"));

    shot.task(Task::NewDisc);
    shot.next();
    shot.next();
    shot.next();
    shot.waitFor([&] { return burner.Running(); }, 5);
    burner.bytesWritten = 157286400;
    QTest::qWait(700);
    const std::string error = "WRITER ERROR [MEDIUM ERROR (WRITE ERROR)]";
    burner.FinishWrite(error);
    shot.waitFor([&] { return shot.process()->Finished(); }, 5);
    shot.save(QStringLiteral("4-process-error"));
    shot.saveErrorBox(QStringLiteral("4-process-error-box"), QString::fromStdString(error));

    for (const auto &[kind, name] : {std::pair{Task::ContinueDisc, "3-burn_options-continue_disc"},
                                     std::pair{Task::MakeImage, "3-burn_options-make_image"}}) {
        shot.task(kind);
        shot.next();
        shot.next();
        shot.save(QString::fromLatin1(name));
    }
    shot.task(Task::MakeImage);
    shot.next();
    shot.next();
    shot.next();
    shot.waitFor([&] { return burner.Running(); }, 5);
    burner.bytesWritten = 104857600;
    QTest::qWait(700);
    shot.save(QStringLiteral("4-process-make_image"));
    burner.FinishWrite({});

    const ScriptedDrive written = burner.drives[1];
    InsertDvdRw(burner);
    shot.task(Task::BurnImage);
    shot.next();
    shot.save(QStringLiteral("3-burn_options-burn_image"));
    shot.task(Task::EraseDisc);
    shot.next();
    shot.save(QStringLiteral("5-erase_options"));
    shot.next();
    shot.waitFor([&] { return burner.Erasing(); }, 5);
    burner.eraseProgress = 45;
    QTest::qWait(1200);
    shot.save(QStringLiteral("5-process-erase"));
    burner.FinishErase(false);
    shot.waitFor([&] { return shot.process()->Finished(); }, 5);
    shot.save(QStringLiteral("5-process-erase-done"));

    burner.drives[1] = written;
    shot.task(Task::DiscInfo);
    shot.next();
    shot.save(QStringLiteral("6-info"));
    window.PngSpeedButton3Click();
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->isVisible() && top != &window && top->windowTitle() == QStringLiteral("Справка Zelvane"))
            shot.save(QStringLiteral("6-info-help"), top);
    shot.next();
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
    shot.save(QStringLiteral("7-sessions"));
    window.PngSpeedButton2Click();
    shot.save(QStringLiteral("8-choose_task-start_over"));
}

// The virtual drive: the blank DVD-RW is erased, the image burned in real
// time, and a second burn meets an injected write error.
void VirtualDrivePages(Shooter &shot, TForm1 &window, const QString &image)
{
    auto vdrive = [](const QStringList &arguments) {
        return QProcess::execute(QCoreApplication::applicationDirPath() + QStringLiteral("/zelvane-vdrive"),
                                 arguments) == 0;
    };
    shot.save(QStringLiteral("1-choose_task"));
    shot.task(Task::EraseDisc);
    shot.next();
    shot.save(QStringLiteral("5-erase_options"));
    shot.next();
    shot.waitFor([&] { return window.sarnixb().Erasing(); }, 10);
    QTest::qWait(1500);
    shot.save(QStringLiteral("5-process-erase"));
    shot.waitFor([&] { return shot.process()->Finished(); }, 120);
    shot.save(QStringLiteral("5-process-erase-done"));

    Wizard().IsoPath = image;
    shot.task(Task::BurnImage);
    window.PngSpeedButton1Click(); // the open dialog answers with the image
    shot.save(QStringLiteral("3-burn_options-burn_image"));
    shot.next();
    shot.waitFor([&] { return window.sarnixb().BytesWritten() > 0; }, 60);
    QTest::qWait(2500);
    shot.save(QStringLiteral("4-process-writing"));
    shot.waitFor([&] { return shot.process()->Form().Label6->text().startsWith(QStringLiteral("Завершение")); }, 300);
    shot.save(QStringLiteral("4-process-finalizing"));
    shot.waitFor([&] { return shot.process()->Finished(); }, 300);
    shot.save(QStringLiteral("4-process-done"));

    vdrive({QStringLiteral("insert"), QStringLiteral("dvd+r")});
    vdrive({QStringLiteral("fault"), QStringLiteral("write-error"), QStringLiteral("64")});
    shot.task(Task::BurnImage);
    window.PngSpeedButton1Click();
    shot.next();
    shot.waitFor([&] { return shot.process() && shot.process()->Finished(); }, 300);
    shot.save(QStringLiteral("4-process-error"));
    shot.saveErrorBox(QStringLiteral("4-process-error-box"), Wizard().WriteError);
    vdrive({QStringLiteral("fault"), QStringLiteral("clear")});

    shot.task(Task::DiscInfo);
    shot.next();
    shot.save(QStringLiteral("6-info"));
    shot.next();
    shot.save(QStringLiteral("7-sessions"));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    InstallQtRussianTexts();
    if (argc < 2 || (argc > 2 && (std::strcmp(argv[2], "--virtual-drive") != 0 || argc < 4))) {
        std::fprintf(stderr, "usage: zelvane-screenshots OUTPUT_FOLDER [--virtual-drive IMAGE.iso]\n");
        return 2;
    }
    const bool engineDrives = argc > 2;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    InteractionRecorder answers; // no dialog may block the run
    answers.openFileAnswer = engineDrives ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("/tmp/disc.iso");

    const QTemporaryDir work;
    ScriptedBackend *scripted = nullptr;
    std::unique_ptr<DriveBackend> backend;
    if (engineDrives) {
        backend = MakeEngineBackend();
    } else {
        auto demo = DemoBurner(DemoDisc(work));
        scripted = demo.get();
        backend = std::move(demo);
    }
    TForm1 window(std::move(backend));
    window.show();
    Shooter shot(window, out);
    QTimer::singleShot(0, [&] {
        if (scripted)
            ScriptedPages(shot, window, *scripted);
        else
            VirtualDrivePages(shot, window, answers.openFileAnswer.value_or(QString()));
        QApplication::exit(shot.failures == 0 ? 0 : 1);
    });
    return QApplication::exec();
}
