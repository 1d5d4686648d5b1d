// The wizard walked to the sessions page, and the page's tree read back and
// worked as a user does, for the tests.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

namespace zelvane::app {
class DriveBackend;
class TForm1;
class TForm8;
} // namespace zelvane::app

namespace zelvane::app::testing {

class InteractionRecorder;

struct SessionsPageProbe {
    std::unique_ptr<TForm1> window;
    TForm8 *page = nullptr;

    // Shows the main window and goes from the task page through the
    // information page to the sessions page.
    explicit SessionsPageProbe(std::unique_ptr<DriveBackend> burner);
    ~SessionsPageProbe();

    QTreeWidget *tree() const;
    // Texts of the top-level nodes, or of a node's children.
    QStringList texts(QTreeWidgetItem *parent = nullptr) const;
    // The node of a session ("1") or below it ("1/docs/deep"); null when absent.
    QTreeWidgetItem *node(const QString &path) const;
    // Selects the node, answers the folder dialog with `folder` and waits
    // until the extraction has ended; false when it did not end.
    bool extract(InteractionRecorder &recorder, const QString &path, const QString &folder);
    // Done and Start over are offered again, and the extract button.
    bool atRest() const;
};

} // namespace zelvane::app::testing
