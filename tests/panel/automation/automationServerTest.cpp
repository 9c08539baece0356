// The automation server on loopback, against an HTTP client: tokens and roles, the state, the
// events, the actions, the limits, and requests it must refuse.
#include "automationServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

const char* const kReadToken = "00aa";
const char* const kControlToken = "00bb";

class AutomationServer : public ::testing::Test {
protected:
    void SetUp() override {
        snapshot.controlledCamera = 4;
        snapshot.cameras[3] = {true, "wide", "10.77.0.4", "hcip", true, false, false, 7};
        log.publish(snapshot);
        automation::automationServer::hooks hooks;
        hooks.log = &log;
        hooks.readOnlyHash = [] { return automation::tokenHash(kReadToken); };
        hooks.controlHash = [] { return automation::tokenHash(kControlToken); };
        hooks.perform = [this](const automation::remoteAction& a) {
            std::lock_guard<std::mutex> lock(mutex);
            performed.push_back(a);
            return outcome;
        };
        hooks.page = "<!doctype html><title>ZEK-710A</title>";
        server = std::make_unique<automation::automationServer>(std::move(hooks));
        ASSERT_TRUE(server->start("127.0.0.1", 0));
        client = std::make_unique<httplib::Client>("127.0.0.1", server->port());
        client->set_read_timeout(5, 0);
    }
    void TearDown() override { server->stop(); }
    static httplib::Headers bearer(const std::string& token) {
        httplib::Headers headers;
        if (!token.empty()) {
            headers.emplace("Authorization", "Bearer " + token);
        }
        return headers;
    }
    httplib::Result get(const char* path, const std::string& token) {
        return client->Get(path, bearer(token));
    }
    httplib::Result act(const std::string& action, const std::string& body,
                        const std::string& token = kControlToken) {
        return client->Post(("/api/v1/actions/" + action).c_str(), bearer(token), body,
                            "application/json");
    }
    std::size_t performedCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return performed.size();
    }

    automation::panelSnapshot snapshot;
    automation::eventLog log;
    std::mutex mutex;
    std::vector<automation::remoteAction> performed;
    automation::actionOutcome outcome = automation::actionOutcome::done;
    std::unique_ptr<automation::automationServer> server;
    std::unique_ptr<httplib::Client> client;
};

// A raw connection to the server, for what an HTTP client library would not send.
int rawConnection(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string readFor(int fd, std::chrono::milliseconds limit) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + limit;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) == 1) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            got.append(buffer, static_cast<std::size_t>(n));
        }
    }
    return got;
}

TEST_F(AutomationServer, TheStateForEitherTokenAndNothingWithoutOne) {
    for (const char* token : {kReadToken, kControlToken}) {
        const auto res = get("/api/v1/state", token);
        ASSERT_TRUE(res) << token;
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");
        EXPECT_NE(res->body.find(R"("selection":{"controlled":4,"onScreen":1})"),
                  std::string::npos);
        EXPECT_NE(res->body.find(R"("camera":4,"exists":true,"lastPreset":7)"), std::string::npos);
        EXPECT_NE(res->body.find(R"("seq":0)"), std::string::npos);
    }
    const auto page = get("/", "");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->body, "<!doctype html><title>ZEK-710A</title>");
    const auto unknown = get("/api/v1/nothing", kReadToken);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
    // Three failures from this address: the most before it is held off.
    for (const std::string& token : {std::string(), std::string("00cc"), std::string("zz")}) {
        const auto res = get("/api/v1/state", token);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 401) << token;
        EXPECT_EQ(res->body, R"({"error":"a valid access token is needed"})");
    }
    const auto held = get("/api/v1/state", kReadToken);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->status, 429);
    EXPECT_EQ(held->get_header_value("Retry-After"), "1");
}

TEST_F(AutomationServer, ActionsNeedTheControlTokenAndAWellFormedBody) {
    const auto readOnly = act("recall", R"({"preset":3})", kReadToken);
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly->status, 403);
    EXPECT_EQ(performedCount(), 0u);

    const auto recall = act("recall", R"({"camera":2,"preset":3})");
    ASSERT_TRUE(recall);
    EXPECT_EQ(recall->status, 200);
    EXPECT_EQ(recall->body, R"({"camera":2,"done":"recall","preset":3})");
    ASSERT_EQ(performedCount(), 1u);
    EXPECT_EQ(performed[0].kind, automation::actionKind::recallPreset);
    EXPECT_EQ(performed[0].camera, 2);
    EXPECT_EQ(performed[0].preset, 3);

    for (const char* body : {"{\"preset\":", R"({"preset":129})", R"({"preset":1,"x":1})"}) {
        const auto bad = act("recall", body);
        ASSERT_TRUE(bad);
        EXPECT_EQ(bad->status, 400) << body;
    }
    EXPECT_EQ(act("reboot", "{}")->status, 404);
    EXPECT_EQ(act("recall", R"({"preset":1})" + std::string(9000, ' '))->status, 413);
    EXPECT_EQ(performedCount(), 1u);

    outcome = automation::actionOutcome::testMode;
    EXPECT_EQ(act("stop", "")->status, 409);
    outcome = automation::actionOutcome::busy;
    EXPECT_EQ(act("select", R"({"camera":5})")->status, 503);
}

TEST_F(AutomationServer, EventsFollowThePublishedStatesInOrder) {
    std::string received;
    std::mutex receivedMutex;
    httplib::Client events("127.0.0.1", server->port());
    events.set_read_timeout(5, 0);
    std::thread reader([&] {
        events.Get("/api/v1/events", bearer(kReadToken), [&](const char* data, size_t length) {
            std::lock_guard<std::mutex> lock(receivedMutex);
            received.append(data, length);
            return received.find("\"seq\":2") == std::string::npos;  // enough at event 2
        });
    });
    const auto has = [&](const char* text) {
        std::lock_guard<std::mutex> lock(receivedMutex);
        return received.find(text) != std::string::npos;
    };
    for (int i = 0; i < 100 && !has(": events after 0"); ++i) {
        std::this_thread::sleep_for(20ms);
    }
    snapshot.controlledCamera = 5;
    log.publish(snapshot);
    snapshot.cameras[4].tallyRed = true;
    log.publish(snapshot);
    reader.join();
    std::lock_guard<std::mutex> lock(receivedMutex);
    EXPECT_NE(received.find("id: 1\nevent: selection\ndata: "
                            R"({"selection":{"controlled":5,"onScreen":1},"seq":1,)"
                            R"("type":"selection"})"
                            "\n\n"),
              std::string::npos)
        << received;
    EXPECT_NE(received.find("id: 2\nevent: camera\ndata: "), std::string::npos) << received;
    EXPECT_NE(received.find(R"("tally":{"green":false,"red":true})"), std::string::npos);
}

TEST_F(AutomationServer, AClientThatFallsBehindIsDroppedAndABadStartIsIgnored) {
    for (int i = 0; i < 600; ++i) {
        snapshot.controlledCamera = i % 2 == 0 ? 5 : 4;
        log.publish(snapshot);
    }
    // From event 1, long gone: told it lost events, and the stream ends.
    const auto lost = get("/api/v1/events?after=1", kReadToken);
    ASSERT_TRUE(lost);
    EXPECT_NE(lost->body.find("event: lost"), std::string::npos) << lost->body;
    // A start that is no number begins after the newest event.
    const int fd = rawConnection(server->port());
    ASSERT_GE(fd, 0);
    const std::string request =
        "GET /api/v1/events?after=-1x HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer 00aa\r\n\r\n";
    ASSERT_EQ(::write(fd, request.data(), request.size()), ssize_t(request.size()));
    const std::string opened = readFor(fd, 500ms);
    ::close(fd);
    EXPECT_NE(opened.find(": events after 600"), std::string::npos) << opened;
}

TEST_F(AutomationServer, AConnectionThatNeverFinishesItsRequestIsAnswered408AndClosed) {
    std::vector<int> slow;
    for (int i = 0; i < 10; ++i) {  // more than the server's threads
        const int fd = rawConnection(server->port());
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "GET /api/v1/state HTTP/1.1\r\n", 28), 28);
        slow.push_back(fd);
    }
    // A byte every few seconds keeps each read from timing out; the deadline still ends them.
    std::string answers;
    const auto end = std::chrono::steady_clock::now() + 14s;
    while (std::chrono::steady_clock::now() < end && answers.find("408") == std::string::npos) {
        for (int fd : slow) {
            (void)::write(fd, "X", 1);
        }
        answers += readFor(slow[0], 2s);
    }
    EXPECT_NE(answers.find("HTTP/1.1 408 Request Timeout"), std::string::npos) << answers;
    for (int fd : slow) {
        ::close(fd);
    }
    // Served again once they are gone.
    const auto after = get("/api/v1/state", kReadToken);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
}

TEST_F(AutomationServer, AFloodIsRefused) {
    int refused = 0;
    for (int i = 0; i < 60; ++i) {
        refused += get("/", "")->status == 429 ? 1 : 0;
    }
    EXPECT_GE(refused, 10);  // a burst of 40, then 20 a second
}

TEST(AutomationServerStart, AnAddressItCannotHaveIsReported) {
    automation::eventLog log;
    automation::automationServer server(
        {&log, [] { return QString(); }, [] { return QString(); }, nullptr, std::string()});
    EXPECT_FALSE(server.start("10.255.255.1", 0));  // not an address of this machine
    EXPECT_EQ(server.port(), 0);
}

}  // namespace
