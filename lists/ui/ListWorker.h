// Runs the one long job a list window has at a time (building an item list, exporting, printing)
// on a worker thread, so the window keeps painting and can be asked to cancel.
//
// The job gets the cancel flag to test at its checkpoints, a progress function it may call as
// often as it likes (the window hears at most every 50 ms, plus the last call), and a prompter
// whose messages appear on the window's thread while the worker waits for the answer.
// `finished` is queued to the window's thread once the job has returned and its thread has been
// joined; only then may the window use what the job made, and then without further locking.
// Starting a new job drops the progress and the end of the one before that were not yet heard.
//
//     ListWorker worker;
//     connect(&worker, &ListWorker::finished, this, [this] { ... });
//     worker.start([&](const CancelFlag& cancel, const ListWorker::Progress& progress,
//                      Prompter& prompter) { RunListExport(...); }, prompter);
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "foundation/CancelFlag.h"

namespace shelfmark {

class Prompter;

class ListWorker : public QObject {
    Q_OBJECT
  public:
    using Progress = std::function<void(size_t done, size_t total)>;
    using Job = std::function<void(const CancelFlag& cancel, const Progress& progress, Prompter& prompter)>;

    explicit ListWorker(QObject* parent = nullptr);
    ~ListWorker() override;  // cancels a running job and waits for it

    // Starts `job`; `prompter` (used on this object's thread) must outlive the job.
    void start(Job job, Prompter& prompter);
    bool running() const { return worker_.joinable() && !done_.load(); }
    // "Do you really want to cancel the process?"; Yes sets the cancel flag (the job stops at its
    // next checkpoint). True when the job was asked to stop.
    bool askCancel(Prompter& prompter);
    void cancel() { cancel_.request(); }
    bool cancelRequested() const { return cancel_.isSet(); }
    // Blocks until the job has returned, answering its messages meanwhile.
    void wait();

    // For the job's prompter, called on the worker thread only: runs `ask` on this object's
    // thread and returns once it has run. Everything `ask` reads was written before the call,
    // everything it writes is seen after.
    void runOnOwnThread(const std::function<void()>& ask);

  signals:
    void progress(qulonglong done, qulonglong total);
    void finished();

  private slots:
    // Queued from the worker thread; `job` tells a stale notice from the current job's.
    void relayProgress(qulonglong job, qulonglong done, qulonglong total);
    void jobEnded(qulonglong job);
    void answerRequest();

  private:
    CancelFlag cancel_;
    std::atomic<bool> done_{false};
    qulonglong job_ = 0;  // the number of the latest job; this object's thread only
    // The one message the blocked worker waits on, handed over under the mutex.
    std::mutex requestMutex_;
    std::condition_variable requestAnswered_;
    const std::function<void()>* request_ = nullptr;
    std::thread worker_;
};

}  // namespace shelfmark
