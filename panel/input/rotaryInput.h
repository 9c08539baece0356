// The rotary encoder as a Linux input device, and the rule that turns its events into detents.
//
// On the panel the encoder is an evdev node below "/dev/input". Where there is none (developer
// machines, tests, the demo), the node may be a FIFO carrying the same `input_event` records, with
// the device name in a file beside it ("event0.name"); the worker's code is the same for both.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Names of the entries of directory whose names begin with "event", in version order (event2
// before event10). Every such entry counts, readable or not: one the panel cannot open is still
// an input device, and only a directory without any stops the start-up.
QStringList eventDeviceNames(const QString& directory);

// Name of the input device at path: the text of "<path>.name" when that file exists, else the
// device's own name (EVIOCGNAME); empty when neither can be had.
QString inputDeviceName(const QString& path);

// Relative steps of REL_X (+1 or -1) among raw input_event records; other events and values are
// skipped. Bytes of an unfinished record are kept in pending for the next call.
std::vector<int> rotarySteps(const char* bytes, std::size_t length, std::vector<char>& pending);

// Milliseconds of the wall clock within the hour: minute * 60000 + second * 1000 + millisecond.
int wallClockMsInHour();

// At most one detent per 300 ms is used: an event closer than that to the last one used is
// dropped. Times are milliseconds within the hour, so the gap wraps with the clock.
class detentGate {
public:
    explicit detentGate(int startMs) : lastMs_(startMs) {}
    bool accept(int nowMs);
    static constexpr int kMinimumGapMs = 300;

private:
    int lastMs_;
};

// Test mode turns the encoder into a backlight control: +1 darkens by one step, -1 brightens,
// within 0 .. 10000000.
int nextBacklightLevel(int level, int step);
