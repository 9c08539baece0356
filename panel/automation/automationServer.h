// The automation interface's HTTP server: its own threads, a bounded number of clients, bounded
// requests, a token on every request and a rate per client address. It serves what the panel
// hands it (a snapshot and the stored token hashes); it never touches the panel's state itself.
#pragma once
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "accessControl.h"
#include "panelSnapshot.h"

namespace httplib {
class Server;
}

namespace automation {

class automationServer {
public:
    static constexpr int kMaxClients = 8;
    static constexpr std::size_t kMaxRequestBytes = 8192;
    static constexpr int kIdleSeconds = 5;  // a client that sends nothing for this long is dropped

    struct hooks {
        // A copy of the panel's state; called from the server's threads.
        std::function<panelSnapshot()> snapshot;
        // The stored hashes of the read-only and the control token; called from the server's
        // threads.
        std::function<QString()> readOnlyHash;
        std::function<QString()> controlHash;
    };

    explicit automationServer(hooks h);
    ~automationServer();
    automationServer(const automationServer&) = delete;
    automationServer& operator=(const automationServer&) = delete;

    // Listens on address:port (port 0: any free one). False, and nothing listens, when the
    // address cannot be bound.
    bool start(const std::string& address, int port);
    // The port it listens on; 0 when it does not.
    int port() const { return port_; }
    void stop();

private:
    hooks hooks_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex limitsMutex_;
    failureBrake brake_;
    requestRate rate_;
};

}  // namespace automation
