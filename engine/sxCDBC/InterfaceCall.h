// How worker threads reach the interface thread: the completion events of a
// write or an erase run there while the worker waits. The wizard passes a
// blocking queued call into its event loop; the command line and the tests
// use TInterfaceQueue.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace zelvane {

// Runs `work` on the interface thread and returns once it has run there.
using TInterfaceCall = std::function<void(const std::function<void()> &work)>;

// A queue of calls that one thread (the "interface thread" of a program
// without a window system) runs while workers wait for them.
class TInterfaceQueue {
public:
    TInterfaceQueue() = default;
    // Runs what is still queued and waits until every caller has left Call.
    ~TInterfaceQueue();
    TInterfaceQueue(const TInterfaceQueue &) = delete;
    TInterfaceQueue &operator=(const TInterfaceQueue &) = delete;

    // Queues the work and blocks until RunPending has run it.
    void Call(const std::function<void()> &work);
    // The call to hand to the burner.
    TInterfaceCall Caller();
    // Runs every queued call; waits up to `wait` for one to arrive. Answers
    // whether any ran.
    bool RunPending(std::chrono::milliseconds wait);

private:
    struct Item {
        std::function<void()> work;
        bool done = false;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Item>> queue_;
    int callers_ = 0; // threads inside Call
};

} // namespace zelvane
