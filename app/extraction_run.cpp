#include "extraction_run.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace zelvane::app {

namespace {

constexpr unsigned long kWaitStepMs = 5;

} // namespace

ExtractionRun::ExtractionRun(DriveBackend &drive, zelvane::ExtractionRequest request, QObject *context,
                             Questions questions, Finished finished)
{
    thread_ = std::thread(&ExtractionRun::run, this, std::ref(drive), std::move(request), context,
                          std::move(questions), std::move(finished));
}

ExtractionRun::~ExtractionRun()
{
    StopAndWait();
    if (thread_.joinable())
        thread_.join();
}

void ExtractionRun::Stop()
{
    stop_ = true;
}

void ExtractionRun::StopAndWait()
{
    stop_ = true;
    // The thread may be waiting for a question to be run here.
    while (running_.load()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(kWaitStepMs);
    }
}

void ExtractionRun::ask(QObject *context, const std::function<void()> &question)
{
    if (stop_.load())
        return;
    QMetaObject::invokeMethod(
        context,
        [this, &question] {
            if (!stop_.load())
                question();
        },
        Qt::BlockingQueuedConnection);
}

void ExtractionRun::run(DriveBackend &drive, zelvane::ExtractionRequest request, QObject *context,
                        Questions questions, Finished finished)
{
    zelvane::ExtractionHooks hooks;
    hooks.stop = &stop_;
    hooks.replaceExisting = [&](const std::string &target) {
        bool replace = false;
        const QString name = QString::fromStdString(target.substr(target.rfind('/') + 1));
        ask(context, [&] { replace = questions.replace(name); });
        return replace;
    };
    hooks.folderFailed = [&](const std::string &folder) {
        const QString path = QString::fromStdString(folder);
        ask(context, [&] { questions.folderFailed(path); });
    };

    drive.AllowMediumRemoval(false);
    const zelvane::ExtractionOutcome outcome = drive.Extract(request, hooks);
    drive.AllowMediumRemoval(true);

    // No longer running when the end is told; the destructor still joins
    // this thread, so the context outlives the call below. The call itself
    // is dropped by Qt when the context is gone before it is delivered.
    running_ = false;
    QMetaObject::invokeMethod(
        context, [finished = std::move(finished), outcome] { finished(outcome); }, Qt::QueuedConnection);
}

} // namespace zelvane::app
