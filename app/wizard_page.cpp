#include "wizard_page.h"

#include "global.h"

namespace zelvane::app {

WizardPage::WizardPage(TForm1 &shell, QWidget *pageArea) : QWidget(pageArea), shell_(shell)
{
    setGeometry(pageArea->rect());
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void WizardPage::SetHelpContext(int topic)
{
    Wizard().HelpContext = topic;
}

} // namespace zelvane::app
