#include "info_page_probe.h"

#include "info.h"
#include "ui_info.h"

namespace zelvane::app::testing {

QStringList InfoValues(TForm6 &page)
{
    Ui::TForm6 &ui = page.Form();
    return {ui.Label7->text(), ui.Label8->text(), ui.Label9->text(),
            ui.Label14->text(), ui.Label15->text(), ui.Label16->text()};
}

QStringList InfoFields(TForm6 &page)
{
    Ui::TForm6 &ui = page.Form();
    return {ui.Edit1->text(), ui.Edit2->text(), ui.Edit3->text(),
            ui.Edit4->text(), ui.Edit5->text(), ui.Edit6->text()};
}

uint32_t ShownAbilities(const TForm6 &page)
{
    uint32_t shown = 0;
    for (const auto &row : page.Grid()) {
        if (row.yes->isVisible() == row.no->isVisible())
            return kInconsistentGrid;
        if (row.yes->isVisible())
            shown |= row.bit;
    }
    return shown;
}

} // namespace zelvane::app::testing
