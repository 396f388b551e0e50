#include "tests/discora/CddbServers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "tests/support/TestSupport.h"

extern char** environ;

namespace shelfmark::testing {

CddbTestServer::CddbTestServer(const std::filesystem::path& root, const std::filesystem::path& log,
                               const std::vector<std::string>& extraArgs) {
    const std::string script = (SourceDir() / "tools/cddb-testserver/cddb-testserver.py").string();
    std::vector<std::string> args = {"python3", script,       "--root",         root.string(),
                                     "--log",   log.string(), "--idle-timeout", "60"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int spawned = posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        pid_ = -1;
        close(out[0]);
        return;
    }
    // The server prints "cddbp PORT" and "http PORT" once it listens.
    FILE* lines = fdopen(out[0], "r");
    char line[128];
    for (int i = 0; i < 2 && std::fgets(line, sizeof(line), lines) != nullptr; ++i) {
        int port = 0;
        if (std::sscanf(line, "cddbp %d", &port) == 1)
            cddbpPort_ = port;
        else if (std::sscanf(line, "http %d", &port) == 1)
            httpPort_ = port;
    }
    std::fclose(lines);
}

CddbTestServer::~CddbTestServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

bool CddbTestServer::exitsWithin(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return true;
        }
        usleep(50000);
    }
    return pid_ <= 0;
}

ScriptedServer::ScriptedServer(Script script, bool ipv6) : script_(std::move(script)) {
    listener_ = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage address{};
    socklen_t length;
    if (ipv6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        length = sizeof(*v6);
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof(*v4);
    }
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                       : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    thread_ = std::thread([this] { serve(); });
}

ScriptedServer::~ScriptedServer() {
    stopping_ = true;
    if (thread_.joinable())
        thread_.join();
    close(listener_);
}

void ScriptedServer::serve() {
    while (!stopping_) {
        pollfd waiter{listener_, POLLIN, 0};
        if (poll(&waiter, 1, 100) <= 0)
            continue;
        const int fd = accept(listener_, nullptr, nullptr);
        if (fd < 0)
            continue;
        ++connections_;
        script_(*this, fd);
        close(fd);
    }
}

std::string ScriptedServer::received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::string ScriptedServer::readUntil(int fd, std::string_view end) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!(text.size() >= end.size() &&
             text.compare(text.size() - end.size(), end.size(), end.data(), end.size()) == 0)) {
        if (std::chrono::steady_clock::now() > deadline || stopping_)
            break;
        pollfd waiter{fd, POLLIN, 0};
        if (poll(&waiter, 1, 100) <= 0)
            continue;
        char chunk[4096];
        const ssize_t got = recv(fd, chunk, sizeof(chunk), 0);
        if (got <= 0)
            break;
        text.append(chunk, static_cast<size_t>(got));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    received_ += text;
    return text;
}

void ScriptedServer::Send(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t sent = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return;
        text.remove_prefix(static_cast<size_t>(sent));
    }
}

void ScriptedServer::Reset(int fd) {
    const linger abortive{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof(abortive));
}

std::string Crlf(std::string_view text) {
    return std::string(text) + "\r\n";
}

}  // namespace shelfmark::testing
