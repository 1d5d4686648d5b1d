// The information page: the capability grid, the disc values and the
// identifiers of the volume descriptor, for the media a user meets.
#include "choose_task.h"
#include "global.h"
#include "image_button.h"
#include "info.h"
#include "main.h"
#include "info_page_probe.h"
#include "scripted_backend.h"
#include "sxDrvLib/CapabilitySet.h"
#include "ui_info.h"

#include <QtTest>

using namespace zelvane::app;
using namespace zelvane::app::testing;

namespace {

constexpr uint32_t kAllAbilities = 0x7FFFF & ~0x20000u & ~0x4u;

struct InfoPage {
    ScriptedBackend *burner = nullptr;
    std::unique_ptr<TForm1> window;
    TForm6 *page = nullptr;

    explicit InfoPage(std::vector<ScriptedDrive> drives)
    {
        auto backend = std::make_unique<ScriptedBackend>();
        backend->drives = std::move(drives);
        burner = backend.get();
        window = std::make_unique<TForm1>(std::move(backend));
        window->show();
        qobject_cast<TForm2 *>(window->CurrentPage())->PanelClick(Task::DiscInfo);
        window->PngSpeedButton1Click();
        page = qobject_cast<TForm6 *>(window->CurrentPage());
    }
    Ui::TForm6 &ui() { return page->Form(); }
    QStringList values() { return InfoValues(*page); }
    QStringList fields() { return InfoFields(*page); }
    uint32_t shownAbilities() { return ShownAbilities(*page); }
};

ScriptedDrive Writer(int mediaCode, int status, int64_t capacity, int64_t used, int speed)
{
    ScriptedDrive drive;
    drive.line = DriveLine(0, "/dev/sr0", "DVD WRITER");
    drive.capabilities = kAllAbilities;
    drive.mediaCode = mediaCode;
    drive.discStatus = status;
    drive.capacity = capacity;
    drive.used = used;
    drive.maxWriteSpeed = speed;
    return drive;
}

} // namespace

class InfoTests : public QObject {
    Q_OBJECT

private slots:
    void blankDvdPlusR()
    {
        InfoPage info({Writer(11, 0, 2295104, 0, 11080)});
        QVERIFY(info.page);
        QCOMPARE(info.values(), QStringList({"DVD+R", "8X", "Открыт", "4483 Мб", "0 Мб", "4483 Мб"}));
        QCOMPARE(info.fields(), QStringList(6));
        QCOMPARE(info.shownAbilities(), kAllAbilities);
        QCOMPARE(info.ui().Label10->text(), QStringLiteral("/dev/sr0 ZELVANE DVD WRITER 1.00"));
        QCOMPARE(info.burner->loadMediumCalls, 1);
        QVERIFY(info.window->PngSpeedButton2()->isEnabled());
    }

    void closedCdRWithItsVolume()
    {
        ScriptedDrive cd = Writer(2, 2, 359847, 301234, 7056);
        cd.sector16 = PrimaryDescriptor("BACKUP_2026", "ИВАНОВ", "ZELVANE PUBLISHING", "COPYRIGHT.TXT",
                                        "2026120817300000", "ZELVANE 1.21");
        InfoPage info({cd});
        QCOMPARE(info.values(), QStringList({"CD-R", "40X", "Закрыт", "703 Мб", "588 Мб", "0 Мб"}));
        QCOMPARE(info.fields(), QStringList({"BACKUP_2026", "ИВАНОВ", "ZELVANE PUBLISHING", "COPYRIGHT.TXT",
                                             "08.12.2026", "ZELVANE 1.21"}));
    }

    void unsetCreationDateStaysEmpty()
    {
        ScriptedDrive cd = Writer(1, 2, 1000, 1000, 7056);
        cd.sector16 = PrimaryDescriptor("DATA", "", "", "", "0000000000000000", "");
        InfoPage info({cd});
        QCOMPARE(info.fields(), QStringList({"DATA", "", "", "", "", ""}));
    }

    void sectorThatIsNoDescriptorLeavesTheFieldsEmpty()
    {
        ScriptedDrive cd = Writer(2, 1, 359847, 1000, 7056);
        cd.sector16 = std::vector<uint8_t>(2048, 'A');
        InfoPage info({cd});
        QCOMPARE(info.fields(), QStringList(6));
        QCOMPARE(info.values()[2], QStringLiteral("Открыт"));
    }

    void rewritableDvdIsAlwaysOpen()
    {
        // A full, closed DVD-RW (sequential) and a DVD+RW without disc status.
        InfoPage full({Writer(9, 2, 2297888, 2297888, 2770)});
        QCOMPARE(full.values(), QStringList({"DVD-RW", "2X", "Открыт", "4488 Мб", "4488 Мб", "0 Мб"}));
        InfoPage plus({Writer(10, -1, 2295104, 16, 5540)});
        QCOMPARE(plus.values()[2], QStringLiteral("Открыт"));
    }

    void unreadableStatus()
    {
        InfoPage info({Writer(5, -1, 2298496, 0, 11080)});
        QCOMPARE(info.values()[2], QStringLiteral("???"));
    }

    void noDiscStillFillsTheGrid()
    {
        InfoPage info({Writer(0, -1, 0, 0, 7056)});
        QCOMPARE(info.values(), QStringList(6, QStringLiteral("???")));
        QCOMPARE(info.fields(), QStringList(6));
        QCOMPARE(info.shownAbilities(), kAllAbilities);
    }

    void driveWithoutSomeAbilities()
    {
        ScriptedDrive reader = Writer(4, 2, 2295104, 2295104, 0);
        reader.capabilities = zelvane::kReadsCdR | zelvane::kReadsCdRw | zelvane::kReadsDvdRom |
                              zelvane::kReadsDvdPlusR | zelvane::kReadsDvdPlusRw | zelvane::kWritesCdR;
        InfoPage info({reader});
        QCOMPARE(info.shownAbilities(), reader.capabilities);
        QCOMPARE(info.values()[0], QStringLiteral("DVD-ROM"));
        QCOMPARE(info.values()[1], QStringLiteral("0X"));
    }

    void noDriveAtAll()
    {
        InfoPage info({});
        QVERIFY(info.page);
        QCOMPARE(info.ui().Label10->text(), QStringLiteral("Название устройства"));
        QCOMPARE(info.values(), QStringList(6, QStringLiteral("???")));
        for (const auto &row : info.page->Grid())
            QVERIFY(row.yes->isHidden() && row.no->isHidden());
        QCOMPARE(info.burner->loadMediumCalls, 0);
    }

    void valuesAreResetWhenShownAgain()
    {
        InfoPage info({Writer(11, 0, 2295104, 0, 11080)});
        info.burner->drives[0].mediaCode = 0;
        info.page->FormShow();
        QCOMPARE(info.values(), QStringList(6, QStringLiteral("???")));
    }
};

QTEST_MAIN(InfoTests)
#include "app_info_tests.moc"
