// Unreadable files and directories for tests that may run as root: root reads through mode 000
// by its capabilities, so the test thread lays those down while the object lives.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace shelfmark::testing {

// Clears CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from the calling thread's effective set and
// puts them back at the end. Without those capabilities nothing changes.
class ThreadWithoutAccessOverride {
  public:
    ThreadWithoutAccessOverride() {
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~ThreadWithoutAccessOverride() {
        if (active_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    ThreadWithoutAccessOverride(const ThreadWithoutAccessOverride&) = delete;
    ThreadWithoutAccessOverride& operator=(const ThreadWithoutAccessOverride&) = delete;

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

}  // namespace shelfmark::testing
