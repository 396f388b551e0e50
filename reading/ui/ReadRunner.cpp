#include "reading/ui/ReadRunner.h"

#include <QMetaObject>

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

ReadRunner::ReadRunner(QObject* parent) : QObject(parent) {}

ReadRunner::~ReadRunner() {
    if (session_ != nullptr)
        session_->cancelFlag().request();
    wait();
}

// The worker reaches the window's thread only through queued calls by name carrying the job's
// number: the data itself is handed over under the mutex, so nothing made on the worker is used or
// freed on the window's thread behind a lock of Qt's that the thread sanitizer cannot see.
void ReadRunner::start(ReadSession& session) {
    const qulonglong number = ++job_;
    wait();
    session_ = &session;
    {
        const std::lock_guard lock(mutex_);
        problems_.clear();
        step_.reset();
    }
    // The handlers run on the worker: they copy what they report and touch no widget. A step
    // not yet heard is replaced by the newer one rather than queued behind it.
    session.setProgressHandler([this, number](const ReadProgress& step) {
        bool heard = false;
        {
            const std::lock_guard lock(mutex_);
            heard = !step_.has_value();
            step_ = Step{step.directory ? *step.directory : std::string(), step.files, step.bytes};
        }
        if (heard)
            QMetaObject::invokeMethod(this, "relayProgress", Qt::QueuedConnection,
                                      Q_ARG(qulonglong, number));
    });
    session.setProblemHandler([this](const ReadProblem& problem) {
        const std::lock_guard lock(mutex_);
        problems_.push_back(problem.message);
    });
    worker_ = std::thread([this, number, &session] {
        session.run();
        QMetaObject::invokeMethod(this, "jobEnded", Qt::QueuedConnection,
                                  Q_ARG(qulonglong, number));
    });
}

void ReadRunner::relayProgress(qulonglong job) {
    if (job != job_)
        return;  // the step waiting now belongs to the newer read, which has its own call queued
    std::optional<Step> step;
    {
        const std::lock_guard lock(mutex_);
        step.swap(step_);
    }
    if (step)
        emit progress(ToQString(step->directory), step->files, step->bytes);
}

void ReadRunner::jobEnded(qulonglong job) {
    if (job != job_)
        return;
    // Joined before the window hears it, so all the read wrote is the window's to use.
    if (worker_.joinable())
        worker_.join();
    session_ = nullptr;
    emit finished();
}

bool ReadRunner::askCancel(Prompter& prompter) {
    if (session_ == nullptr)
        return false;
    if (!prompter.askYesNo(Str(173)))
        return false;
    cancel();
    return true;
}

void ReadRunner::cancel() {
    if (session_ != nullptr)
        session_->cancelFlag().request();
}

void ReadRunner::wait() {
    if (worker_.joinable())
        worker_.join();
}

std::vector<std::string> ReadRunner::problems() const {
    const std::lock_guard lock(mutex_);
    return problems_;
}

}  // namespace shelfmark
