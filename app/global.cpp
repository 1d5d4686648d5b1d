#include "global.h"

#include "drive_backend.h"
#include "interaction.h"
#include "sxDrvLib/DriveDisplayName.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/SpeedText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <algorithm>
#include <cmath>

namespace zelvane::app {

namespace {
// Speed texts are parsed back with 177 KB/s per multiple on CD media.
constexpr double kCdSpeedParseFactor = 177.0;

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}
} // namespace

WizardState &Wizard()
{
    static WizardState state;
    return state;
}

void ResetWizardState()
{
    Wizard() = WizardState{};
}

QString DriveDisplayName(const std::string &deviceListEntry)
{
    return QString::fromStdString(zelvane::DriveDisplayName(deviceListEntry));
}

uint64_t FileSizeOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return 0;
    return static_cast<uint64_t>(info.size());
}

QString ExtractItemName(QString path)
{
    if (!path.isEmpty() && isSeparator(path.back()))
        path.chop(1);
    qsizetype last = path.size() - 1;
    while (last >= 0 && !isSeparator(path[last]))
        --last;
    QString name = path.mid(last + 1);
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

QString FormatThousands(int64_t value)
{
    const bool negative = value < 0;
    // Through the unsigned magnitude, so the most negative value has one too.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    QString digits = QString::number(magnitude);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(' '));
    return negative ? QLatin1Char('-') + digits : digits;
}

uint16_t SpeedTextToKBps(const QString &speedText, int mediaCode)
{
    const qsizetype x = speedText.indexOf(QLatin1Char('x'), 0, Qt::CaseInsensitive);
    QString number = (x < 0 ? speedText : speedText.left(x)).trimmed();
    if (number.isEmpty())
        return 0;
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double multiple = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(multiple) || multiple <= 0)
        return 0;
    const double factor = zelvane::IsCdMedia(mediaCode) ? kCdSpeedParseFactor : zelvane::kDvdBaseSpeed;
    const double kbps = std::round(multiple * factor);
    return kbps >= 65535.0 ? uint16_t{65535} : static_cast<uint16_t>(kbps);
}

QString BlocksToMegabytesText(int64_t blocks)
{
    const double megabytes = static_cast<double>(blocks) * 2048.0 / 1048576.0;
    return QString::number(std::llround(megabytes)) + QStringLiteral(" Мб");
}

const QLocale &WizardLocale()
{
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    return russian;
}

QString MegabytesText(double bytes)
{
    return WizardLocale().toString(bytes / 1048576.0, 'f', 2);
}

QString ClockText(int64_t seconds)
{
    seconds = std::max<int64_t>(seconds, 0);
    const int64_t hours = seconds / 3600;
    const int64_t minutes = seconds / 60 - hours * 60;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList WriteSpeedTexts(DriveBackend &burner, int mediaCode, bool speedOnly)
{
    const bool cd = zelvane::IsCdMedia(mediaCode);
    const int step = cd ? 177 : 700;
    const double divisor = cd ? zelvane::kCdBaseSpeed : zelvane::kDvdBaseSpeed;
    const int maximum = burner.MaxWriteSpeed();
    QStringList texts;
    for (int asked = maximum; asked > 0; asked -= step) {
        QCoreApplication::processEvents();
        burner.SetWriteSpeed(asked);
        const int reported = burner.CurrentWriteSpeed();
        QString text = QString::number(std::llround(reported / divisor)) + QLatin1Char('x');
        if (!speedOnly) {
            const QString kbps = WizardLocale().toString(reported);
            text += QStringLiteral(" (%1 Кб/с)").arg(kbps.size() < 2 ? QLatin1Char('0') + kbps : kbps);
        }
        if (!texts.contains(text))
            texts.append(text);
    }
    burner.SetWriteSpeed(maximum);
    return texts;
}

void SetWriteSpeedFromText(DriveBackend &burner, const QString &speedText)
{
    const int kbps = SpeedTextToKBps(speedText, burner.MediaCode());
    burner.SetWriteSpeed(kbps != 0 ? kbps : burner.MaxWriteSpeed());
}

std::optional<zelvane::VolumeIdentifiers> ReadDiscIdentifiers(DriveBackend &burner)
{
    std::vector<uint8_t> sector;
    if (!burner.ReadSectors(zelvane::kFirstDescriptorLba, 1, sector))
        return std::nullopt;
    return zelvane::PrimaryVolumeIdentifiers(sector);
}

bool BrowseForFolder(QWidget *parent, const QString &caption, const QString &root, QString &path)
{
    Wizard().BrowsePath = path;
    const auto chosen = ChooseFolder(parent, FolderRequest{caption, root, Wizard().BrowsePath});
    if (!chosen)
        return false;
    path = *chosen;
    return QFileInfo(path).isDir();
}

void ShutdownComputer()
{
    RequestPowerOff();
}

bool ChooseIsoImage(QWidget *parent)
{
    const auto chosen = ChooseOpenFile(parent, OpenFileRequest{QStringLiteral("Укажите ISO-образ для записи"),
                                                               QStringLiteral("Файлы ISO-образов (*.iso)")});
    if (!chosen) {
        Wizard().IsoPath.clear();
        return false;
    }
    Wizard().IsoPath = QFileInfo(*chosen).absoluteFilePath();
    return true;
}

bool InstallQtRussianTexts()
{
    static QTranslator translator;
    if (!translator.isEmpty())
        return true;
    if (!translator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

} // namespace zelvane::app
