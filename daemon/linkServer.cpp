#include "linkServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <thread>

#include "daemonMessages.h"
#include "daemonUpdate.h"
#include "hardwareLink.h"
#include "linkLog.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "pathResolver.h"
#include "stateEncoding.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kCategory = "zek.daemon";
constexpr int kFirstPoolPort = 7001;
constexpr int kPoolPorts = 6;
constexpr std::size_t kMessageSize = 1024;
constexpr int kWaitMs = 2000;
// UPDATESTATUS takes at most this many LED map bytes behind its word.
constexpr std::size_t kLedMapBytesTaken = 32;

void say(const std::string& text) {
    linkLog(kCategory, text);
}

std::vector<int> createPortsResource() {
    std::vector<int> ports;
    for (int i = 0; i < kPoolPorts; ++i) {
        ports.push_back(kFirstPoolPort + i);
    }
    return ports;
}

// Texts a socket set-up prints at each step; the pool ports and the control port word them
// differently.
struct socketSetupTexts {
    const char* createFailed;
    std::string created;
    const char* bindFailed;
    const char* bound;
};

// A stream socket bound to port on any address, or -1; a restarted daemon binds again at once.
int boundStreamSocket(int port, const socketSetupTexts& texts) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        say(texts.createFailed);
        return -1;
    }
    say(texts.created);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        say(texts.bindFailed);
        ::close(fd);
        return -1;
    }
    say(texts.bound);
    return fd;
}

int createSocket(int port) {
    return boundStreamSocket(port,
                             {"device socket creation failed",
                              fmt::format("device socket create successfully, port:{}\n", port),
                              "device Bind error.", "device Bind successful."});
}

std::deque<int> addCreatedSocketToPool(const std::vector<int>& ports, std::vector<int>& sockets) {
    std::deque<int> queue;
    for (const int port : ports) {
        const int fd = createSocket(port);
        if (fd >= 0 && ::listen(fd, 1) != 0) {
            say("Listen > 7000 port error!\n");
        }
        sockets.push_back(fd);
        queue.push_back(port);
    }
    return queue;
}

bool isInSocketsPool(int socket, const std::vector<int>& sockets) {
    return std::find(sockets.begin(), sockets.end(), socket) != sockets.end();
}

void printAvailablePort(const std::deque<int>& queue) {
    say(fmt::format("available ports {} \n", fmt::join(queue, ", ")));
}

int localPortOf(int fd) {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

// A peer that vanished without closing (cable pulled, host gone) is found by the kernel's
// keepalive within about a minute: 30 s quiet, then three probes 10 s apart.
void watchPeer(int fd) {
    const int yes = 1;
    const int idle = 30;
    const int interval = 10;
    const int count = 3;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &yes, sizeof yes);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

void applyLineSettings(LibSerial::SerialStream& line, const daemonmsg::lineSettings& settings) {
    using namespace LibSerial;
    try {
        if (settings.stopBits) {
            line.SetStopBits(*settings.stopBits == 2 ? StopBits::STOP_BITS_2
                                                     : StopBits::STOP_BITS_1);
        }
        if (settings.dataBits) {
            static const CharacterSize kSizes[] = {
                CharacterSize::CHAR_SIZE_5, CharacterSize::CHAR_SIZE_6, CharacterSize::CHAR_SIZE_7,
                CharacterSize::CHAR_SIZE_8};
            line.SetCharacterSize(kSizes[*settings.dataBits - 5]);
        }
        if (settings.parity) {
            static const Parity kParities[] = {Parity::PARITY_NONE, Parity::PARITY_ODD,
                                               Parity::PARITY_EVEN, Parity::PARITY_INVALID,
                                               Parity::PARITY_DEFAULT};
            line.SetParity(kParities[*settings.parity]);
        }
        if (settings.baudRate) {
            static const std::pair<int, BaudRate> kRates[] = {
                {110, BaudRate::BAUD_110},       {150, BaudRate::BAUD_150},
                {300, BaudRate::BAUD_300},       {1200, BaudRate::BAUD_1200},
                {2400, BaudRate::BAUD_2400},     {4800, BaudRate::BAUD_4800},
                {9600, BaudRate::BAUD_9600},     {19200, BaudRate::BAUD_19200},
                {38400, BaudRate::BAUD_38400},   {57600, BaudRate::BAUD_57600},
                {115200, BaudRate::BAUD_115200}, {230400, BaudRate::BAUD_230400},
                {460800, BaudRate::BAUD_460800}, {921600, BaudRate::BAUD_921600}};
            for (const auto& rate : kRates) {
                if (rate.first == *settings.baudRate) {
                    line.SetBaudRate(rate.second);
                }
            }
        }
    } catch (const std::exception& error) {
        say(std::string("serial port setting refused: ") + error.what() + "\n");
    }
}

// Two bytes of a version or calibration number; FF FF when it is not known.
int knownOrAllOnes(int value) {
    return value < 0 ? 0xFFFF : value;
}

}  // namespace

linkServer::linkServer(LibSerial::SerialStream& mcu, std::string versionAnswer, workItem& pollItem,
                       linkServerLimits limits)
    : mcu_(mcu),
      versionAnswer_(std::move(versionAnswer)),
      pollItem_(pollItem),
      limits_(limits),
      resourceQueue_(allHardwareResources()),
      keyLightMap_(genKeyInitialedTable()) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    updateThread_ = std::thread([this] { runUpdateJobs(); });
}

linkServer::~linkServer() {
    {
        std::lock_guard<std::mutex> lock(jobMutex_);
        jobsEnd_ = true;
        jobs_.clear();
    }
    // An upgrade under way ends at its next pack.
    upgradeStopAsked_ = true;
    jobCondition_.notify_all();
    updateThread_.join();
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
    for (const client& c : clients_) {
        ::close(c.fd);
    }
    for (const int fd : socketsPool_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    if (controlFd_ >= 0) {
        ::close(controlFd_);
    }
}

std::string linkServer::ledMap() const {
    std::lock_guard<std::mutex> lock(ledMapMutex_);
    return keyLightMap_;
}

void linkServer::setLedMap(const std::string& map) {
    std::lock_guard<std::mutex> lock(ledMapMutex_);
    keyLightMap_ = map;
}

bool linkServer::open() {
    availablePorts_ = createPortsResource();
    availablePortsPool_ = addCreatedSocketToPool(availablePorts_, socketsPool_);

    controlFd_ = boundStreamSocket(
        daemonmsg::kControlPort,
        {"socket creation fail \n", "socket create susccess \n", "Bind error\n", "Bind success\n"});
    if (controlFd_ < 0) {
        return false;
    }
    if (::listen(controlFd_, 20) != 0) {
        say("Listen error!\n");
    }
    say("Start to listen!\n");
    return true;
}

int linkServer::run(const std::atomic<bool>& stopRequested) {
    while (!stopRequested.load()) {
        std::vector<pollfd> fds;
        fds.push_back({wakeFd_, POLLIN, 0});
        fds.push_back({controlFd_, POLLIN, 0});
        for (const int fd : socketsPool_) {
            if (fd > 0) {
                fds.push_back({fd, POLLIN, 0});
            }
        }
        for (const client& c : clients_) {
            fds.push_back({c.fd, POLLIN, 0});
        }
        const int ready = ::poll(fds.data(), fds.size(), kWaitMs);
        if (ready < 0 && errno != EINTR) {
            say("select has problem, failed\n");
            return -1;
        }
        std::vector<int> readyFds;
        for (const pollfd& p : fds) {
            if (p.fd != wakeFd_ && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                readyFds.push_back(p.fd);
            }
        }
        deliverPosted();
        std::sort(readyFds.begin(), readyFds.end());
        for (const int fd : readyFds) {
            if (fd == controlFd_) {
                acceptOn(fd, false);
                continue;
            }
            if (isInSocketsPool(fd, socketsPool_)) {
                acceptOn(fd, true);
                continue;
            }
            const auto it = std::find_if(clients_.begin(), clients_.end(),
                                         [fd](const client& c) { return c.fd == fd; });
            if (it != clients_.end() &&
                !serveClient(static_cast<std::size_t>(it - clients_.begin()))) {
                break;
            }
        }
        // Clients that could not take their answer go now.
        for (const int fd : closing_) {
            const auto it = std::find_if(clients_.begin(), clients_.end(),
                                         [fd](const client& c) { return c.fd == fd; });
            if (it != clients_.end()) {
                disconnect(static_cast<std::size_t>(it - clients_.begin()));
            }
        }
        closing_.clear();
        dropIdleClients();
    }
    return 0;
}

void linkServer::acceptOn(int listenFd, bool pool) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    const int fd = ::accept4(listenFd, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC);
    if (fd < 0) {
        // A connection that went before it was taken, or no descriptor left: the daemon goes on
        // serving the clients it has.
        say(pool ? "accept fail\n" : "accept fail \n");
        return;
    }
    const int localPort = localPortOf(fd);
    char host[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &peer.sin_addr, host, sizeof host);
    if (!admit(localPort, host)) {
        ::close(fd);
        return;
    }
    say(fmt::format(pool ? "Accpet client come from socket Pool[{}:{}] by fd [{}], through "
                           "port[{}]\n"
                         : "Accpet client come from [{}:{}] by fd [{}], through port[{}]\n",
                    host, ntohs(peer.sin_port), fd, localPort));
    watchPeer(fd);
    clients_.push_back({fd, localPort, Clock::now(), nextClientId_++, host, Clock::now()});
}

bool linkServer::admit(int localPort, const std::string& address) {
    if (localPort != daemonmsg::kControlPort) {
        const auto onPool = static_cast<std::size_t>(
            std::count_if(clients_.begin(), clients_.end(),
                          [](const client& c) { return c.localPort != daemonmsg::kControlPort; }));
        if (onPool >= limits_.maxPoolClients) {
            say(fmt::format("pool ports: {} connections: the one from {} to port {} is refused\n",
                            onPool, address, localPort));
            return false;
        }
        return true;
    }
    // The oldest control connection of a group goes, so a crowd of idle ones only crowds itself.
    const auto closeOldest = [this](auto belongs, const std::string& why) {
        std::size_t oldest = clients_.size();
        for (std::size_t i = 0; i < clients_.size(); ++i) {
            if (clients_[i].localPort == daemonmsg::kControlPort && belongs(clients_[i]) &&
                (oldest == clients_.size() || clients_[i].since < clients_[oldest].since)) {
                oldest = i;
            }
        }
        if (oldest < clients_.size()) {
            say(fmt::format("{}: the oldest, fd [{}], is closed\n", why, clients_[oldest].fd));
            disconnect(oldest);
        }
    };
    const auto fromAddress = [&address](const client& c) { return c.address == address; };
    const auto count = [this](auto belongs) {
        return static_cast<std::size_t>(
            std::count_if(clients_.begin(), clients_.end(), [&belongs](const client& c) {
                return c.localPort == daemonmsg::kControlPort && belongs(c);
            }));
    };
    if (count(fromAddress) >= limits_.maxControlPerAddress) {
        closeOldest(fromAddress, fmt::format("control port: {} connections from {}",
                                             limits_.maxControlPerAddress, address));
    }
    const auto any = [](const client&) { return true; };
    if (count(any) >= limits_.maxControlClients) {
        closeOldest(any,
                    fmt::format("control port: {} connections in all", limits_.maxControlClients));
    }
    return true;
}

bool linkServer::serveClient(std::size_t index) {
    char buffer[kMessageSize];
    const ssize_t n = ::recv(clients_[index].fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return true;
    }
    if (n <= 0) {
        disconnect(index);
        return true;
    }
    client& c = clients_[index];
    c.lastHeard = Clock::now();
    const std::string message(buffer, static_cast<std::size_t>(n));
    if (c.id == upgradingClient_.load() && daemonmsg::isStopRequest(message)) {
        say("the client asks to stop the firmware upgrade\n");
        upgradeStopAsked_ = true;
    }
    // A step that cannot run (no process can be started, no memory) fails this request only;
    // the server and every booking go on.
    try {
        if (c.localPort == daemonmsg::kControlPort) {
            return handleControlMessage(c, message);
        }
        return handlePoolMessage(c, message);
    } catch (const std::exception& failure) {
        say(fmt::format("request of {} bytes not handled: {}\n", message.size(), failure.what()));
        return true;
    }
}

void linkServer::disconnect(std::size_t index) {
    const client c = clients_[index];
    say("Client disconnect\n");
    pollItem_.pauseThread();
    std::unique_lock<std::mutex> claim(mcuClaimMutex_);
    if (!mcuBusy()) {
        // Whatever the MCU line still holds belongs to no exchange any more (during an upgrade
        // the line is the loader's).
        std::lock_guard<std::mutex> lock(writeMutex);
        try {
            while (mcu_.IsOpen() && mcu_.GetNumberOfBytesAvailable() > 0) {
                char byte = 0;
                if (!mcu_.get(byte)) {
                    mcu_.clear();
                    break;
                }
            }
        } catch (const std::exception&) {
            mcu_.clear();
        }
    }
    claim.unlock();
    clients_.erase(clients_.begin() + static_cast<long>(index));
    releaseResourceFromBookingManager(c.fd, bookings_, resourceQueue_);
    if (c.localPort > daemonmsg::kControlPort) {
        // A port goes back once, also when its connection never sent a message.
        if (std::find(availablePortsPool_.begin(), availablePortsPool_.end(), c.localPort) ==
            availablePortsPool_.end()) {
            availablePortsPool_.push_back(c.localPort);
        }
        say(fmt::format("get back port: {}\n", c.localPort));
        printAvailablePort(availablePortsPool_);
    }
    ::close(c.fd);
}

void linkServer::dropIdleClients() {
    const auto now = Clock::now();
    for (std::size_t i = clients_.size(); i-- > 0;) {
        const client& c = clients_[i];
        const auto limit = c.localPort == daemonmsg::kControlPort ? limits_.controlIdleLimit
                                                                  : limits_.poolIdleLimit;
        int pending = 0;
        if (c.updateJobs > 0 || (::ioctl(c.fd, FIONREAD, &pending) == 0 && pending > 0)) {
            // It waits for its update, or it spoke while the server was busy (served on the next
            // pass): not silent.
            continue;
        }
        if (now - c.lastHeard > limit) {
            say(fmt::format("client on fd [{}] silent for {} s: disconnected\n", c.fd,
                            std::chrono::duration_cast<std::chrono::seconds>(limit).count()));
            disconnect(i);
        }
    }
}

bool linkServer::sendTo(int fd, const std::string& bytes) {
    if (bytes.empty()) {
        return true;
    }
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n == static_cast<ssize_t>(bytes.size())) {
        return true;
    }
    // A client that does not read its answers would stall every other client: it goes.
    say(fmt::format("answer to fd [{}] not sent ({}): the client is dropped\n", fd,
                    n < 0 ? std::strerror(errno) : "partly sent"));
    closing_.push_back(fd);
    return false;
}

bool linkServer::handleControlMessage(client& c, const std::string& message) {
    if (daemonmsg::controlPortRequest(message).what != daemonmsg::command::askForControl) {
        return true;
    }
    say("remote ask for control\n");
    // No free pool port: port 0 tells the client so.
    const int port = availablePortsPool_.empty() ? 0 : availablePortsPool_.front();
    const std::string answer =
        daemonmsg::askForControlAnswer(port, hardwareResourceToByte(resourceQueue_));
    pollItem_.pauseThread();
    sendTo(c.fd, answer);
    return true;
}

bool linkServer::handlePoolMessage(client& c, const std::string& message) {
    const auto queued =
        std::find(availablePortsPool_.begin(), availablePortsPool_.end(), c.localPort);
    if (queued != availablePortsPool_.end()) {
        availablePortsPool_.erase(queued);
    }
    const daemonmsg::request r = daemonmsg::poolPortRequest(message);
    const auto maskByte = [&r]() {
        return r.data.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(r.data[0]);
    };
    using daemonmsg::command;
    // Held while this thread uses the MCU line, so the update thread cannot take the line from
    // under a command, and a command never waits for the update thread's long use of it.
    std::unique_lock<std::mutex> claim(mcuClaimMutex_, std::defer_lock);
    switch (r.what) {
        case command::initZek:
        case command::caliZek:
        case command::updateStatus:
        case command::settingTbar:
        case command::getVersion:
            claim.lock();
            break;
        default:
            break;
    }
    switch (r.what) {
        case command::registResource: {
            const auto kept =
                validateRequestResource(parserRequestResource(maskByte()), resourceQueue_);
            appliedBookingManagerResource(c.fd, kept, bookings_, resourceQueue_);
            sendTo(c.fd, daemonmsg::registAnswer(hardwareResourceToByte(resourceQueue_)));
            break;
        }
        case command::releaseResource:
            releaseResourceCommandFromBookingManager(c.fd, parserRequestResource(maskByte()),
                                                     bookings_, resourceQueue_);
            sendTo(c.fd, daemonmsg::releaseAnswer(hardwareResourceToByte(resourceQueue_)));
            break;
        case command::initZek:
            if (mcuBusy()) {
                say("INITZEK refused: the MCU is taking a firmware upgrade\n");
                sendTo(c.fd, daemonmsg::initZekAnswer(false));
                break;
            }
            initZek(c, r.data);
            break;
        case command::caliZek: {
            calibrateTbarPar calibration;  // unknown while the MCU takes an upgrade
            if (!mcuBusy()) {
                calibration = readTBarCaliState(&mcu_);
            }
            calibration.maxValue = knownOrAllOnes(calibration.maxValue);
            calibration.minValue = knownOrAllOnes(calibration.minValue);
            sendTo(c.fd, daemonmsg::caliZekAnswer(calibration));
            break;
        }
        case command::updateStatus: {
            const std::string map = r.data.substr(0, kLedMapBytesTaken);
            setLedMap(map);
            std::string table;
            if (mcuBusy()) {
                // The last state read: the line is the loader's until the upgrade ends.
                table = genHardwareStateTableToStr(g_HardwareState.get());
            } else {
                readHardware(&mcu_, map);
                std::lock_guard<std::mutex> lock(writeMutex);
                table = genHardwareStateTableToStr(g_HardwareState.get());
            }
            sendTo(c.fd, table);
            pollItem_.restart();
            break;
        }
        case command::getVersion: {
            const mcuCommunicate protocol;
            bool isSync = false;
            int major = -1;
            int minor = protocol.versionNumber(versionAnswer_, isSync, major);
            if (major == -1 && !mcuBusy()) {
                // Not known since start-up (the MCU was in its loader): asked again, and kept
                // once it answers.
                std::string answer;
                {
                    std::lock_guard<std::mutex> lock(writeMutex);
                    answer = sendCommandtoMcu(protocol.askVersion(), mcu_);
                }
                minor = protocol.versionNumber(answer, isSync, major);
                if (major != -1) {
                    versionAnswer_ = answer;
                }
            }
            sendTo(c.fd, daemonmsg::versionAnswer(major, major == -1 ? -1 : minor));
            break;
        }
        case command::settingTbar: {
            // The selector comes as a digit ("2" the maximum, "3" the minimum) or as its byte.
            std::uint8_t selector = maskByte();
            if (selector >= '0' && selector <= '9') {
                selector = static_cast<std::uint8_t>(selector - '0');
            }
            if (mcuBusy()) {
                say("SETTINGTBAR refused: the MCU is taking a firmware upgrade\n");
                break;
            }
            std::string answer;
            {
                std::lock_guard<std::mutex> lock(writeMutex);
                answer = sendCommandtoMcu(mcuCommunicate().settingTbar(selector), mcu_);
            }
            if (!mcuCommunicate().isSettingTbarOk(answer)) {
                if (selector == mcu::kTbarStoreMaximum) {
                    say("setting Tbar max fail\n");
                } else if (selector == mcu::kTbarStoreMinimum) {
                    say("setting Tbar min fail\n");
                }
            }
            break;
        }
        case command::needFwUpdate:
        case command::startFwUpdate: {
            if (r.what == command::needFwUpdate &&
                !directoryExists(
                    platform::resolvePath(zekWorkingBaseDir() + "/usb/zek710-firmware").c_str())) {
                say("usb directory not exists !\n");
                return false;
            }
            std::lock_guard<std::mutex> lock(jobMutex_);
            jobs_.push_back({r.what == command::needFwUpdate ? updateJobKind::needFwUpdate
                                                             : updateJobKind::startFwUpdate,
                             c.id});
            ++c.updateJobs;
            jobCondition_.notify_all();
            break;
        }
        case command::askForControl:
        case command::none:
            break;
    }
    return true;
}

void linkServer::initZek(client& c, const std::string& data) {
    pollItem_.pauseThread();
    if (data.size() >= 2) {
        const daemonmsg::lineSettings settings = daemonmsg::decodeLineSettings(
            static_cast<std::uint8_t>(data[0]), static_cast<std::uint8_t>(data[1]));
        for (const std::string& line : settings.lines) {
            say(line);
        }
        // A paused poll may still be in its last exchange.
        std::lock_guard<std::mutex> lock(writeMutex);
        applyLineSettings(mcu_, settings);
    }
    if (data.size() == daemonmsg::kInitZekTableSize) {
        const mcuCommunicate protocol;
        std::string answer;
        {
            std::lock_guard<std::mutex> lock(writeMutex);
            answer = sendCommandtoMcu(protocol.initZEK(data), mcu_);
        }
        if (protocol.isInitZekOk(answer)) {
            sendTo(c.fd, daemonmsg::initZekAnswer(true));
            say("init zek setting to mcu ack, so start read hardware (updateStatus)\n");
            pollItem_.startRunningThread();
        } else {
            sendTo(c.fd, daemonmsg::initZekAnswer(false));
        }
    } else {
        say("init zek setting nack\n");
        sendTo(c.fd, daemonmsg::initZekAnswer(false));
    }
    pollItem_.restart();
}

void linkServer::deliverPosted() {
    std::uint64_t count = 0;
    while (::read(wakeFd_, &count, sizeof count) < 0 && errno == EINTR) {
    }
    std::vector<posted> delivered;
    {
        std::lock_guard<std::mutex> lock(jobMutex_);
        delivered.swap(outbox_);
    }
    for (const posted& p : delivered) {
        const auto it = std::find_if(clients_.begin(), clients_.end(),
                                     [&p](const client& c) { return c.id == p.clientId; });
        // A client that has gone makes no difference to the update.
        if (it == clients_.end()) {
            continue;
        }
        if (p.jobEnded) {
            // The client waited for the update thread all that time: it counts as heard.
            --it->updateJobs;
            it->lastHeard = Clock::now();
        } else {
            sendTo(it->fd, p.bytes);
        }
    }
}

// ---- Update thread ----

namespace {

// The MCU's running version, asked afresh; -1 / -1 when it does not answer.
std::pair<int, int> runningMcuVersion(LibSerial::SerialStream& mcu) {
    const mcuCommunicate protocol;
    bool isSync = false;
    int major = -1;
    const int minor =
        protocol.versionNumber(sendCommandtoMcu(protocol.askVersion(), mcu), isSync, major);
    return {major, major == -1 ? -1 : minor};
}

}  // namespace

void linkServer::post(std::uint64_t clientId, const std::string& bytes, bool jobEnded) {
    {
        std::lock_guard<std::mutex> lock(jobMutex_);
        outbox_.push_back({clientId, bytes, jobEnded});
    }
    const std::uint64_t one = 1;
    while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void linkServer::claimMcu() {
    std::lock_guard<std::mutex> claim(mcuClaimMutex_);
    mcuBusy_ = true;
}

void linkServer::releaseMcu() {
    std::lock_guard<std::mutex> claim(mcuClaimMutex_);
    mcuBusy_ = false;
}

void linkServer::runUpdateJobs() {
    while (true) {
        updateJob job{};
        {
            std::unique_lock<std::mutex> lock(jobMutex_);
            jobCondition_.wait(lock, [this] { return jobsEnd_ || !jobs_.empty(); });
            if (jobsEnd_) {
                return;
            }
            job = jobs_.front();
            jobs_.pop_front();
        }
        try {
            if (job.kind == updateJobKind::needFwUpdate) {
                needFwUpdate(job.clientId);
            } else {
                startFwUpdate(job.clientId);
            }
        } catch (const std::exception& failure) {
            say(fmt::format("update step not done: {}\n", failure.what()));
        }
        post(job.clientId, {}, true);
    }
}

void linkServer::needFwUpdate(std::uint64_t clientId) {
    const std::string base = platform::resolvePath(zekWorkingBaseDir());
    int fileMinor = -1;
    const int fileMajor = readMcufileVersion(base + "/usb/zek710-firmware/mcu.bin", fileMinor);
    std::string version;
    int appMajor = 0;  // 0.0: the stick holds no daemon that tells its version
    int appMinor = 0;
    isNewerAppInDir(version, appMajor, appMinor);
    claimMcu();
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        runningMcuVersion(mcu_);
    }
    releaseMcu();
    post(clientId, daemonmsg::needFwUpdateAnswer(appMajor, appMinor, knownOrAllOnes(fileMajor),
                                                 knownOrAllOnes(fileMajor < 0 ? -1 : fileMinor)));
}

void linkServer::startFwUpdate(std::uint64_t clientId) {
    std::string version;
    int appMajor = 0;
    int appMinor = 0;
    const bool newerDaemon = isNewerAppInDir(version, appMajor, appMinor);
    post(clientId, daemonmsg::startFwUpdateAnswer(newerDaemon));
    bool installed = false;
    std::optional<std::size_t> imageSize;
    if (newerDaemon) {
        std::map<std::string, std::uintmax_t> files;
        installed = doUpdateApp(version, &files);
        if (installed) {
            say(fmt::format("linkDaemon {} installed; it runs from the next start\n", version));
            // The copy was verified against the stick: the image flashed must be that copy.
            const auto image = files.find("mcu.bin");
            if (image != files.end()) {
                imageSize = static_cast<std::size_t>(image->second);
            }
        } else {
            // The MCU image belongs with the daemon that was not installed: nothing is flashed,
            // and the poll goes on for the daemon that stays.
            say(
                fmt::format("linkDaemon {} was not installed: the update failed, the MCU is not "
                            "flashed\n",
                            version));
            post(clientId, fwUpgradeState(mcu::kUpgradeTransferFailed));
            return;
        }
        pollItem_.stop();
        std::this_thread::sleep_for(limits_.afterDaemonInstall);
    }
    upgradeStopAsked_ = false;
    upgradingClient_ = clientId;
    // The client may answer a progress message with a stop; the server thread reads it and
    // raises the flag, so no pack waits for a client that has nothing to say.
    const auto report = [this, clientId](int progress) {
        post(clientId, fwUpgradeState(progress));
        return !upgradeStopAsked_.load();
    };

    const std::string base = platform::resolvePath(zekWorkingBaseDir());
    if (!directoryExists((base + "/software/current").c_str())) {
        say("usb directory not exists !\n");
        upgradingClient_ = 0;
        return;
    }
    const std::string image =
        installed ? base + "/software/current/mcu.bin" : base + "/usb/zek710-firmware/mcu.bin";
    // The poll finishes an exchange it is in before the line is taken, and none follows until a
    // client initialises the MCU again: no status frame reaches the loader or the restarting MCU.
    claimMcu();
    const bool pollWasRunning = pollItem_.isRunning();
    pollItem_.pauseAndWaitIdle();
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        const auto [mcuMajor, mcuMinor] = runningMcuVersion(mcu_);
        int fileMinor = -1;
        const int fileMajor = readMcufileVersion(image, fileMinor);
        if (fileMajor < 0 || !isMcuImageNewer(fileMajor, fileMinor, mcuMajor, mcuMinor)) {
            if (pollWasRunning) {
                pollItem_.startRunningThread();
            }
            if (installed) {
                say("Only update linkDaemon\n");
                report(mcu::kUpgradeFinished);
            } else {
                say("mcu file version is older, not update \n");
                report(mcu::kUpgradeNotNeeded);
            }
        } else {
            doUpgradeMcuBinaryFile(
                image, [this](const std::string& frame) { return sendCommandtoMcu(frame, mcu_); },
                report, limits_.upgradeTiming, imageSize);
        }
    }
    releaseMcu();
    upgradingClient_ = 0;
}
