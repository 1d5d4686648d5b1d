// The dispatcher handed to the burner: runs a call on the interface thread.
// From another thread the call is queued into the Qt event loop and the
// caller goes on at once (a worker never waits for the window); on the
// interface thread it runs at once. Queued calls of a context object that
// is destroyed are dropped with it.
#pragma once

#include "drive_backend.h"

class QObject;

namespace zelvane::app {

Dispatcher MakeInterfaceDispatcher(QObject *context);

} // namespace zelvane::app
