// Changing a profile file that other processes may change at the same time (two read dialogs,
// the command-line tool beside the desktop program). A plain load-change-save loses what the
// other process wrote in between; here the change is applied to the file as it is at that
// moment, under an exclusive lock on "<file>.lock" - the lock the settings store takes for
// settings.ini - so concurrent savers merge instead of overwriting each other.
#pragma once

#include <functional>
#include <string>

#include "foundation/ProfileFile.h"

namespace shelfmark {

// An exclusive lock on "<path>.lock" (created when missing), waited for; released on
// destruction or when the process ends.
class ProfileUpdateLock {
  public:
    explicit ProfileUpdateLock(const std::string& path);
    ~ProfileUpdateLock();
    ProfileUpdateLock(const ProfileUpdateLock&) = delete;
    ProfileUpdateLock& operator=(const ProfileUpdateLock&) = delete;

  private:
    int fd_ = -1;
};

// Under the lock: reads the file at `path` again, lets `change` change it, and writes it back
// atomically when it was changed. False when it cannot be written.
bool UpdateProfileFile(const std::string& path, const std::function<void(ProfileFile&)>& change);

}  // namespace shelfmark
