// The link code's log sink and its frame traces.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "linkLog.h"

namespace {

// A deadlock must fail the run, not hang it: the body runs on a thread of its own, and the whole
// process ends when the body has not finished in time.
void finishesWithin(std::chrono::seconds limit, const std::function<void()>& body,
                    const char* what) {
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();
    std::thread([body, finished] {
        body();
        finished->set_value();
    }).detach();
    if (done.wait_for(limit) != std::future_status::ready) {
        std::fprintf(stderr, "%s: not finished after %lld s, deadlocked\n", what,
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::_Exit(1);
    }
}

TEST(LinkLogSink, MayLogAndReplaceItselfWhileWritingALine) {
    std::vector<std::string> first;
    std::vector<std::string> second;
    finishesWithin(
        std::chrono::seconds(2),
        [&] {
            setLinkLogSink([&](const char*, const std::string& line) {
                first.push_back(line);
                if (line != "outer\n") {
                    return;
                }
                linkLog("zek.test", "from the sink");
                setLinkLogSink(
                    [&second](const char*, const std::string& next) { second.push_back(next); });
                linkLog("zek.test", "to the new sink");
                first.push_back("outer finished\n");  // the replaced sink is still whole
            });
            linkLog("zek.test", "outer");
            setLinkLogSink({});
        },
        "a sink that logs");
    EXPECT_EQ(first, (std::vector<std::string>{"outer\n", "from the sink\n", "outer finished\n"}));
    EXPECT_EQ(second, std::vector<std::string>{"to the new sink\n"});
}

class LinkTraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkLogSink([this](const char*, const std::string& line) { lines_.push_back(line); });
    }
    void TearDown() override {
        setLinkLogSink({});
        if (trace_) {
            ::setenv("ZEK_TRACE", trace_->c_str(), 1);
        } else {
            ::unsetenv("ZEK_TRACE");
        }
    }

    std::vector<std::string> lines_;

private:
    std::optional<std::string> trace_ = std::getenv("ZEK_TRACE") == nullptr
                                            ? std::nullopt
                                            : std::optional<std::string>(std::getenv("ZEK_TRACE"));
};

TEST_F(LinkTraceTest, TextIsBuiltOnlyForATracedCategory) {
    int built = 0;
    const auto frame = [&built] {
        ++built;
        return std::string("55 aa 81 00");
    };
    ::unsetenv("ZEK_TRACE");
    linkTrace("zek.mcu", frame);
    ::setenv("ZEK_TRACE", "zek.cmd", 1);
    linkTrace("zek.mcu", frame);
    EXPECT_EQ(built, 0);
    EXPECT_TRUE(lines_.empty());

    ::setenv("ZEK_TRACE", "zek.mcu", 1);
    linkTrace("zek.mcu", frame);
    EXPECT_EQ(built, 1);
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_NE(lines_[0].find("55 aa 81 00"), std::string::npos) << lines_[0];
}

}  // namespace
