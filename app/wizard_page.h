// Base of every wizard page: a child window of the main window that fills the
// area above the button bar and names its help topic. The page's caption
// (window title) tells the shell which page it is.
#pragma once

#include <QWidget>

namespace zelvane::app {

class TForm1;

class WizardPage : public QWidget {
    Q_OBJECT

public:
    // Called by the shell once the page is stored as the current page and shown.
    virtual void FormShow() {}

protected:
    // Places the page inside the main window's page area; the caption comes
    // from the page's form, the help topic is set by each page.
    WizardPage(TForm1 &shell, QWidget *pageArea);
    void SetHelpContext(int topic);

    TForm1 &shell_;
};

} // namespace zelvane::app
