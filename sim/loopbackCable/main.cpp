// loopbackCable: the loop-back cables of the factory test between pairs of camera ports, for a
// developer machine without serial ports.
//
// usage: loopbackCable --root ROOT --control SOCKET [--pairs 1,2,3,4]
//   --root     the directory standing in for "/": pair k's two ports are published as symbolic
//              links ROOT/dev/ttyUSB(2k-2) and ROOT/dev/ttyUSB(2k-1) to pseudo-terminals
//              (ROOT/dev is made when missing, an old link there is replaced, and the links go
//              at exit)
//   --control  Unix socket of the control channel
//   --pairs    which of the four pairs to put in place (default all four)
//
// What is written on one port of a pair is read on the other, byte for byte, at once. The first
// port of a pair is "a", the second "b": direction ab runs from ttyUSB0 to ttyUSB1 on pair 1.
// The lines stay raw (any byte 00..FF, no echo, no line-end translation), whatever the reader
// sets. Like a real port, a port that nobody has open takes nothing in: bytes the cable brings
// there are lost, and bytes a reader left unread are thrown away once the program has seen the
// last reader close (it follows the opens and closes of each pseudo-terminal; anything left
// over is thrown away again when the port is next opened). A control command answered after
// the close has seen it.
//
// Prints one line once everything is in place:
//   loopbackCable ready pairs=1,2,3,4 control=SOCKET
//
// Control commands (one per line; the answer is one line, "ok", a value, or "error ..."):
//   ping                 "ok"
//   break P DIR          pair P (1..4), direction ab or ba: every byte is lost until healed
//   echo P DIR           what the cable delivers in that direction also comes back to the port
//                        that sent it, until healed
//   corrupt P DIR N      the Nth byte (from 0) sent in that direction after the command is
//                        XORed with FF, once; the count goes on across pauses of the line
//   droptail P DIR N     the last N bytes of the next burst in that direction are not
//                        delivered, once (a burst ends when the line has been quiet for 5 ms;
//                        the last N bytes seen are held back until then)
//   unplug P             both ports of pair P disappear (their links are removed) and the cable
//                        carries nothing; a reader that still has a port open reads nothing more
//   plug P               the ports are back
//   heal P | heal all    clears every fault of the pair (or of every pair) and plugs it back;
//                        bytes a droptail held back are delivered
//   get P DIR            "bytes=N": bytes the cable delivered in that direction so far
// N is 0 to 1000000.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cableModel.h"
#include "controlServer.h"
#include "pseudoTerminal.h"
#include "stopSignals.h"

namespace {

using Clock = std::chrono::steady_clock;

void logLine(const std::string& line) {
    std::fprintf(stderr, "loopbackCable: %s\n", line.c_str());
}

// The line is quiet, and a burst over, after this long without a byte.
constexpr auto kBurstGap = std::chrono::milliseconds(5);
// Bytes for a reader that does not read pile up no further than this.
constexpr std::size_t kMaxOutput = 1 << 20;

constexpr std::array<CableDirection, 2> kDirections{CableDirection::AB, CableDirection::BA};

struct Port {
    std::string linkPath;
    PseudoTerminal line;
    // A second descriptor of the slave, opened before the watch so its own open is not counted:
    // it throws away what a reader left unread.
    int flushFd = -1;
    int watch = -1;       // inotify watch on the slave device
    int openers = 0;      // open descriptions of the slave besides the simulator's own
    bool hungUp = false;  // the master reported a hang-up; not read until the next open
    std::string out;      // bytes waiting for room on the line

    ~Port() {
        if (flushFd >= 0) {
            ::close(flushFd);
        }
    }
};

struct Pair {
    int number = 0;
    CableModel model;
    std::array<Port, 2> ports;                     // a, b
    std::array<Clock::time_point, 2> lastBytes{};  // per direction, when its bytes last came
};

std::size_t index(CableDirection d) {
    return d == CableDirection::AB ? 0 : 1;
}

class Cable {
public:
    Cable() = default;
    ~Cable();
    Cable(const Cable&) = delete;
    Cable& operator=(const Cable&) = delete;

    bool open(const std::string& root, const std::vector<int>& pairs, std::string& error);
    std::string control(const std::string& line);
    void run(ControlServer& controlServer, const sigset_t& waitMask);

private:
    bool publish(Port& port, std::string& error);
    void withdraw(Port& port);
    void readPort(Pair& pair, std::size_t side);
    void deliver(Port& port, const std::string& bytes);
    void flush(Port& port);
    void takeOpenEvents();
    void throwAwayUnread(Port& port);
    Port* portOfWatch(int watch);

    int inotifyFd_ = -1;
    std::array<std::unique_ptr<Pair>, 4> pairs_;
};

Cable::~Cable() {
    for (auto& pair : pairs_) {
        if (pair && pair->model.plugged()) {
            withdraw(pair->ports[0]);
            withdraw(pair->ports[1]);
        }
    }
    if (inotifyFd_ >= 0) {
        ::close(inotifyFd_);
    }
}

bool Cable::open(const std::string& root, const std::vector<int>& pairs, std::string& error) {
    for (const std::string& dir : {root, root + "/dev"}) {
        if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot make " + dir + ": " + std::strerror(errno);
            return false;
        }
    }
    inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotifyFd_ < 0) {
        error = std::string("inotify: ") + std::strerror(errno);
        return false;
    }
    for (const int number : pairs) {
        // In place before its links are, so they go at exit even if a later step fails.
        auto& pair = pairs_[static_cast<std::size_t>(number - 1)];
        pair = std::make_unique<Pair>();
        pair->number = number;
        pair->model.log = [number](const std::string& text) {
            logLine("pair " + std::to_string(number) + " " + text);
        };
        for (std::size_t side = 0; side < 2; ++side) {
            Port& port = pair->ports[side];
            port.linkPath =
                root + "/dev/ttyUSB" + std::to_string(2 * (number - 1) + static_cast<int>(side));
            if (!port.line.open("", error)) {
                return false;
            }
            const int master = port.line.masterFd();
            ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
            const char* slave = port.line.slavePath().c_str();
            port.flushFd = ::open(slave, O_RDWR | O_NOCTTY | O_CLOEXEC);
            port.watch = ::inotify_add_watch(inotifyFd_, slave, IN_OPEN | IN_CLOSE);
            if (port.flushFd < 0 || port.watch < 0) {
                error = "cannot watch " + port.line.slavePath() + ": " + std::strerror(errno);
                return false;
            }
            if (!publish(port, error)) {
                return false;
            }
        }
    }
    return true;
}

bool Cable::publish(Port& port, std::string& error) {
    struct stat st {};
    if (::lstat(port.linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = port.linkPath + " exists and is not a symbolic link";
        return false;
    }
    ::unlink(port.linkPath.c_str());
    if (::symlink(port.line.slavePath().c_str(), port.linkPath.c_str()) != 0) {
        error = "cannot link " + port.linkPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Removes the link, unless something else has been published there since.
void Cable::withdraw(Port& port) {
    char target[256];
    const ssize_t n = ::readlink(port.linkPath.c_str(), target, sizeof target - 1);
    if (n > 0 && port.line.slavePath() == std::string(target, static_cast<std::size_t>(n))) {
        ::unlink(port.linkPath.c_str());
    }
}

Port* Cable::portOfWatch(int watch) {
    for (auto& pair : pairs_) {
        for (std::size_t side = 0; pair && side < 2; ++side) {
            if (pair->ports[side].watch == watch) {
                return &pair->ports[side];
            }
        }
    }
    return nullptr;
}

// The master's output flush empties the bytes still on their way to the slave, the slave's input
// flush those it holds; the second alone misses the first.
void Cable::throwAwayUnread(Port& port) {
    ::tcflush(port.line.masterFd(), TCOFLUSH);
    ::tcflush(port.flushFd, TCIFLUSH);
    port.out.clear();
}

// Who has which port open. Read before the lines on every pass: a reader's open is queued
// before it can write, so the bytes read after this call never go to a port thought closed.
void Cable::takeOpenEvents() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(inotifyFd_, buffer, sizeof buffer);
        if (n <= 0) {
            return;
        }
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Counts are lost: take every port as open rather than lose a reader's bytes.
                logLine("open events lost; every port taken as open");
                for (auto& pair : pairs_) {
                    for (std::size_t side = 0; pair && side < 2; ++side) {
                        pair->ports[side].openers = std::max(pair->ports[side].openers, 1);
                    }
                }
                continue;
            }
            Port* port = portOfWatch(event->wd);
            if (port == nullptr) {
                continue;
            }
            if (event->mask & IN_OPEN) {
                // A port nobody had open starts empty, as on a real port: anything left from the
                // last reader (which may have come after its close was seen) goes.
                if (port->openers++ == 0) {
                    throwAwayUnread(*port);
                }
                port->hungUp = false;
            } else if ((event->mask & IN_CLOSE) && port->openers > 0 && --port->openers == 0) {
                throwAwayUnread(*port);
            }
        }
    }
}

void Cable::readPort(Pair& pair, std::size_t side) {
    Port& from = pair.ports[side];
    const CableDirection direction = kDirections[side];
    // A bounded number of reads per wake-up, so the other lines and the control channel keep
    // their turn under a flood.
    for (int i = 0; i < 16; ++i) {
        char buffer[4096];
        const ssize_t n = ::read(from.line.masterFd(), buffer, sizeof buffer);
        if (n < 0 && errno == EIO) {
            // No slave is open at all (the simulator's own are, so this should not happen);
            // the master would report it on every poll, so wait for the next open instead.
            logLine(from.linkPath + ": line hung up");
            from.hungUp = true;
            from.out.clear();
            return;
        }
        if (n <= 0) {
            return;
        }
        pair.lastBytes[side] = Clock::now();
        const std::string delivered =
            pair.model.forward(direction, std::string(buffer, static_cast<std::size_t>(n)));
        // A transceiver hears itself as it sends: the echo is there before the far end reads.
        if (pair.model.echoes(direction)) {
            deliver(from, delivered);
        }
        deliver(pair.ports[1 - side], delivered);
    }
}

void Cable::deliver(Port& port, const std::string& bytes) {
    if (bytes.empty()) {
        return;
    }
    if (port.openers == 0) {
        // The reader's open is queued before it lets the partner write: look again, since it
        // may have come after this pass's look and before these bytes were read.
        takeOpenEvents();
    }
    if (port.openers == 0) {
        logLine(std::to_string(bytes.size()) + " bytes for " + port.linkPath +
                " lost: the port is not open");
        return;
    }
    if (port.out.size() + bytes.size() > kMaxOutput) {
        logLine(std::to_string(bytes.size()) + " bytes for " + port.linkPath +
                " lost: " + std::to_string(port.out.size()) + " bytes already wait for its reader");
        return;
    }
    port.out += bytes;
    flush(port);
}

void Cable::flush(Port& port) {
    while (!port.out.empty()) {
        const ssize_t n = ::write(port.line.masterFd(), port.out.data(), port.out.size());
        if (n > 0) {
            port.out.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                logLine(port.linkPath + ": " + std::to_string(port.out.size()) +
                        " bytes not written: " + std::strerror(errno));
                port.out.clear();
            }
            return;
        }
    }
}

std::string Cable::control(const std::string& line) {
    std::string error;
    const std::optional<CableCommand> command = parseCableCommand(line, error);
    if (!command) {
        return error;
    }
    if (command->kind == CableCommand::Kind::Ping) {
        return "ok";
    }
    std::vector<Pair*> targets;
    if (command->pair == 0) {
        for (auto& pair : pairs_) {
            if (pair) {
                targets.push_back(pair.get());
            }
        }
    } else if (pairs_[static_cast<std::size_t>(command->pair - 1)]) {
        targets.push_back(pairs_[static_cast<std::size_t>(command->pair - 1)].get());
    } else {
        return "error pair " + std::to_string(command->pair) + " is not in place";
    }
    const CableDirection direction = command->direction;
    for (Pair* pair : targets) {
        CableModel& model = pair->model;
        switch (command->kind) {
            case CableCommand::Kind::Ping:
                break;
            case CableCommand::Kind::Break:
                model.breakLine(direction);
                break;
            case CableCommand::Kind::Echo:
                model.echo(direction);
                break;
            case CableCommand::Kind::Corrupt:
                model.corrupt(direction, command->count);
                break;
            case CableCommand::Kind::DropTail:
                deliver(pair->ports[1 - index(direction)],
                        model.dropTail(direction, command->count));
                break;
            case CableCommand::Kind::Unplug:
                if (model.plugged()) {
                    model.unplug();
                    for (Port& port : pair->ports) {
                        withdraw(port);
                        port.out.clear();
                    }
                }
                break;
            case CableCommand::Kind::Plug:
            case CableCommand::Kind::Heal: {
                const bool wasPlugged = model.plugged();
                if (command->kind == CableCommand::Kind::Heal) {
                    const auto released = model.heal();
                    deliver(pair->ports[1], released[0]);
                    deliver(pair->ports[0], released[1]);
                }
                if (!wasPlugged) {
                    for (Port& port : pair->ports) {
                        if (!publish(port, error)) {
                            return "error " + error;
                        }
                    }
                    model.plug();
                }
                break;
            }
            case CableCommand::Kind::Get:
                return "bytes=" + std::to_string(model.forwarded(direction));
        }
    }
    return "ok";
}

void Cable::run(ControlServer& controlServer, const sigset_t& waitMask) {
    while (!stopRequested()) {
        // The earliest end of a burst a droptail waits for bounds the wait.
        std::optional<Clock::time_point> due;
        for (auto& pair : pairs_) {
            for (std::size_t d = 0; pair && d < 2; ++d) {
                if (pair->model.awaitsQuiet(kDirections[d])) {
                    const auto end = pair->lastBytes[d] + kBurstGap;
                    due = due ? std::min(*due, end) : end;
                }
            }
        }
        std::vector<pollfd> fds;
        std::vector<std::pair<Pair*, std::size_t>> lines;
        for (auto& pair : pairs_) {
            for (std::size_t side = 0; pair && side < 2; ++side) {
                const Port& port = pair->ports[side];
                // A hung-up master would report it on every pass: left out until an open.
                const short events = static_cast<short>(POLLIN | (port.out.empty() ? 0 : POLLOUT));
                fds.push_back({port.hungUp ? -1 : port.line.masterFd(), events, 0});
                lines.emplace_back(pair.get(), side);
            }
        }
        fds.push_back({inotifyFd_, POLLIN, 0});
        const std::size_t controlStart = fds.size();
        controlServer.appendPollFds(fds);

        timespec timeout{};
        if (due) {
            const auto left = std::max(Clock::duration::zero(), *due - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        }
        const int ready = ::ppoll(fds.data(), fds.size(), due ? &timeout : nullptr, &waitMask);
        if (ready < 0 && errno != EINTR) {
            logLine(std::string("poll failed: ") + std::strerror(errno));
            break;
        }
        takeOpenEvents();
        if (ready > 0) {
            for (std::size_t i = 0; i < lines.size(); ++i) {
                Pair& pair = *lines[i].first;
                Port& port = pair.ports[lines[i].second];
                if (fds[i].revents & POLLOUT) {
                    flush(port);
                }
                if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                    readPort(pair, lines[i].second);
                }
            }
        }
        const auto now = Clock::now();
        for (auto& pair : pairs_) {
            for (std::size_t d = 0; pair && d < 2; ++d) {
                if (pair->model.awaitsQuiet(kDirections[d]) &&
                    now >= pair->lastBytes[d] + kBurstGap) {
                    pair->model.lineQuiet(kDirections[d]);
                }
            }
        }
        if (ready > 0) {
            controlServer.handleEvents(
                std::vector<pollfd>(fds.begin() + static_cast<long>(controlStart), fds.end()));
        }
    }
}

// "1,2,3,4": each of 1..4 at most once.
bool parsePairs(const std::string& text, std::vector<int>& pairs) {
    pairs.clear();
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string word = text.substr(at, comma - at);
        if (word.size() != 1 || word[0] < '1' || word[0] > '4' ||
            std::find(pairs.begin(), pairs.end(), word[0] - '0') != pairs.end()) {
            return false;
        }
        pairs.push_back(word[0] - '0');
        at = comma + 1;
    }
    return !pairs.empty();
}

void usage() {
    std::fprintf(stderr, "usage: loopbackCable --root ROOT --control SOCKET [--pairs 1,2,3,4]\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string root;
    std::string controlPath;
    std::vector<int> pairs{1, 2, 3, 4};
    for (int i = 1; i < argc; i += 2) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "loopbackCable: %s needs a value\n", flag.c_str());
            usage();
            return 2;
        }
        const std::string value = argv[i + 1];
        bool ok = !value.empty();
        if (flag == "--root") {
            root = value;
        } else if (flag == "--control") {
            controlPath = value;
        } else if (flag == "--pairs") {
            ok = parsePairs(value, pairs);
        } else {
            std::fprintf(stderr, "loopbackCable: unknown option %s\n", flag.c_str());
            usage();
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "loopbackCable: bad value for %s: %s\n", flag.c_str(),
                         value.c_str());
            return 2;
        }
    }
    if (root.empty() || controlPath.empty()) {
        usage();
        return 2;
    }
    const sigset_t waitMask = blockStopSignalsOutsideWait();

    std::string error;
    Cable cable;
    if (!cable.open(root, pairs, error)) {
        std::fprintf(stderr, "loopbackCable: %s\n", error.c_str());
        return 1;
    }
    ControlServer control([&cable](const std::string& line) { return cable.control(line); });
    if (!control.listenAt(controlPath, error)) {
        std::fprintf(stderr, "loopbackCable: %s\n", error.c_str());
        return 1;
    }
    std::string pairList;
    for (const int number : pairs) {
        pairList += (pairList.empty() ? "" : ",") + std::to_string(number);
    }
    std::printf("loopbackCable ready pairs=%s control=%s\n", pairList.c_str(), controlPath.c_str());
    std::fflush(stdout);
    cable.run(control, waitMask);
    return 0;
}
