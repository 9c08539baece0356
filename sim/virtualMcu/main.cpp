// virtualMcu: a panel MCU on a pseudo-terminal, for tests and the demo.
//
// usage: virtualMcu --link PATH --control SOCKET [--version MAJOR.MINOR]
//   --link     where to publish the line (a symbolic link to the pseudo-terminal),
//              for example "$ZEK_ROOT/dev/ttyAMA0"
//   --control  Unix socket of the control channel
//
// Prints "virtualMcu ready pty=... link=... control=..." once both are in place.
//
// Control commands (one per line; the answer is one line, "ok", a value, or "error ..."):
//   press K | release K | release all          keys 0..39
//   joy x|y|z VALUE DIR                        VALUE 0..4095, DIR 0|1
//   shuttle VALUE DIR | jog VALUE DIR          VALUE 0..127
//   tbar VALUE | slider N VALUE | lock 0|1     N 1..4
//   version MAJOR MINOR                        16-bit numbers of the version answer
//   tbarcal MAX MIN                            stored T-bar ends
//   fault none | silent | delay MS | bytedelay US | garbage N | truncate N | wrongtype |
//         trailing N
//   get leds       40 hex digits, the colour index of keys 0..39
//   get ledmap     the last LED map, hex
//   get colours    the colour table of the last initialisation, hex ("none" before one)
//   get tbarcal    "MAX MIN"
//   get state      the present status payload, hex
//   get counts     "80=N 81=N 82=N 86=N 87=N rejected=N dropped=N"
//   get order      types of the first 16 frames received, in order ("80 87 81 ...")
//   get frames     types of the last 256 frames received since "reset counts", in order
//   get firstledmap  the first LED map received, hex
//   reset counts | ping                        (reset counts clears the loader's counts too)
//
// The firmware loader (start 83, data 84, done 85) has faults of its own, untouched by "fault":
//   upgrade nak N        NACK the next N data packs, right or not (they are not taken)
//   upgrade silent N     the next N data packs are lost on the way in: no answer, not taken
//   upgrade fatal        the next data pack, or the done frame if that comes first, gets the
//                        fatal error 20 and the reception is abandoned; a done frame after
//                        that gets 20 as well
//   upgrade notready     NACK every start frame
//   upgrade stuck        the MCU stays in its loader, as after an interrupted transfer: only
//                        loader frames are answered until a done frame confirms an image
//   upgrade none         clear the loader's faults
//   get image      the image confirmed by the last acknowledged done frame, hex ("none" before
//                  one)
//   get upgrade    "state=idle|receiving announced=N received=N packs=N repeats=N naks=N
//                  starts=N done=N": the size announced and the bytes received by the present or
//                  last reception; packs added, repeats acknowledged but not added, NACK answers
//                  to any loader frame, start and done frames received
// A data pack is added while the image is short of the announced size; once the image is
// complete, a pack equal to the one that completed it is acknowledged as a repeat and not added;
// any other pack would overflow the image and gets the fatal error.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "controlServer.h"
#include "mcuModel.h"
#include "pseudoTerminal.h"
#include "stopSignals.h"

namespace {

using Clock = std::chrono::steady_clock;

void logLine(const std::string& line) {
    std::fprintf(stderr, "virtualMcu: %s\n", line.c_str());
}

struct PendingBytes {
    Clock::time_point due;
    std::string bytes;
};

bool parseInt(std::istringstream& in, int& value, int low, int high) {
    long v = 0;
    if (!(in >> v) || v < low || v > high) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

std::string handleCommand(McuModel& mcu, const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    const std::string bad = "error bad arguments: " + line;
    int a = 0;
    int b = 0;
    if (verb == "ping") {
        return "pong";
    }
    if (verb == "press" || verb == "release") {
        std::string which;
        in >> which;
        if (verb == "release" && which == "all") {
            mcu.controls.key.fill(false);
            return "ok";
        }
        std::istringstream keyIn(which);
        if (!parseInt(keyIn, a, 0, 39)) {
            return bad;
        }
        mcu.controls.key[a] = verb == "press";
        return "ok";
    }
    if (verb == "joy") {
        std::string axis;
        in >> axis;
        const int index = axis == "x" ? 0 : axis == "y" ? 1 : axis == "z" ? 2 : -1;
        if (index < 0 || !parseInt(in, a, 0, 4095) || !parseInt(in, b, 0, 1)) {
            return bad;
        }
        mcu.controls.axis[index] = a;
        mcu.controls.axisDir[index] = b != 0;
        return "ok";
    }
    if (verb == "shuttle" || verb == "jog") {
        if (!parseInt(in, a, 0, 127) || !parseInt(in, b, 0, 1)) {
            return bad;
        }
        (verb == "shuttle" ? mcu.controls.shuttle : mcu.controls.jog) = a;
        (verb == "shuttle" ? mcu.controls.shuttleDir : mcu.controls.jogDir) = b != 0;
        return "ok";
    }
    if (verb == "tbar") {
        if (!parseInt(in, a, 0, 65535)) {
            return bad;
        }
        mcu.controls.tbar = a;
        return "ok";
    }
    if (verb == "slider") {
        if (!parseInt(in, a, 1, 4) || !parseInt(in, b, 0, 255)) {
            return bad;
        }
        mcu.controls.slider[a - 1] = b;
        return "ok";
    }
    if (verb == "lock") {
        if (!parseInt(in, a, 0, 1)) {
            return bad;
        }
        mcu.controls.lock = a != 0;
        return "ok";
    }
    if (verb == "version" || verb == "tbarcal") {
        if (!parseInt(in, a, 0, 65535) || !parseInt(in, b, 0, 65535)) {
            return bad;
        }
        (verb == "version" ? mcu.versionMajor : mcu.tbarMax) = a;
        (verb == "version" ? mcu.versionMinor : mcu.tbarMin) = b;
        return "ok";
    }
    if (verb == "fault") {
        std::string kind;
        in >> kind;
        McuFaults& f = mcu.faults;
        if (kind == "none") {
            f = McuFaults{};
        } else if (kind == "silent") {
            f.silent = true;
        } else if (kind == "wrongtype") {
            f.wrongType = true;
        } else if (kind == "delay" && parseInt(in, a, 0, 600000)) {
            f.delayMs = a;
        } else if (kind == "bytedelay" && parseInt(in, a, 0, 1000000)) {
            f.byteDelayUs = a;
        } else if (kind == "garbage" && parseInt(in, a, 0, 1 << 20)) {
            f.garbageBytes = a;
        } else if (kind == "truncate" && parseInt(in, a, 0, 1 << 20)) {
            f.truncateTo = a;
        } else if (kind == "trailing" && parseInt(in, a, 0, 1 << 20)) {
            f.trailingBytes = a;
        } else {
            return bad;
        }
        return "ok";
    }
    if (verb == "upgrade") {
        std::string kind;
        in >> kind;
        McuLoaderFaults& f = mcu.loader.faults;
        if (kind == "none") {
            f = McuLoaderFaults{};
        } else if (kind == "nak" && parseInt(in, a, 0, 1000000)) {
            f.nakPacks = a;
        } else if (kind == "silent" && parseInt(in, a, 0, 1000000)) {
            f.silentPacks = a;
        } else if (kind == "fatal") {
            f.fatal = true;
        } else if (kind == "notready") {
            f.notReady = true;
        } else if (kind == "stuck") {
            f.stuck = true;
        } else {
            return bad;
        }
        return "ok";
    }
    if (verb == "reset") {
        mcu.framesByType.clear();
        mcu.recentTypes.clear();
        mcu.rejectedFrames = 0;
        mcu.droppedBytes = 0;
        mcu.loader.resetCounts();
        return "ok";
    }
    if (verb == "get") {
        std::string what;
        in >> what;
        if (what == "leds") {
            std::string out;
            for (int k = 0; k < 40; ++k) {
                out += "0123456789abcdef"[mcu.ledColour(k)];
            }
            return out;
        }
        if (what == "ledmap") {
            return mcuHex(mcu.ledMap());
        }
        if (what == "order" || what == "frames") {
            std::string out;
            const std::vector<int> types =
                what == "order" ? mcu.firstTypes
                                : std::vector<int>(mcu.recentTypes.begin(), mcu.recentTypes.end());
            for (int type : types) {
                char item[8];
                std::snprintf(item, sizeof item, "%s%x", out.empty() ? "" : " ", type);
                out += item;
            }
            return out;
        }
        if (what == "firstledmap") {
            return mcuHex(mcu.firstLedMap);
        }
        if (what == "colours") {
            return mcu.colourTable().empty() ? "none" : mcuHex(mcu.colourTable());
        }
        if (what == "tbarcal") {
            return std::to_string(mcu.tbarMax) + " " + std::to_string(mcu.tbarMin);
        }
        if (what == "state") {
            return mcuHex(mcu.statusPayload());
        }
        if (what == "image") {
            return mcu.loader.hasImage() ? mcuHex(mcu.loader.image()) : "none";
        }
        if (what == "upgrade") {
            return mcu.loader.summary();
        }
        if (what == "counts") {
            std::string out;
            for (int type : {0x80, 0x81, 0x82, 0x86, 0x87}) {
                char item[32];
                auto it = mcu.framesByType.find(type);
                std::snprintf(item, sizeof item, "%x=%ld ", type,
                              it == mcu.framesByType.end() ? 0L : it->second);
                out += item;
            }
            return out + "rejected=" + std::to_string(mcu.rejectedFrames) +
                   " dropped=" + std::to_string(mcu.droppedBytes);
        }
    }
    return "error unknown command: " + line;
}

}  // namespace

int main(int argc, char** argv) {
    std::string linkPath;
    std::string controlPath;
    McuModel mcu;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--link") {
            linkPath = argv[i + 1];
        } else if (flag == "--control") {
            controlPath = argv[i + 1];
        } else if (flag == "--version") {
            int major = 0;
            int minor = 0;
            if (std::sscanf(argv[i + 1], "%d.%d", &major, &minor) == 2) {
                mcu.versionMajor = major;
                mcu.versionMinor = minor;
            }
        }
    }
    if (controlPath.empty()) {
        std::fprintf(stderr, "usage: virtualMcu --link PATH --control SOCKET [--version M.N]\n");
        return 2;
    }
    mcu.log = logLine;
    catchStopSignals();
    // Byte delays are tens of microseconds; the default 50 us timer slack would swamp them.
    ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);

    PseudoTerminal line;
    std::string error;
    if (!line.open(linkPath, error)) {
        std::fprintf(stderr, "virtualMcu: %s\n", error.c_str());
        return 1;
    }
    ControlServer control(
        [&mcu](const std::string& command) { return handleCommand(mcu, command); });
    if (!control.listenAt(controlPath, error)) {
        std::fprintf(stderr, "virtualMcu: %s\n", error.c_str());
        return 1;
    }
    std::printf("virtualMcu ready pty=%s link=%s control=%s\n", line.slavePath().c_str(),
                linkPath.c_str(), controlPath.c_str());
    std::fflush(stdout);

    std::deque<PendingBytes> outgoing;
    while (!stopRequested()) {
        int timeoutMs = -1;
        if (!outgoing.empty()) {
            const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(
                outgoing.front().due - Clock::now());
            timeoutMs = wait.count() <= 0 ? 0 : static_cast<int>((wait.count() + 999) / 1000);
        }
        std::vector<pollfd> fds{{line.masterFd(), POLLIN, 0}};
        control.appendPollFds(fds);
        // Byte delays shorter than a millisecond are kept by sleeping just that long.
        if (!outgoing.empty() && timeoutMs == 1) {
            const auto wait = outgoing.front().due - Clock::now();
            if (wait < std::chrono::milliseconds(1)) {
                timeoutMs = 0;
                if (wait.count() > 0) {
                    usleep(static_cast<useconds_t>(
                        std::chrono::duration_cast<std::chrono::microseconds>(wait).count()));
                }
            }
        }
        const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        while (!outgoing.empty() && outgoing.front().due <= Clock::now()) {
            line.writeAll(outgoing.front().bytes);
            outgoing.pop_front();
        }
        if (ready <= 0) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(line.masterFd(), buffer, sizeof buffer);
            if (n > 0) {
                const auto now = Clock::now();
                for (const std::string& answer :
                     mcu.feed(std::string(buffer, static_cast<std::size_t>(n)))) {
                    auto due = std::max(now + std::chrono::milliseconds(mcu.faults.delayMs),
                                        outgoing.empty() ? now : outgoing.back().due);
                    if (mcu.faults.byteDelayUs > 0) {
                        for (const char byte : answer) {
                            outgoing.push_back({due, std::string(1, byte)});
                            due += std::chrono::microseconds(mcu.faults.byteDelayUs);
                        }
                    } else if (due <= now && outgoing.empty()) {
                        line.writeAll(answer);
                    } else {
                        outgoing.push_back({due, answer});
                    }
                }
            }
        }
        std::vector<pollfd> controlFds(fds.begin() + 1, fds.end());
        control.handleEvents(controlFds);
    }
    return 0;
}
