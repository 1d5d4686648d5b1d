// TForm5, "Process": the progress page. For now its caption and the calls
// the shell forwards to it.
#pragma once

#include "wizard_page.h"

#include <memory>

namespace Ui {
class TForm5;
}

namespace zelvane::app {

class TForm5 : public WizardPage {
    Q_OBJECT

public:
    TForm5(TForm1 &shell, QWidget *pageArea);
    ~TForm5() override;

    // Ends the page's work; the shell calls it with false on Stop and close.
    void Finish(bool Success);
    void EraseDone();
    void BurnDone();
    // May run on the writing thread.
    void Finalizing();

private:
    std::unique_ptr<Ui::TForm5> ui_;
};

} // namespace zelvane::app
