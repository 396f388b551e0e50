#include "lists/ui/ListWorker.h"

#include <QCoreApplication>
#include <QPointer>
#include <chrono>

#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {
namespace {

// Hands every message of the worker to the window's prompter on the window's thread and waits
// for the answer: message boxes may only be shown there.
class ForwardingPrompter : public Prompter {
  public:
    ForwardingPrompter(QObject* context, Prompter& target) : context_(context), target_(target) {}

    PromptAnswer show(const PromptMessage& message) override {
        PromptAnswer answer = DefaultAnswer(message.buttons);
        QMetaObject::invokeMethod(context_, [&] { answer = target_.show(message); }, Qt::BlockingQueuedConnection);
        return answer;
    }
    PromptAnswer showHint(PromptHint& hint) override {
        PromptAnswer answer = DefaultAnswer(hint.message.buttons);
        QMetaObject::invokeMethod(context_, [&] { answer = target_.showHint(hint); }, Qt::BlockingQueuedConnection);
        return answer;
    }
    std::optional<std::string> askText(const TextRequest& request) override {
        std::optional<std::string> text;
        QMetaObject::invokeMethod(context_, [&] { text = target_.askText(request); }, Qt::BlockingQueuedConnection);
        return text;
    }

  private:
    QObject* context_;
    Prompter& target_;
};

}  // namespace

ListWorker::ListWorker(QObject* parent) : QObject(parent) {}

ListWorker::~ListWorker() {
    // The window that listens is being destroyed: it must not hear the end any more.
    disconnect(this, nullptr, nullptr, nullptr);
    cancel();
    wait();
}

void ListWorker::start(Job job, Prompter& prompter) {
    wait();
    cancel_.reset();
    done_.store(false);
    worker_ = std::thread([this, job = std::move(job), &prompter] {
        ForwardingPrompter forwarding(this, prompter);
        ProgressThrottle throttle(std::chrono::milliseconds(50));
        const Progress report = [this, &throttle](size_t done, size_t total) {
            if (done == total || throttle.due())
                QMetaObject::invokeMethod(this, [this, done, total] { emit progress(done, total); },
                                          Qt::QueuedConnection);
        };
        job(cancel_, report, forwarding);
        done_.store(true);
        QMetaObject::invokeMethod(this, [this] { emit finished(); }, Qt::QueuedConnection);
    });
}

bool ListWorker::askCancel(Prompter& prompter) {
    if (!running() || !prompter.askYesNo(Str(173)))
        return false;
    cancel();
    return true;
}

void ListWorker::wait() {
    if (!worker_.joinable())
        return;
    // The job may be waiting for a message box on this thread: keep answering until it returns.
    while (!done_.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker_.join();
}

}  // namespace shelfmark
