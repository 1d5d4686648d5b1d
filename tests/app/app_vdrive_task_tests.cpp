// Tasks run through the wizard's pages on the real engine and the virtual
// drive, the results read back by the drive's own tool, cmp and xorriso:
// erasing rewritable discs, burning ISO images, a new disc continued, an
// image file made, and the failures (a disc that cannot be erased, a write
// error, a drive that stays not ready, the window closed during a write or
// an erase).
#include "burn_options.h"
#include "erase_options.h"
#include "image_button.h"
#include "process.h"
#include "scripted_backend.h"
#include "sxCDBC/FolderProject.h"
#include "ui_erase_options.h"
#include "ui_process.h"
#include "virtual_drive_wizard.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <cstdlib>

using namespace zelvane::app;
using namespace zelvane::app::testing;

namespace {

// Runs a shell command; its standard output, or nothing when it failed.
std::optional<QString> Shell(const QString &command)
{
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!shell.waitForFinished(120000) || shell.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(shell.readAllStandardOutput());
}

QString Quoted(const QString &path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

} // namespace

class VirtualDriveTaskTests : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> work_;
    std::unique_ptr<InteractionRecorder> answers_;
    std::unique_ptr<VirtualDriveWizard> wizard_;
    QString genImage_, ownImage_;

    void vdrive(const QStringList &arguments)
    {
        QVERIFY2(RunBuiltTool(QStringLiteral("zelvane-vdrive"), arguments), qPrintable(arguments.join(' ')));
    }
    QString status() { return RunBuiltTool(QStringLiteral("zelvane-vdrive"), {QStringLiteral("status")}).value_or(QString()); }
    QString path(const QString &name) const { return work_->filePath(name); }

    TForm5 *process() const { return qobject_cast<TForm5 *>(wizard_->window->CurrentPage()); }
    // Picks a task on a fresh task page.
    void startTask(int task)
    {
        TForm1 &window = *wizard_->window;
        if (!window.isVisible())
            window.show();
        window.PngSpeedButton2Click();
        qobject_cast<TForm2 *>(window.CurrentPage())->PanelClick(task);
    }
    void next() { wizard_->window->PngSpeedButton1Click(); }
    void waitForTheEnd()
    {
        QVERIFY(process());
        QTRY_VERIFY_WITH_TIMEOUT(process()->Finished(), 120000);
    }
    // The erase task from its options page to its end.
    void erase(bool quick)
    {
        startTask(Task::EraseDisc);
        next();
        if (!quick)
            qobject_cast<TForm7 *>(wizard_->window->CurrentPage())->Form().RadioButton2->click();
        next();
        waitForTheEnd();
    }
    // The image task, the open dialog answering with the image.
    void burnImage(const QString &image)
    {
        answers_->openFileAnswer = image;
        startTask(Task::BurnImage);
        next();
        QCOMPARE(wizard_->window->CurrentPage()->windowTitle(), PageCaption::BurnOptions);
        next();
        waitForTheEnd();
        if (!answers_->messages.empty())
            QFAIL(qPrintable(answers_->messages.front().text));
        QCOMPARE(process()->Form().Label6->text(), QStringLiteral("Запись успешно завершена"));
    }
    // The disc holds the image byte for byte, and xorriso finds its files.
    void expectDiscHolds(const QString &image)
    {
        const QString back = path(QStringLiteral("back.img"));
        vdrive({QStringLiteral("export"), back});
        QVERIFY2(Shell(QStringLiteral("cmp -n $(stat -c %s %1) %1 %2").arg(Quoted(image), Quoted(back))),
                 "the disc does not hold the image");
        const auto listing = Shell(QStringLiteral("xorriso -indev %1 -find / 2>/dev/null").arg(Quoted(back)));
        QVERIFY(listing);
        QVERIFY2(listing->contains(QStringLiteral("/notes/readme.txt'")), qPrintable(*listing));
        QVERIFY2(listing->contains(QStringLiteral("/data.bin'")), qPrintable(*listing));
    }
    // The erase ended well and the drive calls the disc blank (a DVD+RW:
    // formatted, without a volume at sector 16).
    void expectBlank(bool formatted)
    {
        QCOMPARE(process()->Form().Label4->text(), QStringLiteral("Очистка успешно завершена"));
        const QString text = status();
        if (!formatted) {
            QVERIFY2(text.contains(QStringLiteral("disc status: blank")), qPrintable(text));
            return;
        }
        QVERIFY2(text.contains(QStringLiteral("formatted")), qPrintable(text));
        const QString back = path(QStringLiteral("blank.img"));
        vdrive({QStringLiteral("export"), back});
        QVERIFY(Shell(QStringLiteral("cmp -n 2048 -i 32768:0 %1 /dev/zero").arg(Quoted(back))));
    }
    // A project of one folder built on the burner, as the project page
    // hands it over, and laid out for the free-space check.
    void buildProject(const QString &folder, bool continueDisc)
    {
        zelvane::TSarnixBurner &burner = *wizard_->burner;
        burner.ClearProject(65535, 8191);
        zelvane::FolderProject project(burner);
        project.addPath(folder.toStdString());
        project.build();
        burner.ImportSessionNumber = continueDisc ? -1 : 0;
        burner.PrepareLayout(false, nullptr);
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xorriso")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("genisoimage")).isEmpty())
            QSKIP("xorriso and genisoimage are needed");
        work_ = std::make_unique<QTemporaryDir>();
        const QString source = path(QStringLiteral("source"));
        QVERIFY(Shell(QStringLiteral("mkdir -p %1/notes && echo 'Zelvane' > %1/notes/readme.txt && "
                                     "head -c 3000000 /dev/urandom > %1/data.bin")
                          .arg(Quoted(source))));
        genImage_ = path(QStringLiteral("gen.iso"));
        ownImage_ = path(QStringLiteral("own.iso"));
        QVERIFY(Shell(QStringLiteral("genisoimage -quiet -J -r -o %1 %2").arg(Quoted(genImage_), Quoted(source))));
        QVERIFY(RunBuiltTool(QStringLiteral("zelvane-cli"), {QStringLiteral("make-iso"), QStringLiteral("-o"), ownImage_, source}));
    }

    void init()
    {
        const QString drive = work_->filePath(QStringLiteral("drive-") + QTest::currentTestFunction());
        QVERIFY(QDir().mkpath(drive));
        qputenv("ZELVANE_VDRIVE_DIR", drive.toLocal8Bit());
        answers_ = std::make_unique<InteractionRecorder>();
    }

    void cleanup()
    {
        wizard_.reset();
        answers_.reset();
    }

    void rewritableDiscsAreErasedAndTakeImages_data()
    {
        QTest::addColumn<QStringList>("medium");
        QTest::addColumn<bool>("formatted");
        QTest::newRow("CD-RW") << QStringList{"cd-rw"} << false;
        QTest::newRow("DVD-RW") << QStringList{"dvd-rw"} << false;
        // A small DVD+RW: the full erase writes zeros up to its end, not 4 GB.
        QTest::newRow("DVD+RW") << QStringList{"dvd+rw", "--capacity", "65536"} << true;
    }
    void rewritableDiscsAreErasedAndTakeImages()
    {
        QFETCH(QStringList, medium);
        QFETCH(bool, formatted);
        vdrive(QStringList{QStringLiteral("insert")} + medium);
        wizard_ = std::make_unique<VirtualDriveWizard>(true);
        VDRIVE_OR_SKIP(*wizard_);
        // Each step ends the test when it failed.
        const std::vector<std::function<void()>> steps = {
            [&] { if (formatted) erase(true); }, // a new DVD+RW is formatted by its first erase
            [&] { if (formatted) expectBlank(true); },
            [&] { burnImage(genImage_); },
            [&] { expectDiscHolds(genImage_); },
            [&] { erase(true); },
            [&] { expectBlank(formatted); },
            [&] { burnImage(ownImage_); },
            [&] { expectDiscHolds(ownImage_); },
            [&] { erase(false); },
            [&] { expectBlank(formatted); },
        };
        for (const auto &step : steps) {
            step();
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(answers_->messages.empty());
    }

    void writeOnceDiscIsNotErased()
    {
        vdrive({QStringLiteral("insert"), QStringLiteral("cd-r")});
        wizard_ = std::make_unique<VirtualDriveWizard>(true);
        VDRIVE_OR_SKIP(*wizard_);
        startTask(Task::EraseDisc);
        next();
        next();
        QCOMPARE(wizard_->window->CurrentPage()->windowTitle(), PageCaption::EraseOptions);
        QCOMPARE(answers_->messages.size(), size_t(1));
        QCOMPARE(answers_->messages[0].text, QStringLiteral("Вставьте перезаписываемый диск для очистки"));
        QCOMPARE(answers_->messages[0].caption, QStringLiteral("Диск не перезаписываемый"));
        QVERIFY2(status().contains(QStringLiteral("tray: open")), "the disc was not ejected");
    }

    void writeErrorIsShownAndTheDiscStays()
    {
        vdrive({QStringLiteral("insert"), QStringLiteral("cd-r")});
        vdrive({QStringLiteral("fault"), QStringLiteral("write-error"), QStringLiteral("100")});
        wizard_ = std::make_unique<VirtualDriveWizard>(true);
        VDRIVE_OR_SKIP(*wizard_);
        answers_->openFileAnswer = genImage_;
        startTask(Task::BurnImage);
        next();
        next();
        QVERIFY(process());
        process()->Form().CheckBox1->click(); // eject when done: not after a failure
        waitForTheEnd();
        QCOMPARE(process()->Form().Label6->text(), QStringLiteral("Запись завершена с ошибкой"));
        QCOMPARE(answers_->messages.size(), size_t(1));
        QVERIFY2(answers_->messages[0].text.startsWith(QStringLiteral("Запись завершена с ошибкой: WRITER ERROR [")),
                 qPrintable(answers_->messages[0].text));
        QCOMPARE(answers_->messages[0].caption, QStringLiteral("Ошибка записи"));
        QVERIFY2(status().contains(QStringLiteral("tray: closed")), "the disc was ejected");
        vdrive({QStringLiteral("fault"), QStringLiteral("clear")});
    }

    void eraseOfADriveThatStaysNotReadyIsAnError()
    {
        vdrive({QStringLiteral("insert"), QStringLiteral("cd-rw")});
        wizard_ = std::make_unique<VirtualDriveWizard>();
        VDRIVE_OR_SKIP(*wizard_);
        // Once the erase thread waits for the drive, the drive stops being ready for good.
        const QByteArray fault = (QCoreApplication::applicationDirPath() + "/zelvane-vdrive fault not-ready 600 >/dev/null").toLocal8Bit();
        zelvane::TSarnixBurner &burner = *wizard_->burner;
        auto injected = std::make_shared<std::atomic<int>>(-1); // the tool's exit status
        burner.SetSleepForTests([&burner, fault, injected](int ms) {
            if (burner.Erasing() && injected->load() == -1)
                injected->store(std::system(fault.constData()));
            std::this_thread::sleep_for(std::chrono::milliseconds(ms / 100));
        });
        erase(true);
        QCOMPARE(injected->load(), 0);
        QCOMPARE(process()->Form().Label4->text(), QStringLiteral("Очистка завершена с ошибкой"));
        QCOMPARE(wizard_->window->windowTitle(), QStringLiteral("Zelvane"));
        vdrive({QStringLiteral("fault"), QStringLiteral("clear")});
    }

    void newDiscThenContinuedAndImageFile()
    {
        vdrive({QStringLiteral("insert"), QStringLiteral("cd-r")});
        wizard_ = std::make_unique<VirtualDriveWizard>(true);
        VDRIVE_OR_SKIP(*wizard_);
        const QString first = path(QStringLiteral("first")), second = path(QStringLiteral("second"));
        QVERIFY(Shell(QStringLiteral("mkdir -p %1 %2 && echo one > %1/one.txt && head -c 70000 /dev/urandom > %2/two.bin")
                          .arg(Quoted(first), Quoted(second))));
        for (bool continueDisc : {false, true}) {
            startTask(continueDisc ? Task::ContinueDisc : Task::NewDisc);
            next();
            buildProject(continueDisc ? second : first, continueDisc);
            next();
            next();
            waitForTheEnd();
            QCOMPARE(process()->Form().Label6->text(), QStringLiteral("Запись успешно завершена"));
        }
        // The second session, where the drive says it starts, shows both
        // sessions' files, byte for byte.
        const QRegularExpression trackLine(QStringLiteral("session 2 track \\d+: start (\\d+)"));
        const QRegularExpressionMatch lastSession = trackLine.match(status());
        QVERIFY2(lastSession.hasMatch(), qPrintable(status()));
        const QString back = path(QStringLiteral("sessions.img")), out = path(QStringLiteral("sessions"));
        vdrive({QStringLiteral("export"), back});
        QVERIFY(Shell(QStringLiteral("xorriso -osirrox on -indev %1 -load sbsector %2 -extract / %3 2>/dev/null")
                          .arg(Quoted(back), lastSession.captured(1), Quoted(out))));
        QVERIFY(Shell(QStringLiteral("cmp %1/one.txt %2/first/one.txt && cmp %3/two.bin %2/second/two.bin")
                          .arg(Quoted(first), Quoted(out), Quoted(second))));

        // The same project as an image file.
        const QString image = path(QStringLiteral("project.iso")), files = path(QStringLiteral("project"));
        startTask(Task::MakeImage);
        next();
        Wizard().IsoPath = image;
        zelvane::TSarnixBurner &burner = *wizard_->burner;
        burner.ClearProject(65535, 8191);
        zelvane::FolderProject project(burner);
        project.addPath(first.toStdString());
        project.build();
        burner.PrepareLayout(true, nullptr);
        next();
        next();
        waitForTheEnd();
        QCOMPARE(process()->Form().Label6->text(), QStringLiteral("Запись успешно завершена"));
        QVERIFY(Shell(QStringLiteral("xorriso -osirrox on -indev %1 -extract / %2 2>/dev/null && cmp %3/one.txt %2/first/one.txt")
                          .arg(Quoted(image), Quoted(files), Quoted(first))));
        QVERIFY(answers_->messages.empty());
    }

    void closingDuringAWriteEndsSoon()
    {
        vdrive({QStringLiteral("insert"), QStringLiteral("dvd-r")});
        vdrive({QStringLiteral("speed"), QStringLiteral("realtime")});
        const QString big = path(QStringLiteral("big.iso"));
        QVERIFY(Shell(QStringLiteral("head -c 62914560 /dev/zero > %1").arg(Quoted(big))));
        wizard_ = std::make_unique<VirtualDriveWizard>();
        VDRIVE_OR_SKIP(*wizard_);
        answers_->openFileAnswer = big;
        startTask(Task::BurnImage);
        next();
        next();
        QVERIFY(process());
        QTRY_VERIFY_WITH_TIMEOUT(wizard_->window->sarnixb().BytesWritten() > 0, 60000);
        QVERIFY(wizard_->window->PngSpeedButton4()->isEnabled());
        answers_->answers = {QMessageBox::Yes};
        QElapsedTimer clock;
        clock.start();
        QVERIFY(wizard_->window->close());
        wizard_.reset(); // the window goes and waits for the writer
        qInfo("the window ended %lld ms after the close", static_cast<long long>(clock.elapsed()));
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed()) + " ms"));
        QCOMPARE(answers_->messages.back().text, QStringLiteral("Вы действительно хотите прервать текущую операцию?"));
        const QString text = status();
        QVERIFY2(text.contains(QStringLiteral("tray: closed")), qPrintable(text));
    }

    void closingDuringAnEraseEndsSoon()
    {
        vdrive({QStringLiteral("insert"), QStringLiteral("cd-rw")});
        vdrive({QStringLiteral("speed"), QStringLiteral("realtime")});
        wizard_ = std::make_unique<VirtualDriveWizard>();
        VDRIVE_OR_SKIP(*wizard_);
        startTask(Task::EraseDisc);
        next();
        qobject_cast<TForm7 *>(wizard_->window->CurrentPage())->Form().RadioButton2->click();
        next();
        QTRY_VERIFY_WITH_TIMEOUT(wizard_->window->sarnixb().Erasing(), 60000);
        QTest::qWait(1000);
        // An erase cannot be stopped: the window asks whether to end anyway.
        answers_->answers = {QMessageBox::Yes};
        QElapsedTimer clock;
        clock.start();
        QVERIFY(wizard_->window->close());
        wizard_.reset();
        qInfo("the window ended %lld ms after the close", static_cast<long long>(clock.elapsed()));
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed()) + " ms"));
        QCOMPARE(answers_->messages.back().text,
                 QStringLiteral("Корректное завершение программы в данный момент невозможно.\rВсе равно завершить?"));
    }
};

QTEST_MAIN(VirtualDriveTaskTests)
#include "app_vdrive_task_tests.moc"
