#include "process.h"

#include "global.h"
#include "image_button.h"
#include "main.h"
#include "ui_process.h"

namespace zelvane::app {

TForm5::TForm5(TForm1 &shell, QWidget *pageArea) : WizardPage(shell, pageArea), ui_(std::make_unique<Ui::TForm5>())
{
    ui_->setupUi(this);
    shell_.PngSpeedButton2()->setEnabled(true);
    static constexpr int kTopics[] = {13, 23, 32, 43, 52};
    const uint8_t task = Wizard().TaskKind;
    SetHelpContext(task < std::size(kTopics) ? kTopics[task] : 2);
}

TForm5::~TForm5() = default;

void TForm5::Finish(bool)
{
    shell_.PngSpeedButton1()->hide();
    shell_.PngSpeedButton4()->hide();
    shell_.PngSpeedButton5()->show();
    shell_.PngSpeedButton2()->setEnabled(true);
}

void TForm5::EraseDone() { Finish(!Wizard().EraseFailed); }
void TForm5::BurnDone() { Finish(Wizard().WriteError.isEmpty()); }
void TForm5::Finalizing() {}

} // namespace zelvane::app
