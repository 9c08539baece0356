#include "automationServer.h"

#include <QDebug>
#include <QJsonDocument>

#include <httplib.h>

#include "clientPool.h"

namespace automation {

namespace {

void answerError(httplib::Response& res, int status, const QString& message) {
    res.status = status;
    res.set_content(
        QJsonDocument(QJsonObject{{"error", message}}).toJson(QJsonDocument::Compact).toStdString(),
        "application/json");
}

void answerJson(httplib::Response& res, const QJsonObject& object) {
    res.set_content(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString(),
                    "application/json");
}

// Paths anyone may fetch: the page (which asks for the token itself) and the icon browsers look
// for, which must not count as a failed attempt.
bool isOpenPath(const std::string& path) {
    return path == "/" || path == "/favicon.ico";
}

std::string sseFrame(const eventLog::event& e) {
    return "id: " + std::to_string(e.sequence) + "\nevent: " + e.type + "\ndata: " + e.json +
           "\n\n";
}

// Where a stream begins: after the event the client names (?after=N, or Last-Event-ID when it
// reconnects), else after the newest event.
std::uint64_t streamStart(const httplib::Request& req, std::uint64_t newest) {
    std::string given = req.get_param_value("after");
    if (given.empty()) {
        given = req.get_header_value("Last-Event-ID");
    }
    if (given.empty() || given.size() > 20 ||
        given.find_first_not_of("0123456789") != std::string::npos) {
        return newest;
    }
    const std::uint64_t after = std::stoull(given);
    return after > newest ? newest : after;
}

}  // namespace

automationServer::automationServer(hooks h) : hooks_(std::move(h)) {}

automationServer::~automationServer() {
    stop();
}

void automationServer::answered(const httplib::Request& req) {
    if (clientPool* pool = pool_.load()) {
        pool->answering(req.remote_addr, req.remote_port);
    }
}

bool automationServer::start(const std::string& address, int port) {
    stop();
    {
        std::lock_guard<std::mutex> lock(limitsMutex_);
        brake_ = failureBrake{};
        rate_ = requestRate{};
    }
    stopping_ = false;
    server_ = std::make_unique<httplib::Server>();
    httplib::Server& svr = *server_;
    svr.set_payload_max_length(kMaxRequestBytes);
    // An answer goes out in more than one write (head, body, each event): without this, each
    // further write waits for the client's delayed acknowledgement, some 40 ms.
    svr.set_tcp_nodelay(true);
    svr.set_read_timeout(kIdleSeconds, 0);
    svr.set_write_timeout(kIdleSeconds, 0);
    svr.set_keep_alive_timeout(kIdleSeconds);
    // A client polling on one connection keeps it for this many requests, then connects again:
    // fewer connections to set up, and no client holds a thread for long.
    svr.set_keep_alive_max_count(kRequestsPerConnection);
    route(svr);

    port_ =
        port == 0 ? svr.bind_to_any_port(address) : (svr.bind_to_port(address, port) ? port : -1);
    if (port_ <= 0) {
        port_ = 0;
        server_.reset();
        return false;
    }
    address_ = address;
    const int boundPort = port_;
    svr.new_task_queue = [this, boundPort] {
        auto* pool = new clientPool(boundPort);
        pool_ = pool;
        return pool;
    };
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    qDebug().noquote() << "automation: listening on" << QString::fromStdString(address) << "port"
                       << port_;
    return true;
}

void automationServer::route(httplib::Server& svr) {
    // Every request: its address's rate, its address's failures, then its token.
    svr.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        const QString from = QString::fromStdString(req.remote_addr);
        const auto now = clock::now();
        std::lock_guard<std::mutex> lock(limitsMutex_);
        if (!rate_.admit(from, now)) {
            answerError(res, 429, "too many requests");
            answered(req);
            return httplib::Server::HandlerResponse::Handled;
        }
        if (isOpenPath(req.path)) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        const auto wait = brake_.waitFor(from, now);
        if (wait.count() > 0) {
            res.set_header("Retry-After", std::to_string((wait.count() + 999) / 1000));
            answerError(res, 429, "too many failed attempts");
            answered(req);
            return httplib::Server::HandlerResponse::Handled;
        }
        const QString token =
            bearerToken(QByteArray::fromStdString(req.get_header_value("Authorization")));
        if (roleOf(token, hooks_.readOnlyHash(), hooks_.controlHash()) == role::none) {
            brake_.failed(from, now);
            if (brake_.waitFor(from, now).count() > 0) {
                qDebug().noquote()
                    << "automation:" << from << "presented wrong tokens: its requests are held off";
            }
            res.set_header("WWW-Authenticate", "Bearer");
            answerError(res, 401, "a valid access token is needed");
            answered(req);
            return httplib::Server::HandlerResponse::Handled;
        }
        brake_.succeeded(from);
        return httplib::Server::HandlerResponse::Unhandled;
    });

    svr.Get("/", [this](const httplib::Request& req, httplib::Response& res) {
        answered(req);
        res.set_header("Cache-Control", "no-store");
        res.set_header("Content-Security-Policy",
                       "default-src 'self'; script-src 'unsafe-inline'; style-src "
                       "'unsafe-inline'; img-src data:");
        res.set_content(hooks_.page, "text/html; charset=utf-8");
    });
    svr.Get("/api/v1/state", [this](const httplib::Request& req, httplib::Response& res) {
        answered(req);
        const eventLog::numberedState state = hooks_.log->latest();
        if (!state.published) {
            answerError(res, 503, "the panel is starting");
            return;
        }
        QJsonObject object = stateObject(state.snapshot);
        object.insert("seq", static_cast<double>(state.sequence));
        answerJson(res, object);
    });
    svr.Get("/api/v1/events", [this](const httplib::Request& req, httplib::Response& res) {
        answered(req);
        serveEvents(req, res);
    });
    svr.Post(R"(/api/v1/actions/(\w{1,16}))",
             [this](const httplib::Request& req, httplib::Response& res) {
                 answered(req);
                 serveAction(req.matches[1].str(), req, res);
             });
    svr.set_error_handler([this](const httplib::Request& req, httplib::Response& res) {
        answered(req);
        if (res.body.empty()) {
            answerError(res, res.status,
                        res.status == 404   ? "no such resource"
                        : res.status == 413 ? "the request is too large"
                                            : "bad request");
        }
    });
}

void automationServer::serveEvents(const httplib::Request& req, httplib::Response& res) {
    if (eventStreams_.fetch_add(1) >= kMaxEventStreams) {
        eventStreams_.fetch_sub(1);
        answerError(res, 503, "too many event streams");
        return;
    }
    if (clientPool* pool = pool_.load()) {
        pool->streaming(req.remote_addr, req.remote_port);
    }
    const std::string client = req.remote_addr;
    const std::uint64_t start = streamStart(req, hooks_.log->latest().sequence);
    qDebug().noquote() << "automation: events stream to" << client.c_str() << "from" << start;
    res.set_header("Cache-Control", "no-store");
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, client, next = start, opened = false, quietSince = std::chrono::steady_clock::now()](
            std::size_t, httplib::DataSink& sink) mutable {
            if (!opened) {
                opened = true;
                const std::string hello = ": events after " + std::to_string(next) + "\n\n";
                return sink.write(hello.data(), hello.size());
            }
            if (stopping_) {
                sink.done();
                return true;
            }
            const eventLog::eventsAfter batch =
                hooks_.log->after(next, std::chrono::milliseconds(1000));
            if (batch.closed || stopping_) {
                sink.done();
                return true;
            }
            if (batch.lost) {
                // The client did not read as fast as the panel changed: it is dropped rather
                // than kept up with an ever longer backlog. It reconnects and reads the state.
                qDebug().noquote() << "automation: events client" << client.c_str()
                                   << "fell behind and was dropped";
                const std::string lost = "event: lost\ndata: {}\n\n";
                if (!sink.write(lost.data(), lost.size())) {
                    return false;
                }
                sink.done();
                return true;
            }
            std::string frames;
            for (const eventLog::event& e : batch.events) {
                frames += sseFrame(e);
                next = e.sequence;
            }
            const auto now = std::chrono::steady_clock::now();
            if (frames.empty()) {
                if (now - quietSince < kKeepAlivePeriod) {
                    return true;
                }
                frames = ":\n\n";
            }
            quietSince = now;
            // A client that takes none of it for the write timeout is dropped here.
            return sink.write(frames.data(), frames.size());
        },
        [this](bool) { eventStreams_.fetch_sub(1); });
}

void automationServer::serveAction(const std::string& name, const httplib::Request& req,
                                   httplib::Response& res) {
    const QString token =
        bearerToken(QByteArray::fromStdString(req.get_header_value("Authorization")));
    if (roleOf(token, hooks_.readOnlyHash(), hooks_.controlHash()) != role::control) {
        answerError(res, 403, "this token may read, not act");
        return;
    }
    const parsedAction parsed =
        parseAction(QString::fromStdString(name), QByteArray::fromStdString(req.body));
    if (!parsed.action) {
        answerError(res, parsed.error == "no such action" ? 404 : 400, parsed.error);
        return;
    }
    const remoteAction& action = *parsed.action;
    qDebug().noquote() << "automation:" << req.remote_addr.c_str() << actionName(action.kind)
                       << "camera" << action.camera << "preset" << action.preset;
    switch (hooks_.perform(action)) {
        case actionOutcome::done: {
            QJsonObject done{{"done", actionName(action.kind)}};
            if (action.camera != 0) {
                done.insert("camera", action.camera);
            }
            if (action.preset != 0) {
                done.insert("preset", action.preset);
            }
            answerJson(res, done);
            break;
        }
        case actionOutcome::testMode:
            answerError(res, 409, "the panel is in its test mode");
            break;
        case actionOutcome::busy:
            answerError(res, 503, "the panel did not take the action in time; nothing was done");
            break;
    }
}

void automationServer::stop() {
    stopping_ = true;
    if (server_) {
        server_->stop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    pool_ = nullptr;
    server_.reset();
    port_ = 0;
}

}  // namespace automation
