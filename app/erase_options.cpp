#include "erase_options.h"

#include "image_button.h"
#include "main.h"
#include "ui_erase_options.h"

namespace zelvane::app {

TForm7::TForm7(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm7>())
{
    ui_->setupUi(this);
    SetHelpContext(31);
    shell_.PngSpeedButton2()->setEnabled(true);
}

TForm7::~TForm7() = default;

bool TForm7::CheckErase() { return true; }

} // namespace zelvane::app
