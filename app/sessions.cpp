#include "sessions.h"

#include "image_button.h"
#include "main.h"
#include "ui_sessions.h"

namespace zelvane::app {

TForm8::TForm8(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm8>())
{
    ui_->setupUi(this);
    SetHelpContext(62);
    ui_->Label7->hide();
    shell_.PngSpeedButton1()->hide();
    shell_.PngSpeedButton5()->show();
    shell_.PngSpeedButton2()->setEnabled(true);
}

TForm8::~TForm8() = default;

QLabel *TForm8::Label7() const { return ui_->Label7; }
bool TForm8::ExtractionRunning() const { return !ui_->Label7->isHidden(); }

} // namespace zelvane::app
