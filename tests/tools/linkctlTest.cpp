// linkctl, the command-line client of linkDaemon, in one session per command family against a
// small fake daemon on 127.0.0.1 (ports from the kernel, the pool port from a range the one-byte
// hundreds can announce): the requests as they travel, and the answers read back as the daemon's
// end-to-end test reads them (pool port, versions, keys and T-bar). The real daemon's side of
// each exchange is tested with the daemon.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "linkctlProtocol.h"
#include "spelledBytes.h"

extern char** environ;

namespace {

using namespace linkctl;
using Clock = std::chrono::steady_clock;

Bytes B(const std::string& spelled) {
    const std::string raw = bytes(spelled);
    return Bytes(raw.begin(), raw.end());
}

std::string H(const Bytes& data) {
    return hex(std::string(data.begin(), data.end()));
}

// The pool port travels as hundreds and units, one byte each (the fake below announces its own
// port the same way, so this literal is what keeps the two honest).
TEST(Answers, PoolPortAsHundredsAndUnits) {
    const auto grant = parseAskForControlAnswer(B("00 08 82 65 46 01 FF"));
    ASSERT_TRUE(grant.ok()) << grant.error;
    EXPECT_EQ(grant.value.poolPort, 7001);
    EXPECT_EQ(grant.value.freeMask, 0xFF);
    EXPECT_EQ(parseAskForControlAnswer(B("00 08 82 65 46 06 9E")).value.poolPort, 7006);
}

// An image is refused for its size or its version header, with the cause in the message.
TEST(Image, SizeAndVersionHeaderAreChecked) {
    const Bytes header = B("00 00 00 00 00 00 00 00 00 00 00 03 00 02 00 00");
    Bytes one = header;
    one.push_back(0x5A);
    const auto small = checkMcuImage(one);
    ASSERT_TRUE(small.ok()) << small.error;
    EXPECT_EQ(small.value.major, 3);
    EXPECT_EQ(small.value.minor, 2);
    EXPECT_EQ(small.value.imageSize, 1u);

    Bytes largest = header;
    largest.resize(16 + 65535, 0x11);
    EXPECT_TRUE(checkMcuImage(largest).ok());
    largest.push_back(0x11);
    EXPECT_NE(checkMcuImage(largest).error.find("65535"), std::string::npos);

    EXPECT_NE(checkMcuImage(header).error.find("the file is 16 bytes"), std::string::npos);
    EXPECT_NE(checkMcuImage({}).error.find("the file is 0 bytes"), std::string::npos);
    const Bytes erased = B("00 00 00 00 00 00 00 00 00 00 FF FF FF FF 00 00 5A");
    EXPECT_NE(checkMcuImage(erased).error.find("FF FF FF FF"), std::string::npos);
    const Bytes blank = B("00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 5A");
    EXPECT_NE(checkMcuImage(blank).error.find("no version"), std::string::npos);
    // Only both halves erased or blank are refused: 0.1 and 255.255 are versions.
    EXPECT_TRUE(checkMcuImage(B("00 00 00 00 00 00 00 00 00 00 00 00 00 01 00 00 5A")).ok());
    EXPECT_TRUE(checkMcuImage(B("00 00 00 00 00 00 00 00 00 00 FF FF 00 FF 00 00 5A")).ok());
}

// ---------------------------------------------------------------------------------------------
// The program against a fake daemon on loopback.

// One message the fake sends; with `awaitReply` it then listens on that connection for the
// client's reply (the way the daemon reads after each upgrade progress message).
struct Say {
    std::string message;  // spelled as bytes() reads it
    bool awaitReply = false;
};

// Command words and what the fake says to each, tried in order, the first found in a message
// acting (a message without any gets nothing).
using Script = std::vector<std::pair<std::string, std::vector<Say>>>;

// A daemon of the test's own on 127.0.0.1: a control port from the kernel that answers
// "ASKFORCONTROL" with its pool port and `freeMask`, and a pool port that answers from the
// script. It records what comes to the pool port. Its thread stops and its sockets close with
// the object.
class FakeDaemon {
public:
    explicit FakeDaemon(Script script, uint8_t freeMask = 0xFF)
        : script_(std::move(script)), freeMask_(freeMask) {}
    ~FakeDaemon() {
        if (thread_.joinable()) {
            const char stop = 's';
            (void)!::write(stopPipe_[1], &stop, 1);
            thread_.join();
        }
        for (int fd : {controlFd_, poolFd_, stopPipe_[0], stopPipe_[1]}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    // Binds both ports and starts serving; false (with a test failure) when that cannot be done.
    bool start() {
        if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe";
            return false;
        }
        controlFd_ = listenOn(0);
        // The pool port travels as hundreds and units in one byte each, so it must be below
        // 25600; kernel-chosen ports lie above, so try a few from a range of our own.
        std::mt19937 random(static_cast<unsigned>(::getpid()) ^
                            static_cast<unsigned>(Clock::now().time_since_epoch().count()));
        for (int attempt = 0; attempt < 200 && poolFd_ < 0; ++attempt) {
            poolFd_ = listenOn(static_cast<uint16_t>(20000 + random() % 5600));
        }
        if (controlFd_ < 0 || poolFd_ < 0) {
            ADD_FAILURE() << "cannot listen on 127.0.0.1";
            return false;
        }
        controlPort_ = localPort(controlFd_);
        poolPort_ = localPort(poolFd_);
        thread_ = std::thread([this] { serve(); });
        return true;
    }

    uint16_t controlPort() const { return controlPort_; }
    uint16_t poolPort() const { return poolPort_; }

    std::vector<Bytes> poolMessages() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return poolMessages_;
    }
    // What the client replied to a message with `awaitReply`, by that message's text.
    std::vector<std::pair<std::string, Bytes>> replies() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return replies_;
    }
    // For what the client sends without waiting for an answer: the fake may see it only after
    // the client has ended. Waits at most five seconds.
    bool waitForPool(size_t messages) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return recorded_.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return poolMessages_.size() >= messages; });
    }

private:
    static int listenOn(uint16_t port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 4) != 0) {
            if (fd >= 0) {
                ::close(fd);
            }
            return -1;
        }
        return fd;
    }

    static uint16_t localPort(int fd) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }

    static void sendAll(int fd, const Bytes& message) {
        (void)!::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
    }

    void serve() {
        struct Client {
            int fd;
            bool pool;
        };
        std::vector<Client> clients;
        for (;;) {
            std::vector<pollfd> fds = {
                {stopPipe_[0], POLLIN, 0}, {controlFd_, POLLIN, 0}, {poolFd_, POLLIN, 0}};
            for (const Client& client : clients) {
                fds.push_back({client.fd, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            if (fds[0].revents) {
                break;
            }
            const size_t polled = clients.size();  // those accepted below wait for the next poll
            for (size_t i = 1; i <= 2; ++i) {
                if (fds[i].revents & POLLIN) {
                    const int fd = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
                    if (fd >= 0) {
                        clients.push_back({fd, i == 2});
                    }
                }
            }
            std::vector<Client> open;
            for (size_t i = 0; i < clients.size(); ++i) {
                const Client client = clients[i];
                if (i >= polled || !fds[3 + i].revents) {
                    open.push_back(client);
                    continue;
                }
                uint8_t buffer[2048];
                const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    ::close(client.fd);
                    continue;
                }
                open.push_back(client);
                handle(client.fd, client.pool, Bytes(buffer, buffer + n));
            }
            clients = std::move(open);
        }
        for (const Client& client : clients) {
            ::close(client.fd);
        }
    }

    void handle(int fd, bool pool, const Bytes& message) {
        const std::string text(message.begin(), message.end());
        if (!pool) {
            if (text.find("ASKFORCONTROL") != std::string::npos) {
                sendAll(fd, Bytes{0x00, 0x08, 0x82, 0x65, static_cast<uint8_t>(poolPort_ / 100),
                                  static_cast<uint8_t>(poolPort_ % 100), freeMask_});
            }
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            poolMessages_.push_back(message);
            recorded_.notify_all();
        }
        for (const auto& [word, says] : script_) {
            if (text.find(word) == std::string::npos) {
                continue;
            }
            for (const Say& say : says) {
                sendAll(fd, B(say.message));
                if (say.awaitReply) {
                    pollfd entry{fd, POLLIN, 0};
                    if (::poll(&entry, 1, 2000) > 0) {
                        uint8_t buffer[64];
                        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                        if (n > 0) {
                            std::lock_guard<std::mutex> lock(mutex_);
                            replies_.push_back({say.message, Bytes(buffer, buffer + n)});
                        }
                    }
                }
            }
            return;
        }
    }

    const Script script_;
    const uint8_t freeMask_;
    int stopPipe_[2] = {-1, -1};
    int controlFd_ = -1;
    int poolFd_ = -1;
    uint16_t controlPort_ = 0;
    uint16_t poolPort_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;  // guards what the serving thread records
    mutable std::condition_variable recorded_;
    std::vector<Bytes> poolMessages_;
    std::vector<std::pair<std::string, Bytes>> replies_;
};

struct ToolRun {
    int status = -1;  // exit status, or -1 when killed or not started
    std::string out;  // standard output and standard error as they came
};

// Runs linkctl to its end, killing it (by its process id) at the deadline.
ToolRun runLinkctl(const std::vector<std::string>& args) {
    ToolRun run;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return run;
    }
    std::vector<std::string> argv = {ZEK_LINKCTL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& a : argv) {
        pointers.push_back(a.data());
    }
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    bool killed = false;
    while (spawned == 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{out[0], POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            ::kill(pid, SIGKILL);
            killed = true;
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        run.out.append(buffer, static_cast<size_t>(n));
    }
    ::close(out[0]);
    if (spawned == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!killed && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
        }
    }
    return run;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> withPort(const FakeDaemon& daemon, std::vector<std::string> command) {
    std::vector<std::string> args = {"--port", std::to_string(daemon.controlPort()), "--timeout",
                                     "2000"};
    args.insert(args.end(), command.begin(), command.end());
    return args;
}

TEST(Session, BookAndReleaseAndAPartialRefusal) {
    {
        FakeDaemon daemon(
            {{"REGIST_RC", {{"00 06 82 66 06 9E"}}}, {"RELEASE_RC", {{"00 06 82 67 06 9F"}}}},
            0xBF);  // shuttleJog is another client's
        ASSERT_TRUE(daemon.start());
        const ToolRun run = runLinkctl(
            withPort(daemon, {"book", "keyBoardArea1", "joyStick", "+", "release", "0x01"}));
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_TRUE(contains(run.out, "pool port " + std::to_string(daemon.poolPort()) + "\n"))
            << run.out;
        EXPECT_TRUE(contains(run.out, "booked: keyBoardArea1 joyStick\n")) << run.out;
        EXPECT_TRUE(contains(run.out, "released: keyBoardArea1\n")) << run.out;
        const std::vector<Bytes> sent = daemon.poolMessages();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(H(sent[0]), H(B("'REGIST_RC' 21")));
        EXPECT_EQ(H(sent[1]), H(B("'RELEASE_RC' 01")));
    }
    {
        // Part of what is asked stays another client's: a failure that names it.
        FakeDaemon daemon({{"REGIST_RC", {{"00 06 82 66 06 9E"}}}}, 0xBE);
        ASSERT_TRUE(daemon.start());
        const ToolRun run = runLinkctl(withPort(daemon, {"book", "0x61"}));
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains(run.out, "booked: joyStick\n")) << run.out;
        EXPECT_TRUE(contains(
            run.out, "linkctl: not granted: keyBoardArea1 shuttleJog (held by another client)\n"))
            << run.out;
    }
}

// Watch books everything, initialises with the panel's line settings and lights the keys the
// last poll found pressed; every field of the state table shows in its line.
TEST(Session, WatchInitialisesPollsAndLightsPressedKeys) {
    FakeDaemon daemon(
        {{"REGIST_RC", {{"00 06 82 66 06 00"}}},
         {"INITZEK", {{"00 05 82 68 06"}}},
         {"UPDATESTATUS",
          {{"00 18 82 6A 01 1A 2B 00 64 10 05 85 03 03 F4 0C 00 FF 07 10 00 00 04 00"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(withPort(daemon, {"watch", "--interval", "20", "--count", "2"}));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(contains(run.out,
                         "poll 1 keys=3,29 lock=1 x=+2603 y=-100 z=+5 tbar=1012 "
                         "sliders=12,0,255,7 shuttle=+5 jog=-3\npoll 2 keys=3,29 "))
        << run.out;
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(H(sent[0]), H(B("'REGIST_RC' FF")));
    ASSERT_EQ(sent[1].size(), 7u + 98u);
    EXPECT_EQ(H(Bytes(sent[1].begin(), sent[1].begin() + 9)), H(B("'INITZEK' 0C 0F")));
    EXPECT_EQ(H(sent[2]),
              H(B("'UPDATESTATUS' 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11")));
    EXPECT_EQ(H(sent[3]),
              H(B("'UPDATESTATUS' 11 12 11 11 11 11 11 11 11 11 11 11 11 11 12 11 11 11 11 11")));
}

TEST(Session, VersionCalibrationAndTbar) {
    FakeDaemon daemon(
        {{"CALIZEK", {{"00 09 82 69 06 FF F0 80 01"}}},
         {"GET_VERSION", {{"00 14 82 42 00 17 00 23 00 01 00 07 00 00 00 00 00 00 00 00"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run = runLinkctl(
        withPort(daemon, {"version", "+", "calibration", "+", "tbar", "max", "+", "tbar", "min"}));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(contains(run.out, "linkDaemon version 23.35\nMCU version 1.7 (0.1.0.7)\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "T-bar maximum 65520, minimum 32769\n")) << run.out;
    // The daemon does not answer the T-bar setting.
    EXPECT_TRUE(daemon.waitForPool(4));
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(H(sent[0]), H(B("'GET_VERSION'")));
    EXPECT_EQ(H(sent[1]), H(B("'CALIZEK'")));
    EXPECT_EQ(H(sent[2]), H(B("'SETTINGTBAR' '2'")));
    EXPECT_EQ(H(sent[3]), H(B("'SETTINGTBAR' '3'")));
}

// The upgrade's answer and first progress in one read, a stop asked for at 42 %, and the failure
// value that ends it.
TEST(Session, NeedUpdateThenUpgradeStoppedOnTheWay) {
    FakeDaemon daemon({{"NEEDFWUPD", {{"00 0D 82 6C 06 00 17 00 24 00 01 00 08"}}},
                       {"STARTFWUPD",
                        {{"00 05 82 6D 15 00 0F 82 6E 'FWUPDSTATE' 00", true},
                         {"00 0F 82 6E 'FWUPDSTATE' 2A", true},
                         {"00 0F 82 6E 'FWUPDSTATE' 68"}}}});
    ASSERT_TRUE(daemon.start());
    const ToolRun run =
        runLinkctl(withPort(daemon, {"needupdate", "+", "upgrade", "--cancel-at", "40"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(
        contains(run.out, "USB stick: linkDaemon version 23.36, MCU firmware file version 1.8\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "STARTFWUPD: NACK")) << run.out;
    EXPECT_TRUE(contains(run.out,
                         "progress 0: 0% of the image sent\nprogress 42: 42% of the image sent\n"
                         "asked the daemon to stop at 42%\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "linkctl: upgrade failed: transfer failed\n")) << run.out;
    const std::vector<Bytes> sent = daemon.poolMessages();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(H(sent[0]), H(B("'NEEDFWUPD'")));
    EXPECT_EQ(H(sent[1]), H(B("'STARTFWUPD'")));
    // Only the progress at or past the stop point is answered.
    const auto replies = daemon.replies();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].first, "00 0F 82 6E 'FWUPDSTATE' 2A");
    EXPECT_EQ(H(replies[0].second), "00 05 82 6E 15");
}

// A file in a directory of the test's own, removed with it.
class ImageFile {
public:
    explicit ImageFile(const std::string& spelled) {
        char pattern[] = "/tmp/zek-linkctl.XXXXXX";
        if (::mkdtemp(pattern) != nullptr) {
            directory_ = pattern;
            path_ = directory_ + "/mcu.bin";
            const Bytes data = B(spelled);
            if (FILE* file = std::fopen(path_.c_str(), "wb")) {
                std::fwrite(data.data(), 1, data.size(), file);
                std::fclose(file);
            }
        }
    }
    ~ImageFile() {
        std::remove(path_.c_str());
        ::rmdir(directory_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string directory_;
    std::string path_;
};

// The image named on the command line is checked before connecting, and the upgrade starts only
// when the stick's MCU file has its version.
TEST(Session, UpgradeOfANamedImage) {
    {
        // Nothing listens on port 1 of loopback: a refusal that came after connecting would
        // say so.
        const ImageFile erased("00 00 00 00 00 00 00 00 00 00 FF FF FF FF 00 00 5A 5A");
        const ToolRun run =
            runLinkctl({"--port", "1", "--timeout", "500", "upgrade", "--image", erased.path()});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains(
            run.out, "linkctl: image " + erased.path() + " refused: the header carries no version"))
            << run.out;
        EXPECT_FALSE(contains(run.out, "cannot connect")) << run.out;
        const ToolRun missing =
            runLinkctl({"--port", "1", "upgrade", "--image", erased.path() + ".absent"});
        EXPECT_EQ(missing.status, 1);
        EXPECT_TRUE(contains(missing.out, "cannot open the image")) << missing.out;
    }
    const ImageFile image("00 00 00 00 00 00 00 00 00 00 00 01 00 07 00 00 5A 5A 5A");
    {
        FakeDaemon daemon({{"NEEDFWUPD", {{"00 0D 82 6C 06 00 17 00 24 00 01 00 08"}}}});
        ASSERT_TRUE(daemon.start());
        const ToolRun run = runLinkctl(withPort(daemon, {"upgrade", "--image", image.path()}));
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(
            contains(run.out, "image " + image.path() + ": MCU firmware version 1.7, 3 bytes\n"))
            << run.out;
        EXPECT_TRUE(contains(run.out, "the stick's MCU firmware file is version 1.8, not " +
                                          image.path() + "'s 1.7, so no upgrade was started"))
            << run.out;
        const std::vector<Bytes> sent = daemon.poolMessages();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(H(sent[0]), H(B("'NEEDFWUPD'")));
    }
    {
        FakeDaemon daemon(
            {{"NEEDFWUPD", {{"00 0D 82 6C 06 00 17 00 24 00 01 00 07"}}},
             {"STARTFWUPD",
              {{"00 05 82 6D 15 00 0F 82 6E 'FWUPDSTATE' 00"}, {"00 0F 82 6E 'FWUPDSTATE' 64"}}}});
        ASSERT_TRUE(daemon.start());
        const ToolRun run = runLinkctl(withPort(daemon, {"upgrade", "--image=" + image.path()}));
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_TRUE(contains(run.out, "progress 100: ")) << run.out;
        const std::vector<Bytes> sent = daemon.poolMessages();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(H(sent[1]), H(B("'STARTFWUPD'")));
    }
}

}  // namespace
