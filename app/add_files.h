// TForm3, "Add Files": the project page. For now only its caption and the
// hooks the shell calls on Next.
#pragma once

#include "wizard_page.h"

#include <QTimer>
#include <memory>

namespace Ui {
class TForm3;
}

namespace zelvane::app {

class TForm3 : public WizardPage {
    Q_OBJECT

public:
    TForm3(TForm1 &shell, QWidget *pageArea);
    ~TForm3() override;

    // Hands the project to the burner; false keeps the page.
    bool AddFiles();
    // Asks where the image file goes (task MakeImage); false keeps the page.
    bool GetIsoFile();
    // Text of the tree's root node: the project name.
    QString ProjectName() const;

    QTimer *Timer1;

private:
    std::unique_ptr<Ui::TForm3> ui_;
};

} // namespace zelvane::app
