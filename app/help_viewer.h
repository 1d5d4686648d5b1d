// The help window: one HTML page per help topic number, shipped in the
// "help" folder beside the program (or in the installed data folder).
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace zelvane::app {

// The page of a topic, or an empty text when the program has none.
QString HelpPagePath(int topic);

class HelpViewer : public QDialog {
    Q_OBJECT

public:
    explicit HelpViewer(QWidget *parent = nullptr);
    // Shows the topic's page; false when there is none.
    bool ShowTopic(int topic);

private:
    QTextBrowser *browser_;
};

} // namespace zelvane::app
