// TForm7, "Erase Options". For now only its caption and the check the shell
// calls on Next.
#pragma once

#include "wizard_page.h"

#include <memory>

namespace Ui {
class TForm7;
}

namespace zelvane::app {

class TForm7 : public WizardPage {
    Q_OBJECT

public:
    TForm7(TForm1 &shell, QWidget *pageArea);
    ~TForm7() override;

    // Refuses a disc that cannot be erased; false keeps the page.
    bool CheckErase();

private:
    std::unique_ptr<Ui::TForm7> ui_;
};

} // namespace zelvane::app
