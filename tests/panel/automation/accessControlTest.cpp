#include "accessControl.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using automation::role;
using namespace std::chrono_literals;

TEST(AccessTokens, HashedAndMatchedToTheirRole) {
    // SHA-256 of "abc", the standard's own example.
    EXPECT_EQ(automation::tokenHash("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const QString read = automation::tokenHash("aa11");
    const QString control = automation::tokenHash("bb22");
    EXPECT_EQ(automation::roleOf("aa11", read, control), role::readOnly);
    EXPECT_EQ(automation::roleOf("bb22", read, control), role::control);
    EXPECT_EQ(automation::roleOf("cc33", read, control), role::none);
    EXPECT_EQ(automation::roleOf("", read, control), role::none);
    EXPECT_EQ(automation::roleOf("aa11", "", ""), role::none);  // no tokens made yet

    std::set<QString> made;
    for (int i = 0; i < 20; ++i) {
        const QString token = automation::newToken();
        EXPECT_EQ(token.size(), 64);
        EXPECT_EQ(automation::bearerToken(("Bearer " + token).toLatin1()), token);
        made.insert(token);
    }
    EXPECT_EQ(made.size(), 20u);
}

TEST(AccessTokens, OnlyABearerHeaderWithAHexTokenCounts) {
    const struct {
        const char* header;
        const char* token;
    } rows[] = {
        {"Bearer 0a1b", "0a1b"},  {"  Bearer 0a1b  ", "0a1b"},
        {"bearer 0a1b", ""},      {"Basic 0a1b", ""},
        {"Bearer ", ""},          {"Bearer 0A1B", ""},
        {"Bearer 0a1b;drop", ""}, {"", ""},
        {"Bearer\t0a1b", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(automation::bearerToken(row.header), row.token) << row.header;
    }
    EXPECT_TRUE(automation::sameInConstantTime("abcd", "abcd"));
    EXPECT_FALSE(automation::sameInConstantTime("abcd", "abce"));
    EXPECT_FALSE(automation::sameInConstantTime("abcd", "abc"));
}

TEST(FailureBrake, SlowsAnAddressAfterRepeatedFailuresAndForgetsOnSuccess) {
    automation::failureBrake brake;
    const auto t0 = automation::clock::time_point{} + 1h;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(brake.waitFor("10.0.0.9", t0), 0ms) << i;
        brake.failed("10.0.0.9", t0);
    }
    EXPECT_EQ(brake.waitFor("10.0.0.9", t0), 250ms);
    brake.failed("10.0.0.9", t0);
    EXPECT_EQ(brake.waitFor("10.0.0.9", t0), 500ms);
    for (int i = 0; i < 20; ++i) {
        brake.failed("10.0.0.9", t0);
    }
    EXPECT_EQ(brake.waitFor("10.0.0.9", t0), 8000ms);
    EXPECT_EQ(brake.waitFor("10.0.0.10", t0), 0ms);       // another address is not slowed
    EXPECT_EQ(brake.waitFor("10.0.0.9", t0 + 61s), 0ms);  // the spell is over
    brake.failed("10.0.0.9", t0);
    brake.succeeded("10.0.0.9");
    EXPECT_EQ(brake.waitFor("10.0.0.9", t0), 0ms);
    // A flood of addresses keeps the table bounded and the newest in it.
    for (int i = 0; i < 1000; ++i) {
        for (int f = 0; f < 4; ++f) {
            brake.failed(QString("10.1.%1.%2").arg(i / 256).arg(i % 256),
                         t0 + std::chrono::seconds(i % 50));
        }
    }
    EXPECT_EQ(brake.waitFor("10.1.3.231", t0 + 49s), 500ms);
}

TEST(RequestRate, ABurstThenTheSteadyRate) {
    automation::requestRate rate;
    const auto t0 = automation::clock::time_point{} + 1h;
    int admitted = 0;
    for (int i = 0; i < 100; ++i) {
        admitted += rate.admit("10.0.0.9", t0) ? 1 : 0;
    }
    EXPECT_EQ(admitted, 40);
    EXPECT_TRUE(rate.admit("10.0.0.10", t0));  // each address has its own
    admitted = 0;
    for (int i = 0; i < 100; ++i) {
        admitted += rate.admit("10.0.0.9", t0 + 1s) ? 1 : 0;
    }
    EXPECT_EQ(admitted, 20);  // one second at 20 a second
}

}  // namespace
