// Ctrl-C (and SIGTERM) while a long command runs: the command's cancel flag is set, and the
// work ends at its next checkpoint with the outcome its cancel rule gives.
#pragma once

#include <csignal>

namespace shelfmark {
class CancelFlag;
}

namespace shelfmark::cli {

class InterruptCancels {
  public:
    explicit InterruptCancels(CancelFlag& flag);
    ~InterruptCancels();
    InterruptCancels(const InterruptCancels&) = delete;
    InterruptCancels& operator=(const InterruptCancels&) = delete;

  private:
    struct sigaction previous_ {};
    struct sigaction previousTerm_ {};
};

}  // namespace shelfmark::cli
