// Opening a file with the desktop's default application, in place of the shell's verbs: the
// freedesktop opener `xdg-open` decides the application from the file's type, and `gio open`
// stands in where xdg-open is not installed.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace shelfmark {

// Starts the first opener that is installed (found on PATH) for `path`, without a shell, with
// the file's directory as working directory, and waits up to `wait` for it to finish. True when
// it succeeded, or is still running after `wait` (it is then reaped in the background). False
// with `error` naming the path and the reason: no opener installed, the opener could not be
// started (strerror), or it ended with a failure (its exit status told in words).
bool OpenWithDefaultApplication(const std::string& path, std::string& error,
                                std::chrono::milliseconds wait = std::chrono::seconds(5));

// Starts the program `arguments` names (an absolute path, else a name looked up on PATH) with
// those arguments, without a shell, in `directory`, and does not wait: an application runs as
// long as the user keeps it (it is reaped in the background). False with `error` naming the
// program and the reason when it is not installed or cannot be started.
bool StartApplication(const std::vector<std::string>& arguments, const std::string& directory,
                      std::string& error);

}  // namespace shelfmark
