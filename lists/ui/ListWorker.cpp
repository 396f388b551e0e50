#include "lists/ui/ListWorker.h"

#include <QCoreApplication>
#include <chrono>

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {
namespace {

// Hands every message of the worker to the window's prompter on the window's thread and waits
// for the answer: message boxes may only be shown there.
class ForwardingPrompter : public Prompter {
  public:
    ForwardingPrompter(ListWorker& owner, Prompter& target) : owner_(owner), target_(target) {}

    PromptAnswer show(const PromptMessage& message) override {
        PromptAnswer answer = DefaultAnswer(message.buttons);
        owner_.runOnOwnThread([&] { answer = target_.show(message); });
        return answer;
    }
    PromptAnswer showHint(PromptHint& hint) override {
        PromptAnswer answer = DefaultAnswer(hint.message.buttons);
        owner_.runOnOwnThread([&] { answer = target_.showHint(hint); });
        return answer;
    }
    std::optional<std::string> askText(const TextRequest& request) override {
        std::optional<std::string> text;
        owner_.runOnOwnThread([&] { text = target_.askText(request); });
        return text;
    }

  private:
    ListWorker& owner_;
    Prompter& target_;
};

}  // namespace

ListWorker::ListWorker(QObject* parent) : QObject(parent) {}

ListWorker::~ListWorker() {
    // The window that listens is being destroyed: it must not hear the job any more. (The private
    // slots stay connected: a message the job is waiting on must still be answered.)
    disconnect(this, &ListWorker::progress, nullptr, nullptr);
    disconnect(this, &ListWorker::finished, nullptr, nullptr);
    cancel();
    wait();
}

// The worker thread reaches the window's thread only through queued calls by name: Qt copies
// their arguments itself, so no object made on the worker is used or freed on the other thread
// behind a lock of Qt's that the thread sanitizer cannot see.
void ListWorker::start(Job job, Prompter& prompter) {
    const qulonglong number = ++job_;
    wait();
    cancel_.reset();
    done_.store(false);
    worker_ = std::thread([this, number, job = std::move(job), &prompter] {
        ForwardingPrompter forwarding(*this, prompter);
        ProgressThrottle throttle(std::chrono::milliseconds(50));
        const Progress report = [this, number, &throttle](size_t done, size_t total) {
            if (done == total || throttle.due())
                QMetaObject::invokeMethod(this, "relayProgress", Qt::QueuedConnection, Q_ARG(qulonglong, number),
                                          Q_ARG(qulonglong, done), Q_ARG(qulonglong, total));
        };
        job(cancel_, report, forwarding);
        done_.store(true);
        QMetaObject::invokeMethod(this, "jobEnded", Qt::QueuedConnection, Q_ARG(qulonglong, number));
    });
}

bool ListWorker::askCancel(Prompter& prompter) {
    if (!running() || !prompter.askYesNo(Str(173)))
        return false;
    cancel();
    return true;
}

void ListWorker::wait() {
    // The job may be waiting for a message box on this thread: keep answering until it returns.
    while (worker_.joinable() && !done_.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The events answered above may have included the end, which joins the thread itself.
    if (worker_.joinable())
        worker_.join();
}

void ListWorker::runOnOwnThread(const std::function<void()>& ask) {
    std::unique_lock lock(requestMutex_);
    request_ = &ask;
    QMetaObject::invokeMethod(this, "answerRequest", Qt::QueuedConnection);
    requestAnswered_.wait(lock, [this] { return request_ == nullptr; });
}

void ListWorker::answerRequest() {
    const std::function<void()>* ask = nullptr;
    {
        const std::lock_guard lock(requestMutex_);
        ask = request_;
    }
    if (ask == nullptr)
        return;
    (*ask)();
    {
        const std::lock_guard lock(requestMutex_);
        request_ = nullptr;
    }
    requestAnswered_.notify_all();
}

void ListWorker::relayProgress(qulonglong job, qulonglong done, qulonglong total) {
    if (job == job_)
        emit progress(done, total);
}

void ListWorker::jobEnded(qulonglong job) {
    if (job != job_)
        return;
    // Joined before the window hears it, so all the job wrote is the window's to read.
    if (worker_.joinable())
        worker_.join();
    emit finished();
}

}  // namespace shelfmark
