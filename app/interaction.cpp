#include "interaction.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QFileDialog>
#include <cstdlib>

namespace zelvane::app {

namespace {

InteractionHandlers &handlers()
{
    static InteractionHandlers current;
    return current;
}

QMessageBox::StandardButton interactiveMessage(QWidget *parent, const MessageRequest &request)
{
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// Other top-level windows stay disabled while a folder dialog is open.
class OtherWindowsDisabled {
public:
    explicit OtherWindowsDisabled(QWidget *owner)
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window != owner && window->isVisible() && window->isEnabled()) {
                window->setEnabled(false);
                disabled_.push_back(window);
            }
        }
    }
    ~OtherWindowsDisabled()
    {
        for (QWidget *window : disabled_)
            window->setEnabled(true);
    }
    OtherWindowsDisabled(const OtherWindowsDisabled &) = delete;
    OtherWindowsDisabled &operator=(const OtherWindowsDisabled &) = delete;

private:
    std::vector<QWidget *> disabled_;
};

} // namespace

InteractionHandlers SetInteractionHandlers(InteractionHandlers replacement)
{
    return std::exchange(handlers(), std::move(replacement));
}

QMessageBox::StandardButton ShowMessage(QWidget *parent, const MessageRequest &request)
{
    if (handlers().message)
        return handlers().message(request);
    return interactiveMessage(parent, request);
}

bool AskYesNo(QWidget *parent, const QString &text, const QString &caption)
{
    const MessageRequest request{QMessageBox::Question, text, caption, QMessageBox::Yes | QMessageBox::No};
    return ShowMessage(parent, request) == QMessageBox::Yes;
}

std::optional<QString> ChooseOpenFile(QWidget *parent, const OpenFileRequest &request)
{
    if (handlers().openFile)
        return handlers().openFile(request);
    QFileDialog dialog(parent, request.title, QString(), request.filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> ChooseFolder(QWidget *parent, const FolderRequest &request)
{
    if (handlers().chooseFolder)
        return handlers().chooseFolder(request);
    QWidget *owner = parent ? parent->window() : nullptr;
    OtherWindowsDisabled lock(owner);
    QFileDialog dialog(owner, request.caption, request.preselect);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!request.root.isEmpty() && request.root != QStringLiteral("/"))
        dialog.setDirectory(request.preselect.startsWith(request.root) ? request.preselect : request.root);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void EndProcessNow(int exitCode)
{
    if (handlers().endProcess) {
        handlers().endProcess(exitCode);
        return;
    }
    std::_Exit(exitCode);
}

void RequestPowerOff()
{
    if (handlers().powerOff) {
        handlers().powerOff();
        return;
    }
    QDBusInterface login(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                         QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
    // interactive = true lets the policy agent ask for permission.
    login.call(QStringLiteral("PowerOff"), true);
}

} // namespace zelvane::app
