// linkMonitor: talks to the panel MCU with the link code and prints the panel's controls as they
// change. While a key is held its LED is lit red, so the LED map travels back to the MCU.
//
// usage: linkMonitor [--device PATH] [--period-ms N] [--passes N]
//   --device     MCU line (default: "/dev/ttyAMA0" under ZEK_ROOT)
//   --period-ms  pause between status exchanges (default 20)
//   --passes     stop after this many status exchanges (default: run until killed)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <fmt/format.h>

#include "defs.h"
#include "hardwareLink.h"
#include "linkLog.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "pathResolver.h"
#include "stateEncoding.h"

namespace {

constexpr int kRedLed = 2;

std::string describe(const hardwareState& s) {
    auto axis = [](bool dir, int value) { return fmt::format("{}{}", dir ? '-' : '+', value); };
    return fmt::format("lock={} X={} Y={} Z={} shuttle={} jog={} tbar={} sliders={}/{}/{}/{}",
                       s.lockButtonPressed ? 1 : 0, axis(s.joyStickXDir, s.joyStickX),
                       axis(s.joyStickYDir, s.joyStickY), axis(s.joyStickZDir, s.joyStickZ),
                       axis(s.shuttleDir, s.shuttleValue), axis(s.jogDir, s.jogValue), s.tBarValue,
                       s.sliderValue1, s.sliderValue2, s.sliderValue3, s.sliderValue4);
}

void setLed(std::string& ledMap, int key, int colour) {
    auto& byte = reinterpret_cast<unsigned char&>(ledMap[key / 2]);
    byte = key % 2 == 0 ? static_cast<unsigned char>((byte & 0x0F) | (colour << 4))
                        : static_cast<unsigned char>((byte & 0xF0) | colour);
}

}  // namespace

int main(int argc, char** argv) {
    std::string device = platform::resolvePath("/dev/ttyAMA0");
    int periodMs = 20;
    long passes = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--device") == 0) {
            device = argv[i + 1];
        } else if (std::strcmp(argv[i], "--period-ms") == 0) {
            periodMs = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--passes") == 0) {
            passes = std::atol(argv[i + 1]);
        }
    }
    setLinkProgram(LinkProgram::panel);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    LibSerial::SerialStream line;
    while (!openMcuLine(line, device)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }

    const mcuCommunicate protocol;
    int major = -1;
    int minor = -1;
    while (major == -1) {
        bool isSync = false;
        minor =
            protocol.versionNumber(sendCommandtoMcu(protocol.askVersion(), line), isSync, major);
        if (major == -1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    }
    std::printf("mcu version %s\n", formatMcuVersion(major, minor).c_str());
    const bool initialised =
        protocol.isInitZekOk(sendCommandtoMcu(protocol.initZEK(panelColourTable()), line));
    std::printf("mcu initialised: %s\n", initialised ? "ack" : "no ack");

    std::string ledMap = genKeyInitialedTable();
    hardwareState previous;
    bool first = true;
    for (long pass = 0; passes < 0 || pass < passes; ++pass) {
        writeKeyBoard(&line, ledMap);
        const hardwareState now = g_HardwareState.get();
        for (int key = 0; key < kKeyCount; ++key) {
            const bool was = isKeyPressed(previous.keyPressTable, key);
            const bool is = isKeyPressed(now.keyPressTable, key);
            if (was != is) {
                std::printf("key %d %s\n", key, is ? "pressed" : "released");
                setLed(ledMap, key, is ? kRedLed : 1);
            }
        }
        hardwareState withoutKeys = now;
        withoutKeys.keyPressTable.clear();
        hardwareState previousWithoutKeys = previous;
        previousWithoutKeys.keyPressTable.clear();
        if (first || withoutKeys != previousWithoutKeys) {
            std::printf("state %s\n", describe(now).c_str());
        }
        first = false;
        previous = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(periodMs));
    }
    return 0;
}
