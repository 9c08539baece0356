#include "automationServer.h"

#include <QJsonDocument>

#include <httplib.h>

namespace automation {

namespace {

void answerError(httplib::Response& res, int status, const char* message) {
    res.status = status;
    res.set_content(
        QJsonDocument(QJsonObject{{"error", message}}).toJson(QJsonDocument::Compact).toStdString(),
        "application/json");
}

}  // namespace

automationServer::automationServer(hooks h) : hooks_(std::move(h)) {}

automationServer::~automationServer() {
    stop();
}

bool automationServer::start(const std::string& address, int port) {
    stop();
    {
        std::lock_guard<std::mutex> lock(limitsMutex_);
        brake_ = failureBrake{};
        rate_ = requestRate{};
    }
    server_ = std::make_unique<httplib::Server>();
    httplib::Server& svr = *server_;
    svr.new_task_queue = [] { return new httplib::ThreadPool(kMaxClients); };
    svr.set_payload_max_length(kMaxRequestBytes);
    svr.set_read_timeout(kIdleSeconds, 0);
    svr.set_write_timeout(kIdleSeconds, 0);
    svr.set_keep_alive_timeout(kIdleSeconds);

    // Every request: its address's rate, its address's failures, then its token.
    svr.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        const QString from = QString::fromStdString(req.remote_addr);
        const auto now = clock::now();
        std::lock_guard<std::mutex> lock(limitsMutex_);
        if (!rate_.admit(from, now)) {
            answerError(res, 429, "too many requests");
            return httplib::Server::HandlerResponse::Handled;
        }
        const auto wait = brake_.waitFor(from, now);
        if (wait.count() > 0) {
            res.set_header("Retry-After", std::to_string((wait.count() + 999) / 1000));
            answerError(res, 429, "too many failed attempts");
            return httplib::Server::HandlerResponse::Handled;
        }
        const QString token =
            bearerToken(QByteArray::fromStdString(req.get_header_value("Authorization")));
        const role r = roleOf(token, hooks_.readOnlyHash(), hooks_.controlHash());
        if (r == role::none) {
            brake_.failed(from, now);
            res.set_header("WWW-Authenticate", "Bearer");
            answerError(res, 401, "a valid access token is needed");
            return httplib::Server::HandlerResponse::Handled;
        }
        brake_.succeeded(from);
        return httplib::Server::HandlerResponse::Unhandled;
    });

    svr.Get("/api/v1/state", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(QJsonDocument(stateObject(hooks_.snapshot()))
                            .toJson(QJsonDocument::Compact)
                            .toStdString(),
                        "application/json");
    });
    svr.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty()) {
            answerError(res, res.status, res.status == 404 ? "no such resource" : "bad request");
        }
    });

    port_ =
        port == 0 ? svr.bind_to_any_port(address) : (svr.bind_to_port(address, port) ? port : -1);
    if (port_ <= 0) {
        port_ = 0;
        server_.reset();
        return false;
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    return true;
}

void automationServer::stop() {
    if (server_) {
        server_->stop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    server_.reset();
    port_ = 0;
}

}  // namespace automation
