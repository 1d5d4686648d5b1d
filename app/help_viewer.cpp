#include "help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace zelvane::app {

namespace {

QStringList helpFolders()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    return {programDir + QStringLiteral("/help"), programDir + QStringLiteral("/../share/zelvane/help")};
}

} // namespace

QString HelpPagePath(int topic)
{
    for (const QString &folder : helpFolders()) {
        const QFileInfo page(QDir(folder).filePath(QStringLiteral("%1.html").arg(topic)));
        if (page.isFile())
            return page.absoluteFilePath();
    }
    return {};
}

HelpViewer::HelpViewer(QWidget *parent) : QDialog(parent), browser_(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Справка Zelvane"));
    resize(560, 480);
    browser_->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
}

bool HelpViewer::ShowTopic(int topic)
{
    const QString page = HelpPagePath(topic);
    if (page.isEmpty())
        return false;
    browser_->setSource(QUrl::fromLocalFile(page));
    show();
    raise();
    activateWindow();
    return true;
}

} // namespace zelvane::app
