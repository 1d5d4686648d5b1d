#include "info.h"

#include "artwork.h"
#include "drive_backend.h"
#include "global.h"
#include "image_button.h"
#include "main.h"
#include "ui_info.h"

#include <QCoreApplication>

#include <algorithm>

namespace zelvane::app {

namespace {

constexpr int kHelpTopic = 61;
constexpr int kReadyTimeoutSeconds = 5;
constexpr uint32_t kVolumeDescriptorSector = 16;
constexpr size_t kSectorSize = 2048;
constexpr int kDiscComplete = 2;
const QString kUnknown = QStringLiteral("???");

// Text of bytes [first, last] of the descriptor, trailing blanks removed.
QString descriptorText(const std::vector<uint8_t> &sector, size_t first, size_t last)
{
    const auto *begin = reinterpret_cast<const char *>(sector.data() + first);
    QString text = QString::fromLatin1(begin, static_cast<qsizetype>(last - first + 1));
    while (!text.isEmpty() && (text.back() == QLatin1Char(' ') || text.back() == QChar(0)))
        text.chop(1);
    return text;
}

// "yyyymmdd..." -> "dd.mm.yyyy"; empty when blank or all zeros (unset).
QString descriptorDate(const std::vector<uint8_t> &sector)
{
    const QString digits = descriptorText(sector, 813, 820);
    bool numeric = digits.size() == 8;
    bool allZero = true;
    for (const QChar c : digits) {
        numeric = numeric && c.isDigit();
        allZero = allZero && c == QLatin1Char('0');
    }
    if (!numeric || allZero)
        return {};
    return digits.mid(6, 2) + QLatin1Char('.') + digits.mid(4, 2) + QLatin1Char('.') + digits.left(4);
}

} // namespace

std::optional<VolumeDescriptorTexts> DecodePrimaryVolumeDescriptor(const std::vector<uint8_t> &sector)
{
    static constexpr uint8_t kSignature[] = {'C', 'D', '0', '0', '1'};
    if (sector.size() < kSectorSize || sector[0] != 1 || !std::equal(std::begin(kSignature), std::end(kSignature), sector.begin() + 1))
        return std::nullopt;
    VolumeDescriptorTexts texts;
    texts.volumeId = descriptorText(sector, 40, 71);
    texts.publisher = descriptorText(sector, 318, 445);
    texts.preparer = descriptorText(sector, 446, 573);
    texts.application = descriptorText(sector, 574, 701);
    texts.copyrightFile = descriptorText(sector, 702, 738);
    texts.creationDate = descriptorDate(sector);
    return texts;
}

TForm6::TForm6(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm6>())
{
    ui_->setupUi(this);
    SetHelpContext(kHelpTopic);
    using namespace Capability;
    grid_ = {{
        {ReadCdR, ui_->ReadYes1, ui_->ReadNo1},
        {ReadCdRw, ui_->ReadYes2, ui_->ReadNo2},
        {ReadDvd, ui_->ReadYes3, ui_->ReadNo3},
        {ReadDvdR, ui_->ReadYes4, ui_->ReadNo4},
        {ReadDvdPlusR, ui_->ReadYes5, ui_->ReadNo5},
        {ReadDvdRw, ui_->ReadYes6, ui_->ReadNo6},
        {ReadDvdPlusRw, ui_->ReadYes7, ui_->ReadNo7},
        {ReadDvdRam, ui_->ReadYes8, ui_->ReadNo8},
        {WriteCdR, ui_->WriteYes1, ui_->WriteNo1},
        {WriteCdRw, ui_->WriteYes2, ui_->WriteNo2},
        {TestWrite, ui_->WriteYes3, ui_->WriteNo3},
        {WriteDvdR, ui_->WriteYes4, ui_->WriteNo4},
        {WriteDvdPlusR, ui_->WriteYes5, ui_->WriteNo5},
        {WriteDvdRw, ui_->WriteYes6, ui_->WriteNo6},
        {WriteDvdPlusRw, ui_->WriteYes7, ui_->WriteNo7},
        {WriteDvdRam, ui_->WriteYes8, ui_->WriteNo8},
        {UnderrunProtection, ui_->BufferYes, ui_->BufferNo},
    }};
    const QPixmap yes = PictureIcon(Picture::Yes).pixmap(16, 16);
    const QPixmap no = PictureIcon(Picture::No).pixmap(16, 16);
    for (const GridRow &row : grid_) {
        row.yes->setPixmap(yes);
        row.no->setPixmap(no);
    }
}

TForm6::~TForm6() = default;

void TForm6::ResetDiscValues()
{
    for (QLabel *value : {ui_->Label7, ui_->Label8, ui_->Label9, ui_->Label14, ui_->Label15, ui_->Label16})
        value->setText(kUnknown);
}

void TForm6::FormShow()
{
    DriveBackend &burner = shell_.sarnixb();
    const WizardState &state = Wizard();

    shell_.PngSpeedButton2()->setEnabled(true);
    ResetDiscValues();
    for (QLineEdit *field : {ui_->Edit1, ui_->Edit2, ui_->Edit3, ui_->Edit4, ui_->Edit5, ui_->Edit6})
        field->clear();
    for (const GridRow &row : grid_) {
        row.yes->hide();
        row.no->hide();
    }

    QCoreApplication::processEvents();
    const bool haveDrive = state.SelectedDrive >= 0 && state.SelectedDrive < state.DriveNames.size();
    if (!haveDrive)
        return; // nothing to ask: the page keeps its initial texts
    burner.LoadMedium();
    ui_->Label10->setText(state.DriveNames[state.SelectedDrive]);
    ui_->Label10->setToolTip(ui_->Label10->text());

    const uint32_t abilities = burner.Capabilities();
    for (const GridRow &row : grid_)
        ((abilities & row.bit) != 0 ? row.yes : row.no)->show();

    burner.SetCloseAfterCommand(true);
    burner.TestUnitReady(kReadyTimeoutSeconds);
    const std::string mediaName = burner.MediaName();
    if (mediaName == "UNKNOWN") {
        ResetDiscValues();
        return;
    }

    const int mediaCode = burner.MediaCode();
    ui_->Label7->setText(QString::fromStdString(mediaName));
    ui_->Label8->setText(SpeedMultipleText(burner.MaxWriteSpeed(), mediaCode));

    const int status = burner.DiscStatus();
    const bool alwaysOpen = mediaName == "DVD+RW" || mediaName == "DVD-RW";
    QString statusText = QStringLiteral("Открыт");
    if (!alwaysOpen && status == -1)
        statusText = kUnknown;
    else if (!alwaysOpen && status == kDiscComplete)
        statusText = QStringLiteral("Закрыт");
    ui_->Label9->setText(statusText);

    const int64_t capacity = burner.Capacity();
    const int64_t used = burner.Used();
    ui_->Label14->setText(BlocksToMegabytesText(capacity));
    ui_->Label15->setText(BlocksToMegabytesText(used));
    const bool closed = statusText == QStringLiteral("Закрыт");
    ui_->Label16->setText(BlocksToMegabytesText(closed ? 0 : std::max<int64_t>(0, capacity - used)));

    ShowDescriptorFields();
}

void TForm6::ShowDescriptorFields()
{
    std::vector<uint8_t> sector;
    if (!shell_.sarnixb().ReadSectors(kVolumeDescriptorSector, 1, sector))
        return;
    const auto texts = DecodePrimaryVolumeDescriptor(sector);
    if (!texts)
        return;
    ui_->Edit1->setText(texts->volumeId);
    ui_->Edit2->setText(texts->preparer);
    ui_->Edit3->setText(texts->publisher);
    ui_->Edit4->setText(texts->copyrightFile);
    ui_->Edit5->setText(texts->creationDate);
    ui_->Edit6->setText(texts->application);
    for (QLineEdit *field : {ui_->Edit1, ui_->Edit2, ui_->Edit3, ui_->Edit4, ui_->Edit5, ui_->Edit6}) {
        field->setCursorPosition(0);
        field->setToolTip(field->text());
    }
}

} // namespace zelvane::app
