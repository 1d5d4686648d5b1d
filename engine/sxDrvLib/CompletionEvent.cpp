// Completion wait of asynchronous requests.
#include "sxDrvLib/CompletionEvent.h"

#include <vector>

namespace zelvane {

CompletionEvent::CompletionEvent()
{
    abi_.signal = &CompletionEvent::Signal;
    abi_.context = this;
}

void CompletionEvent::Signal(ZvCompletion *self)
{
    if (self == nullptr || self->context == nullptr)
        return;
    auto *event = static_cast<CompletionEvent *>(self->context);
    // Notify under the lock: the waiter may free the event as soon as it
    // sees the flag, and it can only see it after this lock is released.
    std::lock_guard lock(event->mutex_);
    event->isSignalled_ = true;
    event->signalled_.notify_all();
}

bool CompletionEvent::WaitFor(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    return signalled_.wait_for(lock, limit, [this] { return isSignalled_; });
}

void CompletionEvent::Abandon(std::unique_ptr<CompletionEvent> event)
{
    static std::mutex guard;
    static std::vector<std::unique_ptr<CompletionEvent>> abandoned;
    std::lock_guard lock(guard);
    abandoned.push_back(std::move(event));
}

} // namespace zelvane
