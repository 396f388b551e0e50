// The Help menu's version check for the desktop program: the HTTP fetch runs on a worker thread
// so the window keeps painting while a slow server is waited for; the answer is reported through
// the prompter on the user-interface thread. One check at a time.
//
// The worker hands its result over under a mutex and a release flag; the user-interface thread
// looks for it on a short timer. Nothing crosses threads through Qt's event queue, so the
// hand-over is plain C++ that a thread sanitizer can follow.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/update/UpdateCheck.h"

namespace shelfmark {

class Prompter;

class UpdateCheckRunner : public QObject {
    Q_OBJECT

  public:
    explicit UpdateCheckRunner(Prompter& prompter, QObject* parent = nullptr);
    // Waits for a running check (bounded by its request time-out).
    ~UpdateCheckRunner() override;

    // Starts a check of `url`; false while one is running. Yes on the "newer version" question
    // calls openHomePage.
    bool start(const std::string& url, std::function<void()> openHomePage,
               const UpdateFetchOptions& options = {});
    bool running() const { return running_; }

  signals:
    // After the message (if any) was shown.
    void finished(const shelfmark::UpdateCheckResult& result);

  private:
    void collect();

    Prompter& prompter_;
    QTimer poll_;
    std::function<void()> openHomePage_;
    bool running_ = false;
    std::mutex mutex_;
    UpdateCheckResult result_;  // guarded by mutex_
    std::atomic<bool> done_{false};
    std::jthread worker_;  // last: joined before the members it writes go away
};

}  // namespace shelfmark
