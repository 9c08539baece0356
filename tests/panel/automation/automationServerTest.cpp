// The automation server on loopback, against an HTTP client: tokens and roles, the state, the
// limits, and requests it must refuse.
#include "automationServer.h"

#include <httplib.h>

#include <gtest/gtest.h>

namespace {

const char* const kReadToken = "00aa";
const char* const kControlToken = "00bb";

class AutomationServer : public ::testing::Test {
protected:
    void SetUp() override {
        snapshot.controlledCamera = 4;
        snapshot.cameras[3] = {true, "wide", "10.77.0.4", "hcip", true, false, false, 7};
        server = std::make_unique<automation::automationServer>(automation::automationServer::hooks{
            [this] { return snapshot; }, [] { return automation::tokenHash(kReadToken); },
            [] { return automation::tokenHash(kControlToken); }});
        ASSERT_TRUE(server->start("127.0.0.1", 0));
        client = std::make_unique<httplib::Client>("127.0.0.1", server->port());
        client->set_read_timeout(5, 0);
    }
    httplib::Result get(const char* path, const std::string& token) {
        httplib::Headers headers;
        if (!token.empty()) {
            headers.emplace("Authorization", "Bearer " + token);
        }
        return client->Get(path, headers);
    }

    automation::panelSnapshot snapshot;
    std::unique_ptr<automation::automationServer> server;
    std::unique_ptr<httplib::Client> client;
};

TEST_F(AutomationServer, TheStateForEitherTokenAndNothingWithoutOne) {
    for (const char* token : {kReadToken, kControlToken}) {
        const auto res = get("/api/v1/state", token);
        ASSERT_TRUE(res) << token;
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "application/json");
        EXPECT_NE(res->body.find(R"("selection":{"controlled":4,"onScreen":1})"),
                  std::string::npos);
        EXPECT_NE(res->body.find(R"("camera":4,"exists":true,"lastPreset":7)"), std::string::npos);
    }
    const auto unknown = get("/api/v1/nothing", kReadToken);
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
    // Three failures from this address: the most before it is held off.
    for (const std::string& token : {std::string(), std::string("00cc"), std::string("zz")}) {
        const auto res = get("/api/v1/state", token);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 401) << token;
        EXPECT_EQ(res->body, R"({"error":"a valid access token is needed"})");
        EXPECT_EQ(res->body.find("controlled"), std::string::npos);
    }
}

TEST_F(AutomationServer, AnAddressThatKeepsFailingIsHeldOffEvenWithTheRightToken) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(get("/api/v1/state", "00cc")->status, 401);
    }
    const auto held = get("/api/v1/state", kReadToken);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->status, 429);
    EXPECT_EQ(held->get_header_value("Retry-After"), "1");
}

TEST_F(AutomationServer, AFloodIsRefusedAndAnOversizedBodyTooTheServerGoingOn) {
    int refused = 0;
    for (int i = 0; i < 60; ++i) {
        refused += get("/api/v1/state", kReadToken)->status == 429 ? 1 : 0;
    }
    EXPECT_GE(refused, 10);  // a burst of 40, then 20 a second

    server->stop();
    ASSERT_TRUE(server->start("127.0.0.1", 0));
    httplib::Client fresh("127.0.0.1", server->port());
    const auto big =
        fresh.Post("/api/v1/state", {{"Authorization", std::string("Bearer ") + kControlToken}},
                   std::string(64 * 1024, 'x'), "application/json");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 413);
    const auto after =
        fresh.Get("/api/v1/state", {{"Authorization", std::string("Bearer ") + kReadToken}});
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
}

TEST(AutomationServerStart, AnAddressItCannotHaveIsReported) {
    automation::automationServer server({[] { return automation::panelSnapshot{}; },
                                         [] { return QString(); }, [] { return QString(); }});
    EXPECT_FALSE(server.start("10.255.255.1", 0));  // not an address of this machine
    EXPECT_EQ(server.port(), 0);
}

}  // namespace
