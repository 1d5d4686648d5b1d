// Wizard state shared by the pages, and the helpers several pages use.
#pragma once

#include "sxDrvLib/VolumeDescriptor.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

class QLocale;
class QWidget;

namespace zelvane::app {

class DriveBackend;
class WizardPage;

// Tasks, in the order of the panels on the task page.
namespace Task {
constexpr uint8_t NewDisc = 0;
constexpr uint8_t ContinueDisc = 1;
constexpr uint8_t EraseDisc = 2;
constexpr uint8_t MakeImage = 3;
constexpr uint8_t BurnImage = 4;
constexpr uint8_t DiscInfo = 5;
} // namespace Task

struct WizardState {
    WizardPage *CurrentPage = nullptr; // owned by the main window
    uint8_t TaskKind = Task::NewDisc;
    int32_t SelectedDrive = 0;
    QStringList DriveNames;
    int32_t HelpContext = 0;
    QString BrowsePath = QStringLiteral("/");
    QString IsoPath;
    bool QuickErase = false;
    bool EraseBeforeBurn = false;
    bool EraseFailed = false;
    QString WriteError;
    QString WriteSpeedText;
    QString EraseSpeedText;
    QString ProjectSizeText;
    bool ExtractAbort = false;
};

// The one wizard state of the process.
WizardState &Wizard();
// Back to the values of a fresh start (used when a main window is created).
void ResetWizardState();

// Display name of a drive-list line: blank runs collapsed, the address
// prefix ("0:0:0,") removed, so the name starts at the drive's path.
QString DriveDisplayName(const std::string &deviceListEntry);

// Size in bytes of the file at path; 0 for a folder or nothing.
uint64_t FileSizeOf(const QString &path);

// Last component of a path: one trailing separator ("/" or "\") removed,
// the text after the last separator, a trailing colon removed.
QString ExtractItemName(QString path);

// Digits in groups of three separated by blanks: 1234567 -> "1 234 567".
QString FormatThousands(int64_t value);

// "4x" -> 4 * 177 on CD media (media code below 4), 4 * 1385 otherwise;
// the number may use a decimal comma or point; empty or unreadable -> 0.
uint16_t SpeedTextToKBps(const QString &speedText, int mediaCode);

// Megabytes of a count of 2048-byte blocks, rounded: "123 Мб".
QString BlocksToMegabytesText(int64_t blocks);

// The wizard's number texts are Russian: decimal comma, grouped thousands.
const QLocale &WizardLocale();
// Megabytes of a byte count, two decimals and digit groups: "1 234,56".
QString MegabytesText(double bytes);
// Three two-digit fields hours:minutes:seconds: 3725 -> "01:02:05".
QString ClockText(int64_t seconds);

// The write speeds the drive offers for the medium, fastest first, as
// "40x (7 056 Кб/с)" or with speedOnly "40x". Every speed from the drive's
// maximum down in steps (177 KB/s on CD media, 700 on DVD) is sent to the
// drive and the speed it reports back is listed once; the drive is left at
// its maximum.
QStringList WriteSpeedTexts(DriveBackend &burner, int mediaCode, bool speedOnly);
// Sends the speed of such a text (for the inserted medium) to the drive, or
// the drive's maximum when the text holds none.
void SetWriteSpeedFromText(DriveBackend &burner, const QString &speedText);

// The identifiers of the primary volume descriptor at sector 16 of the disc;
// nothing when the sector cannot be read or holds no such descriptor.
std::optional<zelvane::VolumeIdentifiers> ReadDiscIdentifiers(DriveBackend &burner);

// Folder dialog titled caption below root, opening at path. On a choice
// path becomes the folder and the answer is whether it exists.
bool BrowseForFolder(QWidget *parent, const QString &caption, const QString &root, QString &path);

// Asks the login manager to power the computer off.
void ShutdownComputer();

// The ISO open dialog: IsoPath becomes the chosen file (true) or is cleared.
bool ChooseIsoImage(QWidget *parent);

// Loads Qt's own Russian texts (standard buttons, file dialogs) into the
// application; false when the translation files are not installed.
bool InstallQtRussianTexts();

} // namespace zelvane::app
