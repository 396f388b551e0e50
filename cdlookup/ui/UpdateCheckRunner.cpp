#include "cdlookup/ui/UpdateCheckRunner.h"

namespace shelfmark {

UpdateCheckRunner::UpdateCheckRunner(Prompter& prompter, QObject* parent)
    : QObject(parent), prompter_(prompter) {
    qRegisterMetaType<UpdateCheckResult>("shelfmark::UpdateCheckResult");
    poll_.setInterval(20);
    connect(&poll_, &QTimer::timeout, this, &UpdateCheckRunner::collect);
}

UpdateCheckRunner::~UpdateCheckRunner() = default;

bool UpdateCheckRunner::start(const std::string& url, std::function<void()> openHomePage,
                              const UpdateFetchOptions& options) {
    if (running_)
        return false;
    running_ = true;
    openHomePage_ = std::move(openHomePage);
    done_.store(false);
    worker_ = std::jthread([this, url, options] {
        UpdateCheckResult result = CheckForUpdate(url, options);
        {
            const std::lock_guard lock(mutex_);
            result_ = std::move(result);
        }
        done_.store(true, std::memory_order_release);
    });
    poll_.start();
    return true;
}

void UpdateCheckRunner::collect() {
    if (!done_.load(std::memory_order_acquire))
        return;
    poll_.stop();
    worker_.join();
    UpdateCheckResult result;
    {
        const std::lock_guard lock(mutex_);
        result = std::move(result_);
    }
    running_ = false;
    ReportUpdateResult(result, prompter_, openHomePage_);
    emit finished(result);
}

}  // namespace shelfmark
