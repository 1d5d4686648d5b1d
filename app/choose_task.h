// TForm2, "Choose Task": the first page of every task. Six panels, one per
// task, of which exactly one is selected; and the drive list.
#pragma once

#include "wizard_page.h"

#include <array>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;

namespace Ui {
class TForm2;
}

namespace zelvane::app {

class TForm2 : public WizardPage {
    Q_OBJECT

public:
    static constexpr int kTaskCount = 6;

    TForm2(TForm1 &shell, QWidget *pageArea);
    ~TForm2() override;

    // Selects the panel of a task (0..5), as a click on it does.
    void PanelClick(int task);
    void DeselectAllPanels();
    void ComboBox1Select(int index);

    QFrame *Panel(int task) const { return panels_[static_cast<size_t>(task)]; }
    QLabel *PanelLabel(int task) const { return labels_[static_cast<size_t>(task)]; }
    QLabel *Image8() const;
    QComboBox *ComboBox1() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();

    std::unique_ptr<Ui::TForm2> ui_;
    std::array<QFrame *, kTaskCount> panels_{};
    std::array<QLabel *, kTaskCount> icons_{};
    std::array<QLabel *, kTaskCount> labels_{};
};

} // namespace zelvane::app
