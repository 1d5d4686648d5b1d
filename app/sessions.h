// TForm8, "Sessions": the sessions of the disc and the extraction of files.
// For now its caption, the "Извлечение..." label and the shell's buttons.
#pragma once

#include "wizard_page.h"

#include <memory>

class QLabel;

namespace Ui {
class TForm8;
}

namespace zelvane::app {

class TForm8 : public WizardPage {
    Q_OBJECT

public:
    TForm8(TForm1 &shell, QWidget *pageArea);
    ~TForm8() override;

    QLabel *Label7() const;
    // True while an extraction runs (its label is shown).
    bool ExtractionRunning() const;

private:
    std::unique_ptr<Ui::TForm8> ui_;
};

} // namespace zelvane::app
