#include "info.h"

#include "artwork.h"
#include "drive_backend.h"
#include "global.h"
#include "image_button.h"
#include "main.h"
#include "sxDrvLib/CapabilitySet.h"
#include "sxDrvLib/MediaCode.h"
#include "sxDrvLib/SpeedText.h"
#include "sxDrvLib/VolumeDescriptor.h"
#include "ui_info.h"

#include <QCoreApplication>

#include <algorithm>

namespace zelvane::app {

namespace {

constexpr int kHelpTopic = 61;
constexpr int kReadyTimeoutSeconds = 5;
constexpr int kDiscComplete = 2;
const QString kUnknown = QStringLiteral("???");

} // namespace

TForm6::TForm6(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm6>())
{
    ui_->setupUi(this);
    SetHelpContext(kHelpTopic);
    grid_ = {{
        {kReadsCdR, ui_->ReadYes1, ui_->ReadNo1},
        {kReadsCdRw, ui_->ReadYes2, ui_->ReadNo2},
        {kReadsDvdRom, ui_->ReadYes3, ui_->ReadNo3},
        {kReadsDvdR, ui_->ReadYes4, ui_->ReadNo4},
        {kReadsDvdPlusR, ui_->ReadYes5, ui_->ReadNo5},
        {kReadsDvdRw, ui_->ReadYes6, ui_->ReadNo6},
        {kReadsDvdPlusRw, ui_->ReadYes7, ui_->ReadNo7},
        {kReadsDvdRam, ui_->ReadYes8, ui_->ReadNo8},
        {kWritesCdR, ui_->WriteYes1, ui_->WriteNo1},
        {kWritesCdRw, ui_->WriteYes2, ui_->WriteNo2},
        {kTestWrite, ui_->WriteYes3, ui_->WriteNo3},
        {kWritesDvdR, ui_->WriteYes4, ui_->WriteNo4},
        {kWritesDvdPlusR, ui_->WriteYes5, ui_->WriteNo5},
        {kWritesDvdRw, ui_->WriteYes6, ui_->WriteNo6},
        {kWritesDvdPlusRw, ui_->WriteYes7, ui_->WriteNo7},
        {kWritesDvdRam, ui_->WriteYes8, ui_->WriteNo8},
        {kUnderrunProtection, ui_->BufferYes, ui_->BufferNo},
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
    const int mediaCode = burner.MediaCode();
    const std::string mediaName = MediaName(mediaCode);
    if (mediaName == "UNKNOWN") {
        ResetDiscValues();
        return;
    }

    ui_->Label7->setText(QString::fromStdString(mediaName));
    ui_->Label8->setText(QString::fromStdString(SpeedMultipleText(static_cast<unsigned>(std::max(0, burner.MaxWriteSpeed())), mediaCode)));

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
    const auto texts = ReadDiscIdentifiers(shell_.sarnixb());
    if (!texts)
        return;
    ui_->Edit1->setText(QString::fromStdString(texts->volume));
    ui_->Edit2->setText(QString::fromStdString(texts->preparer));
    ui_->Edit3->setText(QString::fromStdString(texts->publisher));
    ui_->Edit4->setText(QString::fromStdString(texts->copyright));
    ui_->Edit5->setText(QString::fromStdString(texts->created));
    ui_->Edit6->setText(QString::fromStdString(texts->application));
    for (QLineEdit *field : {ui_->Edit1, ui_->Edit2, ui_->Edit3, ui_->Edit4, ui_->Edit5, ui_->Edit6}) {
        field->setCursorPosition(0);
        field->setToolTip(field->text());
    }
}

} // namespace zelvane::app
