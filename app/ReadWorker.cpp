#include "app/ReadWorker.h"

namespace shelfmark {

ReadWorker::ReadWorker(std::unique_ptr<ReadSession> session, QObject* parent)
    : QObject(parent), session_(std::move(session)) {
    // Called on the worker thread; the signal crosses to the window's thread queued.
    session_->setProgressHandler([this](const ReadProgress& progress) {
        emit this->progress(progress.directory ? QString::fromStdString(*progress.directory)
                                               : QString(),
                            progress.files);
    });
    // Message boxes belong to the window's thread: problems travel there as signals.
    session_->setProblemHandler([this](const ReadProblem& problem) {
        emit this->problem(QString::fromStdString(problem.message));
    });
}

ReadWorker::~ReadWorker() {
    if (thread_) {
        session_->cancelFlag().request();
        thread_->wait();
    }
}

void ReadWorker::start() {
    thread_.reset(QThread::create([this] { session_->run(); }));
    connect(thread_.get(), &QThread::finished, this, &ReadWorker::finished, Qt::QueuedConnection);
    thread_->start();
}

void ReadWorker::cancel() {
    session_->cancelFlag().request();
}

ReadResult ReadWorker::commit() {
    if (thread_)
        thread_->wait();
    return session_->commit();
}

}  // namespace shelfmark
