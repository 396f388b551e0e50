#include "platform/desktop/DesktopOpen.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace shelfmark {

namespace {

// The executable file named `name` in the first PATH folder that has one; empty when none.
std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        const size_t colon = folders.find(':');
        std::string folder(folders.substr(0, colon));
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        if (folder.empty())
            folder = ".";
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// posix_spawn's error number (0 on success).
int Spawn(const std::string& program, const std::vector<std::string>& arguments,
          const std::string& directory, pid_t& pid) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    if (const int failed = ::posix_spawn_file_actions_init(&actions))
        return failed;
    int result = ::posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    if (result == 0)
        result = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    return result;
}

// The wait status once the child ended within `wait`; nothing while it still runs.
std::optional<int> WaitAWhile(pid_t pid, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return status;
        if (done < 0 && errno != EINTR)
            return 0;  // not our child any more: someone else reaped it
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// xdg-open documents its exit statuses; gio says only 0 or 1.
std::string FailureText(const std::string& opener, int status) {
    if (WIFSIGNALED(status))
        return opener + " was ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
               ::strsignal(WTERMSIG(status)) + ")";
    const int code = WEXITSTATUS(status);
    if (opener == "xdg-open") {
        switch (code) {
            case 2:
                return "xdg-open reports that the file does not exist";
            case 3:
                return "xdg-open found no tool to open it with";
            case 4:
                return "xdg-open reports that the application failed";
            default:
                break;
        }
    }
    return opener + " ended with exit status " + std::to_string(code);
}

void ReapWhenDone(pid_t pid) {
    std::thread([pid] {
        int ignored = 0;
        while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// The openers in the order they are tried.
std::vector<std::vector<std::string>> OpenerCommands(const std::string& path) {
    return {{"xdg-open", path}, {"gio", "open", path}};
}

}  // namespace

bool OpenWithDefaultApplication(const std::string& path, std::string& error,
                                std::chrono::milliseconds wait) {
    for (const std::vector<std::string>& command : OpenerCommands(path)) {
        const std::string program = FindOnPath(command.front());
        if (program.empty())
            continue;
        pid_t pid = 0;
        if (const int failed = Spawn(program, command, DirectoryOf(path), pid)) {
            error = "cannot open '" + path + "': cannot start " + program + ": " +
                    std::strerror(failed);
            return false;
        }
        const std::optional<int> status = WaitAWhile(pid, wait);
        if (!status) {
            // Some openers stay with the application they started; reap them when they end.
            ReapWhenDone(pid);
            return true;
        }
        if (WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            return true;
        error = "cannot open '" + path + "': " + FailureText(command.front(), *status);
        return false;
    }
    error = "cannot open '" + path + "': neither xdg-open nor gio is installed";
    return false;
}

bool StartApplication(const std::vector<std::string>& arguments, const std::string& directory,
                      std::string& error) {
    if (arguments.empty() || arguments.front().empty()) {
        error = "cannot start an application: its command line is empty";
        return false;
    }
    const std::string& name = arguments.front();
    const std::string program = name.find('/') != std::string::npos ? name : FindOnPath(name);
    if (program.empty() || ::access(program.c_str(), X_OK) != 0) {
        error = "cannot start " + name + ": it is not installed";
        return false;
    }
    pid_t pid = 0;
    if (const int failed = Spawn(program, arguments, directory, pid)) {
        error = "cannot start " + program + ": " + std::strerror(failed);
        return false;
    }
    ReapWhenDone(pid);
    return true;
}

}  // namespace shelfmark
