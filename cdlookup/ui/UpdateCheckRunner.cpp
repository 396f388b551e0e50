#include "cdlookup/ui/UpdateCheckRunner.h"

#include <QMetaObject>
#include <QPointer>

namespace shelfmark {

UpdateCheckRunner::UpdateCheckRunner(Prompter& prompter, QObject* parent)
    : QObject(parent), prompter_(prompter) {
    qRegisterMetaType<UpdateCheckResult>("shelfmark::UpdateCheckResult");
}

UpdateCheckRunner::~UpdateCheckRunner() = default;

bool UpdateCheckRunner::start(const std::string& url, std::function<void()> openHomePage,
                              const UpdateFetchOptions& options) {
    if (running_)
        return false;
    running_ = true;
    if (worker_.joinable())
        worker_.join();
    QPointer<UpdateCheckRunner> self(this);
    worker_ = std::jthread([this, self, url, options, open = std::move(openHomePage)] {
        UpdateCheckResult result = CheckForUpdate(url, options);
        // Back on the user-interface thread; dropped when the runner is gone (the destructor
        // joins this thread first, so `this` is alive while the call is queued).
        QMetaObject::invokeMethod(
            this,
            [this, self, result = std::move(result), open] {
                if (!self)
                    return;
                running_ = false;
                ReportUpdateResult(result, prompter_, open);
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

}  // namespace shelfmark
