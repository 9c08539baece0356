#include <QDebug>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "switcherProtocol.h"
#include "switcherSocket.h"
#include "tallyState.h"
#include "tallyWorkers.h"

namespace {

using clock = switcherSocket::clock;

constexpr int kPortQueryAttempts = 6;
constexpr auto kConnectionWait = std::chrono::milliseconds(30000);
constexpr int kBurstRounds = 3;
constexpr int kBurstLength = 4000;

clock::time_point in(std::chrono::milliseconds wait) {
    return clock::now() + wait;
}

}  // namespace

switcherWorker::switcherWorker() {
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

switcherWorker::~switcherWorker() {
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

void switcherWorker::setSwitcher(const QString& ip, int port) {
    std::lock_guard<std::mutex> lock(targetMutex_);
    switcherIP = ip;
    switcherRealPortNumber = port;
}

void switcherWorker::startLink(const QString& address, const QString& name) {
    std::lock_guard<std::mutex> lock(targetMutex_);
    targetAddress_ = address;
    targetName_ = name;
    startedGeneration_ = generation_.load();
}

void switcherWorker::endLink() {
    ++generation_;
    wake();
}

void switcherWorker::requestStop() {
    loopWorker::requestStop();
    wake();
}

void switcherWorker::wake() {
    const std::uint64_t one = 1;
    if (wakeFd_ >= 0 && ::write(wakeFd_, &one, sizeof one) < 0 && errno != EAGAIN) {
        qDebug() << "switcher link: wake failed" << errno;
    }
}

void switcherWorker::drainWake() {
    std::uint64_t count = 0;
    while (wakeFd_ >= 0 && ::read(wakeFd_, &count, sizeof count) > 0) {
    }
}

bool switcherWorker::wanted(qint64 generation) const {
    return !stopRequested() && generation_ == generation;
}

bool switcherWorker::pause(std::chrono::milliseconds length) {
    pollfd watched{wakeFd_, POLLIN, 0};
    const auto deadline = in(length);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        const int ready = ::poll(&watched, 1, static_cast<int>(std::max<qint64>(left.count(), 0)));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready == 0;
    }
}

void switcherWorker::connectSwitcher() {
    const qint64 generation = generation_;
    if (startedGeneration_ != generation) {
        return;  // ended before it could begin
    }
    drainWake();
    QString address;
    QString name;
    {
        std::lock_guard<std::mutex> lock(targetMutex_);
        address = targetAddress_;
        name = targetName_;
    }
    cmdPacket = switcherLink::cmdPacket();
    emptyPacket = switcherLink::emptyPacket();

    auto retryPause = kFirstRetryPause;
    for (int attempt = 1; wanted(generation); ++attempt) {
        const bool answered = runLink(generation, address, name, attempt == 1);
        linkLost();
        if (!wanted(generation)) {
            break;
        }
        if (answered) {
            retryPause = kFirstRetryPause;
        }
        qDebug() << "Switcher link down, try" << attempt + 1 << "in" << retryPause.count() << "ms";
        if (!pause(retryPause)) {
            break;
        }
        retryPause = std::min(retryPause * 2, kLongestRetryPause);
    }
    qDebug() << "Switcher link ended";
}

bool switcherWorker::runLink(qint64 generation, const QString& address, const QString& name,
                             bool saveTarget) {
    // The port query.
    int realtimePort = 0;
    {
        switcherSocket query(wakeFd_);
        const bool opened = query.connectTo(address, switcherLink::kPortQueryPort);
        qDebug() << "Switcher Real Socket open:" << opened;
        // Saved once per link: the retries go to the same switcher, and the settings file need
        // not be rewritten every few seconds while it is away.
        if (opened && saveTarget) {
            emit switcherTargetTried(address, name);
        }
        for (int attempt = 0; attempt < kPortQueryAttempts && wanted(generation); ++attempt) {
            const auto deadline = in(kConnectionWait);
            firstPacket.clear();
            if (query.write(cmdPacket, deadline) && query.waitForReadyRead(deadline)) {
                firstPacket = query.readAvailable(kLongestAnswer);
            }
            const int port = switcherLink::portFromAnswer(firstPacket);
            if (switcherLink::isRealtimePort(port)) {
                qDebug() << "Get port: " << port;
                realtimePort = port;
                break;
            }
            qDebug() << "[ConnectSwitcher] No Port Number:" << port;
        }
    }
    if (realtimePort == 0 || !wanted(generation)) {
        switcherConnected = false;
        return false;
    }

    // The real-time connection, then the control connection, which is only held open.
    switcherSocket realtime(wakeFd_);
    const bool realtimeOpen = realtime.connectTo(address, static_cast<std::uint16_t>(realtimePort));
    realtime.waitForConnected(in(kConnectionWait));
    qDebug() << "switcherRealtimeSocket reopen" << realtime.stateName() << realtimeOpen;
    switcherSocket control(wakeFd_);
    control.connectTo(address, static_cast<std::uint16_t>(realtimePort + 1));
    control.waitForConnected(in(kConnectionWait));

    // The initial burst: read, and only counted.
    firstPacket.clear();
    for (int round = 0; round < kBurstRounds && realtime.isConnected() &&
                        firstPacket.size() < kBurstLength && wanted(generation);
         ++round) {
        if (realtime.waitForReadyRead(in(kAnswerWait))) {
            firstPacket.append(realtime.readAvailable(kBurstLength));
        }
    }
    switcherConnected = firstPacket.size() >= kBurstLength;
    if (switcherConnected) {
        emit switcherIsConnected();
    }
    qDebug() << "First Packet Over." << firstPacket.size() << switcherConnected.load()
             << realtime.stateName();
    firstPacket.clear();

    // The first poll's answer may follow the rest of the burst; it tells the state as it is now,
    // and some switchers tell it only there, so it is read like every other answer.
    if (switcherConnected) {
        realtime.write(emptyPacket, in(kAnswerWait));
        if (realtime.waitForReadyRead(in(kAnswerWait))) {
            storeAnswers(realtime.readAvailable(kLongestAnswer));
        }
    }

    bool answered = false;
    pollLoop(generation, realtime, answered);
    qDebug() << "Switcher Realtime Socket:" << realtime.stateName();
    return answered;
}

void switcherWorker::pollLoop(qint64 generation, switcherSocket& realtime, bool& answered) {
    auto lastHeard = clock::now();
    while (realtime.isConnected() && wanted(generation)) {
        realPacket.clear();
        if (realtime.write(emptyPacket, in(kAnswerWait)) &&
            realtime.waitForReadyRead(in(kAnswerWait))) {
            realPacket = realtime.readAvailable(kLongestAnswer);
        }
        if (!pause(kPollPause)) {
            return;
        }
        if (realPacket.isEmpty()) {
            const auto silence = clock::now() - lastHeard;
            if (realtime.isConnected() && silence > kSilenceLimit) {
                qDebug() << "Switcher silent for"
                         << std::chrono::duration_cast<std::chrono::milliseconds>(silence).count()
                         << "ms: link dropped";
                realtime.close();
            }
            continue;
        }
        lastHeard = clock::now();
        answered = true;
        storeAnswers(realPacket);
    }
}

void switcherWorker::storeAnswers(const QByteArray& read) {
    const switcherLink::readAnswers cut = switcherLink::answersInRead(read);
    if (cut.skipped > 0) {
        qDebug() << "Switcher: skipped" << cut.skipped << "bytes before the answer";
    }
    for (const QByteArray& answer : cut.answers) {
        storeRecords(answer);
    }
}

void switcherWorker::storeRecords(const QByteArray& answer) {
    for (const switcherLink::tallyRecord& record : switcherLink::tallyRecords(answer)) {
        tallyStatus[record.entry] = record.tally;
        askForLampPass();
    }
}

void switcherWorker::askForLampPass() {
    int waiting = pendingTallyPasses.load();
    while (waiting < kMaxPendingTallyPasses) {
        if (pendingTallyPasses.compare_exchange_weak(waiting, waiting + 1)) {
            emit tallyChanged();
            return;
        }
    }
}

void switcherWorker::linkLost() {
    if (switcherConnected.exchange(false)) {
        emit switcherIsConnected();
    }
    bool lit = false;
    for (std::atomic<std::int8_t>& entry : tallyStatus) {
        lit = entry.exchange(0) != 0 || lit;
    }
    if (lit) {
        askForLampPass();
    }
}
