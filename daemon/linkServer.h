// The link daemon's TCP server: the control port 7000 lends one of the pool ports 7001 to 7006;
// on a pool port a client books parts of the panel, initialises the MCU, exchanges state
// messages, and asks for updates. Everything a client sends is handled on the thread that runs
// the server, one message at a time.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
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
    // Connections beyond this many are closed as they come.
    std::size_t maxClients = 200;
    mcuUpgradeTiming upgradeTiming;
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
    };

    void acceptOn(int listenFd, bool pool);
    // False when the pass must not serve the remaining ready descriptors.
    bool serveClient(std::size_t index);
    void disconnect(std::size_t index);
    void dropIdleClients();
    bool sendTo(int fd, const std::string& bytes);
    bool handleControlMessage(client& c, const std::string& message);
    bool handlePoolMessage(client& c, const std::string& message);
    void initZek(client& c, const std::string& data);
    void needFwUpdate(client& c);
    void startFwUpdate(client& c);
    void setLedMap(const std::string& map);

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

    mutable std::mutex ledMapMutex_;
    std::string keyLightMap_;
};
