// Runs a prepared ReadSession on a worker thread for a window. The window stays responsive:
// progress arrives as queued signals (at most every 100 ms, as the session reports it), the
// problems the read meets are collected for the end, and `finished` is queued to the window's
// thread once the worker is done and joined; only then may the window commit the session.
// Starting a new read drops the progress and the end of the one before that were not yet heard,
// so a read cancelled and started again at once is not reported as ended by the old one's end.
//
//     ReadRunner runner;
//     connect(&runner, &ReadRunner::finished, this, [&] { ReadResult r = session.commit(); });
//     runner.start(session);            // session.prepare() answered Ready
//     ...
//     runner.askCancel(prompter);       // "Do you really want to cancel the process?"
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "reading/engine/ReadSession.h"

namespace shelfmark {

class Prompter;

class ReadRunner : public QObject {
    Q_OBJECT
  public:
    explicit ReadRunner(QObject* parent = nullptr);
    ~ReadRunner() override;  // waits for the worker

    // Starts session.run() on a new thread; the session must outlive the worker.
    void start(ReadSession& session);
    bool running() const { return session_ != nullptr; }
    // Asks the cancel question; Yes sets the read's cancel flag. The worker goes on meanwhile
    // and stops at its next check of the flag. True when the read was asked to stop.
    bool askCancel(Prompter& prompter);
    // Sets the cancel flag without asking.
    void cancel();
    // Blocks until the worker has ended (the finished signal is still queued).
    void wait();

    // The problems' messages, in the order met; valid after `finished`.
    std::vector<std::string> problems() const;

  signals:
    void progress(const QString& directory, qulonglong files, qulonglong bytes);
    void finished();

  private slots:
    // Queued from the worker thread; `job` tells a stale notice from the current read's.
    void relayProgress(qulonglong job);
    void jobEnded(qulonglong job);

  private:
    // The latest step the worker reported and the window has not heard yet.
    struct Step {
        std::string directory;
        uint64_t files = 0;
        uint64_t bytes = 0;
    };

    ReadSession* session_ = nullptr;
    qulonglong job_ = 0;  // the number of the latest read; this object's thread only
    std::thread worker_;
    mutable std::mutex mutex_;  // guards the two below
    std::vector<std::string> problems_;
    std::optional<Step> step_;
};

}  // namespace shelfmark
