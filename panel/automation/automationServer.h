// The automation interface's HTTP server: its own threads, a bounded number of clients, bounded
// requests, a token on every request and a rate per client address. It serves the state the
// panel publishes and the events between states, and hands actions to the panel; it never
// touches the panel's state itself.
#pragma once
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "accessControl.h"
#include "eventLog.h"
#include "remoteAction.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace automation {

class clientPool;

class automationServer {
public:
    static constexpr std::size_t kMaxRequestBytes = 8192;
    static constexpr int kIdleSeconds = 5;  // a client that sends nothing for this long is dropped
    static constexpr int kMaxEventStreams = 4;
    static constexpr int kRequestsPerConnection = 100;
    static constexpr std::chrono::seconds kKeepAlivePeriod{15};  // a comment on a quiet stream
    static constexpr std::chrono::milliseconds kActionWait{1000};

    struct hooks {
        // The state and its events, published by the panel.
        const eventLog* log = nullptr;
        // The stored hashes of the read-only and the control token; called from the server's
        // threads.
        std::function<QString()> readOnlyHash;
        std::function<QString()> controlHash;
        // Runs an action as the panel's keys would; called from the server's threads.
        std::function<actionOutcome(const remoteAction&)> perform;
        // The status page.
        std::string page;
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
    std::string address() const { return address_; }
    void stop();

private:
    void route(httplib::Server& svr);
    void serveEvents(const httplib::Request& req, httplib::Response& res);
    void serveAction(const std::string& name, const httplib::Request& req, httplib::Response& res);
    void answered(const httplib::Request& req);

    hooks hooks_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::string address_;
    std::atomic<clientPool*> pool_{nullptr};
    std::atomic<bool> stopping_{false};
    std::atomic<int> eventStreams_{0};
    std::mutex limitsMutex_;
    failureBrake brake_;
    requestRate rate_;
};

}  // namespace automation
