// The virtual switcher as a program on loopback with ports of its own (the query port any free
// one, the real-time port the first free of the four it may have), talked to the way the panel's
// switcher link talks: the bytes on its sockets and the counts the tally tests read from it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "simProcess.h"
#include "socketHelpers.h"
#include "spelledBytes.h"
#include "tempRoot.h"

namespace {

using namespace std::chrono;

constexpr milliseconds kWait(3000);

const char kQuery[] = "08 00 00 00 01 00 AA 55";
const char kPoll[] = "08 00 00 00 00 00 00 00";
const char kNothing[] = "08 00 00 00 00 00 00 00";
const std::map<int, const char*> kPortAnswers = {{5001, "08 00 00 00 89 13 AA 55"},
                                                 {5003, "08 00 00 00 8B 13 AA 55"},
                                                 {5005, "08 00 00 00 8D 13 AA 55"},
                                                 {5007, "08 00 00 00 8F 13 AA 55"}};
const char kAllZero[] =
    "68 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 00 00 00 00 "
    "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
    "0F 00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 11 00 00 00 00 00 00 00 "
    "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
    "15 00 00 00 00 00 00 00";
const char kProgramTwo[] =
    "68 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 04 00 00 00 "
    "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
    "0F 00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 11 00 00 00 00 00 00 00 "
    "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
    "15 00 00 00 00 00 00 00";

// A TCP connection; -1 with errno set when refused.
int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = endpoint("127.0.0.1", port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

bool writeBytes(int fd, const std::string& data) {
    return ::send(fd, data.data(), data.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(data.size());
}

// True when the peer closes (or resets) the stream within the wait; what comes before is dropped.
bool closedByPeer(int fd) {
    const auto deadline = steady_clock::now() + kWait;
    for (;;) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            return false;
        }
        char buffer[65536];
        const ssize_t r = ::recv(fd, buffer, sizeof buffer, 0);
        if (r == 0 || (r < 0 && errno == ECONNRESET)) {
            return true;
        }
    }
}

// Waits, with a deadline, for what the switcher does on its own time (a restart, counts).
template <typename Condition>
bool eventually(Condition condition) {
    const auto deadline = steady_clock::now() + kWait;
    while (!condition()) {
        if (steady_clock::now() >= deadline) {
            return false;
        }
        ::poll(nullptr, 0, 10);
    }
    return true;
}

class Switcher : public ::testing::Test {
protected:
    bool start(std::vector<std::string> args = {}) {
        args.insert(args.end(), {"--control", control_, "--query-port", "0"});
        for (const int port : {5001, 5003, 5005, 5007}) {
            std::vector<std::string> withPort = args;
            withPort.insert(withPort.end(), {"--realtime-port", std::to_string(port)});
            if (process_.start(ZEK_VIRTUAL_SWITCHER_PATH, withPort)) {
                const std::string& line = process_.readyLine();
                queryPort_ = std::atoi(line.substr(line.find(" query=") + 7).c_str());
                realtimePort_ = port;
                return true;
            }
        }
        return false;
    }
    std::string ctl(const std::string& command) const { return simCommand(control_, command); }
    // One field of "get state".
    std::string state(const std::string& key) const {
        const std::string line = " " + ctl("get state") + " ";
        const std::size_t at = line.find(" " + key + "=");
        if (at == std::string::npos) {
            return "?";
        }
        const std::size_t from = at + key.size() + 2;
        return line.substr(from, line.find(' ', from) - from);
    }
    std::string pollOnce(int fd, std::size_t answerSize) {
        EXPECT_TRUE(writeBytes(fd, bytes(kPoll)));
        return hex(readBytes(fd, answerSize));
    }

    TempRoot root_{false};
    std::string control_ = root_ / "run/switcher.sock";
    SimProcess process_;
    int queryPort_ = -1;
    int realtimePort_ = -1;
};

TEST_F(Switcher, PortAnswersBurstAndPollAnswersOnTheWire) {
    ASSERT_TRUE(start({"--burst", "4000"}));
    // Six attempts on one connection, as the panel makes them: six answers, six queries counted.
    Fd query(connectTo(queryPort_));
    ASSERT_GE(query.get(), 0);
    std::string six;
    std::string answers;
    for (int i = 0; i < 6; ++i) {
        six += bytes(kQuery);
        answers += (i == 0 ? "" : " ") + std::string(kPortAnswers.at(realtimePort_));
    }
    ASSERT_TRUE(writeBytes(query.get(), six));
    EXPECT_EQ(hex(readBytes(query.get(), 48)), answers);

    // The burst, exactly as long as asked, is all there is before the first answer.
    Fd rt(connectTo(realtimePort_));
    ASSERT_GE(rt.get(), 0);
    const std::string burst = readBytes(rt.get(), 4000);
    ASSERT_EQ(burst.size(), 4000u);
    for (std::size_t at = 0; at < burst.size(); at += 8) {
        ASSERT_EQ(hex(burst.substr(at, 8)), "00 00 01 00 00 00 00 00") << at;
    }
    EXPECT_EQ(pollOnce(rt.get(), 104), kAllZero);
    EXPECT_EQ(pollOnce(rt.get(), 8), kNothing);
    ASSERT_EQ(ctl("program 3"), "ok");
    ASSERT_EQ(ctl("preview 5"), "ok");
    EXPECT_EQ(pollOnce(rt.get(), 24),
              "18 00 00 00 00 00 00 00 0C 00 00 00 04 00 00 00 0E 00 00 00 01 00 00 00");

    // Raw bytes on the connection, for what the poll answers cannot say.
    ASSERT_EQ(ctl("send 10 00 00 00 00 00 00 00 0A 00 00 00 01 00 00 00"), "ok");
    EXPECT_EQ(hex(readBytes(rt.get(), 16)), "10 00 00 00 00 00 00 00 0A 00 00 00 01 00 00 00");

    // silent: the poll is counted and left unanswered.
    ASSERT_EQ(ctl("fault silent"), "ok");
    ASSERT_TRUE(writeBytes(rt.get(), bytes(kPoll)));
    ASSERT_TRUE(eventually([&] { return state("polls") == "4"; })) << ctl("get state");
    ASSERT_EQ(ctl("fault none"), "ok");
    EXPECT_EQ(ctl("get state"), "channels=12 realtime=" + std::to_string(realtimePort_) +
                                    " connected=1 queries=6 connections=1 polls=4 answers=3"
                                    " fault=none mode=changes");
}

TEST_F(Switcher, RestartKeepsTheTallyAndHalfCloseKeepsReading) {
    ASSERT_TRUE(start());
    Fd rt(connectTo(realtimePort_));
    ASSERT_GE(rt.get(), 0);
    ASSERT_EQ(readBytes(rt.get(), 4096).size(), 4096u);
    ASSERT_EQ(ctl("program 2"), "ok");
    EXPECT_EQ(pollOnce(rt.get(), 104), kProgramTwo);

    // restart: nothing listens for a while, then everything does again with the tally kept, and
    // the new connection learns all of it.
    ASSERT_EQ(ctl("restart 300"), "ok");
    EXPECT_TRUE(closedByPeer(rt.get()));
    EXPECT_EQ(connectTo(realtimePort_), -1);
    EXPECT_EQ(errno, ECONNREFUSED);
    EXPECT_EQ(connectTo(queryPort_), -1);
    EXPECT_EQ(state("connected"), "0");
    ASSERT_TRUE(eventually([&] {
        rt.reset(connectTo(realtimePort_));
        return rt.get() >= 0;
    }));
    EXPECT_EQ(readBytes(rt.get(), 4096).size(), 4096u);
    EXPECT_EQ(pollOnce(rt.get(), 104), kProgramTwo);
    EXPECT_EQ(state("connections"), "2");

    // halfclose: the panel reads end of file, its polls are still read.
    ASSERT_EQ(ctl("halfclose"), "ok");
    EXPECT_TRUE(closedByPeer(rt.get()));
    ASSERT_TRUE(writeBytes(rt.get(), bytes(kPoll)));
    ASSERT_TRUE(eventually([&] { return state("polls") == "3"; })) << ctl("get state");
    EXPECT_EQ(state("answers"), "2");
    EXPECT_EQ(state("connected"), "1");
}

}  // namespace
