// linkctl: a command-line client of linkDaemon's TCP resource-booking server, written the way a
// tablet or PC control program talks to it. Tests and people use it to borrow the panel's
// controls, initialise the MCU, read versions and calibration, watch the panel live and follow
// a firmware upgrade. The bytes come from linkctlProtocol, not from the daemon's own code.
//
// usage: linkctl [--host ADDR] [--port PORT] [--timeout MS] [--progress-timeout MS] [--verbose]
//                COMMAND ARGS... [+ COMMAND ARGS...]
// (each command explained in kUsage below, printed by "linkctl --help").
//
// Every command runs in a session: connect to the control port, "ASKFORCONTROL", connect to
// the pool port the daemon offers, then the command's own requests on that port. The daemon
// gives back everything a session booked when the session's connection closes.
// Exit status: 0 success, 1 failure or no answer, 2 usage error.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commandLine.h"
#include "deadlineWait.h"
#include "linkctlProtocol.h"

namespace {

using namespace linkctl;
using Clock = std::chrono::steady_clock;

const char kUsage[] =
    "usage: linkctl [--host ADDR] [--port PORT] [--timeout MS] [--progress-timeout MS]\n"
    "               [--verbose] COMMAND ARGS... [+ COMMAND ARGS...]\n"
    "\n"
    "Options (also --name=value):\n"
    "  --host ADDR             the daemon's IPv4 address (default 127.0.0.1)\n"
    "  --port PORT             its control port (default 7000); the pool port is the one the\n"
    "                          daemon offers\n"
    "  --timeout MS            how long to wait for a connection or an answer (default 3000)\n"
    "  --progress-timeout MS   upgrade: how long to wait for each progress message (default\n"
    "                          30000; the daemon may install itself and waits 5 s before the\n"
    "                          MCU transfer)\n"
    "  --verbose               print every message sent and received in hex on stderr\n"
    "\n"
    "Every command first asks for control on the control port (\"ASKFORCONTROL\"), prints the\n"
    "pool port granted and the free resources, and connects to the pool port. Several commands\n"
    "run in one session when joined by '+', e.g. 'book TBar + release TBar'. The daemon takes\n"
    "back everything a session booked when it ends.\n"
    "\n"
    "Commands (MASK: 0x41 or 65; NAMES: keyBoardArea1 keyBoardArea2 keyBoardArea3\n"
    "keyBoardArea4 TBar joyStick shuttleJog slider, or all; HEX: hex pairs, blanks allowed):\n"
    "  ask                     only the above\n"
    "  book MASK|NAMES...      \"REGIST_RC\": book resources; prints what was granted and what\n"
    "                          is free now (status 1 when another client holds some of them)\n"
    "  release MASK|NAMES...   \"RELEASE_RC\": give resources back\n"
    "  init [--mode BYTE] [--baud CODE] [TABLE-HEX]\n"
    "                          \"INITZEK\": initialise the MCU with a 98-byte table (serial mode\n"
    "                          byte, baud code, 16 colours as R R G G B B); this starts the\n"
    "                          daemon's polling. Default table: mode 0x0C (1 stop bit, 8 data\n"
    "                          bits, no parity), baud code 15 (115200), the panel's own\n"
    "                          colours. A 96-byte TABLE-HEX is taken as the colours alone;\n"
    "                          --mode and --baud replace the first two bytes\n"
    "  version                 \"GET_VERSION\": daemon and MCU versions\n"
    "  calibration             \"CALIZEK\": T-bar maximum and minimum stored in the MCU\n"
    "  status [--leds HEX40]   one \"UPDATESTATUS\" with this LED map (default: colour 1 on\n"
    "                          every key); prints the panel state\n"
    "  watch [--interval MS] [--count N]\n"
    "                          book everything, init, then poll \"UPDATESTATUS\" every MS\n"
    "                          (default 200) and show the panel live; pressed keys light in\n"
    "                          colour 2. N polls, or until interrupted (N 0, the default)\n"
    "  leds HEX40              one \"UPDATESTATUS\" with this LED map (20 bytes, a colour index\n"
    "                          per nibble, key k in byte k/2, even keys in the high nibble)\n"
    "  tbar max|min            \"SETTINGTBAR\": store the T-bar's present position as its\n"
    "                          maximum or minimum (the daemon does not answer)\n"
    "  needupdate              \"NEEDFWUPD\": versions of the daemon and the MCU file on the\n"
    "                          USB stick; no answer means no stick\n"
    "  upgrade [--image FILE] [--cancel-at P]\n"
    "                          \"STARTFWUPD\": ACK when a newer daemon is on the stick and is\n"
    "                          installed; then follow the MCU upgrade to 100 (finished) or\n"
    "                          101-105 (failed, status 1). --cancel-at P asks the daemon to\n"
    "                          stop at the first progress of P% or more. --image FILE: the\n"
    "                          MCU image meant (a copy of the stick's mcu.bin); its size and\n"
    "                          version header are checked before connecting, and the upgrade\n"
    "                          starts only when the stick's file has the same version\n"
    "  raw HEX...              send these bytes on the pool port; print everything received\n"
    "                          until the timeout\n"
    "\n"
    "Panel state, one line per poll when not on a terminal: keys=3,21 (key numbers; '-' none,\n"
    "'?' no key table) lock=0|1, joystick x/y/z and shuttle/jog as signed magnitudes ('+' when\n"
    "the direction flag is set: right, up, tele), tbar, sliders 1-4.\n"
    "\n"
    "Examples:\n"
    "  linkctl ask\n"
    "  linkctl --host 192.168.0.20 book keyBoardArea1 joyStick + release all\n"
    "  linkctl release 0x41\n"
    "  linkctl init\n"
    "  linkctl version + calibration\n"
    "  linkctl status --leds 2222222222222222222222222222222222222222\n"
    "  linkctl watch --interval 100\n"
    "  linkctl leds 1111111111111111111111111111111111111111\n"
    "  linkctl tbar max\n"
    "  linkctl needupdate\n"
    "  linkctl --progress-timeout 60000 upgrade --image /media/stick/zek710-firmware/mcu.bin\n"
    "  linkctl --timeout 500 raw 47 45 54 5F 56 45 52 53 49 4F 4E\n"
    "\n"
    "Exit status: 0 success, 1 failure (cannot connect, no answer, malformed answer, NACK,\n"
    "an image refused), 2 usage error.\n";

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Longer than anything the daemon sends in one go, so one read is one message.
constexpr size_t kReceiveBuffer = 65536;
// How long "tbar" listens after its request: the daemon sends nothing, but a following command
// of the same session must not arrive in the same read as this one (the daemon would act only
// on one of the two words).
constexpr long kQuietAfterUnansweredMs = 500;

struct Options {
    std::string host = "127.0.0.1";
    in_addr address{htonl(INADDR_LOOPBACK)};
    uint16_t port = 7000;
    unsigned long timeoutMs = 3000;
    unsigned long progressTimeoutMs = 30000;
    bool verbose = false;
};

void fail(const std::string& message) {
    std::fprintf(stderr, "linkctl: %s\n", message.c_str());
}

// The leading command word of a request, for messages.
std::string commandWord(const Bytes& request) {
    std::string word;
    for (uint8_t c : request) {
        if (!((c >= 'A' && c <= 'Z') || c == '_')) {
            break;
        }
        word += static_cast<char>(c);
    }
    return word.empty() ? "raw bytes" : "\"" + word + "\"";
}

// ---------------------------------------------------------------------------------------------
// Transport: one TCP connection. It owns the waiting and nothing else.

class TcpConnection {
public:
    enum class Wait { Data, Timeout, Closed, Failed };

    TcpConnection() = default;
    ~TcpConnection() { close(); }
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    const std::string& name() const { return name_; }

    bool connect(const in_addr& address, const std::string& host, uint16_t port,
                 Clock::time_point deadline, std::string& error) {
        close();
        name_ = host + ":" + std::to_string(port);
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd_ < 0) {
            error = std::string("socket: ") + std::strerror(errno);
            return false;
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr = address;
        to.sin_port = htons(port);
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 &&
            errno != EINPROGRESS) {
            return failConnect(networkFailureAdvice(errno), error);
        }
        if (waitFor(POLLOUT, deadline) != Wait::Data) {
            return failConnect(
                "no connection within the time allowed: check the address and the "
                "network, or allow longer with --timeout",
                error);
        }
        int socketError = 0;
        socklen_t length = sizeof socketError;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &socketError, &length) != 0) {
            socketError = errno;
        }
        if (socketError != 0) {
            return failConnect(networkFailureAdvice(socketError), error);
        }
        return true;
    }

    bool send(const Bytes& bytes, Clock::time_point deadline, std::string& error) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (waitFor(POLLOUT, deadline) == Wait::Data) {
                    continue;
                }
                error = "send to " + name_ + ": not taken within the timeout";
                return false;
            }
            error = "send to " + name_ + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }

    // One read of whatever has arrived, waiting until the deadline for something to arrive.
    Wait receive(Clock::time_point deadline, Bytes& out, std::string& error) {
        for (;;) {
            const Wait ready = waitFor(POLLIN, deadline);
            if (ready != Wait::Data) {
                if (ready == Wait::Failed) {
                    error = "wait on " + name_ + ": " + std::strerror(errno);
                }
                return ready;
            }
            const ssize_t n = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
            if (n > 0) {
                out.assign(buffer_.begin(), buffer_.begin() + n);
                return Wait::Data;
            }
            if (n == 0) {
                return Wait::Closed;
            }
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            if (errno == ECONNRESET) {
                return Wait::Closed;
            }
            error = "receive from " + name_ + ": " + std::strerror(errno);
            return Wait::Failed;
        }
    }

    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    // Waits for the event until the deadline, with the remaining time as the poll budget.
    Wait waitFor(short event, Clock::time_point deadline) {
        switch (waitUntil(fd_, event, deadline)) {
            case DeadlineWait::Ready:
                return Wait::Data;
            case DeadlineWait::Timeout:
                return Wait::Timeout;
            case DeadlineWait::Failed:
                break;
        }
        return Wait::Failed;
    }

    bool failConnect(const std::string& reason, std::string& error) {
        error = "cannot connect to " + name_ + ": " + reason;
        close();
        return false;
    }

    int fd_ = -1;
    std::string name_;
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kReceiveBuffer);
};

// ---------------------------------------------------------------------------------------------
// Session: control port, pool port, and what this session holds.

class Session {
public:
    explicit Session(const Options& options) : options_(options) {}

    Clock::time_point deadline() const {
        return Clock::now() + std::chrono::milliseconds(options_.timeoutMs);
    }

    // Asks for control and connects to the pool port. The control connection stays open for
    // the whole session.
    bool open() {
        std::string error;
        if (!control_.connect(options_.address, options_.host, options_.port, deadline(), error)) {
            fail(error);
            return false;
        }
        Bytes answer;
        if (!exchangeOn(control_, askForControlRequest(), answer)) {
            return false;
        }
        const Parsed<ControlGrant> grant = parseAskForControlAnswer(answer);
        if (!grant.ok()) {
            fail(grant.error);
            return false;
        }
        free_ = grant.value.freeMask;
        std::printf("pool port %d\n", grant.value.poolPort);
        printFree("free");
        // Hundreds and units of one byte each: at most 25599, always a TCP port.
        if (!pool_.connect(options_.address, options_.host,
                           static_cast<uint16_t>(grant.value.poolPort), deadline(), error)) {
            fail(error);
            return false;
        }
        return true;
    }

    // Sends a request on the pool port and takes the next message as its answer.
    bool exchange(const Bytes& request, Bytes& answer) {
        return exchangeOn(pool_, request, answer);
    }

    // A request and its answer as `parse` reads it; nothing, with the cause told, when there is
    // no answer or it does not read.
    template <typename T>
    std::optional<T> ask(const Bytes& request, Parsed<T> (*parse)(const Bytes&)) {
        Bytes answer;
        if (!exchange(request, answer)) {
            return std::nullopt;
        }
        Parsed<T> parsed = parse(answer);
        if (!parsed.ok()) {
            fail(parsed.error);
            return std::nullopt;
        }
        return std::move(parsed.value);
    }

    // The same, for the caller to tell a silent daemon apart: false with `silent` set when
    // nothing came within the timeout (nothing printed then).
    bool exchangeOrSilence(const Bytes& request, Bytes& answer, bool& silent) {
        silent = false;
        if (!send(pool_, request)) {
            return false;
        }
        return receive(pool_, deadline(), answer, commandWord(request), &silent);
    }

    bool send(const Bytes& bytes) { return send(pool_, bytes); }

    // Waits for the next message on the pool port until the deadline.
    bool receive(Clock::time_point until, Bytes& answer, const std::string& waitingFor,
                 bool* silent = nullptr) {
        return receive(pool_, until, answer, waitingFor, silent);
    }

    // Listens on the pool port until the deadline. Bytes that arrive are reported but do not
    // end the wait; a closed connection does.
    bool listenQuietly(Clock::time_point until) {
        for (;;) {
            Bytes stray;
            std::string error;
            const TcpConnection::Wait wait = pool_.receive(until, stray, error);
            if (wait == TcpConnection::Wait::Timeout) {
                return true;
            }
            if (wait == TcpConnection::Wait::Data) {
                trace("received from", pool_, stray);
                std::fprintf(stderr, "linkctl: unexpected message from the daemon: %s\n",
                             hexBytes(stray).c_str());
                continue;
            }
            fail(wait == TcpConnection::Wait::Closed ? "the daemon closed the connection" : error);
            return false;
        }
    }

    uint8_t freeMask() const { return free_; }
    uint8_t heldMask() const { return held_; }
    void setFree(uint8_t mask) { free_ = mask; }
    void setHeld(uint8_t mask) { held_ = mask; }
    const Options& options() const { return options_; }
    const std::string& poolName() const { return pool_.name(); }

    void printFree(const char* label) const {
        std::printf("%s: %s (mask 0x%02X)\n", label, resourceNames(free_).c_str(), free_);
    }

private:
    bool send(TcpConnection& connection, const Bytes& bytes) {
        trace("sent to", connection, bytes);
        std::string error;
        if (!connection.send(bytes, deadline(), error)) {
            fail(error);
            return false;
        }
        return true;
    }

    bool exchangeOn(TcpConnection& connection, const Bytes& request, Bytes& answer) {
        return send(connection, request) &&
               receive(connection, deadline(), answer, commandWord(request), nullptr);
    }

    bool receive(TcpConnection& connection, Clock::time_point until, Bytes& answer,
                 const std::string& waitingFor, bool* silent) {
        std::string error;
        switch (connection.receive(until, answer, error)) {
            case TcpConnection::Wait::Data:
                trace("received from", connection, answer);
                return true;
            case TcpConnection::Wait::Timeout:
                if (silent) {
                    *silent = true;
                } else {
                    fail("no answer to " + waitingFor + " from " + connection.name() + " within " +
                         std::to_string(options_.timeoutMs) +
                         " ms: is it a linkDaemon, and not busy with an MCU upgrade? Try again, "
                         "or allow longer with --timeout");
                }
                return false;
            case TcpConnection::Wait::Closed:
                fail("the daemon closed the connection " + connection.name() +
                     " while linkctl waited for the answer to " + waitingFor);
                return false;
            case TcpConnection::Wait::Failed:
                fail(error);
                return false;
        }
        return false;
    }

    void trace(const char* direction, const TcpConnection& connection, const Bytes& bytes) {
        if (options_.verbose) {
            std::fprintf(stderr, "%s %s: %s\n", direction, connection.name().c_str(),
                         hexBytes(bytes).c_str());
        }
    }

    const Options& options_;
    TcpConnection control_;
    TcpConnection pool_;
    uint8_t free_ = 0;  // as the daemon last reported it
    uint8_t held_ = 0;  // booked by this session
};

// ---------------------------------------------------------------------------------------------
// Commands.

struct Step {
    std::string name;
    uint8_t mask = 0;                // book, release
    Bytes table;                     // init
    LedMap leds = initialLedMap();   // status, leds
    TbarEnd end = TbarEnd::Max;      // tbar
    unsigned long intervalMs = 200;  // watch
    unsigned long count = 0;         // watch: 0 = until interrupted
    long cancelAt = -1;              // upgrade: -1 = never
    std::string image;               // upgrade: the image meant, checked before connecting
    ImageFacts imageFacts;           // upgrade: what the check found
    Bytes raw;                       // raw
};

bool stdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

int runBook(Session& session, const Step& step) {
    const std::optional<uint8_t> free = session.ask(registRequest(step.mask), parseRegistAnswer);
    if (!free) {
        return kExitFailure;
    }
    // What was free before and is not any more went to this session; the daemon says nothing
    // about what it refused, only the mask shows it.
    const uint8_t held = session.heldMask();
    const uint8_t granted = step.mask & ~held & session.freeMask() & ~*free;
    const uint8_t refused = step.mask & ~held & ~granted;
    session.setFree(*free);
    session.setHeld(held | granted);
    std::printf("booked: %s\n", resourceNames(granted).c_str());
    if (step.mask & held) {
        std::printf("already held by this session: %s\n", resourceNames(step.mask & held).c_str());
    }
    session.printFree("free now");
    if (refused) {
        fail("not granted: " + resourceNames(refused) + " (held by another client)");
        return kExitFailure;
    }
    return 0;
}

int runRelease(Session& session, const Step& step) {
    const std::optional<uint8_t> free = session.ask(releaseRequest(step.mask), parseReleaseAnswer);
    if (!free) {
        return kExitFailure;
    }
    const uint8_t held = session.heldMask();
    session.setFree(*free);
    session.setHeld(held & ~step.mask);
    std::printf("released: %s\n", resourceNames(step.mask & held).c_str());
    if (step.mask & ~held) {
        std::printf("not held by this session: %s\n", resourceNames(step.mask & ~held).c_str());
    }
    session.printFree("free now");
    return 0;
}

int runInit(Session& session, const Bytes& table) {
    if (table.size() >= 2) {
        std::printf("init: %zu bytes, mode 0x%02X (%s), baud code %u (%s)\n", table.size(),
                    table[0], describeSerialMode(table[0]).c_str(), table[1],
                    describeBaudCode(table[1]).c_str());
    } else {
        std::printf("init: %zu bytes\n", table.size());
    }
    const std::optional<bool> ack = session.ask(initZekRequest(table), parseInitZekAnswer);
    if (!ack) {
        return kExitFailure;
    }
    if (!*ack) {
        fail("\"INITZEK\" answered NACK: the MCU was not initialised" +
             std::string(table.size() == kInitTableLength
                             ? ""
                             : " (the daemon takes only 98-byte tables)"));
        return kExitFailure;
    }
    std::printf("init: ACK, the daemon polls the panel\n");
    return 0;
}

int runVersion(Session& session) {
    const std::optional<VersionInfo> version =
        session.ask(getVersionRequest(), parseGetVersionAnswer);
    if (!version) {
        return kExitFailure;
    }
    const VersionInfo& v = *version;
    std::printf("linkDaemon version %d.%d\n", v.daemonMajor, v.daemonMinor);
    if (v.mcuMajor == 0xFFFF && v.mcuMinor == 0xFFFF) {
        std::printf("MCU version unknown (the daemon has no valid version answer from it)\n");
    } else {
        // The panel shows the MCU version as four numbers, a byte each.
        std::printf("MCU version %d.%d (%d.%d.%d.%d)\n", v.mcuMajor, v.mcuMinor, v.mcuMajor / 256,
                    v.mcuMajor % 256, v.mcuMinor / 256, v.mcuMinor % 256);
    }
    return 0;
}

int runCalibration(Session& session) {
    const std::optional<calibrateTbarPar> tbar = session.ask(caliZekRequest(), parseCaliZekAnswer);
    if (!tbar) {
        return kExitFailure;
    }
    std::printf("T-bar maximum %d, minimum %d\n", tbar->maxValue, tbar->minValue);
    return 0;
}

bool readState(Session& session, const LedMap& leds, hardwareState& state) {
    std::optional<hardwareState> read =
        session.ask(updateStatusRequest(leds), parseHardwareStateTable);
    if (!read) {
        return false;
    }
    state = std::move(*read);
    return true;
}

int runStatus(Session& session, const Step& step) {
    hardwareState state;
    if (!readState(session, step.leds, state)) {
        return kExitFailure;
    }
    for (const std::string& line : stateBlock(state)) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int runLeds(Session& session, const Step& step) {
    hardwareState state;
    if (!readState(session, step.leds, state)) {
        return kExitFailure;
    }
    std::printf("LED map sent: %s\n", hexBytes(Bytes(step.leds.begin(), step.leds.end())).c_str());
    std::printf("%s\n", stateLine(state).c_str());
    return 0;
}

int runWatch(Session& session, const Step& step) {
    Step everything;
    everything.mask = kAllResources;
    if (runBook(session, everything) != 0) {
        std::fprintf(stderr, "linkctl: watching all the same\n");
    }
    if (runInit(session, defaultInitTable()) != 0) {
        std::fprintf(stderr, "linkctl: watching all the same (LED colours may be wrong)\n");
    }
    const bool terminal = stdoutIsTerminal();
    const auto interval = std::chrono::milliseconds(step.intervalMs);
    std::vector<int> lit;
    size_t drawnLines = 0;
    auto next = Clock::now();
    for (unsigned long poll = 1; step.count == 0 || poll <= step.count; ++poll) {
        hardwareState state;
        // Pressed keys light up, so the LED path is checked along with the keys.
        if (!readState(session, ledMapWithKeys(initialLedMap(), lit, 2), state)) {
            return kExitFailure;
        }
        lit = pressedKeys(state);
        if (terminal) {
            std::vector<std::string> lines = {"linkDaemon " + session.poolName() + "   poll " +
                                              std::to_string(poll) + "   every " +
                                              std::to_string(step.intervalMs) + " ms"};
            for (std::string& line : stateBlock(state)) {
                lines.push_back(std::move(line));
            }
            if (drawnLines > 0) {
                std::printf("\x1b[%zuA", drawnLines);  // back to the top of the last drawing
            }
            for (const std::string& line : lines) {
                std::printf("\x1b[2K%s\n", line.c_str());
            }
            drawnLines = lines.size();
        } else {
            std::printf("poll %lu %s\n", poll, stateLine(state).c_str());
        }
        std::fflush(stdout);
        if (step.count != 0 && poll == step.count) {
            break;
        }
        next += interval;
        if (next < Clock::now()) {
            next = Clock::now();  // a slow answer shifts the rhythm rather than bunching polls
        }
        if (!session.listenQuietly(next)) {
            return kExitFailure;
        }
    }
    return 0;
}

int runTbar(Session& session, const Step& step) {
    if (!session.send(settingTbarRequest(step.end))) {
        return kExitFailure;
    }
    const long quietMs =
        std::min(static_cast<long>(session.options().timeoutMs), kQuietAfterUnansweredMs);
    if (!session.listenQuietly(Clock::now() + std::chrono::milliseconds(quietMs))) {
        return kExitFailure;
    }
    std::printf("T-bar %s: present position sent to be stored (the daemon does not answer)\n",
                step.end == TbarEnd::Max ? "maximum" : "minimum");
    return 0;
}

int runNeedUpdate(Session& session) {
    Bytes answer;
    bool silent = false;
    if (!session.exchangeOrSilence(needFwUpdRequest(), answer, silent)) {
        if (silent) {
            fail("no answer to \"NEEDFWUPD\" within " +
                 std::to_string(session.options().timeoutMs) +
                 " ms: the daemon found no USB stick with firmware");
        }
        return kExitFailure;
    }
    const Parsed<StickVersions> stick = parseNeedFwUpdAnswer(answer);
    if (!stick.ok()) {
        fail(stick.error);
        return kExitFailure;
    }
    std::printf("USB stick: linkDaemon version %d.%d, MCU firmware file version %d.%d\n",
                stick.value.appMajor, stick.value.appMinor, stick.value.mcuFileMajor,
                stick.value.mcuFileMinor);
    return 0;
}

void drawProgress(int value, bool terminal) {
    if (!terminal) {
        std::printf("progress %d: %s\n", value, progressMeaning(value).c_str());
        return;
    }
    constexpr int kWidth = 40;
    const int filled = value * kWidth / 100;
    std::printf("\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                std::string(static_cast<size_t>(kWidth - filled), '.').c_str(), value);
    std::fflush(stdout);
}

// With an image named: the stick's MCU file must have the image's version, or nothing starts.
bool stickHoldsImage(Session& session, const Step& step) {
    Bytes answer;
    bool silent = false;
    if (!session.exchangeOrSilence(needFwUpdRequest(), answer, silent)) {
        if (silent) {
            fail("no answer to \"NEEDFWUPD\" within " +
                 std::to_string(session.options().timeoutMs) +
                 " ms: the daemon found no USB stick with firmware, so no upgrade was started; "
                 "put the stick with " +
                 step.image + " into the panel");
        }
        return false;
    }
    const Parsed<StickVersions> stick = parseNeedFwUpdAnswer(answer);
    if (!stick.ok()) {
        fail(stick.error);
        return false;
    }
    if (stick.value.mcuFileMajor != step.imageFacts.major ||
        stick.value.mcuFileMinor != step.imageFacts.minor) {
        fail("the stick's MCU firmware file is version " +
             std::to_string(stick.value.mcuFileMajor) + "." +
             std::to_string(stick.value.mcuFileMinor) + ", not " + step.image + "'s " +
             std::to_string(step.imageFacts.major) + "." + std::to_string(step.imageFacts.minor) +
             ", so no upgrade was started: put the checked image on the stick");
        return false;
    }
    return true;
}

int runUpgrade(Session& session, const Step& step) {
    if (!step.image.empty() && !stickHoldsImage(session, step)) {
        return kExitFailure;
    }
    if (!session.send(startFwUpdRequest())) {
        return kExitFailure;
    }
    // The answer and the first progress messages can come in one read.
    MessageSplitter splitter;
    std::vector<Bytes> queued;
    bool answered = false;
    bool cancelSent = false;
    bool barShown = false;
    const bool terminal = stdoutIsTerminal();
    for (;;) {
        if (queued.empty()) {
            const auto wait = std::chrono::milliseconds(
                answered ? session.options().progressTimeoutMs : session.options().timeoutMs);
            Bytes received;
            bool silent = false;
            const std::string waitingFor =
                answered ? "the next progress message" : "\"STARTFWUPD\"";
            if (!session.receive(Clock::now() + wait, received, waitingFor, &silent)) {
                if (silent) {
                    if (barShown && terminal) {
                        std::printf("\n");
                    }
                    fail(std::string(answered ? "no progress message"
                                              : "no answer to \"STARTFWUPD\"") +
                         " within " + std::to_string(wait.count()) + " ms" +
                         (cancelSent ? " after the stop request" : "") +
                         (splitter.pending().empty()
                              ? ""
                              : " (an incomplete message: " + hexBytes(splitter.pending()) + ")"));
                }
                return kExitFailure;
            }
            queued = splitter.feed(received);
            continue;
        }
        const Bytes message = std::move(queued.front());
        queued.erase(queued.begin());
        if (!answered) {
            const Parsed<bool> ack = parseStartFwUpdAnswer(message);
            if (!ack.ok()) {
                fail(ack.error);
                return kExitFailure;
            }
            answered = true;
            std::printf("%s\n", ack.value ? "STARTFWUPD: ACK, a newer linkDaemon is on the USB "
                                            "stick and is being installed"
                                          : "STARTFWUPD: NACK, no newer linkDaemon on the USB "
                                            "stick; the MCU firmware is checked next");
            std::fflush(stdout);
            continue;
        }
        const Parsed<int> progress = parseProgressMessage(message);
        if (!progress.ok()) {
            if (barShown && terminal) {
                std::printf("\n");
            }
            fail(progress.error);
            return kExitFailure;
        }
        const int value = progress.value;
        if (progressIsFinal(value)) {
            if (terminal) {
                if (value == kProgressFinished) {
                    drawProgress(value, true);
                }
                std::printf("%sprogress %d: %s\n",
                            barShown || value == kProgressFinished ? "\n" : "", value,
                            progressMeaning(value).c_str());
            } else {
                drawProgress(value, false);
            }
            if (value != kProgressFinished) {
                fail("upgrade failed: " + progressMeaning(value));
                return kExitFailure;
            }
            if (cancelSent) {
                std::printf("the daemon went on to the end despite the stop request\n");
            }
            return 0;
        }
        drawProgress(value, terminal);
        barShown = true;
        // The daemon reads the client's reply right after each progress message.
        if (step.cancelAt >= 0 && !cancelSent && value >= step.cancelAt) {
            if (!session.send(cancelUpgradeReply())) {
                return kExitFailure;
            }
            cancelSent = true;
            if (terminal) {
                std::printf("\n");
            }
            std::printf("asked the daemon to stop at %d%%\n", value);
            std::fflush(stdout);
        }
    }
}

int runRaw(Session& session, const Step& step) {
    if (!session.send(step.raw)) {
        return kExitFailure;
    }
    const auto until = session.deadline();
    size_t received = 0;
    for (;;) {
        Bytes answer;
        bool silent = false;
        if (!session.receive(until, answer, "raw bytes", &silent)) {
            if (!silent) {
                return kExitFailure;
            }
            break;
        }
        ++received;
        std::printf("answer %s\n", hexBytes(answer).c_str());
        const std::string meaning = describeAnswer(answer);
        if (!meaning.empty()) {
            std::printf("%s\n", meaning.c_str());
        }
        std::fflush(stdout);
    }
    if (received == 0) {
        fail("no answer within " + std::to_string(session.options().timeoutMs) + " ms");
        return kExitFailure;
    }
    return 0;
}

int runStep(Session& session, const Step& step) {
    const std::string& name = step.name;
    if (name == "ask") {
        return 0;
    }
    if (name == "book") {
        return runBook(session, step);
    }
    if (name == "release") {
        return runRelease(session, step);
    }
    if (name == "init") {
        return runInit(session, step.table);
    }
    if (name == "version") {
        return runVersion(session);
    }
    if (name == "calibration") {
        return runCalibration(session);
    }
    if (name == "status") {
        return runStatus(session, step);
    }
    if (name == "watch") {
        return runWatch(session, step);
    }
    if (name == "leds") {
        return runLeds(session, step);
    }
    if (name == "tbar") {
        return runTbar(session, step);
    }
    if (name == "needupdate") {
        return runNeedUpdate(session);
    }
    if (name == "upgrade") {
        return runUpgrade(session, step);
    }
    return runRaw(session, step);
}

// ---------------------------------------------------------------------------------------------
// Command line.

struct UsageError {
    std::string message;
};

unsigned long numberArgument(const std::string& what, const std::string& text,
                             unsigned long maximum) {
    unsigned long value = 0;
    if (!parseNumber(text, maximum, value)) {
        throw UsageError{"not " + what + " (0-" + std::to_string(maximum) + "): '" + text + "'"};
    }
    return value;
}

LedMap ledArgument(const std::vector<std::string>& parts) {
    Bytes bytes;
    if (!parseHex(parts, bytes) || bytes.size() != LedMap().size()) {
        throw UsageError{"an LED map is 20 bytes: 40 hex digits"};
    }
    LedMap leds;
    std::copy(bytes.begin(), bytes.end(), leds.begin());
    return leds;
}

// Splits "--name=value" and "--name value" forms; returns false when `arg` is not `name`.
bool optionValue(const std::vector<std::string>& args, size_t& index, const std::string& name,
                 std::string& value) {
    const std::string& arg = args[index];
    if (arg == name) {
        if (index + 1 >= args.size()) {
            throw UsageError{name + " needs a value"};
        }
        value = args[++index];
        return true;
    }
    if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

void expectNoArgs(const std::string& name, const std::vector<std::string>& args) {
    if (!args.empty()) {
        throw UsageError{"'" + name + "' takes no arguments"};
    }
}

Step parseStep(const std::string& name, const std::vector<std::string>& args) {
    Step step;
    step.name = name;
    if (name == "ask" || name == "version" || name == "calibration" || name == "needupdate") {
        expectNoArgs(name, args);
        return step;
    }
    if (name == "book" || name == "release") {
        std::string error;
        if (!parseResourceMask(args, step.mask, error)) {
            throw UsageError{name + ": " + error};
        }
        return step;
    }
    if (name == "init") {
        long mode = -1;
        long baud = -1;
        std::vector<std::string> hex;
        for (size_t i = 0; i < args.size(); ++i) {
            std::string value;
            if (optionValue(args, i, "--mode", value)) {
                mode = static_cast<long>(numberArgument("a mode byte", value, 255));
            } else if (optionValue(args, i, "--baud", value)) {
                baud = static_cast<long>(numberArgument("a baud code", value, 255));
            } else if (args[i].compare(0, 2, "--") == 0) {
                throw UsageError{"init: unknown option '" + args[i] + "'"};
            } else {
                hex.push_back(args[i]);
            }
        }
        if (hex.empty()) {
            step.table = defaultInitTable();
        } else if (!parseHex(hex, step.table)) {
            throw UsageError{"init: the table is hex digits in pairs"};
        }
        if (step.table.size() == kColourTableLength) {
            step.table.insert(step.table.begin(), {kDefaultSerialMode, kDefaultBaudCode});
        }
        if ((mode >= 0 || baud >= 0) && step.table.size() < 2) {
            throw UsageError{"init: --mode and --baud replace the table's first two bytes"};
        }
        if (mode >= 0) {
            step.table[0] = static_cast<uint8_t>(mode);
        }
        if (baud >= 0) {
            step.table[1] = static_cast<uint8_t>(baud);
        }
        return step;
    }
    if (name == "status" || name == "leds") {
        std::vector<std::string> hex;
        for (size_t i = 0; i < args.size(); ++i) {
            std::string value;
            if (name == "status" && optionValue(args, i, "--leds", value)) {
                step.leds = ledArgument({value});
            } else if (name == "leds") {
                hex.push_back(args[i]);
            } else {
                throw UsageError{"status: unknown argument '" + args[i] + "'"};
            }
        }
        if (name == "leds") {
            step.leds = ledArgument(hex);
        }
        return step;
    }
    if (name == "watch") {
        for (size_t i = 0; i < args.size(); ++i) {
            std::string value;
            if (optionValue(args, i, "--interval", value)) {
                step.intervalMs = numberArgument("an interval in milliseconds", value, 3600000);
                if (step.intervalMs == 0) {
                    throw UsageError{"watch: the interval is at least 1 ms"};
                }
            } else if (optionValue(args, i, "--count", value)) {
                step.count = numberArgument("a count", value, 100000000);
            } else {
                throw UsageError{"watch: unknown argument '" + args[i] + "'"};
            }
        }
        return step;
    }
    if (name == "tbar") {
        if (args.size() != 1 || (args[0] != "max" && args[0] != "min")) {
            throw UsageError{"tbar takes max or min"};
        }
        step.end = args[0] == "max" ? TbarEnd::Max : TbarEnd::Min;
        return step;
    }
    if (name == "upgrade") {
        for (size_t i = 0; i < args.size(); ++i) {
            std::string value;
            if (optionValue(args, i, "--cancel-at", value)) {
                step.cancelAt =
                    static_cast<long>(numberArgument("a progress percentage", value, 99));
            } else if (optionValue(args, i, "--image", value)) {
                if (value.empty()) {
                    throw UsageError{"upgrade: --image needs a file"};
                }
                step.image = value;
            } else {
                throw UsageError{"upgrade: unknown argument '" + args[i] + "'"};
            }
        }
        return step;
    }
    if (name == "raw") {
        if (args.empty() || !parseHex(args, step.raw) || step.raw.empty()) {
            throw UsageError{"raw takes the bytes to send, as hex digits in pairs"};
        }
        return step;
    }
    throw UsageError{"unknown command '" + name + "'"};
}

// Options come before the first command; "+" separates the commands of one session.
std::vector<Step> parseCommandLine(int argc, char** argv, Options& options, bool& helpWanted) {
    int index = 1;
    for (; index < argc; ++index) {
        std::string arg = argv[index];
        if (arg == "-h" || arg == "--help") {
            helpWanted = true;
            return {};
        }
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            break;
        }
        if (arg == "--verbose") {
            options.verbose = true;
            continue;
        }
        LongOption option;
        std::string error;
        if (!readLongOption(argc, argv, index,
                            {"--host", "--port", "--timeout", "--progress-timeout"}, option,
                            error)) {
            throw UsageError{error};
        }
        arg = option.name;
        const std::string& value = option.value;
        if (arg == "--host") {
            if (::inet_pton(AF_INET, value.c_str(), &options.address) != 1) {
                throw UsageError{"not a dotted IPv4 address: '" + value + "'"};
            }
            options.host = value;
        } else if (arg == "--port") {
            const unsigned long port = numberArgument("a port", value, 65535);
            if (port == 0) {
                throw UsageError{"not a port (1-65535): '" + value + "'"};
            }
            options.port = static_cast<uint16_t>(port);
        } else if (arg == "--timeout") {
            options.timeoutMs = numberArgument("a timeout in milliseconds", value, 3600000);
        } else if (arg == "--progress-timeout") {
            options.progressTimeoutMs = numberArgument("a timeout in milliseconds", value, 3600000);
        } else {
            throw UsageError{"unknown option '" + arg + "'"};
        }
    }
    if (index >= argc) {
        throw UsageError{"no command given"};
    }
    std::vector<Step> steps;
    while (index < argc) {
        const std::string name = argv[index++];
        if (name == "+") {
            throw UsageError{"'+' joins two commands"};
        }
        std::vector<std::string> args;
        for (; index < argc && std::string(argv[index]) != "+"; ++index) {
            args.emplace_back(argv[index]);
        }
        steps.push_back(parseStep(name, args));
        if (index < argc) {
            ++index;  // the '+'
            if (index >= argc) {
                throw UsageError{"a command must follow '+'"};
            }
        }
    }
    return steps;
}

// Reads at most enough of the file to tell it is too large.
bool checkImageFile(Step& step) {
    std::ifstream file(step.image, std::ios::binary);
    if (!file) {
        fail("cannot open the image " + step.image + ": " + std::strerror(errno) +
             ": check the path");
        return false;
    }
    Bytes bytes(kImageReadLimit);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.bad()) {
        fail("cannot read the image " + step.image + ": " + std::strerror(errno));
        return false;
    }
    bytes.resize(static_cast<size_t>(file.gcount()));
    const Parsed<ImageFacts> facts = checkMcuImage(bytes);
    if (!facts.ok()) {
        fail("image " + step.image + " refused: " + facts.error);
        return false;
    }
    step.imageFacts = facts.value;
    std::printf("image %s: MCU firmware version %d.%d, %zu bytes\n", step.image.c_str(),
                facts.value.major, facts.value.minor, facts.value.imageSize);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Tests read the output while the tool still runs, so lines go out as they are made.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    Options options;
    bool helpWanted = false;
    std::vector<Step> steps;
    try {
        steps = parseCommandLine(argc, argv, options, helpWanted);
    } catch (const UsageError& usage) {
        std::fprintf(stderr, "linkctl: %s\n\n%s", usage.message.c_str(), kUsage);
        return kExitUsage;
    }
    if (helpWanted) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    // An image is checked before anything reaches the daemon.
    for (Step& step : steps) {
        if (!step.image.empty() && !checkImageFile(step)) {
            return kExitFailure;
        }
    }
    Session session(options);
    if (!session.open()) {
        return kExitFailure;
    }
    for (const Step& step : steps) {
        const int status = runStep(session, step);
        if (status != 0) {
            return status;
        }
    }
    return 0;
}
