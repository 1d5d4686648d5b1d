// The completion object a provider signals when it finishes a request
// asynchronously, with a bounded wait for it.
#pragma once

#include "sxASPI/aspi_abi.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace zelvane {

class CompletionEvent {
public:
    CompletionEvent();
    CompletionEvent(const CompletionEvent &) = delete;
    CompletionEvent &operator=(const CompletionEvent &) = delete;

    // The object handed to the provider in the request block.
    ZvCompletion *Abi() { return &abi_; }

    // Waits until the provider signals or the time is up; true when signalled.
    // A provider sets the final status before it signals, so the status is
    // visible to the caller once this returns true.
    bool WaitFor(std::chrono::milliseconds limit);

    // A request whose wait expired may still be signalled by a provider that
    // ignores the expiry. Its completion object is kept alive for the rest
    // of the process so that such a late signal touches valid memory.
    static void Abandon(std::unique_ptr<CompletionEvent> event);

private:
    static void Signal(ZvCompletion *self);

    ZvCompletion abi_{};
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool isSignalled_ = false;
};

} // namespace zelvane
