// Runs one write of the burner from the command line: the burner's events
// are delivered on the main thread (the dispatcher the burner is given), and
// the progress is printed while the write runs. Ctrl-C or SIGTERM stop the
// write as the Stop button does.
#pragma once

#include <condition_variable>
#include <csignal>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace zelvane {
class TSarnixBurner;
}

namespace zelvane::cli {

class WriteSession {
public:
    WriteSession(TSarnixBurner &burner, std::string command);
    ~WriteSession();
    WriteSession(const WriteSession &) = delete;
    WriteSession &operator=(const WriteSession &) = delete;

    // After the operation was started (or refused): serves the burner's
    // calls and prints progress until OnWriteDone; answers its text, with
    // the threads ended. `started` false means OnWriteDone has already come.
    std::string run(bool started);

    // Prints the result line ("Запись успешно завершена" or the error) and
    // answers the exit code.
    int finish(const std::string &result) const;

private:
    void dispatch(const std::function<void()> &call);
    void printProgress(bool last);

    TSarnixBurner &burner_;
    std::string command_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<const std::function<void()> *> calls_;
    std::size_t served_ = 0;
    std::size_t posted_ = 0;
    bool done_ = false;
    std::string result_;
    bool finalizing_ = false;
    double startSeconds_ = 0;
    bool terminal_ = false;
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

} // namespace zelvane::cli
