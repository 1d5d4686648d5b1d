// The dispatcher handed to the burner: runs a call on the interface thread.
// From another thread the call is queued into the Qt event loop and the
// caller waits until it has run; on the interface thread it runs at once.
#pragma once

#include "drive_backend.h"

class QObject;

namespace zelvane::app {

Dispatcher MakeInterfaceDispatcher(QObject *context);

} // namespace zelvane::app
