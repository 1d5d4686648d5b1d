// The points where the wizard waits for the user or ends the process: message
// boxes, file and folder dialogs, the immediate end and the power-off. Each goes through a
// replaceable handler so that tests answer the questions themselves.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace zelvane::app {

struct MessageRequest {
    QMessageBox::Icon icon;
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
};

struct OpenFileRequest {
    QString title;
    QString filter;
};

struct FolderRequest {
    QString caption;
    QString root;      // empty: the whole file system
    QString preselect; // folder shown first
};

struct InteractionHandlers {
    std::function<QMessageBox::StandardButton(const MessageRequest &)> message;
    std::function<std::optional<QString>(const OpenFileRequest &)> openFile;
    std::function<std::optional<QString>(const FolderRequest &)> chooseFolder;
    std::function<void(int exitCode)> endProcess;
    std::function<void()> powerOff;
};

// Replaces the handlers (empty members keep the interactive default) and
// answers the previous set, so a test can restore it.
InteractionHandlers SetInteractionHandlers(InteractionHandlers handlers);

// A modal message box owned by parent; answers the button chosen.
QMessageBox::StandardButton ShowMessage(QWidget *parent, const MessageRequest &request);
// Yes/No question with the question icon; true for Yes.
bool AskYesNo(QWidget *parent, const QString &text, const QString &caption);

std::optional<QString> ChooseOpenFile(QWidget *parent, const OpenFileRequest &request);
std::optional<QString> ChooseFolder(QWidget *parent, const FolderRequest &request);

// Ends the process at once, without closing windows or asking again.
void EndProcessNow(int exitCode);

// Asks the login manager to power the computer off.
void RequestPowerOff();

} // namespace zelvane::app
