// The helpers of unit global: number and name texts, speeds, file sizes,
// the folder and ISO dialogs.
#include "global.h"
#include "scripted_backend.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace zelvane::app;
using zelvane::app::testing::InteractionRecorder;

class HelpersTests : public QObject {
    Q_OBJECT

private slots:
    void formatThousands_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0";
        QTest::newRow("below 1000") << qint64(999) << "999";
        QTest::newRow("1000") << qint64(1000) << "1 000";
        QTest::newRow("six digits") << qint64(123456) << "123 456";
        QTest::newRow("seven digits") << qint64(1234567) << "1 234 567";
        QTest::newRow("negative") << qint64(-1234567) << "-1 234 567";
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "-9 223 372 036 854 775 808";
    }
    void formatThousands()
    {
        QFETCH(qint64, value);
        QFETCH(QString, text);
        QCOMPARE(FormatThousands(value), text);
    }

    void extractItemName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("folder with backslash") << "D:\\Music\\" << "Music";
        QTest::newRow("file with backslash") << "D:\\a.txt" << "a.txt";
        QTest::newRow("drive root") << "C:\\" << "C";
        QTest::newRow("local folder") << "/home/user/Музыка/" << "Музыка";
        QTest::newRow("local file") << "/home/user/a.txt" << "a.txt";
        QTest::newRow("project path") << "\\A\\B" << "B";
        QTest::newRow("bare name") << "name" << "name";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("file system root") << "/" << "";
    }
    void extractItemName()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(ExtractItemName(path), name);
    }

    void speedTextToKBps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mediaCode");
        QTest::addColumn<int>("kbps");
        QTest::newRow("4x CD-R") << "4x" << 2 << 708;
        QTest::newRow("4x DVD-R") << "4x" << 5 << 5540;
        QTest::newRow("empty") << "" << 2 << 0;
        QTest::newRow("decimal comma") << "2,4x" << 11 << 3324;
        QTest::newRow("decimal point") << "2.4x" << 2 << 425;
        QTest::newRow("with KB/s after") << "16x (2 822 KB/s)" << 1 << 2832;
        QTest::newRow("unknown medium counts as CD") << "8x" << 0 << 1416;
        QTest::newRow("not a number") << "fast" << 2 << 0;
        QTest::newRow("too large") << "100x" << 5 << 65535;
        QTest::newRow("negative") << "-4x" << 5 << 0;
    }
    void speedTextToKBps()
    {
        QFETCH(QString, text);
        QFETCH(int, mediaCode);
        QFETCH(int, kbps);
        QCOMPARE(int(SpeedTextToKBps(text, mediaCode)), kbps);
    }

    void driveDisplayName()
    {
        QCOMPARE(DriveDisplayName("0:0:0,/dev/sr0 HL-DT-ST DVDRAM GH24NSD1 LG00"),
                 QStringLiteral("/dev/sr0 HL-DT-ST DVDRAM GH24NSD1 LG00"));
        QCOMPARE(DriveDisplayName("1:2:0,zelvane-vdrive ZELVANE VIRTUAL DVD      1.00"),
                 QStringLiteral("zelvane-vdrive ZELVANE VIRTUAL DVD 1.00"));
        QCOMPARE(DriveDisplayName("0:0:0,"), QStringLiteral("0:0:0,"));
    }

    void blocksToMegabytes()
    {
        QCOMPARE(BlocksToMegabytesText(0), QStringLiteral("0 Мб"));
        QCOMPARE(BlocksToMegabytesText(359847), QStringLiteral("703 Мб"));
        QCOMPARE(BlocksToMegabytesText(2295104), QStringLiteral("4483 Мб"));
    }

    void numberTextsAreRussian()
    {
        QCOMPARE(MegabytesText(104857600.0), QStringLiteral("100,00"));
        QCOMPARE(MegabytesText(1398101333.0), QStringLiteral("1\u00A0333,33"));
        QCOMPARE(ClockText(0), QStringLiteral("00:00:00"));
        QCOMPARE(ClockText(3725), QStringLiteral("01:02:05"));
        QCOMPARE(ClockText(360000), QStringLiteral("100:00:00"));
    }

    void standardButtonsSpeakRussian()
    {
        QVERIFY2(InstallQtRussianTexts(), "Qt's Russian translations (qt6-translations-l10n) are not installed");
        QMessageBox box(QMessageBox::Question, QStringLiteral("Подтверждение"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Да"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("Нет"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Отмена"));
    }

    void fileSizeOf()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("файл.bin")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(12345, 'x'));
        file.close();
        QCOMPARE(FileSizeOf(file.fileName()), uint64_t(12345));
        QCOMPARE(FileSizeOf(dir.path()), uint64_t(0));
        QCOMPARE(FileSizeOf(dir.filePath(QStringLiteral("missing"))), uint64_t(0));
    }

    void browseForFolder()
    {
        QTemporaryDir dir;
        InteractionRecorder recorder;
        QString path = dir.path();

        recorder.folderAnswer = dir.path() + QStringLiteral("/gone");
        QVERIFY(!BrowseForFolder(nullptr, QStringLiteral("Укажите каталог"), QStringLiteral("/"), path));
        QCOMPARE(path, dir.path() + QStringLiteral("/gone"));
        QCOMPARE(recorder.folderRequests.back().preselect, dir.path());
        QCOMPARE(Wizard().BrowsePath, dir.path());

        recorder.folderAnswer = dir.path();
        QVERIFY(BrowseForFolder(nullptr, QStringLiteral("Укажите каталог"), QStringLiteral("/"), path));
        QCOMPARE(path, dir.path());

        recorder.folderAnswer.reset();
        path = QStringLiteral("/tmp");
        QVERIFY(!BrowseForFolder(nullptr, QStringLiteral("Укажите каталог"), {}, path));
        QCOMPARE(path, QStringLiteral("/tmp"));
    }

    void chooseIsoImage()
    {
        InteractionRecorder recorder;
        recorder.openFileAnswer = QStringLiteral("/data/images/disc.iso");
        QVERIFY(ChooseIsoImage(nullptr));
        QCOMPARE(Wizard().IsoPath, QStringLiteral("/data/images/disc.iso"));
        recorder.openFileAnswer.reset();
        QVERIFY(!ChooseIsoImage(nullptr));
        QVERIFY(Wizard().IsoPath.isEmpty());
    }
};

QTEST_MAIN(HelpersTests)
#include "app_helpers_tests.moc"
