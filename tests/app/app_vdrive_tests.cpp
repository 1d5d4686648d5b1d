// The wizard on the real engine and the virtual drive: start-up finds the
// virtual drive and the information page shows what the drive reports.
#include "scripted_backend.h"
#include "sessions.h"
#include "sxDrvLib/CapabilitySet.h"
#include "ui_info.h"
#include "ui_sessions.h"
#include "virtual_drive_wizard.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace zelvane::app;
using namespace zelvane::app::testing;

namespace {

constexpr uint32_t kGridAbilities = 0x5FFFB; // every bit the grid shows

} // namespace

class VirtualDriveTests : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> driveFolder_;

    // Runs the virtual drive's control tool on this test's drive.
    void vdrive(const QStringList &arguments)
    {
        QVERIFY2(RunBuiltTool(QStringLiteral("zelvane-vdrive"), arguments), qPrintable(arguments.join(' ')));
    }

private slots:
    void init()
    {
        driveFolder_ = std::make_unique<QTemporaryDir>();
        qputenv("ZELVANE_VDRIVE_DIR", driveFolder_->path().toLocal8Bit());
    }

    void startUpSelectsTheVirtualWriter()
    {
        VirtualDriveWizard w;
        if (!w.onVirtualDrive())
            QSKIP("an optical drive of this machine is preferred over the virtual drive");
        QVERIFY(w.window->Started());
        QCOMPARE(zelvane::app::Wizard().SelectedDrive, 0);
        QCOMPARE(zelvane::app::Wizard().DriveNames[0], QStringLiteral("vdrive ZELVANE VIRTUAL DVD-RW 1.00"));
        QVERIFY(w.window->DriveCheck(0));
        QVERIFY(w.window->sarnixb().UnderrunProtection());
    }

    void blankDvdPlusR()
    {
        vdrive({QStringLiteral("insert"), QStringLiteral("dvd+r")});
        VirtualDriveWizard w;
        if (!w.onVirtualDrive())
            QSKIP("an optical drive of this machine is preferred over the virtual drive");
        w.showInfo();
        QCOMPARE(w.values(), QStringList({"DVD+R", "16X", "Открыт", "4483 Мб", "0 Мб", "4483 Мб"}));
        QCOMPARE(w.fields(), QStringList(6));
        QCOMPARE(w.shownAbilities(), kGridAbilities);
        QCOMPARE(w.page->Form().Label10->text(), QStringLiteral("vdrive ZELVANE VIRTUAL DVD-RW 1.00"));
        QCOMPARE(w.sessionsLine(), QStringLiteral("Сессии не обнаружены"));
    }

    void blankDvdRwIsOpen()
    {
        vdrive({QStringLiteral("insert"), QStringLiteral("dvd-rw")});
        VirtualDriveWizard w;
        if (!w.onVirtualDrive())
            QSKIP("an optical drive of this machine is preferred over the virtual drive");
        w.showInfo();
        QCOMPARE(w.values()[0], QStringLiteral("DVD-RW"));
        QCOMPARE(w.values()[2], QStringLiteral("Открыт"));
    }

    void emptyTrayShowsUnknownValues()
    {
        VirtualDriveWizard w;
        if (!w.onVirtualDrive())
            QSKIP("an optical drive of this machine is preferred over the virtual drive");
        w.showInfo();
        QCOMPARE(w.values(), QStringList(6, QStringLiteral("???")));
        QCOMPARE(w.fields(), QStringList(6));
        QCOMPARE(w.shownAbilities(), kGridAbilities);
        QCOMPARE(w.sessionsLine(), QStringLiteral("Ошибка получения сессий"));
    }

    void pressedDiscWithItsVolume()
    {
        const QString xorriso = QStandardPaths::findExecutable(QStringLiteral("xorriso"));
        if (xorriso.isEmpty())
            QSKIP("xorriso is not installed");
        QTemporaryDir work;
        QFile file(work.filePath(QStringLiteral("tree/readme.txt")));
        QVERIFY(QDir().mkpath(work.filePath(QStringLiteral("tree"))));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Zelvane\n");
        file.close();
        const QString image = work.filePath(QStringLiteral("disc.iso"));
        QCOMPARE(QProcess::execute(xorriso, {"-outdev", image, "-volid", "ARCHIVE_2026", "-publisher", "ZELVANE",
                                             "-preparer_id", "TEST PREPARER", "-application_id", "ZELVANE TESTS",
                                             "-map", work.filePath(QStringLiteral("tree")), "/"}),
                 0);
        vdrive({QStringLiteral("insert-rom"), image});
        VirtualDriveWizard w;
        if (!w.onVirtualDrive())
            QSKIP("an optical drive of this machine is preferred over the virtual drive");
        w.showInfo();
        const QStringList values = w.values();
        QCOMPARE(values[0], QStringLiteral("CD-ROM"));
        QCOMPARE(values[2], QStringLiteral("Закрыт"));
        QCOMPARE(values[5], QStringLiteral("0 Мб"));
        const QStringList fields = w.fields();
        QCOMPARE(fields[0], QStringLiteral("ARCHIVE_2026"));
        QCOMPARE(fields[1], QStringLiteral("TEST PREPARER"));
        QCOMPARE(fields[2], QStringLiteral("ZELVANE"));
        QCOMPARE(fields[4], QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
        QCOMPARE(fields[5], QStringLiteral("ZELVANE TESTS"));
    }

    void driveWithoutDvdPlusAbilities()
    {
        vdrive({QStringLiteral("model"), QStringLiteral("--no-get-configuration")});
        vdrive({QStringLiteral("insert"), QStringLiteral("cd-r")});
        VirtualDriveWizard w;
        if (!w.onVirtualDrive())
            QSKIP("an optical drive of this machine is preferred over the virtual drive");
        w.showInfo();
        using namespace zelvane;
        const uint32_t plus = kReadsDvdPlusR | kReadsDvdPlusRw | kWritesDvdPlusR | kWritesDvdPlusRw;
        QCOMPARE(w.shownAbilities(), kGridAbilities & ~plus);
        QCOMPARE(w.values()[0], QStringLiteral("CD-R"));
    }
};

QTEST_MAIN(VirtualDriveTests)
#include "app_vdrive_tests.moc"
