// Servers the Discora tests talk to over loopback: the CDDB test server run as a child process,
// and a scripted in-process server for answers no well-behaved server gives.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace shelfmark::testing {

// tools/cddb-testserver serving a record folder; stopped (and reaped) on destruction.
class CddbTestServer {
  public:
    // extraArgs go to the server as they are (for example "--max-level", "5").
    CddbTestServer(const std::filesystem::path& root, const std::filesystem::path& log,
                   const std::vector<std::string>& extraArgs = {});
    ~CddbTestServer();
    CddbTestServer(const CddbTestServer&) = delete;
    CddbTestServer& operator=(const CddbTestServer&) = delete;

    bool running() const { return cddbpPort_ != 0 && httpPort_ != 0; }
    int cddbpPort() const { return cddbpPort_; }
    int httpPort() const { return httpPort_; }
    // True when the server ends by itself within the time (it does after its idle time-out).
    bool exitsWithin(std::chrono::milliseconds limit);

  private:
    pid_t pid_ = -1;
    int cddbpPort_ = 0;
    int httpPort_ = 0;
};

// Accepts connections on a loopback port and runs a script on each, one at a time.
class ScriptedServer {
  public:
    using Script = std::function<void(ScriptedServer& server, int fd)>;
    explicit ScriptedServer(Script script, bool ipv6 = false);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    int connections() const { return connections_.load(); }
    // Everything the clients sent so far, in order.
    std::string received() const;

    // Script helpers: read until the text read ends with `end` (or 5 s pass), keeping a copy for
    // received(); send everything.
    std::string readUntil(int fd, std::string_view end);
    static void Send(int fd, std::string_view text);
    // Closes with a reset instead of an orderly shutdown.
    static void Reset(int fd);

  private:
    void serve();

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};

// A line of an xmcd answer: appends CR LF.
std::string Crlf(std::string_view text);

}  // namespace shelfmark::testing
