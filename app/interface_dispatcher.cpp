#include "interface_dispatcher.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>

namespace zelvane::app {

Dispatcher MakeInterfaceDispatcher(QObject *context)
{
    QPointer<QObject> target(context);
    return [target](const std::function<void()> &call) {
        QObject *receiver = target.data();
        if (receiver == nullptr)
            return;
        if (QThread::currentThread() == receiver->thread()) {
            call();
            return;
        }
        QMetaObject::invokeMethod(receiver, [call] { call(); }, Qt::QueuedConnection);
    };
}

} // namespace zelvane::app
