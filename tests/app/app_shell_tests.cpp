// The main window: start-up and the default drive, the task panels, the
// page flow with its buttons, Stop, Done, Help, the close rules and the
// completion events.
#include "choose_task.h"
#include "global.h"
#include "image_button.h"
#include "main.h"
#include "process.h"
#include "scripted_backend.h"
#include "wizard_under_test.h"
#include "sessions.h"
#include "single_instance.h"
#include "sxDrvLib/CapabilitySet.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QtTest>
#include <thread>

using namespace zelvane::app;
using namespace zelvane::app::testing;

namespace {

constexpr uint32_t kPlusOnlyWriter = zelvane::kReadsDvdPlusR | zelvane::kWritesDvdPlusR | zelvane::kWritesDvdPlusRw;

const QString kAbortQuestion = QStringLiteral("Вы действительно хотите прервать текущую операцию?");
const QString kExtractionQuestion =
    QStringLiteral("В данный момент выполняется извлечение ветки.\rВы уверены, что хотите прервать его?");
const QString kCannotStopQuestion =
    QStringLiteral("Корректное завершение программы в данный момент невозможно.\rВсе равно завершить?");

} // namespace

class ShellTests : public QObject {
    Q_OBJECT

private slots:
    void defaultDriveIsTheLastWriter()
    {
        WizardUnderTest w({Drive(0, kCdWriter), Drive(1, kDvdWriter), Drive(2, kReader)});
        const WizardState &state = zelvane::app::Wizard();
        QCOMPARE(state.SelectedDrive, 1);
        QCOMPARE(w.burner->selected, 1);
        QCOMPARE(state.DriveNames, QStringList({QStringLiteral("/dev/sr0 ZELVANE DRIVE 0 1.00"),
                                                QStringLiteral("/dev/sr1 ZELVANE DRIVE 1 1.00"),
                                                QStringLiteral("/dev/sr2 ZELVANE DRIVE 2 1.00")}));
        QVERIFY(w.burner->slowReady);
        QVERIFY(w.burner->closeAfterCommand);
        QVERIFY(!w.burner->underrunProtection); // the DVD writer has none
        QCOMPARE(state.TaskKind, Task::NewDisc);
        QCOMPARE(state.BrowsePath, QStringLiteral("/"));
        QVERIFY(w.window->Started());
    }

    void withoutWriterTheLastDriveIsTheDefault()
    {
        // A drive that writes only DVD+R does not count as a writer.
        WizardUnderTest w({Drive(0, kReader), Drive(1, kPlusOnlyWriter), Drive(2, kReader)});
        QCOMPARE(zelvane::app::Wizard().SelectedDrive, 2);
        QCOMPARE(w.burner->selected, 2);
        WizardUnderTest cd({Drive(0, kCdWriter), Drive(1, kReader)});
        QCOMPARE(zelvane::app::Wizard().SelectedDrive, 0);
        QVERIFY(cd.burner->underrunProtection);
    }

    void emptyDriveListSelectsNothing()
    {
        WizardUnderTest w({});
        w.show();
        QVERIFY(zelvane::app::Wizard().DriveNames.isEmpty());
        QVERIFY(w.burner->selections.empty());
        QVERIFY(!w.burner->slowReady);
        QCOMPARE(w.taskPage()->ComboBox1()->count(), 0);
        QCOMPARE(w.taskPage()->ComboBox1()->currentIndex(), -1);
    }

    void noTransportShowsTheErrorAndEnds()
    {
        InteractionRecorder recorder;
        WizardUnderTest w({Drive(0, kCdWriter)}, false);
        QVERIFY(!w.window->Started());
        QCOMPARE(recorder.messages.size(), size_t(1));
        QCOMPARE(recorder.messages[0].text, QStringLiteral("ASPI initialization error"));
        QCOMPARE(recorder.messages[0].caption, QStringLiteral("ASPI ERROR"));
        QCOMPARE(recorder.messages[0].icon, QMessageBox::Critical);
        QCOMPARE(recorder.endRequests, std::vector<int>{1});
        QVERIFY(w.burner->selections.empty());
    }

    void exactlyOneTaskPanelIsSelected()
    {
        WizardUnderTest w({Drive(0, kCdWriter)});
        w.show();
        QCOMPARE(w.page(), PageCaption::ChooseTask);
        TForm2 *page = w.taskPage();
        for (int task = 0; task < TForm2::kTaskCount; ++task) {
            // Clicks on the label, the panel and the icon all select.
            QWidget *target = task % 2 ? static_cast<QWidget *>(page->PanelLabel(task)) : page->Panel(task);
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, 5));
            QCOMPARE(zelvane::app::Wizard().TaskKind, task);
            int selected = 0;
            for (int other = 0; other < TForm2::kTaskCount; ++other) {
                const bool silver = page->Panel(other)->palette().color(QPalette::Window) == QColor(0xC0, 0xC0, 0xC0);
                const bool bold = page->PanelLabel(other)->font().bold();
                QCOMPARE(silver, bold);
                QCOMPARE(silver, other == task);
                selected += silver;
            }
            QCOMPARE(selected, 1);
            QCOMPARE(page->Image8()->parentWidget(), page->Panel(task));
        }
    }

    void startOverKeepsTheTaskAndClearsIdentifiers()
    {
        WizardUnderTest w({Drive(0, kCdWriter), Drive(1, kDvdWriter)});
        w.show();
        w.taskPage()->PanelClick(Task::MakeImage);
        w.taskPage()->ComboBox1()->setCurrentIndex(0);
        emit w.taskPage()->ComboBox1()->activated(0);
        QCOMPARE(zelvane::app::Wizard().SelectedDrive, 0);
        w.next();
        QCOMPARE(w.page(), PageCaption::AddFiles);
        QCOMPARE(w.buttons(), QStringLiteral("N--B"));
        w.window->PngSpeedButton2Click();
        QCOMPARE(w.page(), PageCaption::ChooseTask);
        QCOMPARE(zelvane::app::Wizard().TaskKind, Task::MakeImage);
        QVERIFY(w.taskPage()->PanelLabel(Task::MakeImage)->font().bold());
        QCOMPARE(w.taskPage()->ComboBox1()->currentIndex(), 0);
        QCOMPARE(w.burner->selected, 0);
        QCOMPARE(w.burner->clearIdentifierCalls, 1);
        QCOMPARE(w.buttons(), QStringLiteral("N---"));
    }

    void taskPageResetsTheWizardState()
    {
        WizardUnderTest w({Drive(0, kCdWriter)});
        WizardState &state = zelvane::app::Wizard();
        state.EraseBeforeBurn = true;
        state.EraseFailed = true;
        state.WriteError = QStringLiteral("WRITER ERROR");
        w.window->PngSpeedButton4()->setEnabled(false);
        w.show();
        QVERIFY(!state.EraseBeforeBurn);
        QVERIFY(!state.EraseFailed);
        QVERIFY(state.WriteError.isEmpty());
        QVERIFY(w.window->PngSpeedButton4()->isEnabled());
    }

    void pageSequencesAndButtons_data()
    {
        QTest::addColumn<int>("task");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QList<int>>("topics");
        const QStringList burn = {PageCaption::AddFiles, PageCaption::BurnOptions, PageCaption::Process,
                                  PageCaption::ChooseTask};
        QTest::newRow("new disc") << int(Task::NewDisc) << burn << QList<int>{11, 12, 13, 2};
        QTest::newRow("continue disc") << int(Task::ContinueDisc) << burn << QList<int>{21, 22, 23, 2};
        QTest::newRow("make image") << int(Task::MakeImage) << burn << QList<int>{41, 42, 43, 2};
        QTest::newRow("erase")
            << int(Task::EraseDisc) << QStringList{PageCaption::EraseOptions, PageCaption::Process, PageCaption::ChooseTask}
            << QList<int>{31, 32, 2};
        QTest::newRow("burn image")
            << int(Task::BurnImage) << QStringList{PageCaption::BurnOptions, PageCaption::Process, PageCaption::ChooseTask}
            << QList<int>{51, 52, 2};
        QTest::newRow("information") << int(Task::DiscInfo) << QStringList{PageCaption::Info, PageCaption::Sessions}
                                     << QList<int>{61, 62};
    }
    void pageSequencesAndButtons()
    {
        QFETCH(int, task);
        QFETCH(QStringList, pages);
        QFETCH(QList<int>, topics);
        InteractionRecorder recorder;
        recorder.openFileAnswer = QStringLiteral("/images/disc.iso");
        WizardUnderTest w({WriterWithBlankDisc()});
        w.show();
        QCOMPARE(zelvane::app::Wizard().HelpContext, 2);
        QCOMPARE(w.buttons(), QStringLiteral("N---"));
        w.taskPage()->PanelClick(task);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            // The process page offers no Next: its way on is Start over.
            if (i > 0 && pages[i - 1] == PageCaption::Process)
                w.window->PngSpeedButton2Click();
            else
                w.next();
            QCOMPARE(w.page(), pages[i]);
            QCOMPARE(zelvane::app::Wizard().HelpContext, topics[i]);
            QVERIFY(w.window->updatesEnabled());
            if (pages[i] == PageCaption::Process) {
                // A running write can be stopped, a running erase cannot.
                QTRY_COMPARE(w.burner->operations.size(), size_t(1));
                QCOMPARE(w.buttons(), task == Task::EraseDisc ? QStringLiteral("-s--") : QStringLiteral("-S--"));
                if (task == Task::EraseDisc)
                    w.burner->FinishErase(false);
                else
                    w.burner->FinishWrite({});
                QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
                continue;
            }
            const QString expected = pages[i] == PageCaption::Sessions     ? QStringLiteral("--DB")
                                     : pages[i] == PageCaption::ChooseTask ? QStringLiteral("N---")
                                                                           : QStringLiteral("N--B");
            QCOMPARE(w.buttons(), expected);
        }
        QVERIFY(recorder.messages.empty());
    }

    void cancelledIsoDialogReturnsToANewTaskPage()
    {
        InteractionRecorder recorder;
        WizardUnderTest w({Drive(0, kCdWriter)});
        w.show();
        zelvane::app::Wizard().IsoPath = QStringLiteral("/old.iso");
        w.taskPage()->PanelClick(Task::BurnImage);
        w.next();
        QCOMPARE(w.page(), PageCaption::ChooseTask);
        QVERIFY(zelvane::app::Wizard().IsoPath.isEmpty());
        QCOMPARE(zelvane::app::Wizard().TaskKind, Task::BurnImage);
    }

    void processButtonsFollowThePhase()
    {
        WizardUnderTest w({WriterWithBlankDisc()});
        w.walk(Task::NewDisc, 3);
        QCOMPARE(w.page(), PageCaption::Process);
        QTRY_COMPARE(w.buttons(), QStringLiteral("-S--"));
        w.burner->FinalizeWrite();
        QTRY_COMPARE(w.buttons(), QStringLiteral("-s--"));
        w.burner->FinishWrite({});
        QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
    }

    void stopOnTheProcessPageAsksFirstAndWaitsForTheWrite()
    {
        InteractionRecorder recorder;
        WizardUnderTest w({WriterWithBlankDisc()});
        w.walk(Task::NewDisc, 3);
        QTRY_COMPARE(w.buttons(), QStringLiteral("-S--"));
        recorder.answers = {QMessageBox::No};
        w.window->PngSpeedButton4Click();
        QCOMPARE(recorder.messages.back().text, kAbortQuestion);
        QCOMPARE(recorder.messages.back().caption, QStringLiteral("Подтверждение отмены"));
        QCOMPARE(recorder.messages.back().icon, QMessageBox::Question);
        QCOMPARE(w.buttons(), QStringLiteral("-S--"));
        QCOMPARE(w.burner->cancelWriteCalls, 0);
        recorder.answers = {QMessageBox::Yes};
        w.window->PngSpeedButton4Click();
        // The writer is still ending: no Done yet, the tray stays locked.
        QCOMPARE(w.burner->cancelWriteCalls, 1);
        QCOMPARE(w.buttons(), QStringLiteral("-s--"));
        QCOMPARE(w.burner->removalCalls, std::vector<bool>{false});
        w.burner->FinishWrite("OPERATION ABORTED BY USER");
        QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
        QCOMPARE(recorder.messages.back().text, QStringLiteral("Запись завершена с ошибкой: OPERATION ABORTED BY USER"));
        QCOMPARE(w.burner->removalCalls, (std::vector<bool>{false, true}));
    }

    void stopDuringAnExtraction()
    {
        InteractionRecorder recorder;
        WizardUnderTest w({Drive(0, kCdWriter)});
        w.walk(Task::DiscInfo, 2);
        auto *sessions = qobject_cast<TForm8 *>(w.window->CurrentPage());
        QVERIFY(sessions);
        sessions->Label7()->show();
        w.window->PngSpeedButton2()->setEnabled(false);
        w.window->ShowStopButton(true);
        recorder.answers = {QMessageBox::No};
        w.window->PngSpeedButton4Click();
        QCOMPARE(recorder.messages.back().text, kExtractionQuestion);
        QVERIFY(!zelvane::app::Wizard().ExtractAbort);
        QCOMPARE(w.burner->cancelWriteCalls, 0);
        recorder.answers = {QMessageBox::Yes};
        w.window->PngSpeedButton4Click();
        QVERIFY(zelvane::app::Wizard().ExtractAbort);
        QCOMPARE(w.burner->cancelWriteCalls, 1);
        // No drive command from the interface thread: the extraction's own
        // thread unlocks the tray when it ends.
        QVERIFY(w.burner->removalCalls.empty());
        QVERIFY(sessions->Label7()->isHidden());
        QCOMPARE(w.buttons(), QStringLiteral("--DB"));
    }

    void closeRules()
    {
        InteractionRecorder recorder;
        {
            // Task page: closes without a question.
            WizardUnderTest w({Drive(0, kCdWriter)});
            w.show();
            QVERIFY(w.window->close());
            QVERIFY(recorder.messages.empty());
        }
        {
            // Process page, operation running: No keeps the window, Yes stops the write and closes.
            WizardUnderTest w({WriterWithBlankDisc()});
            w.walk(Task::NewDisc, 3);
            QTRY_COMPARE(w.buttons(), QStringLiteral("-S--"));
            recorder.answers = {QMessageBox::No};
            QVERIFY(!w.window->close());
            QCOMPARE(recorder.messages.back().text, kAbortQuestion);
            QCOMPARE(w.burner->cancelWriteCalls, 0);
            recorder.answers = {QMessageBox::Yes};
            QVERIFY(w.window->close());
            QCOMPARE(w.burner->cancelWriteCalls, 1);
        }
        {
            // Process page in a phase that cannot be stopped: the other question.
            WizardUnderTest w({WriterWithBlankDisc()});
            w.walk(Task::NewDisc, 3);
            QTRY_COMPARE(w.buttons(), QStringLiteral("-S--"));
            w.burner->FinalizeWrite();
            QTRY_COMPARE(w.buttons(), QStringLiteral("-s--"));
            recorder.answers = {QMessageBox::No};
            QVERIFY(!w.window->close());
            QCOMPARE(recorder.messages.back().text, kCannotStopQuestion);
            QCOMPARE(recorder.messages.back().caption, QStringLiteral("Подтверждение отмены"));
            // Once the operation has ended the window closes without asking.
            w.burner->FinishWrite("WRITER ERROR");
            QTRY_COMPARE(w.buttons(), QStringLiteral("--DB"));
            QCOMPARE(zelvane::app::Wizard().WriteError, QStringLiteral("WRITER ERROR"));
            const size_t asked = recorder.messages.size();
            QVERIFY(w.window->close());
            QCOMPARE(recorder.messages.size(), asked);
        }
        {
            // Sessions page: closes at once, unless an extraction runs.
            WizardUnderTest w({Drive(0, kCdWriter)});
            w.walk(Task::DiscInfo, 2);
            auto *sessions = qobject_cast<TForm8 *>(w.window->CurrentPage());
            sessions->Label7()->show();
            recorder.answers = {QMessageBox::No};
            QVERIFY(!w.window->close());
            QCOMPARE(recorder.messages.back().text, kExtractionQuestion);
            QVERIFY(recorder.endRequests.empty());
            recorder.answers = {QMessageBox::Yes};
            QVERIFY(!w.window->close());
            QCOMPARE(recorder.endRequests, std::vector<int>{0});
            sessions->Label7()->hide();
            const size_t asked = recorder.messages.size();
            QVERIFY(w.window->close());
            QCOMPARE(recorder.messages.size(), asked);
        }
    }

    void doneCancelsAndCloses()
    {
        WizardUnderTest w({Drive(0, kCdWriter)});
        w.walk(Task::DiscInfo, 2);
        w.window->PngSpeedButton5Click();
        QVERIFY(!w.window->isVisible());
        QCOMPARE(w.burner->cancelWriteCalls, 1);
        QCOMPARE(w.burner->removalCalls, std::vector<bool>{true});
    }

    void helpShowsTheTopicOrSaysItIsMissing()
    {
        InteractionRecorder recorder;
        WizardUnderTest w({Drive(0, kCdWriter)});
        w.show();
        w.window->PngSpeedButton3Click();
        QVERIFY(recorder.messages.empty());
        QWidget *viewer = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->windowTitle() == QStringLiteral("Справка Zelvane"))
                viewer = top;
        QVERIFY(viewer && viewer->isVisible());
        viewer->close();
        zelvane::app::Wizard().HelpContext = 999;
        w.window->PngSpeedButton3Click();
        QCOMPARE(recorder.messages.size(), size_t(1));
        QCOMPARE(recorder.messages[0].text, QStringLiteral("Файл справки не найден в каталоге программы."));
        QCOMPARE(recorder.messages[0].caption, QStringLiteral("Справка не найдена"));
        QCOMPARE(recorder.messages[0].icon, QMessageBox::Information);
    }

    void completionEventsArriveOnTheInterfaceThread()
    {
        WizardUnderTest w({WriterWithBlankDisc()});
        w.walk(Task::EraseDisc, 2);
        QTRY_VERIFY(w.burner->Erasing());
        Qt::HANDLE handlerThread = nullptr;
        auto handlers = w.burner->handlers;
        std::thread worker([&] {
            w.burner->dispatcher([&] {
                handlerThread = QThread::currentThreadId();
                handlers.eraseDone(true);
            });
        });
        // The worker only queues the call and goes on; the event loop runs it.
        worker.join();
        QTRY_VERIFY(handlerThread != nullptr);
        QCOMPARE(handlerThread, QThread::currentThreadId());
        QVERIFY(zelvane::app::Wizard().EraseFailed);
        QCOMPARE(w.buttons(), QStringLiteral("--DB"));
    }

    void secondStartActivatesTheFirst()
    {
        const QString name = QStringLiteral("zelvane-test-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(name);
        SingleInstance second(name);
        QVERIFY(!second.ActivateRunningInstance());
        QVERIFY(first.Listen());
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        QVERIFY(second.ActivateRunningInstance());
        QVERIFY(activated.wait(2000));
    }
};

QTEST_MAIN(ShellTests)
#include "app_shell_tests.moc"
