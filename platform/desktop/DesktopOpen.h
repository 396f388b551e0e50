// Opening a file with the desktop's default application, in place of the shell's verbs: the
// freedesktop opener `xdg-open` decides the application from the file's type, and `gio open`
// stands in where xdg-open is not installed.
#pragma once

#include <chrono>
#include <string>

namespace shelfmark {

// Starts the first opener that is installed (found on PATH) for `path`, without a shell, with
// the file's directory as working directory, and waits up to `wait` for it to finish. True when
// it succeeded, or is still running after `wait` (it is then reaped in the background). False
// with `error` naming the path and the reason: no opener installed, the opener could not be
// started (strerror), or it ended with a failure (its exit status told in words).
bool OpenWithDefaultApplication(const std::string& path, std::string& error,
                                std::chrono::milliseconds wait = std::chrono::seconds(5));

}  // namespace shelfmark
