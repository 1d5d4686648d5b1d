// The sessions page as a user works it, read back by other programs: three
// sessions made by xorriso (through the engine's image reader) and two
// burned by zelvane-cli on the virtual drive; extraction of a session, a
// folder and a file compared with diff, the replace question, a read-only
// target, Stop, a read error, names that try to leave the target. The texts
// for no disc and no sessions: app_vdrive_tests.
#include "ImportSupport.h"
#include "choose_task.h"
#include "engine_backend.h"
#include "global.h"
#include "image_button.h"
#include "main.h"
#include "scripted_backend.h"
#include "session_discs.h"
#include "sessions.h"
#include "sxDrvLib/CapabilitySet.h"
#include "ui_sessions.h"

#include <QDateTime>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <unistd.h>
#include <utility>

using namespace zelvane::app;
using namespace zelvane::app::testing;

namespace {

const QString kFolderError = QStringLiteral("Ошибка при создании каталога.\rВозможно диск защищен от записи.");
const QString kFailedFiles =
    QStringLiteral("Не удалось извлечь файлов: 1.\rВозможно диск поврежден или на диске недостаточно места.");
constexpr int kFilesOfSessionThree = 24;

std::unique_ptr<ScriptedBackend> CdWriter(const QString &image, std::vector<uint32_t> starts = {0})
{
    auto backend = std::make_unique<ScriptedBackend>();
    backend->drives.resize(1);
    ScriptedDrive &drive = backend->drives[0];
    drive.line = DriveLine(0, "/dev/sr0", "CD WRITER");
    drive.capabilities = zelvane::kReadsCdR | zelvane::kWritesCdR;
    drive.mediaCode = 2;
    drive.discImage = image.toStdString();
    drive.sessionStarts = std::move(starts);
    return backend;
}

// The wizard walked through the information page to the sessions page.
struct SessionsPage {
    std::unique_ptr<TForm1> window;
    TForm8 *page = nullptr;

    explicit SessionsPage(std::unique_ptr<DriveBackend> burner) : window(std::make_unique<TForm1>(std::move(burner)))
    {
        window->show();
        qobject_cast<TForm2 *>(window->CurrentPage())->PanelClick(Task::DiscInfo);
        window->PngSpeedButton1Click();
        window->PngSpeedButton1Click();
        page = qobject_cast<TForm8 *>(window->CurrentPage());
    }
    ScriptedBackend *scripted() { return static_cast<ScriptedBackend *>(&window->sarnixb()); }
    QTreeWidget *tree() { return page->Form().TreeView1; }
    QStringList texts(QTreeWidgetItem *parent = nullptr)
    {
        QStringList result;
        for (int i = 0; i < (parent ? parent->childCount() : tree()->topLevelItemCount()); ++i)
            result << (parent ? parent->child(i) : tree()->topLevelItem(i))->text(0);
        return result;
    }
    // The node of a session ("1") or below it ("1/docs/deep").
    QTreeWidgetItem *node(const QString &path)
    {
        const QStringList names = path.split(QLatin1Char('/'));
        QTreeWidgetItem *found = tree()->topLevelItem(names[0].toInt() - 1);
        for (qsizetype i = 1; found && i < names.size(); ++i) {
            QTreeWidgetItem *parent = std::exchange(found, nullptr);
            for (int c = 0; c < parent->childCount(); ++c)
                if (parent->child(c)->text(0) == names[i])
                    found = parent->child(c);
        }
        return found;
    }
    // Selects the node and extracts it into the folder the dialog answers.
    void start(InteractionRecorder &recorder, const QString &path, const QString &folder)
    {
        QDir().mkpath(folder);
        tree()->setCurrentItem(node(path));
        recorder.folderAnswer = folder;
        page->PngSpeedButton1Click();
    }
    bool extract(InteractionRecorder &recorder, const QString &path, const QString &folder)
    {
        start(recorder, path, folder);
        return QTest::qWaitFor([this] { return !page->ExtractionRunning(); }, 120000) && atRest();
    }
    // Done and Start over are offered again, and the extract button.
    bool atRest()
    {
        return window->PngSpeedButton5()->isVisible() && window->PngSpeedButton4()->isHidden() &&
               window->PngSpeedButton2()->isEnabled() && page->Form().PngSpeedButton1->isEnabled();
    }
};

// diff -r finds no difference, and every file and folder below has the
// other's modification time (in whole seconds, as discs record it).
bool SameTree(const QString &copy, const QString &source)
{
    if (Run(QStringLiteral("diff"), {QStringLiteral("-r"), copy, source}) != 0)
        return false;
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString item = it.next();
        if (QFileInfo(copy + item.mid(source.size())).lastModified().toSecsSinceEpoch() !=
            QFileInfo(item).lastModified().toSecsSinceEpoch())
            return false;
    }
    return true;
}

// Half-written files an extraction left behind.
bool NoLeftovers(const QString &folder)
{
    return !QDirIterator(folder, {QStringLiteral(".zelvane-extract-*")}, QDir::Files | QDir::Hidden,
                         QDirIterator::Subdirectories)
                .hasNext();
}

} // namespace

class SessionsTests : public QObject {
    Q_OBJECT

    QTemporaryDir work_;
    MultisessionDisc disc_;

    QString path(const QString &name) const { return work_.filePath(name); }
    void writeFile(const QString &name, const QByteArray &data)
    {
        QVERIFY(QDir().mkpath(QFileInfo(path(name)).path()));
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    static QString program(const char *name) { return QCoreApplication::applicationDirPath() + "/" + name; }

private slots:
    void initTestCase()
    {
        // Session 1: the import tests' varied tree; 2 adds a folder; 3 many
        // files of two reads each. "all" holds the files of the three.
        MakeSourceTree(path(QStringLiteral("s1")).toStdString());
        writeFile(QStringLiteral("s2/added/second session.txt"), "written in the second session\n");
        for (int i = 0; i < kFilesOfSessionThree; ++i)
            writeFile(QStringLiteral("s3/third/file %1.bin").arg(i, 2, 10, QLatin1Char('0')), QByteArray(70000, char(i)));
        const auto disc = MakeMultisessionDisc(work_.path(), {path("s1"), path("s2"), path("s3")});
        if (!disc)
            QSKIP("xorriso is not installed");
        disc_ = *disc;
        QVERIFY(QDir().mkpath(path("all")));
        for (const char *session : {"s1/.", "s2/.", "s3/."})
            QCOMPARE(Run(QStringLiteral("cp"), {QStringLiteral("-a"), path(session), path("all")}), 0);
    }

    void threeSessionsWithTheirTreesAndDetails()
    {
        SessionsPage s(CdWriter(disc_.image, disc_.sessionStarts));
        QCOMPARE(s.texts().size(), 3);
        for (int i = 0; i < 3; ++i) {
            const qint64 end = i < 2 ? disc_.sessionStarts[i + 1] * 2048ll : QFileInfo(disc_.image).size();
            QString megabytes = QString::number((end - disc_.sessionStarts[i] * 2048ll) / 1048576.0, 'f', 2);
            QCOMPARE(s.texts()[i], QStringLiteral("Сессия  00%1 - %2 Мб").arg(i + 1).arg(megabytes.replace('.', ',')));
        }
        // Folders first, then files, names without regard to case.
        QCOMPARE(s.texts(s.node("1")).mid(0, 4), (QStringList{"docs", "empty folder", "Документы", "empty.dat"}));
        QCOMPARE(s.texts(s.node("2")).mid(0, 2), (QStringList{"added", "docs"}));
        QCOMPARE(s.node("3/third")->childCount(), kFilesOfSessionThree);
        s.tree()->expandItem(s.node("1/docs"));
        QCOMPARE(TForm8::ImageOf(s.node("1/docs")), int(TForm8::FolderExpanded));

        Ui::TForm8 &ui = s.page->Form();
        auto details = [&](const char *node) {
            s.tree()->setCurrentItem(s.node(node));
            return QStringList{ui.Label4->text(), ui.Edit1->text(), ui.Label5->text(), ui.Edit2->text(),
                               ui.Edit3->text(), ui.Edit2->isEnabled() ? "on" : "off", ui.Edit3->isEnabled() ? "on" : "off"};
        };
        QCOMPARE(details("2").mid(0, 3), (QStringList{"Номер сессии:", "002", "Размер сессии:"}));
        QCOMPARE(details("2").mid(4), (QStringList{"", "on", "off"}));
        const QString date = QFileInfo(path("s1/docs/deep/chunks.bin")).lastModified().toString("dd.MM.yyyy hh:mm:ss");
        QCOMPARE(details("2/docs/deep/chunks.bin"),
                 (QStringList{"Расположение файла:", "/dev/sr0:/docs/deep/chunks.bin", "Размер файла:",
                              "0,12 Мб (126 977 байт)", date, "on", "on"}));
    }

    void extractionAsAUserDoesIt()
    {
        InteractionRecorder recorder;
        SessionsPage s(CdWriter(disc_.image, disc_.sessionStarts));
        const QString whole = path("out/whole"), part = path("out/part");
        QVERIFY(s.extract(recorder, "3", whole));
        QCOMPARE(recorder.folderRequests.back().caption, QStringLiteral("Укажите каталог для сохранения"));
        QCOMPARE(recorder.folderRequests.back().preselect, QDir::homePath());
        QVERIFY(SameTree(whole + "/" + s.node("3")->text(0), path("all")));
        QVERIFY(s.extract(recorder, "1/docs", part));
        QCOMPARE(recorder.folderRequests.back().preselect, whole); // the folder last used
        QVERIFY(SameTree(part + "/docs", path("s1/docs")));
        QVERIFY(s.extract(recorder, "2/readme.txt", part));
        QCOMPARE(Run("cmp", {part + "/readme.txt", path("s1/readme.txt")}), 0);
        QVERIFY(recorder.messages.empty());

        // An existing file is replaced only when the user says so.
        writeFile("out/part/readme.txt", "changed");
        recorder.answers = {QMessageBox::No};
        QVERIFY(s.extract(recorder, "2/readme.txt", part));
        QCOMPARE(recorder.messages.size(), size_t(1));
        QCOMPARE(recorder.messages[0].text,
                 QStringLiteral("В данной ветке уже присутствует элемент \"readme.txt\".\rЗаменить его?"));
        QCOMPARE(recorder.messages[0].caption, QStringLiteral("Замена элемента"));
        QCOMPARE(QFileInfo(part + "/readme.txt").size(), 7);
        recorder.answers = {QMessageBox::Yes};
        QVERIFY(s.extract(recorder, "2/readme.txt", part));
        QCOMPARE(Run("cmp", {part + "/readme.txt", path("s1/readme.txt")}), 0);

        // A read-only target: one message per folder that cannot be made.
        // The superuser writes where permissions forbid it, but no one makes
        // folders in /sys.
        QString locked = QStringLiteral("/sys");
        if (::geteuid() != 0) {
            locked = path("locked");
            QVERIFY(QDir().mkpath(locked) && QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        }
        recorder.messages.clear();
        QVERIFY(s.extract(recorder, "1", locked));
        QVERIFY(s.extract(recorder, "1/docs", locked));
        QCOMPARE(recorder.messages.size(), size_t(2));
        QCOMPARE(recorder.messages[0].text, kFolderError);
        QCOMPARE(recorder.messages[1].text, kFolderError);
        QCOMPARE(recorder.messages[1].caption, QStringLiteral("Ошибка"));

        // Stop while a file some ten files on is being read (the import
        // reads about ten sectors, each file two): that file is finished,
        // no other is started, nothing is left half-written.
        recorder.messages.clear();
        ScriptedBackend &drive = *s.scripted();
        drive.reads.PauseAt(drive.reads.reads + 31);
        s.start(recorder, "3/third", path("out/stopped"));
        QVERIFY(s.page->ExtractionRunning() && !s.window->PngSpeedButton2()->isEnabled());
        QTRY_VERIFY(drive.reads.Paused());
        recorder.answers = {QMessageBox::Yes};
        s.window->PngSpeedButton4Click();
        QVERIFY(s.page->ExtractionRunning() && !s.window->PngSpeedButton4()->isEnabled());
        drive.reads.Resume();
        QTRY_VERIFY(!s.page->ExtractionRunning());
        QVERIFY(s.atRest());
        const QStringList copied = QDir(path("out/stopped/third")).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(!copied.isEmpty() && copied.size() < kFilesOfSessionThree, qPrintable(copied.join(',')));
        for (const QString &name : copied)
            QCOMPARE(Run("cmp", {path("out/stopped/third/" + name), path("s3/third/" + name)}), 0);
        QCOMPARE(recorder.messages.size(), size_t(1)); // the question; no failure to report

        // The tray was locked and unlocked for each extraction, and no
        // drive call ever came from two threads at once.
        QCOMPARE(drive.removalCalls.size(), size_t(16));
        QCOMPARE(drive.removalCalls.back(), true);
        QCOMPARE(drive.overlappingCalls.load(), 0);
        QVERIFY(NoLeftovers(path("out")));
    }

    void hostileNamesStayInsideTheTarget()
    {
        HandImage image(40);
        image.Joliet(16, 21, 2048);
        image.Terminator(17);
        image.Directory(21, 21, 21, {{Ucs2(".."), 22, 2048, true}, {Ucs2("../../escaped.txt;1"), 30, 4, false},
                                     {Ucs2("a/b;1"), 30, 4, false}});
        image.Directory(22, 22, 21, {{Ucs2("up.txt;1"), 30, 4, false}});
        std::memcpy(image.At(30, 0), "data", 4);
        writeFile("hostile.iso", QByteArray(reinterpret_cast<const char *>(image.Bytes().data()),
                                            qsizetype(image.Bytes().size())));

        InteractionRecorder recorder;
        SessionsPage s(CdWriter(path("hostile.iso")));
        QCOMPARE(s.texts(s.node("1")), (QStringList{"__", ".._.._escaped.txt", "a_b."}));
        QVERIFY(s.extract(recorder, "1", path("hostile/target")));
        QStringList everything;
        QDirIterator it(path("hostile"), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            everything << it.next().mid(path("hostile").size());
        everything.sort();
        const QString session = "/target/" + s.node("1")->text(0);
        QCOMPARE(everything, (QStringList{"/target", session, session + "/.._.._escaped.txt", session + "/__",
                                          session + "/__/up.txt", session + "/a_b"}));
    }

    // Two sessions burned by zelvane-cli on the virtual drive: the wizard's
    // copy of the newest equals the sources and, dates included, the copy
    // zelvane-cli extract makes; an injected read error is reported; the
    // drive's tray is unlocked after each extraction.
    void sessionsOnTheVirtualDrive()
    {
        QTemporaryDir drive;
        qputenv("ZELVANE_VDRIVE_DIR", drive.path().toLocal8Bit());
        writeFile("vd/second/added/second session.txt", "written in the second session\n");
        QCOMPARE(Run("cp", {"-a", path("s1"), path("vd/first")}), 0);
        QVERIFY(QDir(path("vd/first")).rmdir("empty folder")); // a burn leaves empty folders out
        QCOMPARE(Run(program("zelvane-vdrive"), {"insert", "cd-r"}), 0);
        QCOMPARE(Run(program("zelvane-cli"), {"burn", path("vd/first")}), 0);
        QCOMPARE(Run(program("zelvane-cli"), {"burn", "--continue", path("vd/second")}), 0);

        InteractionRecorder recorder;
        SessionsPage s(MakeEngineBackend());
        if (Wizard().DriveNames.size() != 1 || !Wizard().DriveNames[0].startsWith("vdrive "))
            QSKIP("an optical drive of this machine is preferred over the virtual drive");
        QCOMPARE(s.texts().size(), 2);
        QVERIFY(s.texts()[1].startsWith(QStringLiteral("Сессия  002 - ")));
        const QString title = s.texts()[1];
        QVERIFY(s.extract(recorder, "2", path("vd/wizard")));
        QCOMPARE(Run(program("zelvane-cli"), {"extract", path("vd/cli")}), 0);
        QVERIFY(SameTree(path("vd/wizard/") + title, path("vd/cli/") + title));
        for (const char *source : {"first", "second"})
            QCOMPARE(Run("diff", {"-r", path("vd/") + source, path("vd/wizard/") + title + "/" + source}), 0);
        QVERIFY(recorder.messages.empty());

        QString listing, status;
        QCOMPARE(Run(program("zelvane-cli"), {"sessions"}, &listing), 0);
        const auto sector = QRegularExpression("/first/docs/deep/chunks.bin\\t\\d+\\t[^\\t]+\\t(\\d+)").match(listing);
        QVERIFY2(sector.hasMatch(), qPrintable(listing));
        const QString inSecondChunk = QString::number(sector.captured(1).toUInt() + 40);
        QCOMPARE(Run(program("zelvane-vdrive"), {"fault", "read-error", inSecondChunk}), 0);
        QVERIFY(s.extract(recorder, "2/first/docs", path("vd/damaged")));
        QCOMPARE(recorder.messages.size(), size_t(1));
        QCOMPARE(recorder.messages[0].text, kFailedFiles);
        QVERIFY(!QFile::exists(path("vd/damaged/docs/deep/chunks.bin")));
        QVERIFY(QFile::exists(path("vd/damaged/docs/deep/deeper/leaf.txt")));
        QVERIFY(NoLeftovers(path("vd")));
        Run(program("zelvane-vdrive"), {"status"}, &status);
        QVERIFY2(!status.contains("removal prevented"), qPrintable(status));
    }
};

QTEST_MAIN(SessionsTests)
#include "app_sessions_tests.moc"
