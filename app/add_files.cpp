#include "add_files.h"

#include "global.h"
#include "image_button.h"
#include "main.h"
#include "ui_add_files.h"

namespace zelvane::app {

TForm3::TForm3(TForm1 &shell, QWidget *pageArea)
    : WizardPage(shell, pageArea), Timer1(new QTimer(this)), ui_(std::make_unique<Ui::TForm3>())
{
    ui_->setupUi(this);
    shell_.PngSpeedButton2()->setEnabled(true);
    switch (Wizard().TaskKind) {
    case Task::NewDisc: SetHelpContext(11); break;
    case Task::ContinueDisc: SetHelpContext(21); break;
    case Task::MakeImage: SetHelpContext(41); break;
    default: SetHelpContext(2); break;
    }
}

TForm3::~TForm3() = default;

bool TForm3::AddFiles() { return true; }
bool TForm3::GetIsoFile() { return true; }
QString TForm3::ProjectName() const { return {}; }

} // namespace zelvane::app
