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

void ReadRunner::start(ReadSession& session) {
    wait();
    session_ = &session;
    {
        const std::lock_guard lock(mutex_);
        problems_.clear();
    }
    // The handlers run on the worker: they copy what they report and touch no widget.
    session.setProgressHandler([this](const ReadProgress& step) {
        const QString directory = step.directory ? ToQString(*step.directory) : QString();
        QMetaObject::invokeMethod(
            this,
            [this, directory, files = step.files, bytes = step.bytes] {
                emit progress(directory, files, bytes);
            },
            Qt::QueuedConnection);
    });
    session.setProblemHandler([this](const ReadProblem& problem) {
        const std::lock_guard lock(mutex_);
        problems_.push_back(problem.message);
    });
    worker_ = std::thread([this, &session] {
        session.run();
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (worker_.joinable())
                    worker_.join();
                session_ = nullptr;
                emit finished();
            },
            Qt::QueuedConnection);
    });
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
