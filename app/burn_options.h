// TForm4, "Burn Options": write speed, read-ahead cache, erase first,
// finalising, a boot image and the volume identifiers of the new image;
// CheckBurn decides whether processing may start.
#pragma once

#include "wizard_page.h"

#include <cstdint>
#include <memory>

namespace Ui {
class TForm4;
}

namespace zelvane::tasks {
struct DiscFacts;
}

namespace zelvane::app {

class TForm4 : public WizardPage {
    Q_OBJECT

public:
    TForm4(TForm1 &shell, QWidget *pageArea);
    // FormDestroy: the edited identifiers go to the burner.
    ~TForm4() override;

    // Refuses what the drive or the disc cannot do, or asks to erase
    // first; false keeps the page.
    bool CheckBurn();

    Ui::TForm4 &Form() { return *ui_; }

private:
    void FormCreate();
    void DefaultSettings();
    void ShowContinuedDiscIdentifiers();
    void ComboBox1Change();
    void CheckBox1Click();
    void CheckBox2Click();
    void TrackBar1Change();
    void CheckBox5Click();
    tasks::DiscFacts ReadDisc();
    // Sectors the write takes: the project's layout, or the image file's size.
    int64_t SectorsToBurn() const;
    void Refuse(const QString &text, const QString &caption);

    std::unique_ptr<Ui::TForm4> ui_;
};

} // namespace zelvane::app
