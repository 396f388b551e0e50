// The cancel protocol shared by every worker: the window sets the flag, the worker tests it at
// its own checkpoints (per entry, per item, per row, per page, per 64 KB block).
#pragma once

#include <atomic>
#include <chrono>

namespace shelfmark {

class CancelFlag {
public:
    void request() { set_.store(true, std::memory_order_relaxed); }
    void reset() { set_.store(false, std::memory_order_relaxed); }
    bool isSet() const { return set_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> set_{false};
};

// Lets a worker report progress at most every `interval`, however often it asks.
class ProgressThrottle {
public:
    explicit ProgressThrottle(std::chrono::milliseconds interval = std::chrono::milliseconds(100))
        : interval_(interval) {}

    // True when the interval has passed since the last time this answered true (and the first time).
    bool due() {
        const auto now = std::chrono::steady_clock::now();
        if (!started_ || now - last_ >= interval_) {
            started_ = true;
            last_ = now;
            return true;
        }
        return false;
    }

private:
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_{};
    bool started_ = false;
};

}  // namespace shelfmark
