// The virtual switcher as a program: on loopback with ports of its own (the query port any free
// one, the real-time port the first free of the four it may have), talked to the way the panel's
// switcher link talks, by clients that misbehave, and, in the camera namespace of
// scripts/netns-run.sh, found by a scan as a switcher.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "simProcess.h"
#include "socketHelpers.h"
#include "spelledBytes.h"
#include "tempRoot.h"
#include "virtualSwitcherProcess.h"

namespace {

using namespace std::chrono;

constexpr milliseconds kWait(3000);

const char kQuery[] = "08 00 00 00 01 00 AA 55";
const char kPoll[] = "08 00 00 00 00 00 00 00";
const char kNothing[] = "08 00 00 00 00 00 00 00";
// The port answer for each real-time port the switcher may have.
const std::map<int, const char*> kPortAnswers = {{5001, "08 00 00 00 89 13 AA 55"},
                                                 {5003, "08 00 00 00 8B 13 AA 55"},
                                                 {5005, "08 00 00 00 8D 13 AA 55"},
                                                 {5007, "08 00 00 00 8F 13 AA 55"}};
const std::map<int, const char*> kShortPortAnswers = {{5001, "08 00 00 00 89"},
                                                      {5003, "08 00 00 00 8B"},
                                                      {5005, "08 00 00 00 8D"},
                                                      {5007, "08 00 00 00 8F"}};
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
int connectTo(int port, const std::string& address = "127.0.0.1") {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = endpoint(address, port);
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

std::string randomBytes(std::mt19937& random, std::size_t size) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out(size, '\0');
    for (char& c : out) {
        c = static_cast<char>(byte(random));
    }
    return out;
}

// The switcher on loopback. Its query port is any free one; of the four real-time ports it takes
// the first whose pair of ports is free.
class Switcher : public ::testing::Test {
protected:
    // One answer with every channel unless the case asks for more.
    bool start(std::vector<std::string> args = {"--full-answers", "1"}) {
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
    // A real-time connection past its burst.
    int realtime() {
        const int fd = connectTo(realtimePort_);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(readBytes(fd, 4096).size(), 4096u);
        return fd;
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

TEST_F(Switcher, TellsItsPortOnEveryQuery) {
    ASSERT_TRUE(start());
    EXPECT_EQ(process_.readyLine(), "virtualSwitcher ready control=" + control_ +
                                        " address=127.0.0.1 query=" + std::to_string(queryPort_) +
                                        " realtime=" + std::to_string(realtimePort_));
    const std::string answer = hex(bytes(kPortAnswers.at(realtimePort_)));
    Fd query(connectTo(queryPort_));
    ASSERT_GE(query.get(), 0);
    // Six attempts on one connection: the first split in two writes, five joined in one.
    ASSERT_TRUE(writeBytes(query.get(), bytes("08 00 00")));
    ASSERT_TRUE(writeBytes(query.get(), bytes("00 01 00 AA 55")));
    EXPECT_EQ(hex(readBytes(query.get(), 8)), answer);
    const std::string five =
        bytes(kQuery) + bytes(kQuery) + bytes(kQuery) + bytes(kQuery) + bytes(kQuery);
    ASSERT_TRUE(writeBytes(query.get(), five));
    EXPECT_EQ(hex(readBytes(query.get(), 40)),
              answer + " " + answer + " " + answer + " " + answer + " " + answer);
    // A poll means nothing here: the next bytes answer the query after it.
    ASSERT_TRUE(writeBytes(query.get(), bytes(kPoll) + bytes(kQuery)));
    EXPECT_EQ(hex(readBytes(query.get(), 8)), answer);
    EXPECT_EQ(state("queries"), "7");

    // Each fault's answer, then a proper one on the same connection: an answer longer than it
    // should be shows in the bytes that follow it.
    const struct {
        const char* fault;
        std::string answer;
    } faults[] = {
        {"wrongport", "08 00 00 00 8A 13 AA 55"},
        {"shortport", kShortPortAnswers.at(realtimePort_)},
        {"shortburst", answer},
        {"none", answer},
    };
    for (const auto& row : faults) {
        ASSERT_EQ(ctl(std::string("fault ") + row.fault), "ok");
        Fd again(connectTo(queryPort_));
        ASSERT_TRUE(writeBytes(again.get(), bytes(kQuery)));
        std::string got = readBytes(again.get(), bytes(row.answer).size());
        ASSERT_EQ(ctl("fault none"), "ok");
        ASSERT_TRUE(writeBytes(again.get(), bytes(kQuery)));
        got += readBytes(again.get(), 8);
        EXPECT_EQ(hex(got), row.answer + " " + answer) << row.fault;
    }

    // silent: the query is taken and left unanswered; the answer that comes is the next one's.
    ASSERT_EQ(ctl("fault silent"), "ok");
    ASSERT_TRUE(writeBytes(query.get(), bytes(kQuery)));
    ASSERT_TRUE(eventually([&] { return state("queries") == "16"; })) << ctl("get state");
    ASSERT_EQ(ctl("fault wrongport"), "ok");
    ASSERT_TRUE(writeBytes(query.get(), bytes(kQuery)));
    EXPECT_EQ(hex(readBytes(query.get(), 8)), "08 00 00 00 8A 13 AA 55");
}

TEST_F(Switcher, BurstThenAnAnswerToEveryPoll) {
    ASSERT_TRUE(start({"--full-answers", "2"}));
    EXPECT_EQ(ctl("ping"), "pong");
    EXPECT_EQ(state("connected"), "0");
    Fd rt(connectTo(realtimePort_));
    Fd control(connectTo(realtimePort_ + 1));
    ASSERT_GE(rt.get(), 0);
    ASSERT_GE(control.get(), 0);
    const std::string burst = readBytes(rt.get(), 4096);
    ASSERT_EQ(burst.size(), 4096u);
    for (std::size_t at = 0; at < burst.size(); at += 8) {
        ASSERT_EQ(hex(burst.substr(at, 8)), "00 00 01 00 00 00 00 00") << at;
    }
    // The burst is all there is before the first answers, and those tell every channel.
    EXPECT_EQ(pollOnce(rt.get(), 104), kAllZero);
    EXPECT_EQ(pollOnce(rt.get(), 104), kAllZero);
    EXPECT_EQ(pollOnce(rt.get(), 8), kNothing);

    ASSERT_EQ(ctl("program 3"), "ok");
    ASSERT_EQ(ctl("preview 5"), "ok");
    EXPECT_EQ(pollOnce(rt.get(), 24),
              "18 00 00 00 00 00 00 00 0C 00 00 00 04 00 00 00 0E 00 00 00 01 00 00 00");
    ASSERT_EQ(ctl("program 5"), "ok");
    EXPECT_EQ(pollOnce(rt.get(), 24),
              "18 00 00 00 00 00 00 00 0C 00 00 00 00 00 00 00 0E 00 00 00 05 00 00 00");
    ASSERT_EQ(ctl("set 12 0x04"), "ok");
    EXPECT_EQ(pollOnce(rt.get(), 16), "10 00 00 00 00 00 00 00 15 00 00 00 04 00 00 00");
    EXPECT_EQ(ctl("get tally"), "1=0 2=0 3=0 4=0 5=5 6=0 7=0 8=0 9=0 10=0 11=0 12=4");

    // Polls as TCP may carry them: split, then two joined with half a third.
    ASSERT_TRUE(writeBytes(rt.get(), bytes("08 00 00 00 00")));
    ASSERT_TRUE(writeBytes(rt.get(), bytes("00 00 00 08 00 00 00 00 00 00 00 08 00 00 00")));
    EXPECT_EQ(hex(readBytes(rt.get(), 16)), std::string(kNothing) + " " + kNothing);
    ASSERT_TRUE(writeBytes(rt.get(), bytes("00 00 00 00")));
    EXPECT_EQ(hex(readBytes(rt.get(), 8)), kNothing);

    ASSERT_EQ(ctl("mode all"), "ok");
    EXPECT_EQ(pollOnce(rt.get(), 104),
              "68 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 00 00 00 00 "
              "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 05 00 00 00 "
              "0F 00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 11 00 00 00 00 00 00 00 "
              "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
              "15 00 00 00 04 00 00 00");

    // Raw bytes on the connection, for what the poll answers cannot say.
    ASSERT_EQ(ctl("send 10 00 00 00 00 00 00 00 0A 000000 01 00 00 00"), "ok");
    EXPECT_EQ(hex(readBytes(rt.get(), 16)), "10 00 00 00 00 00 00 00 0A 00 00 00 01 00 00 00");

    // Whatever comes on the control connection is read and dropped; it stays open.
    ASSERT_TRUE(writeBytes(control.get(), std::string(100000, 'x')));
    EXPECT_EQ(ctl("ping"), "pong");
    EXPECT_EQ(ctl("get received"),
              "08 00 00 00 00 00 00 00 08 00 00 00 00 00 00 00 08 00 00 00 00 00 00 00 "
              "08 00 00 00 00 00 00 00 08 00 00 00 00 00 00 00 08 00 00 00 00 00 00 00 "
              "08 00 00 00 00 00 00 00 08 00 00 00 00 00 00 00");
    EXPECT_EQ(ctl("get state"), "channels=12 realtime=" + std::to_string(realtimePort_) +
                                    " connected=1 queries=0 connections=1 polls=10 answers=10"
                                    " fault=none mode=all");
}

TEST_F(Switcher, FaultsOfTheAnswers) {
    ASSERT_TRUE(start());
    ASSERT_EQ(ctl("program 2"), "ok");
    ASSERT_EQ(ctl("fault shortburst"), "ok");
    Fd rt(connectTo(realtimePort_));
    EXPECT_EQ(readBytes(rt.get(), 1000).size(), 1000u);
    ASSERT_EQ(ctl("fault none"), "ok");
    // Nothing beyond the 1000 bytes: the next come from the first answer.
    EXPECT_EQ(pollOnce(rt.get(), 104), kProgramTwo);

    ASSERT_EQ(ctl("fault garbage"), "ok");
    EXPECT_TRUE(writeBytes(rt.get(), bytes(kPoll) + bytes(kPoll)));
    EXPECT_EQ(readBytes(rt.get(), 128).size(), 128u);
    ASSERT_EQ(ctl("fault huge"), "ok");
    EXPECT_TRUE(writeBytes(rt.get(), bytes(kPoll)));
    const std::string answer = readBytes(rt.get(), 70000);
    ASSERT_EQ(answer.size(), 70000u);
    EXPECT_EQ(hex(answer.substr(0, 8)), "70 00 00 00 00 00 00 00");
    // After those, the whole state again.
    ASSERT_EQ(ctl("fault none"), "ok");
    EXPECT_EQ(pollOnce(rt.get(), 104), kProgramTwo);

    // silent: no burst, no answer; a poll is still counted.
    ASSERT_EQ(ctl("fault silent"), "ok");
    Fd quiet(connectTo(realtimePort_));
    ASSERT_TRUE(writeBytes(quiet.get(), bytes(kPoll)));
    ASSERT_TRUE(eventually([&] { return state("polls") == "6"; })) << ctl("get state");
    EXPECT_EQ(state("answers"), "5");
    EXPECT_EQ(state("fault"), "silent");
    // Had the silent poll been answered, the next answer would tell only this change.
    ASSERT_EQ(ctl("program 7"), "ok");
    ASSERT_EQ(ctl("fault none"), "ok");
    EXPECT_EQ(pollOnce(quiet.get(), 104),
              "68 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 00 00 00 00 "
              "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
              "0F 00 00 00 00 00 00 00 10 00 00 00 04 00 00 00 11 00 00 00 00 00 00 00 "
              "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
              "15 00 00 00 00 00 00 00");
    EXPECT_EQ(pollOnce(quiet.get(), 8), kNothing);
}

TEST_F(Switcher, DropRestartAndHalfClose) {
    ASSERT_TRUE(start());
    Fd query(connectTo(queryPort_));
    Fd rt(realtime());
    Fd control(connectTo(realtimePort_ + 1));
    ASSERT_GE(query.get(), 0);
    ASSERT_GE(control.get(), 0);
    EXPECT_EQ(pollOnce(rt.get(), 104), kAllZero);
    ASSERT_EQ(ctl("drop"), "ok");
    EXPECT_TRUE(closedByPeer(rt.get()));
    EXPECT_TRUE(closedByPeer(control.get()));
    EXPECT_TRUE(closedByPeer(query.get()));
    EXPECT_EQ(state("connected"), "0");
    EXPECT_EQ(ctl("drop"), "ok");

    // A new connection is a new panel: it learns everything again.
    rt.reset(realtime());
    EXPECT_EQ(pollOnce(rt.get(), 104), kAllZero);

    // restart: nothing listens for a while, then everything does again with the tally kept.
    ASSERT_EQ(ctl("program 2"), "ok");
    ASSERT_EQ(ctl("restart 300"), "ok");
    EXPECT_TRUE(closedByPeer(rt.get()));
    EXPECT_EQ(connectTo(realtimePort_), -1);
    EXPECT_EQ(errno, ECONNREFUSED);
    EXPECT_EQ(connectTo(queryPort_), -1);
    EXPECT_EQ(connectTo(realtimePort_ + 1), -1);
    EXPECT_EQ(state("connected"), "0");
    ASSERT_TRUE(eventually([&] {
        rt.reset(connectTo(realtimePort_));
        return rt.get() >= 0;
    }));
    EXPECT_EQ(readBytes(rt.get(), 4096).size(), 4096u);
    EXPECT_EQ(pollOnce(rt.get(), 104), kProgramTwo);
    Fd queryAgain(connectTo(queryPort_));
    ASSERT_TRUE(writeBytes(queryAgain.get(), bytes(kQuery)));
    EXPECT_EQ(hex(readBytes(queryAgain.get(), 8)), kPortAnswers.at(realtimePort_));
    EXPECT_EQ(state("connections"), "3");

    // halfclose: the panel reads end of file, its polls are still read.
    ASSERT_EQ(ctl("halfclose"), "ok");
    EXPECT_TRUE(closedByPeer(rt.get()));
    ASSERT_TRUE(writeBytes(rt.get(), bytes(kPoll)));
    ASSERT_TRUE(eventually([&] { return state("polls") == "4"; })) << ctl("get state");
    EXPECT_EQ(state("answers"), "3");
    EXPECT_EQ(state("connected"), "1");
    EXPECT_EQ(ctl("halfclose").rfind("error ", 0), 0u);
    EXPECT_EQ(ctl("send 00").rfind("error ", 0), 0u);
}

TEST_F(Switcher, HostileClientsLeaveItAnswering) {
    ASSERT_TRUE(start());
    std::mt19937 random(710);
    // Noise of any length on every port, each on a connection of its own.
    for (const std::size_t size : {1u, 7u, 8u, 13u, 4096u, 60000u}) {
        for (const int port : {queryPort_, realtimePort_, realtimePort_ + 1}) {
            Fd noisy(connectTo(port));
            ASSERT_TRUE(writeBytes(noisy.get(), randomBytes(random, size))) << port;
        }
    }
    EXPECT_EQ(ctl("ping"), "pong");

    // A megabyte of noise: the switcher gives up on the connection, not on itself.
    Fd flood(realtime());
    const std::string megabyte = randomBytes(random, 1 << 20);
    ::send(flood.get(), megabyte.data(), megabyte.size(), MSG_NOSIGNAL);
    EXPECT_TRUE(closedByPeer(flood.get()));

    // Thousands of polls whose huge answers are never read: memory stays bounded, and polls
    // beyond what waits unread go unanswered.
    ASSERT_EQ(ctl("fault huge"), "ok");
    Fd greedy(realtime());
    std::string polls;
    for (int i = 0; i < 2000; ++i) {
        polls += bytes(kPoll);
    }
    ASSERT_TRUE(writeBytes(greedy.get(), polls));
    ASSERT_TRUE(eventually([&] { return state("polls") == "2000"; })) << ctl("get state");
    EXPECT_LT(std::stoi(state("answers")), 1000);
    std::ifstream status("/proc/" + std::to_string(process_.pid()) + "/status");
    long residentKiB = -1;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            residentKiB = std::atol(line.c_str() + 6);
        }
    }
    EXPECT_GT(residentKiB, 0);
    EXPECT_LT(residentKiB, 64 * 1024);
    ASSERT_EQ(ctl("fault none"), "ok");
    greedy.reset();

    Fd fine(realtime());
    EXPECT_EQ(pollOnce(fine.get(), 104), kAllZero);
    Fd query(connectTo(queryPort_));
    ASSERT_TRUE(writeBytes(query.get(), bytes(kQuery)));
    EXPECT_EQ(hex(readBytes(query.get(), 8)), kPortAnswers.at(realtimePort_));
}

TEST_F(Switcher, OptionsAndRefusedCommands) {
    const std::vector<std::vector<std::string>> refused = {
        {"--channels", "0"},
        {"--channels", "18"},
        {"--channels", "x"},
        {"--name", ""},
        {"--name", "ABCDEFGHIJKLMNOPQ"},
        {"--mac", "02:A4:5C:07:00"},
        {"--address", "127.0.0"},
        {"--query-port", "70000"},
        {"--full-answers", "0"},
        {"--bogus", "1"},
        {"--channels"},
    };
    for (const std::vector<std::string>& args : refused) {
        EXPECT_FALSE(start(args)) << args[0];
    }
    for (const char* port : {"5002", "5009", "0"}) {
        SimProcess wrong;
        EXPECT_FALSE(wrong.start(ZEK_VIRTUAL_SWITCHER_PATH,
                                 {"--control", control_, "--realtime-port", port}, "ready",
                                 milliseconds(3000)))
            << port;
    }

    ASSERT_TRUE(start({"--name", "MX-2900"}));
    EXPECT_EQ(state("channels"), "6");
    process_.stop();
    ASSERT_TRUE(start({"--name", "MX-2900", "--channels", "17"}));
    EXPECT_EQ(ctl("get state"), "channels=17 realtime=" + std::to_string(realtimePort_) +
                                    " connected=0 queries=0 connections=0 polls=0 answers=0"
                                    " fault=none mode=changes");
    for (const char* command :
         {"restart", "restart -1", "restart 600001", "restart x", "send", "send 0G", "send 0A0",
          "send 00", "halfclose", "program 18", "frobnicate", "get", "get nothing"}) {
        EXPECT_EQ(ctl(command).rfind("error ", 0), 0u) << command;
    }
    EXPECT_EQ(ctl("get received"), "none");
}

// The panel's two sockets for a scan: the request leaves from the panel's address, the answers,
// broadcast back to its port, arrive on a socket bound to any address at that port.
TEST(SwitcherOnTheNetwork, FoundByAScanAndPolledFromThePanel) {
    const char* ns = std::getenv("ZEK_CAMERA_NS");
    const char* panelAddress = std::getenv("ZEK_PANEL_ADDRESS");
    if (ns == nullptr || panelAddress == nullptr) {
        GTEST_SKIP() << "needs the test namespaces: run it through scripts/netns-run.sh";
    }
    TempRoot root(false);
    VirtualSwitcher sw(root.path(), "10.77.0.60", "MX5800", "02:A4:5C:07:00:3C");
    ASSERT_TRUE(sw.started());
    EXPECT_EQ(sw.readyLine(), "virtualSwitcher ready control=" + root.path() +
                                  "/run/switcher-10.77.0.60.sock address=10.77.0.60 query=5009 "
                                  "realtime=5001");

    Fd send(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    Fd receive(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    sockaddr_in local = endpoint(panelAddress, 0);
    socklen_t size = sizeof local;
    ASSERT_EQ(::setsockopt(send.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on), 0);
    ASSERT_EQ(::setsockopt(send.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on), 0);
    ASSERT_EQ(::bind(send.get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(::getsockname(send.get(), reinterpret_cast<sockaddr*>(&local), &size), 0);
    sockaddr_in any = endpoint("0.0.0.0", ntohs(local.sin_port));
    ASSERT_EQ(::setsockopt(receive.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on), 0);
    ASSERT_EQ(::bind(receive.get(), reinterpret_cast<sockaddr*>(&any), sizeof any), 0);

    const std::string scan = bytes("00 0B 80 00 'ETH_REQ'");
    const sockaddr_in broadcast = endpoint("255.255.255.255", 5002);
    ASSERT_EQ(::sendto(send.get(), scan.data(), scan.size(), 0,
                       reinterpret_cast<const sockaddr*>(&broadcast), sizeof broadcast),
              static_cast<ssize_t>(scan.size()));
    pollfd p{receive.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, static_cast<int>(kWait.count())), 1);
    char buffer[1500];
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t n = ::recvfrom(receive.get(), buffer, sizeof buffer, 0,
                                 reinterpret_cast<sockaddr*>(&from), &fromSize);
    ASSERT_GT(n, 0);
    char fromText[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &from.sin_addr, fromText, sizeof fromText);
    EXPECT_EQ(std::string(fromText), "10.77.0.60");
    EXPECT_EQ(hex(std::string(buffer, static_cast<std::size_t>(n))),
              hex(bytes("00 2F 80 00 00 'MX5800' 00 00 00 00 00 00 00 00 00 00 02 A4 5C 07 00 3C "
                        "0A 4D 00 3C FF FF FF 00 0A 4D 00 01 00 00 00 00 00 00 00 00")));

    // The link as the panel opens it, on the ports it always uses.
    Fd query(connectTo(5009, "10.77.0.60"));
    ASSERT_GE(query.get(), 0);
    ASSERT_TRUE(writeBytes(query.get(), bytes(kQuery)));
    EXPECT_EQ(hex(readBytes(query.get(), 8)), "08 00 00 00 89 13 AA 55");
    Fd rt(connectTo(5001, "10.77.0.60"));
    Fd control(connectTo(5002, "10.77.0.60"));
    ASSERT_GE(rt.get(), 0);
    ASSERT_GE(control.get(), 0);
    EXPECT_EQ(readBytes(rt.get(), 4096).size(), 4096u);
    ASSERT_EQ(sw.command("preview 12"), "ok");
    ASSERT_TRUE(writeBytes(rt.get(), bytes(kPoll)));
    const std::string first = hex(readBytes(rt.get(), 104));
    EXPECT_EQ(first.substr(first.size() - 23), "15 00 00 00 01 00 00 00") << first;
    EXPECT_EQ(sw.command("get state"),
              "channels=12 realtime=5001 connected=1 queries=1 connections=1 polls=1 answers=1"
              " fault=none mode=changes");
}

}  // namespace
