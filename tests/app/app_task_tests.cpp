// The pages that run a task, over a scripted drive whose completion events
// come from a worker thread through the dispatcher: the burn and erase
// options with their speed lists and checks, and the process page through
// every phase of a write, an erase and an erase followed by a write.
#include "burn_options.h"
#include "erase_options.h"
#include "global.h"
#include "process.h"
#include "ui_burn_options.h"
#include "ui_erase_options.h"
#include "ui_process.h"
#include "wizard_under_test.h"

#include <QDate>
#include <QTemporaryFile>

using namespace zelvane::app;
using namespace zelvane::app::testing;

Q_DECLARE_METATYPE(ScriptedDrive)

namespace {

const QString kNbsp = QStringLiteral("\u00A0");

ScriptedDrive CdWriter(int mediaCode, int discStatus, int64_t capacity, int64_t used)
{
    ScriptedDrive drive = WriterWithBlankDisc();
    drive.mediaCode = mediaCode;
    drive.discStatus = discStatus;
    drive.capacity = capacity;
    drive.used = used;
    drive.erasable = mediaCode == 3;
    drive.writeSpeeds = {7056, 5645, 4234, 2822, 1411};
    drive.bufferSize = 2097152;
    return drive;
}

// The wizard on the process page of a task, its operation started.
void ToProcess(WizardUnderTest &w, int task)
{
    w.walk(task, task == Task::EraseDisc || task == Task::BurnImage ? 2 : 3);
    QCOMPARE(w.page(), PageCaption::Process);
    QTRY_VERIFY(!w.burner->operations.empty());
}

QStringList Items(const QComboBox &box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

} // namespace

class TaskTests : public QObject {
    Q_OBJECT

private slots:
    void speedListsOfA7056Drive()
    {
        WizardUnderTest w({CdWriter(2, 0, 359847, 0)});
        w.walk(Task::NewDisc, 2);
        Ui::TForm4 &burn = w.current<TForm4>()->Form();
        QCOMPARE(Items(*burn.ComboBox1),
                 QStringList({"40x (7" + kNbsp + "056 Кб/с)", "32x (5" + kNbsp + "645 Кб/с)",
                              "24x (4" + kNbsp + "234 Кб/с)", "16x (2" + kNbsp + "822 Кб/с)",
                              "8x (1" + kNbsp + "411 Кб/с)"}));
        // Every step of 177 KB/s down to the last positive one, then the maximum again.
        const std::vector<int> &asked = w.burner->speedRequests;
        QCOMPARE(asked.size(), size_t(41));
        for (size_t i = 0; i < 40; ++i)
            QCOMPARE(asked[i], 7056 - 177 * int(i));
        QCOMPARE(asked.back(), 7056);
        QCOMPARE(Wizard().WriteSpeedText, burn.ComboBox1->itemText(0));
        burn.ComboBox1->setCurrentIndex(3);
        emit burn.ComboBox1->activated(3);
        QCOMPARE(w.burner->writeSpeed, 16 * 177);
        QCOMPARE(Wizard().WriteSpeedText, burn.ComboBox1->itemText(3));

        w.window->PngSpeedButton2Click();
        w.taskPage()->PanelClick(Task::EraseDisc);
        w.next();
        Ui::TForm7 &erase = w.current<TForm7>()->Form();
        QCOMPARE(Items(*erase.ComboBox1), QStringList({"40x", "32x", "24x", "16x", "8x"}));
        QCOMPARE(Wizard().EraseSpeedText, QStringLiteral("40x"));
        QVERIFY(Wizard().QuickErase);
        QVERIFY(!erase.ComboBox1->isEnabled() && !erase.Label6->isEnabled());
        erase.RadioButton2->click();
        QVERIFY(!Wizard().QuickErase);
        QVERIFY(erase.ComboBox1->isEnabled() && erase.Label6->isEnabled());
        erase.ComboBox1->setCurrentIndex(4);
        emit erase.ComboBox1->activated(4);
        QCOMPARE(w.burner->writeSpeed, 8 * 177);
        QCOMPARE(Wizard().EraseSpeedText, QStringLiteral("8x"));
        erase.RadioButton1->click();
        QVERIFY(Wizard().QuickErase && !erase.ComboBox1->isEnabled());
    }

    void burnOptionsSettings()
    {
        InteractionRecorder recorder;
        WizardUnderTest w({CdWriter(2, 0, 359847, 0)});
        w.walk(Task::NewDisc, 2);
        Ui::TForm4 &page = w.current<TForm4>()->Form();
        QCOMPARE(w.burner->dateCreation, double(QDate(1899, 12, 30).daysTo(QDate::currentDate())));
        page.TrackBar1->setValue(0);
        QCOMPARE(page.Label12->text(), QStringLiteral("2 Мб"));
        QCOMPARE(w.burner->cacheSize, 2097152);
        page.TrackBar1->setValue(31);
        QCOMPARE(page.Label12->text(), QStringLiteral("64 Мб"));
        QCOMPARE(w.burner->cacheSize, 67108864);

        // The boot image: a cancelled dialog leaves the box unchecked.
        page.CheckBox5->click();
        QCOMPARE(recorder.openFileRequests.back().title, QStringLiteral("Укажите загрузочный образ"));
        QVERIFY(!page.CheckBox5->isChecked() && !w.burner->bootable);
        recorder.openFileAnswer = QStringLiteral("/floppies/boot.img");
        page.CheckBox5->click();
        QVERIFY(page.CheckBox5->isChecked() && w.burner->bootable);
        QCOMPARE(w.burner->bootImage, std::string("/floppies/boot.img"));
        QCOMPARE(page.Edit1->text(), QStringLiteral("/floppies/boot.img"));
        page.CheckBox5->click();
        QVERIFY(!w.burner->bootable && page.Edit1->text().isEmpty());

        // The edited identifiers reach the burner when the page is left.
        page.Edit2->setText(QStringLiteral("ФОТО"));
        page.Edit3->setText(QStringLiteral("Составитель"));
        page.Edit4->setText(QStringLiteral("Издатель"));
        page.Edit5->setText(QStringLiteral("COPYING.TXT"));
        w.next();
        QCOMPARE(w.page(), PageCaption::Process);
        QCOMPARE(w.burner->identifiers,
                 (std::vector<std::string>{"ФОТО", "Составитель", "Издатель", "COPYING.TXT"}));
    }

    void burnImageOptions()
    {
        InteractionRecorder recorder;
        QTemporaryFile image;
        QVERIFY(image.open());
        image.write(QByteArray(4096, 'i'));
        image.close();
        recorder.openFileAnswer = image.fileName();
        {
            // A rewritable disc with data is erased first; nearly all of it stays free.
            WizardUnderTest w({CdWriter(3, 1, 359847, 1000)});
            w.walk(Task::BurnImage, 1);
            Ui::TForm4 &page = w.current<TForm4>()->Form();
            QCOMPARE(page.Label3->text(), QStringLiteral("Шаг 1 из 2"));
            QVERIFY(page.CheckBox1->isChecked() && !page.CheckBox1->isEnabled());
            QVERIFY(Wizard().EraseBeforeBurn);
            QVERIFY(!w.burner->finalizeDisc && page.CheckBox2->isEnabled());
            for (QLineEdit *field : {page.Edit2, page.Edit3, page.Edit4, page.Edit5, page.Edit6, page.Edit7})
                QVERIFY(field->text().isEmpty() && !field->isEnabled());
            QVERIFY(!page.CheckBox5->isEnabled());
        }
        {
            // A write-once disc with data is not erased but refused; a disc
            // that stays nearly full is closed.
            WizardUnderTest w({CdWriter(2, 1, 1000, 1)});
            w.walk(Task::BurnImage, 1);
            Ui::TForm4 &page = w.current<TForm4>()->Form();
            QVERIFY(!page.CheckBox1->isChecked() && !Wizard().EraseBeforeBurn);
            QVERIFY(w.burner->finalizeDisc && page.CheckBox2->isChecked() && !page.CheckBox2->isEnabled());
            w.next();
            QCOMPARE(w.page(), PageCaption::BurnOptions);
            QVERIFY(recorder.messages.back().text.startsWith(QStringLiteral("Образ записывается с начала диска")));
            QCOMPARE(w.burner->ejectCalls, 1);
        }
    }

    void checkBurnTexts_data()
    {
        QTest::addColumn<int>("task");
        QTest::addColumn<ScriptedDrive>("drive");
        QTest::addColumn<qlonglong>("sectors");
        QTest::addColumn<bool>("eraseFirst");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("ejected");
        QTest::addColumn<bool>("accepted");
        const QString refused = QStringLiteral("Запись невозможна");
        const QString question = QStringLiteral(
            "Запись возможна лишь после предварительной очистки носителя.\rЗапланировать предварительную очистку?");
        ScriptedDrive notReady = CdWriter(2, 0, 1000, 0);
        notReady.notReady = true;
        ScriptedDrive unknown = CdWriter(0, -1, 0, 0);
        unknown.unknownMedium = true;
        QTest::newRow("not ready") << int(Task::NewDisc) << notReady << 10LL << false << false
                                   << "Устройство не готово" << "Запись не возможна" << false << false;
        QTest::newRow("unknown medium") << int(Task::NewDisc) << unknown << 10LL << false << false
                                        << "Носитель отсутствует или имеет неизвестный тип" << refused << true << false;
        QTest::newRow("CD-ROM") << int(Task::ContinueDisc) << CdWriter(1, 2, 1000, 1000) << 10LL << false << false
                                << "Запись на носитель CD-ROM не возможна" << refused << true << false;
        QTest::newRow("DVD-ROM") << int(Task::BurnImage) << CdWriter(4, 2, 1000, 1000) << 0LL << false << false
                                 << "Запись на носитель DVD-ROM не возможна" << refused << true << false;
        QTest::newRow("closed CD continued") << int(Task::ContinueDisc) << CdWriter(2, 2, 1000, 900) << 10LL << false
                                             << false << "Диск финализирован, его продолжение невозможно." << refused
                                             << true << false;
        QTest::newRow("full CD-RW, erase declined") << int(Task::NewDisc) << CdWriter(3, 1, 1000, 900) << 500LL << false
                                                    << false << question << "Подтверждение очистки" << false << false;
        QTest::newRow("full CD-RW, erase planned") << int(Task::NewDisc) << CdWriter(3, 1, 1000, 900) << 500LL << false
                                                   << true << question << "Подтверждение очистки" << false << true;
        QTest::newRow("closed CD-R for a new disc") << int(Task::NewDisc) << CdWriter(2, 2, 1000, 1000) << 500LL
                                                    << false << true << question << "Подтверждение очистки" << false
                                                    << true;
        QTest::newRow("full CD-R") << int(Task::NewDisc) << CdWriter(2, 1, 1000, 900) << 500LL << false << false
                                   << "Размер проекта превышает объем свободного места на диске" << refused << false
                                   << false;
        QTest::newRow("closed DVD continued is full")
            << int(Task::ContinueDisc) << CdWriter(5, 2, 1000, 1000) << 10LL << false << false
            << "Размер проекта превышает объем свободного места на диске" << refused << false << false;
        QTest::newRow("erase first, fits the disc") << int(Task::NewDisc) << CdWriter(2, 1, 1000, 900) << 1000LL << true
                                                    << false << QString() << QString() << false << true;
        QTest::newRow("fits") << int(Task::NewDisc) << CdWriter(2, 0, 1000, 0) << 1000LL << false << false << QString()
                              << QString() << false << true;
    }
    void checkBurnTexts()
    {
        QFETCH(int, task);
        QFETCH(ScriptedDrive, drive);
        QFETCH(qlonglong, sectors);
        QFETCH(bool, eraseFirst);
        QFETCH(bool, answerYes);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(bool, ejected);
        QFETCH(bool, accepted);
        InteractionRecorder recorder;
        recorder.openFileAnswer = QStringLiteral("/nonexistent/empty.iso");
        WizardUnderTest w({drive});
        w.burner->sectorsToWrite = sectors;
        w.walk(task, task == Task::BurnImage ? 0 : 1);
        Wizard().EraseBeforeBurn = eraseFirst; // as the project page may leave it
        w.next();
        QCOMPARE(w.page(), PageCaption::BurnOptions);
        recorder.answers = {answerYes ? QMessageBox::Yes : QMessageBox::No};
        QCOMPARE(w.current<TForm4>()->CheckBurn(), accepted);
        if (text.isEmpty()) {
            QVERIFY(recorder.messages.empty());
        } else {
            QCOMPARE(recorder.messages.size(), size_t(1));
            QCOMPARE(recorder.messages[0].text, text);
            QCOMPARE(recorder.messages[0].caption, caption);
            QCOMPARE(recorder.messages[0].icon, caption == QStringLiteral("Подтверждение очистки")
                                                    ? QMessageBox::Question
                                                    : QMessageBox::Warning);
        }
        QCOMPARE(w.burner->ejectCalls, ejected ? 1 : 0);
        QCOMPARE(Wizard().EraseBeforeBurn, eraseFirst || (accepted && answerYes));
    }

    void checkEraseTexts_data()
    {
        QTest::addColumn<ScriptedDrive>("drive");
        QTest::addColumn<bool>("quick");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("accepted");
        ScriptedDrive notReady = CdWriter(3, 1, 1000, 10);
        notReady.notReady = true;
        ScriptedDrive dvdRam = CdWriter(6, 1, 1000, 10);
        const QString insert = QStringLiteral("Вставьте перезаписываемый диск для очистки");
        const QString notRewritable = QStringLiteral("Диск не перезаписываемый");
        QTest::newRow("not ready") << notReady << true << "Устройство не готово" << "Очистка не возможна" << false;
        QTest::newRow("CD-R") << CdWriter(2, 1, 1000, 10) << true << insert << notRewritable << false;
        QTest::newRow("DVD-RAM, quick") << dvdRam << true << QString() << QString() << true;
        QTest::newRow("DVD-RAM, full") << dvdRam << false << insert << notRewritable << false;
        QTest::newRow("CD-RW, full") << CdWriter(3, 2, 1000, 1000) << false << QString() << QString() << true;
    }
    void checkEraseTexts()
    {
        QFETCH(ScriptedDrive, drive);
        QFETCH(bool, quick);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(bool, accepted);
        InteractionRecorder recorder;
        WizardUnderTest w({drive});
        w.walk(Task::EraseDisc, 1);
        if (!quick)
            w.current<TForm7>()->Form().RadioButton2->click();
        QCOMPARE(w.current<TForm7>()->CheckErase(), accepted);
        QCOMPARE(recorder.messages.size(), size_t(text.isEmpty() ? 0 : 1));
        if (!text.isEmpty()) {
            QCOMPARE(recorder.messages[0].text, text);
            QCOMPARE(recorder.messages[0].caption, caption);
            QCOMPARE(recorder.messages[0].icon, QMessageBox::Warning);
        }
        // Only a disc that cannot be erased is ejected; a drive that is not ready is left alone.
        QCOMPARE(w.burner->ejectCalls, !accepted && !drive.notReady ? 1 : 0);
    }

    void writeRunsThroughItsPhases()
    {
        InteractionRecorder recorder;
        WizardUnderTest w({CdWriter(2, 0, 359847, 0)});
        w.burner->sectorsToWrite = 332800; // 650 MB
        ToProcess(w, Task::NewDisc);
        Ui::TForm5 &page = w.current<TForm5>()->Form();
        QCOMPARE(w.burner->operations, std::vector<std::string>{"burn project"});
        QCOMPARE(w.buttons(), QStringLiteral("-S--"));
        const QString speed = "40x (7" + kNbsp + "056 Кб/с)";
        QCOMPARE(page.Label6->text(), QStringLiteral("Запись на ") + speed);
        QCOMPARE(page.Label3->text(), QStringLiteral("Шаг 3 из 3"));
        QCOMPARE(page.ProgressBar4->maximum(), 2097152);
        QVERIFY(page.ErasePanel->isHidden());
        page.CheckBox1->click();
        page.CheckBox2->click();

        w.burner->bytesWritten = 104857600;
        w.burner->cacheFill = 70;
        w.burner->freeBuffer = 524288;
        QTRY_COMPARE(page.Label14->text(), QStringLiteral("100,00/650,00 Мб"));
        QCOMPARE(page.Label8->text(), QStringLiteral("15%"));
        QCOMPARE(page.ProgressBar2->value(), 51200);
        QCOMPARE(page.Label13->text(), QStringLiteral("00:01:20")); // (665 600 - 102 400) KB at 7 056 KB/s
        QCOMPARE(page.ProgressBar3->value(), 70);
        QCOMPARE(page.ProgressBar4->value(), 1572864);
        QCOMPARE(w.window->windowTitle(), QStringLiteral("15% - Запись на ") + speed);
        // A drive reporting more free buffer than it has: the bar keeps its place.
        w.burner->freeBuffer = 3000000;
        w.burner->bytesWritten = 209715200;
        QTRY_COMPARE(page.Label14->text(), QStringLiteral("200,00/650,00 Мб"));
        QCOMPARE(page.ProgressBar4->value(), 1572864);
        QTRY_COMPARE(page.Label11->text(), QStringLiteral("00:00:01"));

        w.burner->FinalizeWrite();
        QTRY_COMPARE(page.Label6->text(), QStringLiteral("Завершение сессии..."));
        QCOMPARE(w.buttons(), QStringLiteral("-s--"));
        QCOMPARE(w.window->windowTitle(), QStringLiteral("100% - Завершение сессии"));
        QCOMPARE(page.Label14->text(), QStringLiteral("650,00/650,00 Мб"));
        QCOMPARE(page.Label8->text(), QStringLiteral("100%"));
        QCOMPARE(page.ProgressBar2->value(), page.ProgressBar2->maximum());
        QCOMPARE(page.ProgressBar3->value(), 0);
        QCOMPARE(page.ProgressBar4->value(), 0);
        QCOMPARE(page.Label13->text(), QStringLiteral("00:00:00"));
        QVERIFY(!w.current<TForm5>()->GeneralTimer.isActive() && w.current<TForm5>()->CountTimer.isActive());

        QCOMPARE(w.burner->ejectCalls, 0);
        w.burner->FinishWrite({});
        QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
        QCOMPARE(page.Label6->text(), QStringLiteral("Запись успешно завершена"));
        QCOMPARE(w.window->windowTitle(), QStringLiteral("Zelvane"));
        QVERIFY(!page.CheckBox1->isEnabled() && !page.CheckBox2->isEnabled());
        QVERIFY(recorder.messages.empty());
        // Eject and power-off after success only; the tray was locked before
        // the write and unlocked after it, no command went to the drive between.
        QCOMPARE(w.burner->ejectCalls, 1);
        QCOMPARE(recorder.powerOffRequests, 1);
        QCOMPARE(w.burner->removalCalls, (std::vector<bool>{false, true}));
        QCOMPARE(w.burner->commandsWhileRunning, 0);
    }

    void failuresNeverEjectOrPowerOff()
    {
        InteractionRecorder recorder;
        {
            WizardUnderTest w({CdWriter(2, 0, 359847, 0)});
            w.burner->sectorsToWrite = 332800;
            ToProcess(w, Task::NewDisc);
            Ui::TForm5 &page = w.current<TForm5>()->Form();
            page.CheckBox1->click();
            page.CheckBox2->click();
            // The writer flushes after a failure too; the page then shows
            // what was written, not the whole.
            w.burner->bytesWritten = 10485760;
            w.burner->FinalizeWrite();
            QTRY_COMPARE(page.Label8->text(), QStringLiteral("100%"));
            w.burner->FinishWrite("WRITER ERROR [MEDIUM ERROR]");
            QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
            QCOMPARE(page.Label14->text(), QStringLiteral("10,00/650,00 Мб"));
            QCOMPARE(page.Label8->text(), QStringLiteral("2%"));
            QCOMPARE(recorder.messages.size(), size_t(1));
            QCOMPARE(recorder.messages[0].text, QStringLiteral("Запись завершена с ошибкой: WRITER ERROR [MEDIUM ERROR]"));
            QCOMPARE(recorder.messages[0].caption, QStringLiteral("Ошибка записи"));
            QCOMPARE(recorder.messages[0].icon, QMessageBox::Critical);
            QCOMPARE(page.Label6->text(), QStringLiteral("Запись завершена с ошибкой"));
            QCOMPARE(w.burner->ejectCalls, 0);
            QCOMPARE(w.burner->removalCalls, (std::vector<bool>{false, true}));
        }
        for (bool reportedError : {true, false}) {
            // An erase that fails, and one whose drive then tells that the
            // disc is not blank: both are erase errors.
            WizardUnderTest w({CdWriter(3, 1, 359847, 5000)});
            ToProcess(w, Task::EraseDisc);
            Ui::TForm5 &page = w.current<TForm5>()->Form();
            QCOMPARE(page.Label3->text(), QStringLiteral("Шаг 2 из 2"));
            QCOMPARE(w.buttons(), QStringLiteral("-s--"));
            page.CheckBox1->click();
            page.CheckBox2->click();
            w.burner->FinishErase(reportedError);
            QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
            QCOMPARE(page.Label4->text(), QStringLiteral("Очистка завершена с ошибкой"));
            QVERIFY(Wizard().EraseFailed);
            QCOMPARE(w.burner->ejectCalls, 0);
            QCOMPARE(w.burner->commandsWhileRunning, 0);
        }
        QCOMPARE(recorder.powerOffRequests, 0);
    }

    void failedStartLeavesDoneWithTheTrayUnlocked()
    {
        InteractionRecorder recorder;
        for (int task : {int(Task::NewDisc), int(Task::EraseDisc)}) {
            WizardUnderTest w({CdWriter(3, 0, 359847, 0)});
            w.burner->startFails = true;
            ToProcess(w, task);
            QCOMPARE(w.buttons(), QStringLiteral("--DB"));
            QCOMPARE(w.burner->removalCalls, (std::vector<bool>{false, true}));
            auto *process = w.current<TForm5>();
            QVERIFY(process->Finished());
            QVERIFY(!process->GeneralTimer.isActive() && !process->CountTimer.isActive());
            QCOMPARE(w.window->windowTitle(), QStringLiteral("Zelvane"));
        }
        QCOMPARE(recorder.messages.size(), size_t(1));
        QCOMPARE(recorder.messages[0].text, QStringLiteral("Запись завершена с ошибкой: CAN'T OPEN FILE"));
    }

    void eraseThenWriteRestartsTheClock()
    {
        InteractionRecorder recorder;
        recorder.answers = {QMessageBox::Yes}; // the erase question
        WizardUnderTest w({CdWriter(3, 1, 359847, 300000)});
        w.burner->sectorsToWrite = 100000;
        ToProcess(w, Task::NewDisc);
        QVERIFY(Wizard().EraseBeforeBurn);
        Ui::TForm5 &page = w.current<TForm5>()->Form();
        QCOMPARE(w.burner->operations, std::vector<std::string>{"erase 1"});
        QCOMPARE(page.Label4->text(), QStringLiteral("Быстрая очистка диска"));
        QVERIFY(page.ErasePanel->isVisible() && page.BurnPanel->isHidden());
        w.burner->eraseProgress = 45;
        QTRY_COMPARE(page.Label5->text(), QStringLiteral("45%"));
        QCOMPARE(w.window->windowTitle(), QStringLiteral("45% - Быстрая очистка диска"));
        QTRY_COMPARE(page.Label9->text(), QStringLiteral("00:00:01"));

        w.burner->drives[0].discStatus = 0; // the erase left a blank disc
        w.burner->drives[0].used = 0;
        w.burner->FinishErase(false);
        QTRY_COMPARE(page.Label5->text(), QStringLiteral("100%"));
        // The pause on the full bar is a timer: the window goes on meanwhile.
        QCOMPARE(w.burner->operations.size(), size_t(1));
        QTRY_COMPARE(w.burner->operations, (std::vector<std::string>{"erase 1", "burn project"}));
        QCOMPARE(page.Label4->text(), QStringLiteral("Очистка успешно завершена"));
        QCOMPARE(w.current<TForm5>()->ElapsedSeconds, 0);
        QCOMPARE(page.Label11->text(), QStringLiteral("00:00:00"));
        QVERIFY(page.ErasePanel->isVisible() && page.BurnPanel->isVisible());
        QVERIFY(page.BurnPanel->y() > page.ErasePanel->geometry().bottom());
        QCOMPARE(w.buttons(), QStringLiteral("-S--"));
        QTRY_COMPARE(page.Label11->text(), QStringLiteral("00:00:01"));
        QCOMPARE(page.Label9->text(), QStringLiteral("00:00:01"));
        w.burner->FinishWrite({});
        QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
        QCOMPARE(w.burner->commandsWhileRunning, 0);
        QCOMPARE(w.burner->removalCalls, (std::vector<bool>{false, false, true}));
    }

    void imageSavingHidesTimeAndBuffers()
    {
        WizardUnderTest w({CdWriter(2, 0, 359847, 0)});
        Wizard().IsoPath = QStringLiteral("/tmp/project.iso");
        ToProcess(w, Task::MakeImage);
        Ui::TForm5 &page = w.current<TForm5>()->Form();
        QCOMPARE(w.burner->operations.size(), size_t(1));
        QVERIFY(w.burner->operations[0].rfind("save image ", 0) == 0);
        QCOMPARE(page.Label6->text(), QStringLiteral("Подготовка ISO-образа"));
        for (QWidget *hidden : {static_cast<QWidget *>(page.Label12), static_cast<QWidget *>(page.Label13),
                                static_cast<QWidget *>(page.Label15), static_cast<QWidget *>(page.Label16),
                                static_cast<QWidget *>(page.ProgressBar3), static_cast<QWidget *>(page.ProgressBar4)})
            QVERIFY(hidden->isHidden());
        QVERIFY(!page.CheckBox1->isEnabled());
        w.burner->FinishWrite({});
        QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
        QCOMPARE(w.burner->ejectCalls, 0);
    }

    void taskSettingsDoNotCarryOver()
    {
        WizardUnderTest w({CdWriter(2, 1, 359847, 1000)});
        w.show();
        w.burner->finalizeDisc = true;
        w.burner->testWrite = true;
        w.burner->importSessionNumber = -1;
        w.window->PngSpeedButton2Click();
        QVERIFY(!w.burner->finalizeDisc && !w.burner->testWrite);
        QCOMPARE(w.burner->importSessionNumber, 0);

        // The write total is the one of the layout the write makes itself.
        w.burner->sectorsToWrite = 1000;
        w.burner->sectorsOfNextLayout = 5000;
        w.burner->importSessionNumber = 7;
        w.taskPage()->PanelClick(Task::ContinueDisc);
        w.next();
        w.next();
        w.next();
        QTRY_COMPARE(w.burner->operations.size(), size_t(1));
        Ui::TForm5 &page = w.current<TForm5>()->Form();
        QCOMPARE(w.burner->importSessionNumber, -1);
        QCOMPARE(page.ProgressBar2->maximum(), 5000);
        QCOMPARE(Wizard().ProjectSizeText, QStringLiteral("9,77"));
        w.burner->FinishWrite({});
        QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
    }
};

QTEST_MAIN(TaskTests)
#include "app_task_tests.moc"
