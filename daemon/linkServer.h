// The link daemon's TCP server: the control port 7000 lends one of the pool ports 7001 to 7006;
// on a pool port a client books parts of the panel, initialises the MCU, exchanges state
// messages, and asks for updates. Everything a client sends is handled on the thread that runs
// the server, one message at a time, and that thread alone touches the client sockets.
//
// The update questions ("NEEDFWUPD", "STARTFWUPD") wait on things outside the daemon: a program
// on the USB stick, a copy from it, the MCU's loader for seconds. They run in order on an update
// thread of their own; its answers and progress messages come back to the server thread through
// an outbox and go to the client that asked, if it is still there. While the update thread uses
// the MCU line, the server keeps serving: commands that would talk to the MCU are answered
// without it (the last panel state, an unknown calibration, a NACK to "INITZEK").
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <libserial/SerialStream.h>

#include "bookingManager.h"
#include "mcuUpgrade.h"
#include "workItem.h"

struct linkServerLimits {
    // A client on a pool port that sends nothing for this long is disconnected, which gives
    // back what it booked; clients poll the panel state far more often than that.
    std::chrono::seconds poolIdleLimit{120};
    // A connection on the control port has this long to ask for control.
    std::chrono::seconds controlIdleLimit{30};
    // Connections to the control port are short (one question); beyond this many from one
    // address, or this many in all, the oldest is closed to make room, so idle connections can
    // never keep a client from asking.
    std::size_t maxControlPerAddress = 8;
    std::size_t maxControlClients = 64;
    // The pool ports together take this many connections, counted apart from the control port;
    // more are closed as they come. Several clients may share a port: one leaves the queue only
    // with the first message on it.
    std::size_t maxPoolClients = 48;
    mcuUpgradeTiming upgradeTiming;
    // The stick daemon's installation settles this long before the MCU is looked at.
    std::chrono::milliseconds afterDaemonInstall{500};
};

class linkServer {
public:
    // mcu is the MCU line, versionAnswer its answer to the version question at start-up,
    // pollItem the polling work item (its worker thread already started, the item paused).
    linkServer(LibSerial::SerialStream& mcu, std::string versionAnswer, workItem& pollItem,
               linkServerLimits limits = {});
    ~linkServer();
    linkServer(const linkServer&) = delete;
    linkServer& operator=(const linkServer&) = delete;

    // Creates the pool ports and the control socket; false (with the message printed) when the
    // control socket cannot be created or bound.
    bool open();
    // The main loop, until stopRequested becomes true (checked at least every 2 s) or the loop
    // fails (-1).
    int run(const std::atomic<bool>& stopRequested);

    // The LED map the polling work item sends.
    std::string ledMap() const;

private:
    struct client {
        int fd;
        int localPort;
        std::chrono::steady_clock::time_point lastHeard;
        std::uint64_t id;  // unique for the life of the server, unlike the descriptor
        std::string address;
        std::chrono::steady_clock::time_point since;
        int updateJobs = 0;  // asked and not yet finished: the client waits, it is not silent
    };
    enum class updateJobKind { needFwUpdate, startFwUpdate };
    struct updateJob {
        updateJobKind kind;
        std::uint64_t clientId;
    };

    void acceptOn(int listenFd, bool pool);
    // Makes room on the control port for a connection from address (closing the oldest as the
    // limits say); false when the connection on port must be refused.
    bool admit(int localPort, const std::string& address);
    // False when the pass must not serve the remaining ready descriptors.
    bool serveClient(std::size_t index);
    void disconnect(std::size_t index);
    void dropIdleClients();
    bool sendTo(int fd, const std::string& bytes);
    bool handleControlMessage(client& c, const std::string& message);
    bool handlePoolMessage(client& c, const std::string& message);
    void initZek(client& c, const std::string& data);
    void setLedMap(const std::string& map);
    // Whether the update thread holds the MCU line; the server thread asks under mcuClaimMutex_
    // and keeps holding it while it uses the line itself.
    bool mcuBusy() const { return mcuBusy_; }

    // Update thread.
    void runUpdateJobs();
    void needFwUpdate(std::uint64_t clientId);
    void startFwUpdate(std::uint64_t clientId);
    void post(std::uint64_t clientId, const std::string& bytes, bool jobEnded = false);
    void claimMcu();
    void releaseMcu();
    // Server thread: sends what the update thread posted.
    void deliverPosted();

    LibSerial::SerialStream& mcu_;
    std::string versionAnswer_;
    workItem& pollItem_;
    linkServerLimits limits_;

    std::vector<hardwareResource> resourceQueue_;
    bookingManager bookings_;
    std::vector<int> availablePorts_;
    std::deque<int> availablePortsPool_;
    std::vector<int> socketsPool_;
    int controlFd_ = -1;
    std::vector<client> clients_;
    std::vector<int> closing_;  // clients whose answer could not be sent, by descriptor
    std::uint64_t nextClientId_ = 1;

    mutable std::mutex ledMapMutex_;
    std::string keyLightMap_;

    // Between the server thread and the update thread.
    std::mutex jobMutex_;
    std::condition_variable jobCondition_;
    std::deque<updateJob> jobs_;  // guarded by jobMutex_
    bool jobsEnd_ = false;        // guarded by jobMutex_
    struct posted {
        std::uint64_t clientId;
        std::string bytes;
        bool jobEnded;  // the client's update job is over
    };
    std::vector<posted> outbox_;  // guarded by jobMutex_
    int wakeFd_ = -1;             // eventfd: the outbox has something
    std::atomic<std::uint64_t> upgradingClient_{0};
    std::atomic<bool> upgradeStopAsked_{false};
    std::mutex mcuClaimMutex_;
    bool mcuBusy_ = false;  // guarded by mcuClaimMutex_
    std::thread updateThread_;
};
