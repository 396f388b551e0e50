// The Help menu's version check for the desktop program: the HTTP fetch runs on a worker thread
// so the window keeps painting while a slow server is waited for; the answer is reported through
// the prompter on the user-interface thread. One check at a time.
#pragma once

#include <QObject>
#include <functional>
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
    Prompter& prompter_;
    std::jthread worker_;
    bool running_ = false;
};

}  // namespace shelfmark
