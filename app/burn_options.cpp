#include "burn_options.h"

#include "global.h"
#include "image_button.h"
#include "main.h"
#include "ui_burn_options.h"

namespace zelvane::app {

TForm4::TForm4(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm4>())
{
    ui_->setupUi(this);
    shell_.PngSpeedButton2()->setEnabled(true);
    switch (Wizard().TaskKind) {
    case Task::NewDisc: SetHelpContext(12); break;
    case Task::ContinueDisc: SetHelpContext(22); break;
    case Task::MakeImage: SetHelpContext(42); break;
    case Task::BurnImage: SetHelpContext(51); break;
    default: SetHelpContext(2); break;
    }
}

TForm4::~TForm4() = default;

bool TForm4::CheckBurn() { return true; }

} // namespace zelvane::app
