#include "cli/InterruptCancels.h"

#include <atomic>

#include "foundation/CancelFlag.h"

namespace shelfmark::cli {

namespace {

std::atomic<CancelFlag*> gCancelOnInterrupt{nullptr};

extern "C" void OnInterrupt(int) {
    if (CancelFlag* flag = gCancelOnInterrupt.load())
        flag->request();
}

}  // namespace

InterruptCancels::InterruptCancels(CancelFlag& flag) {
    gCancelOnInterrupt.store(&flag);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previous_);
    ::sigaction(SIGTERM, &action, &previousTerm_);
}

InterruptCancels::~InterruptCancels() {
    ::sigaction(SIGINT, &previous_, nullptr);
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    gCancelOnInterrupt.store(nullptr);
}

}  // namespace shelfmark::cli
