// The sessions page over discs read through the engine's image reader:
// three sessions made by xorriso, the tree and its details, extraction of a
// session, a folder and a file compared with the sources by diff, the
// replace question, a read-only target, a read error, Stop, and names that
// try to leave the target folder.
#include "ImportSupport.h"
#include "image_button.h"
#include "main.h"
#include "scripted_backend.h"
#include "session_discs.h"
#include "sessions_page_probe.h"
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

using namespace zelvane::app;
using namespace zelvane::app::testing;

namespace {

const QString kFolderError = QStringLiteral("Ошибка при создании каталога.\rВозможно диск защищен от записи.");
constexpr int kFilesOfSessionThree = 24;

ScriptedDrive CdWriter(const QString &image = QString(), std::vector<uint32_t> starts = {0})
{
    ScriptedDrive drive;
    drive.line = DriveLine(0, "/dev/sr0", "CD WRITER");
    drive.capabilities = zelvane::kReadsCdR | zelvane::kWritesCdR;
    drive.mediaCode = 2;
    drive.discImage = image.toStdString();
    drive.sessionStarts = std::move(starts);
    return drive;
}

std::unique_ptr<ScriptedBackend> Holding(ScriptedDrive drive)
{
    auto backend = std::make_unique<ScriptedBackend>();
    backend->drives = {std::move(drive)};
    return backend;
}

// The sessions page over a scripted drive.
struct SessionsPage : SessionsPageProbe {
    explicit SessionsPage(ScriptedDrive drive) : SessionsPageProbe(Holding(std::move(drive))) {}
    ScriptedBackend *burner() { return static_cast<ScriptedBackend *>(&window->sarnixb()); }
};

QString SessionSize(const MultisessionDisc &disc, size_t index)
{
    const qint64 end = index + 1 < disc.sessionStarts.size() ? qint64(disc.sessionStarts[index + 1]) * 2048
                                                             : QFileInfo(disc.image).size();
    return QString::number(double(end - qint64(disc.sessionStarts[index]) * 2048) / 1048576.0, 'f', 2)
        .replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

class SessionsTests : public QObject {
    Q_OBJECT

    QTemporaryDir work_;
    MultisessionDisc disc_;
    QString all_; // every file of the three sessions together

    QString path(const QString &name) const { return work_.filePath(name); }

private slots:
    void initTestCase()
    {
        // Session 1: the import tests' varied tree; 2 adds a folder, 3 many
        // files of two reads each.
        MakeSourceTree(path(QStringLiteral("s1")).toStdString());
        QVERIFY(QDir().mkpath(path(QStringLiteral("s2/added"))));
        QFile second(path(QStringLiteral("s2/added/second session.txt")));
        QVERIFY(second.open(QIODevice::WriteOnly));
        second.write("written in the second session\n");
        second.close();
        QVERIFY(QDir().mkpath(path(QStringLiteral("s3/third"))));
        for (int i = 0; i < kFilesOfSessionThree; ++i) {
            QFile file(path(QStringLiteral("s3/third/file %1.bin").arg(i, 2, 10, QLatin1Char('0'))));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(70000, static_cast<char>('a' + i)));
        }
        const auto disc = MakeMultisessionDisc(work_.path(), {path(QStringLiteral("s1")), path(QStringLiteral("s2")),
                                                              path(QStringLiteral("s3"))});
        if (!disc)
            QSKIP("xorriso is not installed");
        disc_ = *disc;
        all_ = path(QStringLiteral("all"));
        QVERIFY(QDir().mkpath(all_));
        for (const char *session : {"s1", "s2", "s3"})
            QCOMPARE(Run(QStringLiteral("cp"), {QStringLiteral("-a"), path(QLatin1String(session)) + "/.", all_}), 0);
    }

    void noDiscAndNoSessions()
    {
        InteractionRecorder recorder;
        ScriptedDrive empty = CdWriter();
        empty.mediaCode = 0;
        for (const auto &[drive, text] : {std::pair{empty, QStringLiteral("Ошибка получения сессий")},
                                          std::pair{CdWriter(), QStringLiteral("Сессии не обнаружены")}}) {
            SessionsPage s(drive);
            QCOMPARE(s.texts(), QStringList{text});
            QCOMPARE(TForm8::ImageOf(s.tree()->topLevelItem(0)), int(TForm8::MessageNode));
            QVERIFY(!s.page->Form().PngSpeedButton1->isEnabled());
            s.tree()->setCurrentItem(s.tree()->topLevelItem(0));
            s.page->PngSpeedButton1Click();
            QVERIFY(recorder.folderRequests.empty());
        }
    }

    void threeSessionsWithTheirTreesAndDetails()
    {
        SessionsPage s(CdWriter(disc_.image, disc_.sessionStarts));
        QStringList titles;
        for (size_t i = 0; i < 3; ++i)
            titles << QStringLiteral("Сессия  00%1 - %2 Мб").arg(i + 1).arg(SessionSize(disc_, i));
        QCOMPARE(s.texts(), titles);
        // Folders first, then files, names without regard to case.
        const QStringList first = s.texts(s.node(QStringLiteral("1")));
        QCOMPARE(first.mid(0, 3), (QStringList{"docs", "empty folder", "Документы"}));
        QCOMPARE(first.indexOf(QStringLiteral("empty.dat")), 3);
        QVERIFY(!first.contains(QStringLiteral("added")));
        QCOMPARE(s.texts(s.node(QStringLiteral("2"))).mid(0, 4),
                 (QStringList{"added", "docs", "empty folder", "Документы"}));
        QCOMPARE(s.node(QStringLiteral("3/third"))->childCount(), kFilesOfSessionThree);

        QCOMPARE(s.tree()->currentItem(), s.node(QStringLiteral("1")));
        s.tree()->expandItem(s.node(QStringLiteral("1")));
        s.tree()->expandItem(s.node(QStringLiteral("1/docs")));
        QCOMPARE(TForm8::ImageOf(s.node(QStringLiteral("1"))), int(TForm8::SessionExpanded));
        QCOMPARE(TForm8::ImageOf(s.node(QStringLiteral("1/docs"))), int(TForm8::FolderExpanded));
        s.tree()->collapseItem(s.node(QStringLiteral("1/docs")));
        QCOMPARE(TForm8::ImageOf(s.node(QStringLiteral("1/docs"))), int(TForm8::FolderCollapsed));

        Ui::TForm8 &ui = s.page->Form();
        s.tree()->setCurrentItem(s.node(QStringLiteral("2")));
        QCOMPARE(ui.Label4->text(), QStringLiteral("Номер сессии:"));
        QCOMPARE(ui.Edit1->text(), QStringLiteral("002"));
        QCOMPARE(ui.Label5->text(), QStringLiteral("Размер сессии:"));
        QVERIFY(ui.Edit2->text().endsWith(QStringLiteral(" байт)")));
        QVERIFY(!ui.Edit3->isEnabled());

        s.tree()->setCurrentItem(s.node(QStringLiteral("2/docs/deep/chunks.bin")));
        QCOMPARE(ui.Label4->text(), QStringLiteral("Расположение файла:"));
        QCOMPARE(ui.Edit1->text(), QStringLiteral("/dev/sr0:/docs/deep/chunks.bin"));
        QCOMPARE(ui.Edit2->text(), QStringLiteral("0,12 Мб (126 977 байт)"));
        QVERIFY(ui.Edit3->isEnabled());
        QCOMPARE(ui.Edit3->text(), QFileInfo(path(QStringLiteral("s1/docs/deep/chunks.bin")))
                                       .lastModified()
                                       .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));

        s.tree()->setCurrentItem(s.node(QStringLiteral("2/docs")));
        QCOMPARE(ui.Label4->text(), QStringLiteral("Название каталога:"));
        QCOMPARE(ui.Edit1->text(), QStringLiteral("docs"));
        QCOMPARE(ui.Label5->text(), QStringLiteral("Размер содержимого:"));
        QVERIFY(!ui.Label5->isEnabled() && ui.Edit2->text().isEmpty());
    }

    void sessionFolderAndFileComeBackAsOnTheSource()
    {
        InteractionRecorder recorder;
        SessionsPage s(CdWriter(disc_.image, disc_.sessionStarts));
        const QString out = path(QStringLiteral("out-whole"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(s.extract(recorder, QStringLiteral("3"), out));
        QCOMPARE(recorder.folderRequests.back().caption, QStringLiteral("Укажите каталог для сохранения"));
        QCOMPARE(recorder.folderRequests.back().preselect, QDir::homePath());
        QVERIFY(SameTree(out + QLatin1Char('/') + s.node(QStringLiteral("3"))->text(0), all_));
        QVERIFY(recorder.messages.empty());
        QVERIFY(s.atRest());
        // The tray was locked for the extraction and unlocked after it, on
        // the extraction's thread, with no drive call from two threads at once.
        QCOMPARE(s.burner()->removalCalls, (std::vector<bool>{false, true}));
        QVERIFY(s.burner()->removalThreads[0] != std::this_thread::get_id());
        QCOMPARE(s.burner()->overlappingCalls.load(), 0);

        const QString part = path(QStringLiteral("out-part"));
        QVERIFY(QDir().mkpath(part));
        QVERIFY(s.extract(recorder, QStringLiteral("1/docs"), part));
        QCOMPARE(recorder.folderRequests.back().preselect, out); // the folder last used
        QVERIFY(SameTree(part + QStringLiteral("/docs"), path(QStringLiteral("s1/docs"))));
        QVERIFY(s.extract(recorder, QStringLiteral("2/readme.txt"), part));
        QCOMPARE(Run(QStringLiteral("cmp"), {part + QStringLiteral("/readme.txt"), path(QStringLiteral("s1/readme.txt"))}), 0);
        QVERIFY(recorder.messages.empty());

        // An existing file is replaced only when the user says so.
        QFile changed(part + QStringLiteral("/readme.txt"));
        QVERIFY(changed.open(QIODevice::WriteOnly));
        changed.write("changed");
        changed.close();
        recorder.answers = {QMessageBox::No};
        QVERIFY(s.extract(recorder, QStringLiteral("2/readme.txt"), part));
        QCOMPARE(recorder.messages.size(), size_t(1));
        QCOMPARE(recorder.messages[0].text,
                 QStringLiteral("В данной ветке уже присутствует элемент \"readme.txt\".\rЗаменить его?"));
        QCOMPARE(recorder.messages[0].caption, QStringLiteral("Замена элемента"));
        QCOMPARE(recorder.messages[0].icon, QMessageBox::Question);
        QVERIFY(changed.open(QIODevice::ReadOnly));
        QCOMPARE(changed.readAll(), QByteArray("changed"));
        changed.close();
        recorder.answers = {QMessageBox::Yes};
        QVERIFY(s.extract(recorder, QStringLiteral("2/readme.txt"), part));
        QCOMPARE(Run(QStringLiteral("cmp"), {part + QStringLiteral("/readme.txt"), path(QStringLiteral("s1/readme.txt"))}), 0);
        QCOMPARE(recorder.messages.size(), size_t(2));
    }

    void readOnlyTargetGivesOneMessagePerFolder()
    {
        InteractionRecorder recorder;
        SessionsPage s(CdWriter(disc_.image, disc_.sessionStarts));
        // The superuser writes into folders without write permission; no
        // one may make folders in /sys.
        QString target = QStringLiteral("/sys");
        if (::geteuid() != 0) {
            target = path(QStringLiteral("read-only"));
            QVERIFY(QDir().mkpath(target));
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
        }
        QVERIFY(s.extract(recorder, QStringLiteral("1"), target));
        QVERIFY(s.extract(recorder, QStringLiteral("1/docs"), target));
        QCOMPARE(recorder.messages.size(), size_t(2));
        for (const MessageRequest &message : recorder.messages) {
            QCOMPARE(message.text, kFolderError);
            QCOMPARE(message.caption, QStringLiteral("Ошибка"));
            QCOMPARE(message.icon, QMessageBox::Warning);
        }
        QVERIFY(s.atRest());
    }

    void readErrorIsReportedNotShownAsSuccess()
    {
        QString lba;
        QCOMPARE(Run(QStringLiteral("xorriso"), {"-indev", disc_.image, "-find", "/docs/deep/chunks.bin", "-exec",
                                                 "report_lba"}, &lba),
                 0);
        const auto match = QRegularExpression(QStringLiteral("File data lba:\\s*\\d+\\s*,\\s*(\\d+)")).match(lba);
        QVERIFY2(match.hasMatch(), qPrintable(lba));
        ScriptedDrive drive = CdWriter(disc_.image, disc_.sessionStarts);
        drive.badSectors = {match.captured(1).toUInt() + 40}; // in the file's second chunk

        InteractionRecorder recorder;
        SessionsPage s(drive);
        const QString out = path(QStringLiteral("out-damaged"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(s.extract(recorder, QStringLiteral("1/docs"), out));
        QCOMPARE(recorder.messages.size(), size_t(1));
        QCOMPARE(recorder.messages[0].text,
                 QStringLiteral("Не удалось извлечь файлов: 1.\rВозможно диск поврежден или на диске недостаточно места."));
        QVERIFY(!QFile::exists(out + QStringLiteral("/docs/deep/chunks.bin")));
        QVERIFY(QFile::exists(out + QStringLiteral("/docs/deep/deeper/leaf.txt")));
        QCOMPARE(Leftovers(out), QStringList());
        QVERIFY(s.atRest());
    }

    void stopAfterSomeFilesLeavesNoPartialFile()
    {
        InteractionRecorder recorder;
        SessionsPage s(CdWriter(disc_.image, disc_.sessionStarts));
        const QString out = path(QStringLiteral("out-stopped"));
        QVERIFY(QDir().mkpath(out));
        s.tree()->setCurrentItem(s.node(QStringLiteral("3/third")));
        recorder.folderAnswer = out;
        // The import reads about ten sectors and each file two chunks: the
        // pause comes while a file some ten files on is being copied.
        s.burner()->reads.PauseAt(s.burner()->reads.reads + 31);
        s.page->PngSpeedButton1Click();
        QVERIFY(s.page->ExtractionRunning());
        QVERIFY(s.window->PngSpeedButton4()->isVisible() && !s.window->PngSpeedButton2()->isEnabled());
        QTRY_VERIFY(s.burner()->reads.Paused());
        recorder.answers = {QMessageBox::Yes};
        s.window->PngSpeedButton4Click();
        // Stop waits for the file being copied.
        QVERIFY(s.page->ExtractionRunning() && !s.window->PngSpeedButton4()->isEnabled());
        s.burner()->reads.Resume();
        QTRY_VERIFY_WITH_TIMEOUT(!s.page->ExtractionRunning(), 30000);
        QVERIFY(s.atRest());

        const QStringList copied = QDir(out + QStringLiteral("/third")).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(!copied.isEmpty() && copied.size() < kFilesOfSessionThree, qPrintable(copied.join(',')));
        for (const QString &name : copied)
            QCOMPARE(Run(QStringLiteral("cmp"), {out + "/third/" + name, path("s3/third/" + name)}), 0);
        QCOMPARE(s.burner()->removalCalls.back(), true);
        QCOMPARE(s.burner()->overlappingCalls.load(), 0);
        QCOMPARE(recorder.messages.size(), size_t(1)); // the question, and no report of failures
    }

    void hostileNamesStayInsideTheTarget()
    {
        HandImage image(40);
        image.Primary(16, 20, 2048);
        image.Joliet(17, 21, 2048);
        image.Terminator(18);
        image.Directory(21, 21, 21, {{Ucs2(".."), 22, 2048, true}, {Ucs2("../../escaped.txt;1"), 30, 4, false},
                                     {Ucs2("a/b;1"), 30, 4, false}});
        image.Directory(22, 22, 21, {{Ucs2("up.txt;1"), 30, 4, false}});
        std::memcpy(image.At(30, 0), "data", 4);
        const QString file = path(QStringLiteral("hostile.iso"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char *>(image.Bytes().data()), qint64(image.Bytes().size()));
        out.close();

        InteractionRecorder recorder;
        SessionsPage s(CdWriter(file));
        QCOMPARE(s.texts(s.node(QStringLiteral("1"))), (QStringList{"__", ".._.._escaped.txt", "a_b."}));
        const QString folder = path(QStringLiteral("hostile/target"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(s.extract(recorder, QStringLiteral("1"), folder));
        QVERIFY(recorder.messages.empty());
        QStringList everything;
        QDirIterator it(path(QStringLiteral("hostile")), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            everything << it.next().mid(path(QStringLiteral("hostile")).size());
        everything.sort();
        const QString session = QStringLiteral("/target/") + s.node(QStringLiteral("1"))->text(0);
        QCOMPARE(everything, (QStringList{"/target", session, session + "/.._.._escaped.txt", session + "/__",
                                          session + "/__/up.txt", session + "/a_b"}));
    }
};

QTEST_MAIN(SessionsTests)
#include "app_sessions_tests.moc"
