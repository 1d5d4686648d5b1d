#include "choose_task.h"

#include "artwork.h"
#include "drive_backend.h"
#include "global.h"
#include "image_button.h"
#include "main.h"
#include "ui_choose_task.h"

#include <QMouseEvent>

namespace zelvane::app {

namespace {
constexpr int kHelpTopic = 2;
const QColor kSelectedColour(0xC0, 0xC0, 0xC0);

void setPanelColour(QFrame *panel, const QColor &colour)
{
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
}

void setBold(QLabel *label, bool bold)
{
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}
} // namespace

TForm2::TForm2(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm2>())
{
    ui_->setupUi(this);
    SetHelpContext(kHelpTopic);
    panels_ = {ui_->Panel6, ui_->Panel7, ui_->Panel8, ui_->Panel9, ui_->Panel10, ui_->Panel11};
    icons_ = {ui_->Image2, ui_->Image3, ui_->Image4, ui_->Image5, ui_->Image6, ui_->Image7};
    labels_ = {ui_->Label9, ui_->Label10, ui_->Label11, ui_->Label12, ui_->Label13, ui_->Label14};
    const std::array<Picture, kTaskCount> taskPictures = {Picture::TaskNewDisc,   Picture::TaskContinueDisc,
                                                          Picture::TaskEraseDisc, Picture::TaskMakeImage,
                                                          Picture::TaskBurnImage, Picture::TaskDiscInfo};
    for (int task = 0; task < kTaskCount; ++task) {
        const auto at = static_cast<size_t>(task);
        panels_[at]->setAutoFillBackground(true);
        panels_[at]->setCursor(Qt::PointingHandCursor);
        icons_[at]->setPixmap(PictureIcon(taskPictures[at]).pixmap(24, 24));
        labels_[at]->raise();
        icons_[at]->raise();
        for (QWidget *clickable : {static_cast<QWidget *>(panels_[at]), static_cast<QWidget *>(icons_[at]),
                                   static_cast<QWidget *>(labels_[at])})
            clickable->installEventFilter(this);
    }
    ui_->Image1->setPixmap(TaskPageBanner(ui_->Image1->size()));
    ui_->Image8->setPixmap(SelectionHighlight(ui_->Image8->size()));
    connect(ui_->ComboBox1, &QComboBox::activated, this, &TForm2::ComboBox1Select);
    FormCreate();
}

TForm2::~TForm2() = default;

QLabel *TForm2::Image8() const { return ui_->Image8; }
QComboBox *TForm2::ComboBox1() const { return ui_->ComboBox1; }

void TForm2::FormCreate()
{
    WizardState &state = Wizard();
    shell_.PngSpeedButton2()->setEnabled(false);
    PanelClick(state.TaskKind < kTaskCount ? state.TaskKind : 0);
    ui_->ComboBox1->addItems(state.DriveNames);
    ui_->ComboBox1->setCurrentIndex(state.SelectedDrive < state.DriveNames.size() ? state.SelectedDrive : -1);
    state.EraseBeforeBurn = false;
    state.EraseFailed = false;
    state.WriteError.clear();
    // Write settings an earlier task left on the burner do not carry over.
    DriveBackend &burner = shell_.sarnixb();
    burner.SetFinalizeDisc(false);
    burner.SetTestWrite(false);
    burner.SetImportSessionNumber(0);
    shell_.PngSpeedButton4()->setEnabled(true);
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (int task = 0; task < kTaskCount; ++task) {
            const auto at = static_cast<size_t>(task);
            if (watched == panels_[at] || watched == icons_[at] || watched == labels_[at]) {
                PanelClick(task);
                return true;
            }
        }
    }
    return WizardPage::eventFilter(watched, event);
}

void TForm2::PanelClick(int task)
{
    if (task < 0 || task >= kTaskCount)
        return;
    QFrame *panel = panels_[static_cast<size_t>(task)];
    ui_->Image8->setParent(panel);
    ui_->Image8->move(panel->width() - ui_->Image8->width(), 0);
    ui_->Image8->lower();
    ui_->Image8->show();
    DeselectAllPanels();
    setPanelColour(panel, kSelectedColour);
    setBold(labels_[static_cast<size_t>(task)], true);
    Wizard().TaskKind = static_cast<uint8_t>(task);
}

void TForm2::DeselectAllPanels()
{
    for (int task = 0; task < kTaskCount; ++task) {
        setPanelColour(panels_[static_cast<size_t>(task)], Qt::white);
        setBold(labels_[static_cast<size_t>(task)], false);
    }
}

void TForm2::ComboBox1Select(int index)
{
    if (index < 0 || index >= Wizard().DriveNames.size())
        return;
    shell_.SelectDrive(index);
}

} // namespace zelvane::app
