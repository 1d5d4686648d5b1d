#include "sessions_page_probe.h"

#include "choose_task.h"
#include "global.h"
#include "image_button.h"
#include "main.h"
#include "scripted_backend.h"
#include "sessions.h"
#include "ui_sessions.h"

#include <QtTest>

namespace zelvane::app::testing {

SessionsPageProbe::SessionsPageProbe(std::unique_ptr<DriveBackend> burner)
    : window(std::make_unique<TForm1>(std::move(burner)))
{
    window->show();
    qobject_cast<TForm2 *>(window->CurrentPage())->PanelClick(Task::DiscInfo);
    window->PngSpeedButton1Click();
    window->PngSpeedButton1Click();
    page = qobject_cast<TForm8 *>(window->CurrentPage());
}

SessionsPageProbe::~SessionsPageProbe() = default;

QTreeWidget *SessionsPageProbe::tree() const
{
    return page->Form().TreeView1;
}

QStringList SessionsPageProbe::texts(QTreeWidgetItem *parent) const
{
    QStringList result;
    const int count = parent ? parent->childCount() : tree()->topLevelItemCount();
    for (int i = 0; i < count; ++i)
        result << (parent ? parent->child(i) : tree()->topLevelItem(i))->text(0);
    return result;
}

QTreeWidgetItem *SessionsPageProbe::node(const QString &path) const
{
    const QStringList names = path.split(QLatin1Char('/'));
    QTreeWidgetItem *found = tree()->topLevelItem(names[0].toInt() - 1);
    for (qsizetype i = 1; found && i < names.size(); ++i) {
        QTreeWidgetItem *parent = found;
        found = nullptr;
        for (int c = 0; c < parent->childCount(); ++c)
            if (parent->child(c)->text(0) == names[i])
                found = parent->child(c);
    }
    return found;
}

bool SessionsPageProbe::extract(InteractionRecorder &recorder, const QString &path, const QString &folder)
{
    tree()->setCurrentItem(node(path));
    recorder.folderAnswer = folder;
    page->PngSpeedButton1Click();
    return QTest::qWaitFor([this] { return !page->ExtractionRunning(); }, 120000);
}

bool SessionsPageProbe::atRest() const
{
    return window->PngSpeedButton5()->isVisible() && window->PngSpeedButton4()->isHidden() &&
           window->PngSpeedButton2()->isEnabled() && page->Form().PngSpeedButton1->isEnabled();
}

} // namespace zelvane::app::testing
