// Runs a prepared ReadSession on a worker thread for a window. The window stays responsive:
// progress arrives as queued signals (at most every 100 ms, as the session reports it), the
// problems the read meets are collected for the end, and `finished` is queued to the window's
// thread once the worker is done; only then may the window commit the session.
//
//     ReadRunner runner;
//     connect(&runner, &ReadRunner::finished, this, [&] { ReadResult r = session.commit(); });
//     runner.start(session);            // session.prepare() answered Ready
//     ...
//     runner.askCancel(prompter);       // "Do you really want to cancel the process?"
#pragma once

#include <QObject>
#include <QString>
#include <mutex>
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

  private:
    ReadSession* session_ = nullptr;
    std::thread worker_;
    mutable std::mutex mutex_;
    std::vector<std::string> problems_;
};

}  // namespace shelfmark
