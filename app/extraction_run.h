// One extraction from a session of the disc, run on a thread of its own so
// that the window stays responsive. Every drive command of the extraction
// (the tray lock, the import, the reads, the unlock) is sent from that
// thread, and the interface thread sends none while it runs. Questions for
// the user are asked on the interface thread while the extraction waits for
// the answer.
#pragma once

#include "drive_backend.h"

#include <QString>
#include <atomic>
#include <functional>
#include <thread>

class QObject;

namespace zelvane::app {

class ExtractionRun {
public:
    // Run on the interface thread.
    struct Questions {
        // May a local file of this name be replaced? False skips it.
        std::function<bool(const QString &name)> replace;
        // A folder could not be created.
        std::function<void(const QString &folder)> folderFailed;
    };
    using Finished = std::function<void(const zelvane::ExtractionOutcome &outcome)>;

    // Starts at once. `finished` is called on the interface thread (unless
    // `context` is gone by then) after the tray was unlocked again.
    ExtractionRun(DriveBackend &drive, zelvane::ExtractionRequest request, QObject *context, Questions questions,
                  Finished finished);
    // Stops the extraction and waits for its thread.
    ~ExtractionRun();
    ExtractionRun(const ExtractionRun &) = delete;
    ExtractionRun &operator=(const ExtractionRun &) = delete;

    // The file being copied is finished and no further entry is started.
    void Stop();
    bool Running() const { return running_.load(); }
    // Stops and waits on the interface thread, answering the questions that
    // are still asked with No, without showing them.
    void StopAndWait();

private:
    void run(DriveBackend &drive, zelvane::ExtractionRequest request, QObject *context, Questions questions,
             Finished finished);
    // Runs a question on the interface thread and waits for it.
    void ask(QObject *context, const std::function<void()> &question);

    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{true};
    std::thread thread_;
};

} // namespace zelvane::app
