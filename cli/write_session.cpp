#include "write_session.h"

#include "sxCDBC/SarnixBurner.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace zelvane::cli {

namespace {

double nowSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The burner whose write Ctrl-C (or SIGTERM) stops. Stopping only sets the
// burner's atomic stop flags, which is safe inside a signal handler.
std::atomic<TSarnixBurner *> gInterruptTarget{nullptr};

void stopOnSignal(int)
{
    if (TSarnixBurner *burner = gInterruptTarget.load())
        burner->CancelWrite();
}

std::string clockText(double seconds)
{
    const long total = seconds < 0 ? 0 : static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

} // namespace

WriteSession::WriteSession(TSarnixBurner &burner, std::string command)
    : burner_(burner), command_(std::move(command)), startSeconds_(nowSeconds()), terminal_(::isatty(1) != 0)
{
    burner_.Dispatcher = [this](const std::function<void()> &call) { dispatch(call); };
    burner_.OnWriteDone = [this](TSarnixBurner *, const std::string &error) {
        std::lock_guard lock(mutex_);
        done_ = true;
        result_ = error;
    };
    burner_.OnFinalizingTrack = [this](TSarnixBurner *) { finalizing_ = true; };
    gInterruptTarget = &burner_;
    struct sigaction action {};
    action.sa_handler = stopOnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previousInterrupt_);
    ::sigaction(SIGTERM, &action, &previousTerminate_);
}

WriteSession::~WriteSession()
{
    burner_.WaitForWriteEnd();
    ::sigaction(SIGINT, &previousInterrupt_, nullptr);
    ::sigaction(SIGTERM, &previousTerminate_, nullptr);
    gInterruptTarget = nullptr;
    burner_.Dispatcher = nullptr;
    burner_.OnWriteDone = nullptr;
    burner_.OnFinalizingTrack = nullptr;
}

void WriteSession::dispatch(const std::function<void()> &call)
{
    std::unique_lock lock(mutex_);
    calls_.push_back(&call);
    const std::size_t ticket = ++posted_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return served_ >= ticket; });
}

std::string WriteSession::run(bool started)
{
    if (started) {
        std::unique_lock lock(mutex_);
        auto nextPrint = std::chrono::steady_clock::now();
        while (!done_) {
            while (!calls_.empty()) {
                const auto *call = calls_.front();
                calls_.pop_front();
                lock.unlock();
                (*call)();
                lock.lock();
                ++served_;
                changed_.notify_all();
            }
            if (done_)
                break;
            if (std::chrono::steady_clock::now() >= nextPrint) {
                lock.unlock();
                printProgress(false);
                lock.lock();
                nextPrint = std::chrono::steady_clock::now() + std::chrono::milliseconds(terminal_ ? 500 : 2000);
            }
            changed_.wait_until(lock, nextPrint, [&] { return done_ || !calls_.empty(); });
        }
    }
    burner_.WaitForWriteEnd();
    if (started)
        printProgress(true);
    std::lock_guard lock(mutex_);
    return result_;
}

void WriteSession::printProgress(bool last)
{
    const double total = static_cast<double>(burner_.SectorsToWrite()) * 2048.0;
    const double written = static_cast<double>(burner_.BytesWritten.load());
    const double elapsed = nowSeconds() - startSeconds_;
    const double percent = total > 0 ? written * 100.0 / total : 0;
    const double remaining = written > 0 ? elapsed * (total - written) / written : 0;
    const std::uint32_t bufferSize = burner_.DeviceBufferSize;
    const std::uint32_t bufferFree = burner_.DeviceFreeBufferSize;
    const int bufferFill = bufferSize ? static_cast<int>((bufferSize - std::min(bufferFree, bufferSize)) * 100.0 / bufferSize) : 0;
    std::printf("%s%.1f MB of %.1f MB (%.0f%%), cache %d%%, drive buffer %d%%, elapsed %s, remaining %s%s%s",
                terminal_ ? "\r" : "", written / 1048576.0, total / 1048576.0, percent, burner_.CacheFillPercent(),
                bufferFill, clockText(elapsed).c_str(), clockText(remaining).c_str(),
                finalizing_ && !last ? ", finalizing" : "", terminal_ && !last ? "" : "\n");
    std::fflush(stdout);
}

int WriteSession::finish(const std::string &result) const
{
    if (result.empty()) {
        std::printf("Запись успешно завершена\n");
        return 0;
    }
    std::fprintf(stderr, "zelvane-cli %s: Запись завершена с ошибкой: %s\n", command_.c_str(), result.c_str());
    return 1;
}

} // namespace zelvane::cli
