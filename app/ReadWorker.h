// Runs one prepared read (ReadSession) on a worker thread for the main window: run() on the
// worker, progress handed to the window's thread at most every 100 ms, and the end signal queued
// back, after which the window commits the result on its own thread. The window keeps the
// commands that change the catalog disabled meanwhile (the read holds the file lock; the tree
// is read by the views while the worker fills its own staging tree).
#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <memory>

#include "reading/engine/ReadSession.h"

namespace shelfmark {

class ReadWorker : public QObject {
    Q_OBJECT
  public:
    // Takes the session after prepare() answered Ready.
    explicit ReadWorker(std::unique_ptr<ReadSession> session, QObject* parent = nullptr);
    ~ReadWorker() override;

    void start();
    // Asks the worker to stop at its next checkpoint (the cancel flag of the job block).
    void cancel();
    bool running() const { return thread_ && thread_->isRunning(); }
    // Owning thread, after finished(): the result joins the catalog.
    ReadResult commit();

  signals:
    // Queued to the owning thread.
    void progress(const QString& path, qulonglong files);
    void problem(const QString& message);
    void finished();

  private:
    std::unique_ptr<ReadSession> session_;
    std::unique_ptr<QThread> thread_;
};

}  // namespace shelfmark
