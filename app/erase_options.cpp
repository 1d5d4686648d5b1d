#include "erase_options.h"

#include "drive_backend.h"
#include "global.h"
#include "image_button.h"
#include "interaction.h"
#include "main.h"
#include "sxDrvLib/MediaCode.h"
#include "sxTasks/DiscRules.h"
#include "sxTasks/TaskTexts.h"
#include "ui_erase_options.h"

namespace zelvane::app {

namespace {

constexpr int kHelpTopic = 31;
constexpr int kReadyTimeoutSeconds = 5;

} // namespace

TForm7::TForm7(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm7>())
{
    ui_->setupUi(this);
    SetHelpContext(kHelpTopic);
    connect(ui_->RadioButton1, &QRadioButton::toggled, this, &TForm7::RadioButton1Click);
    connect(ui_->ComboBox1, &QComboBox::activated, this, &TForm7::ComboBox1Change);
    FormCreate();
}

TForm7::~TForm7() = default;

void TForm7::FormCreate()
{
    WizardState &state = Wizard();
    shell_.PngSpeedButton2()->setEnabled(true);
    state.QuickErase = true;
    DriveBackend &burner = shell_.sarnixb();
    ui_->ComboBox1->addItems(WriteSpeedTexts(burner, burner.MediaCode(), true));
    ui_->ComboBox1->setCurrentIndex(ui_->ComboBox1->count() > 0 ? 0 : -1);
    state.EraseSpeedText = ui_->ComboBox1->currentText();
}

void TForm7::RadioButton1Click()
{
    const bool quick = ui_->RadioButton1->isChecked();
    Wizard().QuickErase = quick;
    ui_->Label6->setEnabled(!quick);
    ui_->ComboBox1->setEnabled(!quick);
}

void TForm7::ComboBox1Change()
{
    SetWriteSpeedFromText(shell_.sarnixb(), ui_->ComboBox1->currentText());
    Wizard().EraseSpeedText = ui_->ComboBox1->currentText();
}

bool TForm7::CheckErase()
{
    DriveBackend &burner = shell_.sarnixb();
    if (!burner.TestUnitReady(kReadyTimeoutSeconds)) {
        ShowMessage(this, MessageRequest{QMessageBox::Warning, QString::fromUtf8(tasks::texts::kNotReady),
                                         QStringLiteral("Очистка не возможна"), QMessageBox::Ok});
        return false;
    }
    tasks::DiscFacts disc;
    disc.mediaCode = burner.MediaCode();
    disc.erasable = burner.IsErasable();
    if (tasks::CanErase(disc, Wizard().QuickErase))
        return true;
    burner.Eject();
    ShowMessage(this, MessageRequest{QMessageBox::Warning, QString::fromUtf8(tasks::texts::kInsertRewritable),
                                     QStringLiteral("Диск не перезаписываемый"), QMessageBox::Ok});
    return false;
}

} // namespace zelvane::app
