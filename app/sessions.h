// TForm8, "Sessions": every session of the disc with its folders and files,
// the details of the selected one, and the extraction of a file, a folder or
// a whole session into a local folder.
#pragma once

#include "wizard_page.h"

#include "sxTasks/SessionContents.h"
#include "sxTasks/SessionExtraction.h"

#include <memory>
#include <vector>

class QLabel;
class QTreeWidgetItem;

namespace Ui {
class TForm8;
}

namespace zelvane::ui {
class ImageList;
}

namespace zelvane::app {

class ExtractionRun;

class TForm8 : public WizardPage {
    Q_OBJECT

public:
    // Image indexes of the tree's nodes.
    enum NodeImage {
        SessionCollapsed = 0,
        SessionExpanded = 1,
        FolderCollapsed = 2,
        FolderExpanded = 3,
        FileNode = 4,
        MessageNode = 5,
    };

    TForm8(TForm1 &shell, QWidget *pageArea);
    ~TForm8() override;

    // Reads the sessions of the disc into the tree.
    void FormShow() override;

    QLabel *Label7() const;
    Ui::TForm8 &Form() { return *ui_; }
    static int ImageOf(const QTreeWidgetItem *node);

    // True while an extraction runs (its label is shown).
    bool ExtractionRunning() const;
    // Extracts the selected node into a folder the user chooses.
    void PngSpeedButton1Click();
    // Stop: no further file is started; the page is at rest again once the
    // file being copied is done.
    void StopExtraction();
    // The window is closing: stops and waits for the extraction.
    void StopExtractionAndWait();

private:
    void DisplayDir(QTreeWidgetItem *node, const std::vector<zelvane::SessionItem> &items, const QString &path);
    QTreeWidgetItem *AddNode(QTreeWidgetItem *parent, const QString &text, NodeImage image);
    void SetImage(QTreeWidgetItem *node, NodeImage image);
    void TreeView1Change(QTreeWidgetItem *node);
    void TreeView1Expanding(QTreeWidgetItem *node);
    void TreeView1Collapsing(QTreeWidgetItem *node);
    void ExtractionEnded(const zelvane::ExtractionOutcome &outcome);
    void ReportOutcome(const zelvane::ExtractionOutcome &outcome);

    std::unique_ptr<Ui::TForm8> ui_;
    std::unique_ptr<zelvane::ui::ImageList> images_;
    std::unique_ptr<ExtractionRun> run_;
    QString driveName_;
    bool closing_ = false;
};

} // namespace zelvane::app
