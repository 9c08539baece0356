// virtualSwitcher: a production video switcher as the panel's tally link sees it, for tests and
// the demo. It tells its real-time port on the query port, holds the real-time and control
// connections, and answers each poll with the tally bytes of its channels (the bytes are in
// switcherModel.h). Program and preview are driven from the control channel.
//
// usage: virtualSwitcher --control SOCKET [--address A.B.C.D] [--name NAME] [--mac MAC]
//                        [--channels N] [--realtime-port R] [--query-port P] [--full-answers N]
//                        [--burst BYTES]
//   --address        where every port listens (127.0.0.1 unless given)
//   --name           the switcher's name, up to 16 characters (MX5800 unless given)
//   --mac            the switcher also answers the scan of the UDP configuration protocol on
//                    --address, port 5002, under its name and this MAC (02:A4:5C:07:12:AB)
//   --channels       1 to 17 (unless given: 6 when the name contains "2900", else 12)
//   --realtime-port  5001 (unless given), 5003, 5005 or 5007; the control port is the next one
//   --query-port     5009 unless given (the panel asks on 5009; 0 takes any free port)
//   --full-answers   how many answers of a new connection carry every channel (1 unless given:
//                    only the first answer tells the whole state, later ones what changed)
//   --burst          length of the start-up burst, 8 to 65536 bytes (4096 unless given)
//   --control        Unix socket of the control channel
//
// Prints one line once every port listens:
//   virtualSwitcher ready control=SOCKET address=A query=P realtime=R
//
// Control commands (one per line; the answer is one line, "ok", a value, or "error ..."):
//   ping                     "pong"
//   program CH | preview CH  CH (1..N) on the bus, 0 clears it; the channel that was there
//                            leaves it
//   set CH BYTE              forces one tally byte (decimal or 0x hex); the buses stay as they
//                            were, and the next program or preview recomputes only the channels
//                            it moves
//   get tally                "1=4 2=1 3=0 ..." for every channel
//   get state                "channels=N realtime=R connected=0|1 queries=N connections=N polls=N
//                            answers=N fault=NAME mode=changes|all": connected while a real-time
//                            connection is open; queries received, real-time connections
//                            accepted, polls received and answered, all since the start
//   get received             hex of the last (up to 64) bytes received on any real-time
//                            connection, "none" before the first
//   mode changes|all         each answer carries the channels changed since the connection's
//                            answer before (the first --full-answers carry all), or all of them
//   fault NAME               none | wrongport (the port answer says 5002) | shortport (5 bytes
//                            of it) | shortburst (1000 bytes) | garbage (64 random bytes per
//                            answer) | huge (70000-byte answers) | silent (nothing is written)
//   drop                     closes every connection now; listening goes on
//   scans answer|ignore      whether the scan of the configuration protocol is answered (with
//                            --mac; answered unless told otherwise)
//   hold MS                  a busy switcher: for MS milliseconds (0..600000) polls are read and
//                            answered, but nothing is written; then everything held goes out at
//                            once
//   restart MS               closes every connection and every TCP port for MS milliseconds
//                            (0..600000; connections are refused), then listens again. Tally,
//                            fault and counts stay.
//   halfclose                shuts the write side of the open real-time connections (the panel
//                            reads end of file); their polls are still read and counted
//   send HEX                 these bytes (hex pairs, blanks allowed) on every real-time
//                            connection that can be written, at once
// halfclose and send need a real-time connection whose write side is open ("error ..." otherwise).
//
// Everything ignored or refused leaves a line on standard error. Bytes that are not the packet a
// port expects are ignored, and a connection that sends 64 KiB of them in a row is closed; answers
// that the panel does not collect pile up to 1 MiB per connection, then polls go unanswered.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controlServer.h"
#include "hcipEndpoint.h"
#include "hexDigits.h"
#include "stopSignals.h"
#include "switcherModel.h"

namespace {

using Clock = std::chrono::steady_clock;

void logLine(const std::string& line) {
    std::fprintf(stderr, "virtualSwitcher: %s\n", line.c_str());
}

constexpr std::size_t kMaxOutput = 1 << 20;
constexpr std::size_t kMaxIgnoredInARow = 64 * 1024;
constexpr std::size_t kReceivedKept = 64;
constexpr std::size_t kMaxConnections = 64;  // of all kinds together; more are closed at once
constexpr int kRelistenRetryMs = 1000;

std::string spacedHex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        out += out.empty() ? "" : " ";
        out += kDigits[u >> 4];
        out += kDigits[u & 0x0F];
    }
    return out;
}

bool unhex(const std::string& text, std::string& out) {
    std::string digits;
    for (const char c : text) {
        if (c != ' ') {
            digits += c;
        }
    }
    out.clear();
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        const int high = hexDigitValue(digits[i]);
        const int low = hexDigitValue(digits[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        out += static_cast<char>(high * 16 + low);
    }
    return !digits.empty() && digits.size() % 2 == 0;
}

enum class Kind { Query, Realtime, Control };

const char* kindName(Kind kind) {
    return kind == Kind::Query ? "query" : kind == Kind::Realtime ? "real-time" : "control";
}

struct Connection {
    int fd = -1;
    Kind kind = Kind::Query;
    std::string name;  // "real-time connection 3 from 127.0.0.1:41234", for the log
    std::string out;   // written as the socket takes it
    bool writeShut = false;
    QuerySession query;
    RealtimeSession realtime;
};

struct Listener {
    Kind kind;
    std::uint16_t port;
    int fd = -1;
};

class Switcher {
public:
    int fullAnswers = 1;  // answers of a new connection that carry every channel
    std::size_t burstLength = kBurstSize;
    Switcher(SwitcherModel& model, sockaddr_in address, std::uint16_t queryPort,
             std::uint16_t realtimePort)
        : model_(model), address_(address) {
        listeners_ = {{Kind::Query, queryPort},
                      {Kind::Realtime, realtimePort},
                      {Kind::Control, static_cast<std::uint16_t>(realtimePort + 1)}};
    }
    ~Switcher() {
        closeAll("the switcher stops");
        closeListeners();
    }
    Switcher(const Switcher&) = delete;
    Switcher& operator=(const Switcher&) = delete;

    std::unique_ptr<HcipEndpoint> discovery;

    bool listen(std::string& error);
    std::uint16_t port(Kind kind) const { return listeners_[static_cast<int>(kind)].port; }
    std::string control(const std::string& line);
    void run(ControlServer& controlServer, const sigset_t& waitMask);

private:
    bool connected() const;
    std::vector<Connection*> writableRealtime();
    void closeListeners();
    void closeAll(const std::string& why);
    void close(Connection& c, const std::string& why);
    void accept(Listener& listener);
    void read(Connection& c);
    void queue(Connection& c, const std::string& bytes);
    void flush(Connection& c);
    void noteIgnored(Connection& c, const Taken& taken, std::size_t inARow);

    SwitcherModel& model_;
    sockaddr_in address_;
    std::vector<Listener> listeners_;
    std::vector<std::unique_ptr<Connection>> connections_;
    Clock::time_point listenAgainAt_{};
    bool restarting_ = false;
    Clock::time_point holdUntil_{};  // nothing is written before
    std::uint64_t accepted_ = 0;     // of every kind, to name connections in the log
    std::uint64_t queries_ = 0;
    std::uint64_t realtimeConnections_ = 0;
    std::uint64_t polls_ = 0;
    std::uint64_t answers_ = 0;
    std::string received_;
};

bool Switcher::listen(std::string& error) {
    for (Listener& l : listeners_) {
        sockaddr_in at = address_;
        at.sin_port = htons(l.port);
        socklen_t size = sizeof at;
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int yes = 1;
        if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
            ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(fd, 8) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size) != 0) {
            error = std::string("cannot listen on the ") + kindName(l.kind) + " port " +
                    std::to_string(l.port) + ": " + std::strerror(errno);
            if (fd >= 0) {
                ::close(fd);
            }
            closeListeners();
            return false;
        }
        l.fd = fd;
        l.port = ntohs(at.sin_port);  // a query port of 0 became a real one, kept for restarts
    }
    return true;
}

void Switcher::closeListeners() {
    for (Listener& l : listeners_) {
        if (l.fd >= 0) {
            ::close(l.fd);
            l.fd = -1;
        }
    }
}

bool Switcher::connected() const {
    return std::any_of(connections_.begin(), connections_.end(),
                       [](const auto& c) { return c->kind == Kind::Realtime; });
}

std::vector<Connection*> Switcher::writableRealtime() {
    std::vector<Connection*> out;
    for (const auto& c : connections_) {
        if (c->kind == Kind::Realtime && !c->writeShut) {
            out.push_back(c.get());
        }
    }
    return out;
}

void Switcher::close(Connection& c, const std::string& why) {
    if (c.fd < 0) {
        return;
    }
    ::close(c.fd);
    c.fd = -1;
    logLine(c.name + " closed: " + why +
            (c.out.empty() ? "" : " (" + std::to_string(c.out.size()) + " bytes unsent)"));
}

void Switcher::closeAll(const std::string& why) {
    for (const auto& c : connections_) {
        close(*c, why);
    }
    connections_.clear();
}

void Switcher::accept(Listener& listener) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    const int fd = ::accept4(listener.fd, reinterpret_cast<sockaddr*>(&peer), &size,
                             SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    char host[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &peer.sin_addr, host, sizeof host);
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    c->kind = listener.kind;
    c->realtime = RealtimeSession(fullAnswers);
    c->name = std::string(kindName(listener.kind)) + " connection " + std::to_string(++accepted_) +
              " from " + host + ":" + std::to_string(ntohs(peer.sin_port));
    if (connections_.size() >= kMaxConnections) {
        close(*c, "already " + std::to_string(kMaxConnections) + " connections open");
        return;
    }
    // Answers are small and awaited one by one: no waiting for more to fill a segment.
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    logLine(c->name + " accepted");
    if (c->kind == Kind::Realtime) {
        ++realtimeConnections_;
        queue(*c, initialBurst(model_.fault(), burstLength));
        flush(*c);
    }
    connections_.push_back(std::move(c));
}

void Switcher::queue(Connection& c, const std::string& bytes) {
    if (c.out.size() + bytes.size() > kMaxOutput + kHugeSize) {
        logLine(c.name + ": " + std::to_string(bytes.size()) + " bytes not sent, " +
                std::to_string(c.out.size()) + " already wait");
        return;
    }
    c.out += bytes;
}

void Switcher::flush(Connection& c) {
    if (Clock::now() < holdUntil_) {
        return;
    }
    while (!c.out.empty() && c.fd >= 0) {
        const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n > 0) {
            c.out.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        } else {
            close(c, std::string("write failed: ") + std::strerror(errno));
        }
    }
}

void Switcher::noteIgnored(Connection& c, const Taken& taken, std::size_t inARow) {
    if (taken.ignored > 0) {
        logLine(c.name + ": " + std::to_string(taken.ignored) + " units of 8 bytes ignored, " +
                "not " + (c.kind == Kind::Query ? "port queries" : "polls") + " (the first " +
                spacedHex(taken.firstIgnored) + ")");
    }
    if (inARow >= kMaxIgnoredInARow) {
        close(c, std::to_string(inARow) + " bytes in a row that mean nothing here");
    }
}

void Switcher::read(Connection& c) {
    char buffer[4096];
    const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
    if (n == 0) {
        close(c, "closed by the peer");
        return;
    }
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            close(c, std::string("read failed: ") + std::strerror(errno));
        }
        return;
    }
    const std::string bytes(buffer, static_cast<std::size_t>(n));
    if (c.kind == Kind::Control) {
        logLine(c.name + ": " + std::to_string(n) + " bytes discarded, nothing is read there");
        return;
    }
    if (c.kind == Kind::Query) {
        const Taken taken = c.query.take(bytes, port(Kind::Realtime), model_.fault());
        queries_ += static_cast<std::uint64_t>(taken.requests);
        queue(c, taken.reply);
        noteIgnored(c, taken, c.query.ignoredInARow());
        flush(c);
        return;
    }
    received_ =
        (received_ + bytes)
            .substr(std::max(received_.size() + bytes.size(), kReceivedKept) - kReceivedKept);
    const std::size_t room = c.writeShut ? 0 : kMaxOutput - std::min(kMaxOutput, c.out.size());
    const Taken taken = c.realtime.take(bytes, model_, room);
    polls_ += static_cast<std::uint64_t>(taken.requests);
    answers_ += static_cast<std::uint64_t>(taken.answered);
    queue(c, taken.reply);
    if (taken.unanswered > 0) {
        logLine(c.name + ": " + std::to_string(taken.unanswered) + " polls not answered, " +
                (c.writeShut ? "the write side is shut"
                             : std::to_string(c.out.size()) + " bytes of answers wait unread"));
    }
    noteIgnored(c, taken, c.realtime.ignoredInARow());
    flush(c);
}

std::string Switcher::control(const std::string& line) {
    if (std::optional<std::string> answer = model_.command(line)) {
        return *answer;
    }
    const std::size_t blank = line.find(' ');
    const std::string verb = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (line == "ping") {
        return "pong";
    }
    if (line == "get state") {
        return "channels=" + std::to_string(model_.channels()) +
               " realtime=" + std::to_string(port(Kind::Realtime)) +
               " connected=" + (connected() ? "1" : "0") + " queries=" + std::to_string(queries_) +
               " connections=" + std::to_string(realtimeConnections_) +
               " polls=" + std::to_string(polls_) + " answers=" + std::to_string(answers_) +
               " fault=" + model_.faultName() + " mode=" + model_.modeName();
    }
    if (line == "get received") {
        return received_.empty() ? "none" : spacedHex(received_);
    }
    if (verb == "restart") {
        const std::optional<int> ms = controlNumber(rest, 600000);
        if (!ms) {
            return "error usage: restart MS (0..600000)";
        }
        closeAll("restart");
        closeListeners();
        restarting_ = true;
        listenAgainAt_ = Clock::now() + std::chrono::milliseconds(*ms);
        logLine("not listening for " + std::to_string(*ms) + " ms");
        return "ok";
    }
    const std::vector<Connection*> realtime = writableRealtime();
    if (verb == "scans" && discovery && (rest == "answer" || rest == "ignore")) {
        discovery->silent = rest == "ignore";
        return "ok";
    }
    if (verb == "hold") {
        const std::optional<int> ms = controlNumber(rest, 600000);
        if (!ms) {
            return "error usage: hold MS (0..600000)";
        }
        holdUntil_ = Clock::now() + std::chrono::milliseconds(*ms);
        logLine("holding every answer for " + std::to_string(*ms) + " ms");
        return "ok";
    }
    if (line == "drop") {
        closeAll("dropped on request");
        return "ok";
    }
    if (line == "halfclose" || verb == "send") {
        std::string bytes;
        if (verb == "send" && !unhex(rest, bytes)) {
            return "error usage: send HEX (hex pairs, blanks allowed)";
        }
        if (realtime.empty()) {
            return "error no real-time connection is open for writing";
        }
        for (Connection* c : realtime) {
            if (verb == "send") {
                queue(*c, bytes);
                flush(*c);
                continue;
            }
            flush(*c);
            ::shutdown(c->fd, SHUT_WR);
            c->writeShut = true;
            logLine(c->name + ": write side shut on request" +
                    (c->out.empty() ? "" : ", " + std::to_string(c->out.size()) + " bytes unsent"));
            c->out.clear();
        }
        return "ok";
    }
    return "error unknown command '" + line + "'";
}

void Switcher::run(ControlServer& controlServer, const sigset_t& waitMask) {
    while (!stopRequested()) {
        int timeoutMs = discovery ? discovery->msUntilDue() : -1;
        if (restarting_) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(listenAgainAt_ - Clock::now());
            const int ms = static_cast<int>(std::max<long long>(0, left.count()));
            timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
        }
        const bool holding = Clock::now() < holdUntil_;
        if (holding) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(holdUntil_ - Clock::now());
            const int ms = static_cast<int>(std::max<long long>(0, left.count()));
            timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
        } else {
            for (const auto& c : connections_) {
                flush(*c);  // what a hold kept back
            }
        }
        std::vector<pollfd> fds;
        for (const Listener& l : listeners_) {
            if (l.fd >= 0) {
                fds.push_back({l.fd, POLLIN, 0});
            }
        }
        const std::size_t listenerCount = fds.size();
        for (const auto& c : connections_) {
            const bool toWrite = !c->out.empty() && !holding;
            fds.push_back({c->fd, static_cast<short>(POLLIN | (toWrite ? POLLOUT : 0)), 0});
        }
        const std::size_t discoveryStart = fds.size();
        if (discovery) {
            discovery->appendPollFds(fds);
        }
        const std::size_t controlStart = fds.size();
        controlServer.appendPollFds(fds);

        const int ready = waitLettingStopIn(fds, timeoutMs, waitMask);
        if (ready < 0 && errno != EINTR) {
            logLine(std::string("poll failed: ") + std::strerror(errno));
            break;
        }
        if (discovery) {
            discovery->sendDue();
        }
        if (restarting_ && Clock::now() >= listenAgainAt_) {
            std::string error;
            restarting_ = !listen(error);
            if (restarting_) {
                logLine(error + " (trying again in a second)");
                listenAgainAt_ = Clock::now() + std::chrono::milliseconds(kRelistenRetryMs);
            } else {
                logLine("listening again");
            }
            continue;  // the descriptors polled are stale
        }
        if (ready <= 0) {
            continue;
        }
        // Connections first, in the order polled; one that a read or write closed is removed
        // only after the pass, so the indices stay true.
        for (std::size_t i = 0; i < connections_.size(); ++i) {
            Connection& c = *connections_[i];
            const short ev = fds[listenerCount + i].revents;
            if (c.fd >= 0 && (ev & POLLOUT)) {
                flush(c);
            }
            if (c.fd >= 0 && (ev & (POLLIN | POLLHUP | POLLERR))) {
                read(c);
            }
        }
        connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                          [](const auto& c) { return c->fd < 0; }),
                           connections_.end());
        std::size_t at = 0;
        for (Listener& l : listeners_) {
            if (l.fd >= 0 && (fds[at++].revents & POLLIN)) {
                accept(l);
            }
        }
        if (discovery) {
            discovery->handleEvents(
                std::vector<pollfd>(fds.begin() + static_cast<long>(discoveryStart),
                                    fds.begin() + static_cast<long>(controlStart)));
        }
        // Last: a command may close connections and listeners.
        controlServer.handleEvents(
            std::vector<pollfd>(fds.begin() + static_cast<long>(controlStart), fds.end()));
    }
}

void usage() {
    std::fprintf(stderr,
                 "usage: virtualSwitcher --control SOCKET [--address A.B.C.D] [--name NAME] "
                 "[--mac MAC] [--channels N] [--realtime-port R] [--query-port P] "
                 "[--full-answers N] [--burst BYTES]\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string controlPath;
    std::string name = "MX5800";
    std::string mac;
    std::string address = "127.0.0.1";
    std::optional<int> channels;
    int realtimePort = 5001;
    int queryPort = 5009;
    int fullAnswers = 1;
    std::size_t burstLength = kBurstSize;
    for (int i = 1; i < argc; i += 2) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "virtualSwitcher: %s needs a value\n", flag.c_str());
            usage();
            return 2;
        }
        const std::string value = argv[i + 1];
        bool ok = true;
        if (flag == "--control") {
            controlPath = value;
        } else if (flag == "--address") {
            address = value;
        } else if (flag == "--name") {
            name = value;
            ok = !value.empty() && value.size() <= 16;
        } else if (flag == "--mac") {
            mac = value;
        } else if (flag == "--channels") {
            channels = controlNumber(value, kMaxChannels);
            ok = channels && *channels > 0;
        } else if (flag == "--realtime-port") {
            const std::optional<int> port = controlNumber(value, 65535);
            ok = port && isRealtimePort(*port);
            realtimePort = port.value_or(0);
        } else if (flag == "--full-answers") {
            const std::optional<int> count = controlNumber(value, 100);
            ok = count && *count > 0;
            fullAnswers = count.value_or(1);
        } else if (flag == "--burst") {
            const std::optional<int> length = controlNumber(value, 65536);
            ok = length && *length >= 8;
            burstLength = static_cast<std::size_t>(length.value_or(8));
        } else if (flag == "--query-port") {
            const std::optional<int> port = controlNumber(value, 65535);
            ok = port.has_value();
            queryPort = port.value_or(0);
        } else {
            std::fprintf(stderr, "virtualSwitcher: unknown option %s\n", flag.c_str());
            usage();
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "virtualSwitcher: bad value for %s: %s\n", flag.c_str(),
                         value.c_str());
            return 2;
        }
    }
    sockaddr_in at{};
    at.sin_family = AF_INET;
    if (controlPath.empty() || ::inet_pton(AF_INET, address.c_str(), &at.sin_addr) != 1) {
        usage();
        return 2;
    }
    SwitcherModel model(channels.value_or(channelsForName(name)));
    Switcher sw(model, at, static_cast<std::uint16_t>(queryPort),
                static_cast<std::uint16_t>(realtimePort));
    sw.fullAnswers = fullAnswers;
    sw.burstLength = burstLength;
    if (!mac.empty()) {
        HcipIdentity identity;
        const std::optional<HcipMac> parsed = parseMacText(mac);
        if (!parsed) {
            std::fprintf(stderr, "virtualSwitcher: not a MAC: %s\n", mac.c_str());
            return 2;
        }
        identity.hostName = name;
        identity.modelName = name;
        identity.mac = *parsed;
        std::memcpy(identity.address.data(), &at.sin_addr.s_addr, 4);
        identity.gateway = {identity.address[0], identity.address[1], identity.address[2], 1};
        sw.discovery = std::make_unique<HcipEndpoint>(identity, "configuration", logLine);
    }
    const sigset_t waitMask = blockStopSignalsOutsideWait();

    std::string error;
    if ((sw.discovery && !sw.discovery->open(HcipEndpoint::kDefaultPort, error)) ||
        !sw.listen(error)) {
        std::fprintf(stderr, "virtualSwitcher: %s\n", error.c_str());
        return 1;
    }
    ControlServer control([&sw](const std::string& command) { return sw.control(command); });
    if (!control.listenAt(controlPath, error)) {
        std::fprintf(stderr, "virtualSwitcher: %s\n", error.c_str());
        return 1;
    }
    std::printf("virtualSwitcher ready control=%s address=%s query=%d realtime=%d\n",
                controlPath.c_str(), address.c_str(), sw.port(Kind::Query),
                sw.port(Kind::Realtime));
    std::fflush(stdout);
    sw.run(control, waitMask);
    return 0;
}
