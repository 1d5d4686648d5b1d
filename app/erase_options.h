// TForm7, "Erase Options": quick or full blanking of a rewritable disc and
// the speed of a full one; CheckErase decides whether the shell may go on.
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

    // Refuses a drive that is not ready and a disc that cannot be erased;
    // false keeps the page.
    bool CheckErase();

    Ui::TForm7 &Form() { return *ui_; }

private:
    void FormCreate();
    void RadioButton1Click();
    void ComboBox1Change();

    std::unique_ptr<Ui::TForm7> ui_;
};

} // namespace zelvane::app
