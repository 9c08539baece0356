// The process-wide hardware snapshot and the procedures that refresh it from the panel MCU.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <libserial/SerialStream.h>

#include "defs.h"
#include "workItem.h"

// Holds the latest snapshot of the panel controls. The key thread (or the daemon's polling item)
// writes it after every status exchange; the GUI thread and the network server read it. Every
// access copies the record under the holder's own lock, which is held only for the copy, so a
// reader never waits for an MCU exchange and never sees a half-written record.
class sharedHardwareState {
public:
    hardwareState get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return state_;
    }
    void set(const hardwareState& state) {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = state;
    }
    // Changes the record in place, for writers that touch one field (clearing held keys).
    template <typename Change>
    void update(Change change) {
        std::lock_guard<std::mutex> lock(mutex_);
        change(state_);
    }

private:
    mutable std::mutex mutex_;
    hardwareState state_;
};

extern sharedHardwareState g_HardwareState;

// Held for every status exchange and every T-bar calibration read, so the MCU line carries one
// exchange at a time.
extern std::mutex writeMutex;

// Sends the LED map with a status exchange and returns the controls the MCU reported; a default
// record without a stream, an all-zero record after a failed exchange (and a log line saying so).
hardwareState readHardwareState(LibSerial::SerialStream* stream, const std::string& ledMap);

// readHardwareState under writeMutex, stored into g_HardwareState.
void readHardware(LibSerial::SerialStream* stream, const std::string& ledMap);

// The same as readHardware; callers use this name when the LED map has changed.
void writeKeyBoard(LibSerial::SerialStream* stream, const std::string& ledMap);

// Reads the T-bar end positions stored in the MCU, under writeMutex.
calibrateTbarPar readTBarCaliState(LibSerial::SerialStream* stream);

// The periodic MCU poll: every period, readHardware with the LED map currentLedMap gives at that
// moment. The item starts paused; its owner starts a worker thread on it and opens the gate when
// the MCU is to be polled.
constexpr std::chrono::seconds kHardwarePollPeriod{2};
std::unique_ptr<workItem> makeHardwarePollItem(
    LibSerial::SerialStream* stream, std::function<std::string()> currentLedMap,
    std::chrono::nanoseconds period = kHardwarePollPeriod);

// Echo loop of the link daemon's second serial port: every byte that arrives is printed and sent
// back unchanged. Runs for the life of the process.
void outputMsgToSerial(LibSerial::SerialStream& stream);
// The same loop, left when stopRequested becomes true (checked every 5 ms poll).
void outputMsgToSerialUntil(LibSerial::SerialStream& stream,
                            const std::atomic<bool>& stopRequested);
