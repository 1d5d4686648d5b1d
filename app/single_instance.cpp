#include "single_instance.h"

#include <QLocalSocket>
#include <unistd.h>

namespace zelvane::app {

namespace {
constexpr int kConnectTimeoutMs = 500;
const QByteArray kActivateRequest = "activate\n";
} // namespace

SingleInstance::SingleInstance(QString serverName) : serverName_(std::move(serverName))
{
    if (serverName_.isEmpty())
        serverName_ = QStringLiteral("zelvane-%1").arg(getuid());
}

bool SingleInstance::ActivateRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kActivateRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen()
{
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        // A socket left behind by an instance that crashed: nobody answered
        // on it (checked before), so it is taken over.
        QLocalServer::removeServer(serverName_);
        if (!server_->listen(serverName_))
            return false;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains("activate"))
                    emit activationRequested();
            });
        }
    });
    return true;
}

} // namespace zelvane::app
