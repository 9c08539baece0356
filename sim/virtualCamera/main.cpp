// virtualCamera: one PTZ camera speaking VISCA, for tests and the demo.
//
// usage: virtualCamera --control SOCKET (--serial PATH [--unplugged] | --hcip ADDR[:PORT] |
//                      --visca ADDR[:PORT])
//                      [--model HHHH] [--vendor HHHH] [--version-length 11|16|10]
//                      [--hcip-name NAME --mac MAC [--netmask MASK] [--gateway ADDR]
//                       [--config-port PORT]]
//   --serial   raw VISCA on a pseudo-terminal published as a symbolic link at PATH, for example
//              "$ZEK_ROOT/dev/ttyUSB3"; with --unplugged the adapter is only there after "plug"
//   --hcip     VISCA in the HCIP length envelope over TCP (port 5002 unless given; 0 takes any
//              free port). One connection at a time: a new one replaces the old.
//   --visca    VISCA over IP over UDP (port 52381 unless given), with the 8-byte header or bare;
//              answers go back to the sender in the form it used
//   --control  Unix socket of the control channel
//   --model, --vendor, --version-length   the version answer's codes (4 hex digits) and length
//   --hcip-name, --mac   with --hcip or --visca: the camera can also be found and set up with the
//              UDP configuration protocol on ADDR, port 5002 (--config-port), under this host
//              name (up to 16 characters) and MAC (02:A4:5C:07:12:AB); both are needed. The
//              netmask is 255.255.255.0 and the gateway the address's first three numbers
//              and 1, unless --netmask and --gateway say otherwise.
//
// Prints one line once everything is in place:
//   virtualCamera ready transport=serial pty=/dev/pts/N path=PATH control=SOCKET
//   virtualCamera ready transport=hcip address=ADDR port=PORT control=SOCKET
//   virtualCamera ready transport=visca address=ADDR port=PORT control=SOCKET
// and, when the camera can be found, " config=ADDR:PORT" at the end.
//
// Control commands (one per line; the answer is one line, "ok", a value, or "error ..."):
//   ping                        "pong"
//   get state                   "pan=N tilt=N panSpeed=N tiltSpeed=N panDir=left|right|stop
//                               tiltDir=up|down|stop zoom=N zoomDir=tele|wide|stop zoomSpeed=N
//                               focusMode=auto|manual|N focusDir=far|near|stop focusSteps=N
//                               focusPos=N wbMode=N rGain=N bGain=N exposureMode=N shutter=N
//                               iris=N gain=N lastPreset=N presetRecalls=N presetStores=N
//                               vflip=0|1 hflip=0|1 videoMode=N menu=0|1 menuEnters=N
//                               speedMode=N tallyRed=0|1 tallyGreen=0|1 colourBars=0|1
//                               ptReversed=0|1 onePushCount=N onePushApplied=N vendor=HHHH
//                               model=HHHH rom=HHHH versionLength=N" (numbers in decimal)
//   get KEY | set KEY VALUE     one of those fields; numbers decimal or 0x..., directions and
//                               focus mode also as words
//   get preset N                "pan=N tilt=N zoom=N", or "none" when never stored
//   get messages                hex of each received message, oldest first, the last 1000
//                               ("none" when there are none)
//   get times                   steady-clock nanoseconds at which each logged message arrived
//   get count                   messages received
//   get rejected                messages answered with a syntax error, datagrams refused
//   get discarded               bytes of a stream no message could be made of
//   get sequences               sequence numbers of the header datagrams, the last 1000 ("none")
//   clear messages              the log and the three counts | clear sequences | reset state
//   get faults                  "silent=0|1 slow=MS wronglength=0|1 refuse=0|1 drop=0|1"
//   fault none | silent | slow MS | wronglength | refuse | drop
//   sequence check on|off       VISCA over IP: refuse header datagrams whose sequence number is
//                               not the expected one (0 after power-on and a reboot, then one
//                               more than the last) with the error answer 02 01 00 02 SS SS SS SS
//                               0F 01 (off at start). The reset message 02 00 00 01 .. 01 is always
//                               taken and answered 02 01 00 01 SS SS SS SS 01; the number that
//                               follows it starts the count again, whatever it is
//   get sequence-check          "check=0|1 expected=N resets=N errors=N"
//   reboot MS                   the camera goes away for MS milliseconds (1..600000): its TCP
//                               connection and listener close (connections are refused), datagrams
//                               and serial bytes are ignored, answers on their way are lost, and it
//                               forgets its VISCA-over-IP sequence number; then it is back
//   cable pull | cable plug     the network or serial cable: while pulled, nothing is read,
//   answered
//                               or accepted and datagrams and serial bytes are thrown away. TCP
//                               bytes sent meanwhile wait in the system's buffers (the system still
//                               acknowledges them) and are read once the cable is back
//   unplug | plug               --serial: the adapter disappears (the link goes and the
//                               pseudo-terminal closes, so a reader that has it open reads end of
//                               file) or comes back as a new pseudo-terminal under the same path
//   lose in|out N [HH ..] | loss IN OUT SEED | get lost
//                               messages and answers lost on request (sim/virtualCamera/lossPlan.h)
//   get link                    "rebooting=0|1 cable=in|pulled adapter=in|out"
//   get udp-senders             every address:port a VISCA datagram came from, in the order
//                               first seen (up to 64), "none" before the first
//   timing ACK_MS DONE_MS       a command is acknowledged (90 4z FF) ACK_MS and completed
//                               (90 5z FF) DONE_MS after it arrived (0 0 at start: both at once)
//   sockets 0|1|2               commands that may run at once; one more arriving while they run
//                               is answered 90 60 03 FF (buffer full) and not applied. 0 (at
//                               start): no limit, every command in socket 1
//   get timing                  "ack=N done=N sockets=N busy=N", busy counting buffer-full answers
//   version 11|16|10            length of the version answer
//   model HHHH | vendor HHHH    codes of the version answer
//   get identity                "name=NAME mac=02:A4:5C:07:12:AB dhcp=0|1 address=A.B.C.D
//                               netmask=A.B.C.D gateway=A.B.C.D dns1=A.B.C.D dns2=A.B.C.D
//                               resets=N": what the camera tells a scan, as the configuration
//                               requests left it (blanks and odd bytes of the name as \xNN)
//   get hcip-requests           configuration datagrams received, of any kind
//   get hcip-last               the last of them: "broadcast HEX" or "unicast HEX" by where it
//                               came to (its first 64 bytes), "none" before the first
//
// Faults: silent takes and applies messages but answers nothing; slow MS holds each answer back
// that long; wronglength cuts the status answer to 14 bytes and the version answer to 10; refuse
// closes the TCP listener so connections are refused (UDP: datagrams ignored); drop closes the
// TCP connection now and every new one right after it is accepted (UDP: datagrams ignored).
// The faults leave the configuration protocol alone.
// Everything that is rejected or thrown away leaves a line on standard error.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cameraControl.h"
#include "cameraModel.h"
#include "controlServer.h"
#include "hcipEndpoint.h"
#include "lossPlan.h"
#include "pseudoTerminal.h"
#include "stopSignals.h"
#include "viscaFraming.h"

namespace {

using Clock = std::chrono::steady_clock;

void logLine(const std::string& line) {
    std::fprintf(stderr, "virtualCamera: %s\n", line.c_str());
}

// Answers that nobody collects pile up no further than this.
constexpr std::size_t kMaxOutput = 1 << 20;

enum class Transport { None, Serial, Hcip, Visca };

bool parseAddress(const std::string& text, int defaultPort, sockaddr_in& out) {
    std::string host = text;
    long port = defaultPort;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        host = text.substr(0, colon);
        char* end = nullptr;
        const std::string digits = text.substr(colon + 1);
        port = std::strtol(digits.c_str(), &end, 10);
        if (digits.empty() || *end != '\0' || port < 0 || port > 65535) {
            return false;
        }
    }
    out = sockaddr_in{};
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<std::uint16_t>(port));
    return ::inet_pton(AF_INET, host.c_str(), &out.sin_addr) == 1;
}

std::string addressText(const sockaddr_in& a) {
    char host[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &a.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(a.sin_port));
}

struct Delayed {
    Clock::time_point due;
    std::string bytes;         // as they go on the wire
    std::uint64_t connection;  // TCP: the connection that asked
    sockaddr_in to;            // UDP: who asked
};

class Simulator {
public:
    Simulator() = default;
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    CameraModel model;
    Transport transport = Transport::None;
    sockaddr_in address{};
    std::string linkPath;
    // The configuration protocol's device, when the camera can be found.
    std::unique_ptr<HcipEndpoint> discovery;
    std::uint16_t configPort = HcipEndpoint::kDefaultPort;

    bool open(std::string& error);
    std::string control(const std::string& command);
    // Signals blocked outside the wait, so a stop request cannot slip in between the check and
    // the wait; waitMask is the mask to wait with.
    void run(ControlServer& controlServer, const sigset_t& waitMask);
    const PseudoTerminal& line() const { return line_; }
    bool startUnplugged = false;

private:
    void tick();
    void answer(const std::vector<std::string>& answers, const ViscaDatagram* request,
                const sockaddr_in* to);
    void deliver(const Delayed& d);
    void sendOrDelay(Delayed d, Clock::time_point now);
    // The model's answers, or "buffer full" when every command socket is taken.
    std::vector<std::string> handleInSocket(const std::string& message);
    std::string timingControl(const std::vector<std::string>& words);
    void queueOut(std::string& buffer, const std::string& bytes, const char* where);
    bool flush(int fd, std::string& buffer);
    bool openListener(std::string& error);
    void applyConnectionFaults();
    void closeConnection(const std::string& why);
    void readSerial();
    void acceptConnections();
    void readConnection();
    void readDatagrams();
    // The model's answers to one message, less those lost on request; nothing when the message
    // itself is lost on its way in.
    std::vector<std::string> handleUnlessLost(const std::string& message);
    std::string linkControl(const std::vector<std::string>& words);
    void endRebootWhenDue();
    // Sends bytes already in their envelope, through the same delays as the answers.
    void answerWire(const std::string& wire, const sockaddr_in& to);
    bool away() const { return rebooting_ || cablePulled_; }

    PseudoTerminal line_;
    SerialFramer serialFramer_;
    std::string serialOut_;
    int listenFd_ = -1;
    int connectionFd_ = -1;
    std::uint64_t connection_ = 0;  // which connection connectionFd_ is
    HcipFramer hcipFramer_;
    std::string tcpOut_;
    Clock::time_point nextListenTry_{};
    int udpFd_ = -1;
    std::vector<std::string> udpSenders_;  // address:port of every VISCA datagram sender
    std::deque<Delayed> delayed_;
    Clock::time_point lastTick_ = Clock::now();
    bool rebooting_ = false;
    Clock::time_point rebootEnds_{};
    bool cablePulled_ = false;
    LossPlan loss_;
    // Answer timing: commands acknowledged and completed this long after they arrive.
    int ackMs_ = 0;
    int doneMs_ = 0;
    int sockets_ = 0;
    long busyAnswers_ = 0;
    // When the command in socket 1 and socket 2 completes.
    Clock::time_point socketFreeAt_[3]{};
    int lastSocket_ = 1;  // the socket the latest command was given
};

Simulator::~Simulator() {
    for (const int fd : {connectionFd_, listenFd_, udpFd_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool Simulator::open(std::string& error) {
    model.log = logLine;
    if (transport == Transport::Serial) {
        if (startUnplugged) {
            return true;
        }
        if (!line_.open(linkPath, error)) {
            return false;
        }
        // Nobody may be reading the line; answers then wait here instead of blocking the loop.
        const int flags = ::fcntl(line_.masterFd(), F_GETFL);
        ::fcntl(line_.masterFd(), F_SETFL, flags | O_NONBLOCK);
        return true;
    }
    if (discovery) {
        if (!discovery->open(configPort, error)) {
            return false;
        }
    }
    if (transport == Transport::Hcip) {
        return openListener(error);
    }
    udpFd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    socklen_t size = sizeof address;
    if (udpFd_ < 0 || ::bind(udpFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(udpFd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = "cannot bind UDP " + addressText(address) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool Simulator::openListener(std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int yes = 1;
    socklen_t size = sizeof address;
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error = "cannot listen on TCP " + addressText(address) + ": " + std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    // A port of 0 became a real one: listening again after "refuse" must use the same.
    listenFd_ = fd;
    return true;
}

void Simulator::tick() {
    const auto now = Clock::now();
    model.advance(std::chrono::duration<double>(now - lastTick_).count());
    lastTick_ = now;
}

std::string Simulator::control(const std::string& command) {
    if (command == "get udp-senders") {
        std::string list;
        for (const std::string& sender : udpSenders_) {
            list += (list.empty() ? "" : " ") + sender;
        }
        return list.empty() ? "none" : list;
    }
    if (command == "get identity" || command == "get hcip-requests" || command == "get hcip-last") {
        if (!discovery) {
            return "error the camera cannot be found (start it with --hcip-name and --mac)";
        }
        const HcipIdentity& identity = discovery->identity;
        if (command == "get hcip-last") {
            return identity.lastRequest.empty() ? "none" : identity.lastRequest;
        }
        return command == "get identity" ? identityLine(identity)
                                         : std::to_string(identity.requests);
    }
    std::istringstream in(command);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    if (!words.empty() &&
        (words[0] == "timing" || words[0] == "sockets" || command == "get timing")) {
        return timingControl(words);
    }
    if (!words.empty() && (words[0] == "reboot" || words[0] == "cable" || words[0] == "unplug" ||
                           words[0] == "plug" || command == "get link")) {
        return linkControl(words);
    }
    if (const std::optional<std::string> reply = loss_.control(words)) {
        return *reply;
    }
    tick();
    const std::string reply = cameraControlCommand(model, command);
    applyConnectionFaults();
    return reply;
}

std::string Simulator::linkControl(const std::vector<std::string>& words) {
    const std::string& verb = words[0];
    if (verb == "get") {
        return std::string("rebooting=") + (rebooting_ ? "1" : "0") +
               " cable=" + (cablePulled_ ? "pulled" : "in") +
               " adapter=" + (transport != Transport::Serial || line_.isOpen() ? "in" : "out");
    }
    if (verb == "reboot" && words.size() == 2) {
        char* end = nullptr;
        const long ms = std::strtol(words[1].c_str(), &end, 10);
        if (words[1].empty() || *end != '\0' || ms < 1 || ms > 600000) {
            return "error bad arguments: reboot " + words[1];
        }
        rebooting_ = true;
        rebootEnds_ = Clock::now() + std::chrono::milliseconds(ms);
        closeConnection("the camera reboots");
        if (listenFd_ >= 0) {
            ::close(listenFd_);
            listenFd_ = -1;
        }
        if (!delayed_.empty()) {
            logLine(std::to_string(delayed_.size()) + " answers lost in the reboot");
            delayed_.clear();
        }
        serialOut_.clear();
        serialFramer_ = SerialFramer{};
        model.forgetSequence();
        logLine("rebooting for " + std::to_string(ms) + " ms");
        return "ok";
    }
    if (verb == "cable" && words.size() == 2 && (words[1] == "pull" || words[1] == "plug")) {
        cablePulled_ = words[1] == "pull";
        logLine(cablePulled_ ? "cable pulled" : "cable plugged in");
        return "ok";
    }
    if ((verb == "unplug" || verb == "plug") && words.size() == 1) {
        if (transport != Transport::Serial) {
            return "error only a serial camera has an adapter to unplug";
        }
        if (verb == "unplug") {
            line_.close();
            serialOut_.clear();
            serialFramer_ = SerialFramer{};
            logLine("adapter unplugged");
            return "ok";
        }
        if (line_.isOpen()) {
            return "ok";
        }
        std::string error;
        if (!line_.open(linkPath, error)) {
            return "error " + error;
        }
        const int flags = ::fcntl(line_.masterFd(), F_GETFL);
        ::fcntl(line_.masterFd(), F_SETFL, flags | O_NONBLOCK);
        logLine("adapter plugged in as " + line_.slavePath());
        return "ok";
    }
    return "error bad arguments";
}

void Simulator::endRebootWhenDue() {
    if (!rebooting_ || Clock::now() < rebootEnds_) {
        return;
    }
    rebooting_ = false;
    logLine("back from the reboot");
    applyConnectionFaults();
}

void Simulator::applyConnectionFaults() {
    if (transport != Transport::Hcip || rebooting_) {
        return;
    }
    if (model.faults.refuse && listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        logLine("listener closed: connections are refused");
    }
    if (!model.faults.refuse && listenFd_ < 0 && Clock::now() >= nextListenTry_) {
        std::string error;
        if (openListener(error)) {
            logLine("listening again on " + addressText(address));
        } else {
            logLine(error + " (trying again in a second)");
            nextListenTry_ = Clock::now() + std::chrono::seconds(1);
        }
    }
    if (model.faults.drop && connectionFd_ >= 0) {
        closeConnection("dropped on request");
    }
}

void Simulator::closeConnection(const std::string& why) {
    if (connectionFd_ < 0) {
        return;
    }
    ::close(connectionFd_);
    connectionFd_ = -1;
    if (hcipFramer_.pendingSize() > 0) {
        logLine("connection closed with " + std::to_string(hcipFramer_.pendingSize()) +
                " bytes of an unfinished message");
    }
    if (!tcpOut_.empty()) {
        logLine("connection closed with " + std::to_string(tcpOut_.size()) +
                " answer bytes unsent");
    }
    hcipFramer_ = HcipFramer{};
    tcpOut_.clear();
    logLine("connection closed: " + why);
}

void Simulator::answer(const std::vector<std::string>& answers, const ViscaDatagram* request,
                       const sockaddr_in* to) {
    const auto now = Clock::now();
    for (std::string a : answers) {
        auto after = std::chrono::milliseconds(0);
        // An acknowledgement and a completion carry the command's socket and leave on time.
        if (a.size() == 3 && (a[1] == '\x41' || a[1] == '\x51')) {
            const bool ack = a[1] == '\x41';
            a[1] = static_cast<char>((ack ? 0x40 : 0x50) | lastSocket_);
            after = std::chrono::milliseconds(ack ? ackMs_ : std::max(ackMs_, doneMs_));
        }
        Delayed d{now + after, a, connection_, to != nullptr ? *to : sockaddr_in{}};
        if (transport == Transport::Hcip) {
            d.bytes = hcipWrap(a);
        } else if (transport == Transport::Visca && request != nullptr) {
            d.bytes = wrapViscaReply(*request, a);
        }
        sendOrDelay(std::move(d), now);
    }
}

void Simulator::sendOrDelay(Delayed d, Clock::time_point now) {
    // A slow camera answers late. Answers leave in the order they are due, and in the order they
    // were made when due together.
    d.due = std::max(d.due, now) + std::chrono::milliseconds(model.faults.slowMs);
    if (d.due <= now && (delayed_.empty() || delayed_.front().due > now)) {
        deliver(d);
        return;
    }
    const auto at = std::upper_bound(
        delayed_.begin(), delayed_.end(), d.due,
        [](Clock::time_point due, const Delayed& waiting) { return due < waiting.due; });
    delayed_.insert(at, std::move(d));
}

std::vector<std::string> Simulator::handleInSocket(const std::string& message) {
    const bool command = message.size() >= 3 && static_cast<unsigned char>(message[1]) == 0x01;
    if (command && sockets_ > 0) {
        const auto now = Clock::now();
        int free = 0;
        for (int socket = 1; socket <= sockets_ && free == 0; ++socket) {
            if (socketFreeAt_[socket] <= now) {
                free = socket;
            }
        }
        if (free == 0) {
            ++busyAnswers_;
            model.noteBusy(message);
            return {std::string("\x90\x60\x03\xFF", 4)};
        }
        lastSocket_ = free;
        socketFreeAt_[free] = now + std::chrono::milliseconds(std::max(ackMs_, doneMs_));
    } else if (command) {
        lastSocket_ = 1;
    }
    return model.handle(message);
}

std::string Simulator::timingControl(const std::vector<std::string>& words) {
    int a = 0;
    int b = 0;
    if (words[0] == "timing" && words.size() == 3 && parseInRange(words[1], 0, 600000, a) &&
        parseInRange(words[2], 0, 600000, b)) {
        ackMs_ = a;
        doneMs_ = b;
        return "ok";
    }
    if (words[0] == "sockets" && words.size() == 2 && parseInRange(words[1], 0, 2, a)) {
        sockets_ = a;
        return "ok";
    }
    if (words.size() == 2 && words[0] == "get") {
        return "ack=" + std::to_string(ackMs_) + " done=" + std::to_string(doneMs_) +
               " sockets=" + std::to_string(sockets_) + " busy=" + std::to_string(busyAnswers_);
    }
    return "error usage: timing ACK_MS DONE_MS | sockets 0|1|2 | get timing";
}

void Simulator::answerWire(const std::string& wire, const sockaddr_in& to) {
    if (model.faults.silent) {
        return;
    }
    const auto now = Clock::now();
    sendOrDelay(Delayed{now, wire, connection_, to}, now);
}

void Simulator::deliver(const Delayed& d) {
    if (away()) {
        logLine("answer " + viscaSpacedHex(d.bytes) + " lost: the camera is away");
        return;
    }
    if (transport == Transport::Serial) {
        if (!line_.isOpen()) {
            logLine("answer " + viscaSpacedHex(d.bytes) + " lost: the adapter is unplugged");
            return;
        }
        queueOut(serialOut_, d.bytes, "serial line");
        if (!flush(line_.masterFd(), serialOut_)) {
            logLine(std::string("serial write failed: ") + std::strerror(errno));
            serialOut_.clear();
        }
    } else if (transport == Transport::Hcip) {
        if (connectionFd_ < 0 || d.connection != connection_) {
            logLine("answer " + viscaSpacedHex(d.bytes) + " not sent: its connection is gone");
            return;
        }
        queueOut(tcpOut_, d.bytes, "connection");
        if (!flush(connectionFd_, tcpOut_)) {
            closeConnection(std::string("write failed: ") + std::strerror(errno));
        }
    } else {
        const ssize_t n = ::sendto(udpFd_, d.bytes.data(), d.bytes.size(), 0,
                                   reinterpret_cast<const sockaddr*>(&d.to), sizeof d.to);
        if (n != static_cast<ssize_t>(d.bytes.size())) {
            logLine("answer " + viscaSpacedHex(d.bytes) + " to " + addressText(d.to) +
                    " not sent: " + std::strerror(errno));
        }
    }
}

void Simulator::queueOut(std::string& buffer, const std::string& bytes, const char* where) {
    if (buffer.size() + bytes.size() > kMaxOutput) {
        logLine("answer " + viscaSpacedHex(bytes) + " not sent: " + std::to_string(buffer.size()) +
                " bytes already wait on the " + where);
        return;
    }
    buffer += bytes;
}

bool Simulator::flush(int fd, std::string& buffer) {
    while (!buffer.empty()) {
        const ssize_t n = transport == Transport::Hcip
                              ? ::send(fd, buffer.data(), buffer.size(), MSG_NOSIGNAL)
                              : ::write(fd, buffer.data(), buffer.size());
        if (n > 0) {
            buffer.erase(0, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
    }
    return true;
}

void Simulator::readSerial() {
    char buffer[4096];
    const ssize_t n = ::read(line_.masterFd(), buffer, sizeof buffer);
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
        logLine(std::string("serial read failed: ") + std::strerror(errno));
        ::usleep(10000);  // the line stays unusable until its reader comes back
        return;
    }
    if (n <= 0) {
        return;
    }
    if (away()) {
        logLine(std::to_string(n) + " serial bytes thrown away: the camera is away");
        return;
    }
    tick();
    for (const Frame& f : serialFramer_.feed(std::string(buffer, static_cast<std::size_t>(n)))) {
        if (!f.problem.empty()) {
            model.noteDiscarded(f.bytes, f.problem);
        } else {
            answer(handleUnlessLost(f.bytes), nullptr, nullptr);
        }
    }
}

std::vector<std::string> Simulator::handleUnlessLost(const std::string& message) {
    if (loss_.loseIncoming(message)) {
        logLine("message " + viscaSpacedHex(message) + " lost on its way in, on request");
        return {};
    }
    const std::vector<std::string> answers = handleInSocket(message);
    std::vector<std::string> kept = loss_.survivingAnswers(message, answers);
    if (kept.size() != answers.size()) {
        logLine(std::to_string(answers.size() - kept.size()) + " answers to " +
                viscaSpacedHex(message) + " lost on their way out, on request");
    }
    return kept;
}

void Simulator::acceptConnections() {
    while (listenFd_ >= 0) {
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &size,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        if (model.faults.drop) {
            ::close(fd);
            logLine("connection from " + addressText(peer) + " dropped on request");
            continue;
        }
        closeConnection("replaced by a new connection from " + addressText(peer));
        connectionFd_ = fd;
        ++connection_;
        logLine("connection from " + addressText(peer));
    }
}

void Simulator::readConnection() {
    char buffer[4096];
    const ssize_t n = ::recv(connectionFd_, buffer, sizeof buffer, 0);
    if (n == 0) {
        closeConnection("closed by the peer");
        return;
    }
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            closeConnection(std::string("read failed: ") + std::strerror(errno));
        }
        return;
    }
    tick();
    for (const Frame& f : hcipFramer_.feed(std::string(buffer, static_cast<std::size_t>(n)))) {
        if (!f.problem.empty()) {
            model.noteDiscarded(f.bytes, f.problem);
        } else {
            answer(handleUnlessLost(f.bytes), nullptr, nullptr);
        }
    }
}

void Simulator::readDatagrams() {
    // One wake-up takes a bounded number, so the control channel keeps its turn.
    for (int i = 0; i < 64; ++i) {
        static char buffer[65536];
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t n = ::recvfrom(udpFd_, buffer, sizeof buffer, MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &size);
        if (n < 0) {
            return;
        }
        const std::string bytes(buffer, std::min(static_cast<std::size_t>(n), sizeof buffer));
        const std::string sender = addressText(from);
        if (std::find(udpSenders_.begin(), udpSenders_.end(), sender) == udpSenders_.end() &&
            udpSenders_.size() < 64) {
            udpSenders_.push_back(sender);
        }
        if (model.faults.refuse || model.faults.drop || away()) {
            logLine("datagram of " + std::to_string(n) + " bytes from " + addressText(from) +
                    (away() ? " lost: the camera is away" : " ignored on request"));
            continue;
        }
        tick();
        const ViscaDatagram d = parseViscaDatagram(bytes);
        if (d.form == ViscaDatagram::Form::Invalid) {
            model.noteRejected(bytes, d.problem + ", from " + addressText(from));
            continue;
        }
        if (d.form == ViscaDatagram::Form::Control) {
            if (d.visca == kControlDone) {
                model.resetSequence();
                answerWire(controlReply(d, kControlDone), from);
            } else {
                model.noteRejected(bytes, "unknown control message, from " + addressText(from));
                answerWire(controlReply(d, kMessageTypeError), from);
            }
            continue;
        }
        if (loss_.loseIncoming(d.visca)) {
            logLine("datagram " + viscaSpacedHex(bytes) + " lost on its way in, on request");
            continue;
        }
        if (d.form == ViscaDatagram::Form::Header) {
            model.recordSequence(d.sequence);
            if (!model.takeSequence(d.sequence)) {
                answerWire(controlReply(d, kSequenceNumberError), from);
                continue;
            }
        }
        const std::vector<std::string> answers = handleInSocket(d.visca);
        std::vector<std::string> kept = loss_.survivingAnswers(d.visca, answers);
        if (kept.size() != answers.size()) {
            logLine(std::to_string(answers.size() - kept.size()) + " answers to " +
                    viscaSpacedHex(d.visca) + " lost on their way out, on request");
        }
        answer(kept, &d, &from);
    }
}

void Simulator::run(ControlServer& controlServer, const sigset_t& waitMask) {
    while (!stopRequested()) {
        int timeoutMs = -1;
        if (!delayed_.empty()) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                delayed_.front().due - Clock::now() + std::chrono::microseconds(999));
            timeoutMs = std::max(0, static_cast<int>(wait.count()));
        }
        const bool relisten =
            transport == Transport::Hcip && listenFd_ < 0 && !model.faults.refuse && !rebooting_;
        if (relisten) {
            timeoutMs = timeoutMs < 0 ? 1000 : std::min(timeoutMs, 1000);
        }
        if (rebooting_) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                rebootEnds_ - Clock::now() + std::chrono::microseconds(999));
            const int rebootMs = std::max(0, static_cast<int>(wait.count()));
            timeoutMs = timeoutMs < 0 ? rebootMs : std::min(timeoutMs, rebootMs);
        }
        const int discoveryDue = discovery ? discovery->msUntilDue() : -1;
        if (discoveryDue >= 0) {
            timeoutMs = timeoutMs < 0 ? discoveryDue : std::min(timeoutMs, discoveryDue);
        }
        std::vector<pollfd> fds;
        int serialIndex = -1;
        int listenIndex = -1;
        int connectionIndex = -1;
        int udpIndex = -1;
        auto add = [&fds](int fd, short events) {
            fds.push_back({fd, events, 0});
            return static_cast<int>(fds.size()) - 1;
        };
        if (transport == Transport::Serial && line_.isOpen()) {
            serialIndex = add(line_.masterFd(), POLLIN | (serialOut_.empty() ? 0 : POLLOUT));
        }
        // With the cable pulled the connection and the listener are left alone: what arrives
        // waits in the system until the cable is back.
        if (listenFd_ >= 0 && !cablePulled_) {
            listenIndex = add(listenFd_, POLLIN);
        }
        if (connectionFd_ >= 0 && !cablePulled_) {
            connectionIndex = add(connectionFd_, POLLIN | (tcpOut_.empty() ? 0 : POLLOUT));
        }
        if (udpFd_ >= 0) {
            udpIndex = add(udpFd_, POLLIN);
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
        endRebootWhenDue();
        while (!delayed_.empty() && delayed_.front().due <= Clock::now()) {
            const Delayed d = std::move(delayed_.front());
            delayed_.pop_front();
            deliver(d);
        }
        if (relisten) {
            applyConnectionFaults();
        }
        if (discovery) {
            discovery->sendDue();
        }
        if (ready <= 0) {
            continue;
        }
        if (serialIndex >= 0 && line_.isOpen()) {
            const short ev = fds[serialIndex].revents;
            if ((ev & POLLOUT) && !flush(line_.masterFd(), serialOut_)) {
                logLine(std::string("serial write failed: ") + std::strerror(errno));
                serialOut_.clear();
            }
            if (ev & (POLLIN | POLLHUP | POLLERR)) {
                readSerial();
            }
        }
        if (connectionIndex >= 0 && connectionFd_ >= 0) {
            const short ev = fds[connectionIndex].revents;
            if ((ev & POLLOUT) && !flush(connectionFd_, tcpOut_)) {
                closeConnection(std::string("write failed: ") + std::strerror(errno));
            }
            if (connectionFd_ >= 0 && (ev & (POLLIN | POLLHUP | POLLERR))) {
                readConnection();
            }
        }
        if (listenIndex >= 0 && listenFd_ >= 0 && (fds[listenIndex].revents & POLLIN)) {
            acceptConnections();
        }
        if (udpIndex >= 0 && (fds[udpIndex].revents & POLLIN)) {
            readDatagrams();
        }
        if (discovery) {
            discovery->handleEvents(
                std::vector<pollfd>(fds.begin() + static_cast<long>(discoveryStart),
                                    fds.begin() + static_cast<long>(controlStart)));
        }
        std::vector<pollfd> controlFds(fds.begin() + static_cast<long>(controlStart), fds.end());
        controlServer.handleEvents(controlFds);
    }
}

void usage() {
    std::fprintf(stderr,
                 "usage: virtualCamera --control SOCKET (--serial PATH | --hcip ADDR[:PORT] | "
                 "--visca ADDR[:PORT]) [--model HHHH] [--vendor HHHH] "
                 "[--version-length 11|16|10] [--hcip-name NAME --mac MAC [--netmask MASK] "
                 "[--gateway ADDR] [--config-port PORT]]\n");
}

}  // namespace

int main(int argc, char** argv) {
    Simulator sim;
    std::string controlPath;
    std::string hostName;
    std::optional<HcipMac> mac;
    std::optional<HcipIpv4> netmask;
    std::optional<HcipIpv4> gateway;
    bool discoveryOption = false;
    for (int i = 1; i < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--unplugged") {
            // The only option without a value.
            sim.startUnplugged = true;
            --i;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "virtualCamera: %s needs a value\n", flag.c_str());
            usage();
            return 2;
        }
        const std::string value = argv[i + 1];
        bool ok = true;
        if (flag == "--serial" || flag == "--hcip" || flag == "--visca") {
            if (sim.transport != Transport::None) {
                std::fprintf(stderr, "virtualCamera: one transport only\n");
                return 2;
            }
            if (flag == "--serial") {
                sim.transport = Transport::Serial;
                sim.linkPath = value;
                ok = !value.empty();
            } else if (flag == "--hcip") {
                sim.transport = Transport::Hcip;
                ok = parseAddress(value, 5002, sim.address);
            } else {
                sim.transport = Transport::Visca;
                ok = parseAddress(value, 52381, sim.address);
            }
        } else if (flag == "--control") {
            controlPath = value;
        } else if (flag == "--model" || flag == "--vendor") {
            ok = cameraControlCommand(sim.model, flag.substr(2) + " " + value) == "ok";
        } else if (flag == "--version-length") {
            ok = cameraControlCommand(sim.model, "version " + value) == "ok";
        } else if (flag == "--hcip-name") {
            hostName = value;
            ok = !value.empty() && value.size() <= 16;
            discoveryOption = true;
        } else if (flag == "--mac") {
            mac = parseMacText(value);
            ok = mac.has_value();
            discoveryOption = true;
        } else if (flag == "--netmask" || flag == "--gateway") {
            (flag == "--netmask" ? netmask : gateway) = parseDottedText(value);
            ok = (flag == "--netmask" ? netmask : gateway).has_value();
            discoveryOption = true;
        } else if (flag == "--config-port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            ok = !value.empty() && *end == '\0' && port > 0 && port <= 65535;
            sim.configPort = static_cast<std::uint16_t>(ok ? port : 0);
            discoveryOption = true;
        } else {
            std::fprintf(stderr, "virtualCamera: unknown option %s\n", flag.c_str());
            usage();
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "virtualCamera: bad value for %s: %s\n", flag.c_str(),
                         value.c_str());
            return 2;
        }
    }
    if (controlPath.empty() || sim.transport == Transport::None) {
        usage();
        return 2;
    }
    if (discoveryOption) {
        if (hostName.empty() || !mac) {
            std::fprintf(stderr, "virtualCamera: --hcip-name and --mac go together\n");
            return 2;
        }
        if (sim.transport == Transport::Serial) {
            std::fprintf(stderr,
                         "virtualCamera: only a network camera can be found (--hcip or "
                         "--visca)\n");
            return 2;
        }
        HcipIdentity identity;
        identity.hostName = hostName;
        identity.mac = *mac;
        std::memcpy(identity.address.data(), &sim.address.sin_addr.s_addr, 4);
        identity.netmask = netmask ? *netmask : HcipIpv4{255, 255, 255, 0};
        identity.gateway =
            gateway ? *gateway
                    : HcipIpv4{identity.address[0], identity.address[1], identity.address[2], 1};
        sim.discovery = std::make_unique<HcipEndpoint>(identity, "configuration", logLine);
    }
    const sigset_t waitMask = blockStopSignalsOutsideWait();

    std::string error;
    if (!sim.open(error)) {
        std::fprintf(stderr, "virtualCamera: %s\n", error.c_str());
        return 1;
    }
    ControlServer control([&sim](const std::string& command) { return sim.control(command); });
    if (!control.listenAt(controlPath, error)) {
        std::fprintf(stderr, "virtualCamera: %s\n", error.c_str());
        return 1;
    }
    if (sim.transport == Transport::Serial) {
        std::printf("virtualCamera ready transport=serial pty=%s path=%s control=%s\n",
                    sim.line().isOpen() ? sim.line().slavePath().c_str() : "none",
                    sim.linkPath.c_str(), controlPath.c_str());
    } else {
        char host[INET_ADDRSTRLEN] = "?";
        ::inet_ntop(AF_INET, &sim.address.sin_addr, host, sizeof host);
        const std::string config =
            sim.discovery ? " config=" + sim.discovery->boundText() : std::string();
        std::printf("virtualCamera ready transport=%s address=%s port=%d control=%s%s\n",
                    sim.transport == Transport::Hcip ? "hcip" : "visca", host,
                    ntohs(sim.address.sin_port), controlPath.c_str(), config.c_str());
    }
    std::fflush(stdout);
    sim.run(control, waitMask);
    return 0;
}
