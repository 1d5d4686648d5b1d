// One wizard per user: the first start listens on a local socket named after
// the user; a later start connects to it, asks the first window to come to
// the front and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <memory>

namespace zelvane::app {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // serverName empty: "zelvane-" + the user's id.
    explicit SingleInstance(QString serverName = {});

    // True when another instance answered and was asked to come forward.
    bool ActivateRunningInstance();
    // Starts listening; false when the name cannot be taken.
    bool Listen();

signals:
    void activationRequested();

private:
    QString serverName_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace zelvane::app
