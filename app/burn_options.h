// TForm4, "Burn Options". For now only its caption and the check the shell
// calls on Next.
#pragma once

#include "wizard_page.h"

#include <memory>

namespace Ui {
class TForm4;
}

namespace zelvane::app {

class TForm4 : public WizardPage {
    Q_OBJECT

public:
    TForm4(TForm1 &shell, QWidget *pageArea);
    ~TForm4() override;

    // Refuses what the drive or the disc cannot do; false keeps the page.
    bool CheckBurn();

private:
    std::unique_ptr<Ui::TForm4> ui_;
};

} // namespace zelvane::app
