#include "sxCDBC/InterfaceCall.h"

namespace zelvane {

TInterfaceQueue::~TInterfaceQueue()
{
    RunPending(std::chrono::milliseconds(0));
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return callers_ == 0; });
}

void TInterfaceQueue::Call(const std::function<void()> &work)
{
    auto item = std::make_shared<Item>();
    item->work = work;
    std::unique_lock lock(mutex_);
    ++callers_;
    queue_.push_back(item);
    changed_.notify_all();
    changed_.wait(lock, [&] { return item->done; });
    // The queue may be destroyed as soon as the last caller has left.
    --callers_;
    changed_.notify_all();
}

TInterfaceCall TInterfaceQueue::Caller()
{
    return [this](const std::function<void()> &work) { Call(work); };
}

bool TInterfaceQueue::RunPending(std::chrono::milliseconds wait)
{
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, wait, [&] { return !queue_.empty(); }))
        return false;
    while (!queue_.empty()) {
        const auto item = queue_.front();
        queue_.pop_front();
        lock.unlock();
        // The worker is released even when the work throws.
        struct Release {
            std::unique_lock<std::mutex> &lock;
            Item &item;
            std::condition_variable &changed;
            ~Release()
            {
                lock.lock();
                item.done = true;
                changed.notify_all();
            }
        } release{lock, *item, changed_};
        item->work();
    }
    return true;
}

} // namespace zelvane
