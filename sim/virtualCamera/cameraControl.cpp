#include "cameraControl.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

namespace {

struct Field {
    std::string name;
    std::function<std::string(const CameraModel&)> get;
    std::function<bool(CameraModel&, const std::string&)> set;
};

// Decimal, or hexadecimal after "0x"; the whole text must be the number.
bool parseNumber(const std::string& text, long& value) {
    if (text.empty()) {
        return false;
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::size_t used = 0;
    try {
        value = std::stol(hex ? text.substr(2) : text, &used, hex ? 16 : 10);
    } catch (...) {
        return false;
    }
    return used == text.size() - (hex ? 2 : 0);
}

constexpr long kCountMax = 1000000000L;

Field intField(const char* name, int CameraState::*member, long low, long high) {
    return {name, [member](const CameraModel& c) { return std::to_string(c.state.*member); },
            [member, low, high](CameraModel& c, const std::string& text) {
                return parseInRange(text, low, high, c.state.*member);
            }};
}

Field boolField(const char* name, bool CameraState::*member) {
    return {name,
            [member](const CameraModel& c) { return std::string(c.state.*member ? "1" : "0"); },
            [member](CameraModel& c, const std::string& text) {
                if (text != "0" && text != "1") {
                    return false;
                }
                c.state.*member = text == "1";
                return true;
            }};
}

Field positionField(const char* name, double CameraState::*member, double low, double high) {
    return {name,
            [member](const CameraModel& c) { return std::to_string(std::lround(c.state.*member)); },
            [member, low, high](CameraModel& c, const std::string& text) {
                int v = 0;
                if (!parseInRange(text, static_cast<long>(low), static_cast<long>(high), v)) {
                    return false;
                }
                c.state.*member = v;
                return true;
            }};
}

// A code shown as its word where it has one; set by word or by number.
Field wordField(const char* name, int CameraState::*member,
                std::vector<std::pair<int, std::string>> words, long low, long high) {
    return {name,
            [member, words](const CameraModel& c) {
                for (const auto& w : words) {
                    if (w.first == c.state.*member) {
                        return w.second;
                    }
                }
                return std::to_string(c.state.*member);
            },
            [member, words, low, high](CameraModel& c, const std::string& text) {
                for (const auto& w : words) {
                    if (w.second == text) {
                        c.state.*member = w.first;
                        return true;
                    }
                }
                return parseInRange(text, low, high, c.state.*member);
            }};
}

// Two bytes of the version answer, as four hex digits.
Field hexField(const char* name, int CameraIdentity::*member) {
    return {name,
            [member](const CameraModel& c) {
                char text[8];
                std::snprintf(text, sizeof text, "%04x", c.identity.*member & 0xFFFF);
                return std::string(text);
            },
            [member](CameraModel& c, const std::string& text) {
                const std::string digits =
                    text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')
                        ? text
                        : "0x" + text;
                return parseInRange(digits, 0, 0xFFFF, c.identity.*member);
            }};
}

const std::vector<Field>& fields() {
    static const std::vector<Field> table{
        positionField("pan", &CameraState::pan, -kPanLimit, kPanLimit),
        positionField("tilt", &CameraState::tilt, kTiltLow, kTiltHigh),
        intField("panSpeed", &CameraState::panSpeed, 0, 0x18),
        intField("tiltSpeed", &CameraState::tiltSpeed, 0, 0x17),
        wordField("panDir", &CameraState::panDir,
                  {{kPanLeft, "left"}, {kPanRight, "right"}, {kAxisStop, "stop"}}, 1, 3),
        wordField("tiltDir", &CameraState::tiltDir,
                  {{kTiltUp, "up"}, {kTiltDown, "down"}, {kAxisStop, "stop"}}, 1, 3),
        positionField("zoom", &CameraState::zoom, 0, kZoomTeleEnd),
        wordField("zoomDir", &CameraState::zoomDir,
                  {{kZoomTele, "tele"}, {kZoomWide, "wide"}, {kZoomStop, "stop"}}, 0, 3),
        intField("zoomSpeed", &CameraState::zoomSpeed, 0, 7),
        // Any byte may stand in the status answer; the panel keeps its mode on other values.
        wordField("focusMode", &CameraState::focusMode,
                  {{kFocusAuto, "auto"}, {kFocusManual, "manual"}}, 0, 0x7F),
        wordField("focusDir", &CameraState::focusDir,
                  {{kFocusFar, "far"}, {kFocusNear, "near"}, {kFocusStop, "stop"}}, 0, 3),
        intField("focusSteps", &CameraState::focusSteps, 0, kCountMax),
        intField("focusPos", &CameraState::focusPos, -kCountMax, kCountMax),
        intField("wbMode", &CameraState::wbMode, 0, 0x7F),
        intField("rGain", &CameraState::rGain, 0, 255),
        intField("bGain", &CameraState::bGain, 0, 255),
        intField("exposureMode", &CameraState::exposureMode, 0, 0x7F),
        intField("shutter", &CameraState::shutter, 0, 255),
        intField("iris", &CameraState::iris, 0, 255),
        intField("gain", &CameraState::gain, 0, 255),
        intField("lastPreset", &CameraState::lastPreset, -1, 0x7F),
        intField("presetRecalls", &CameraState::presetRecalls, 0, kCountMax),
        intField("presetStores", &CameraState::presetStores, 0, kCountMax),
        boolField("vflip", &CameraState::vflip),
        boolField("hflip", &CameraState::hflip),
        intField("videoMode", &CameraState::videoMode, 0, 0x7F),
        boolField("menu", &CameraState::menu),
        intField("menuEnters", &CameraState::menuEnters, 0, kCountMax),
        intField("speedMode", &CameraState::speedMode, 0, 0x7F),
        boolField("tallyRed", &CameraState::tallyRed),
        boolField("tallyGreen", &CameraState::tallyGreen),
        boolField("colourBars", &CameraState::colourBars),
        boolField("ptReversed", &CameraState::ptReversed),
        intField("onePushCount", &CameraState::onePushCount, 0, kCountMax),
        intField("onePushApplied", &CameraState::onePushApplied, 0, kCountMax),
        hexField("vendor", &CameraIdentity::vendor),
        hexField("model", &CameraIdentity::model),
        hexField("rom", &CameraIdentity::rom),
        {"versionLength",
         [](const CameraModel& c) { return std::to_string(c.identity.answerLength); },
         [](CameraModel& c, const std::string& text) {
             if (text != "10" && text != "11" && text != "16") {
                 return false;
             }
             c.identity.answerLength = std::stoi(text);
             return true;
         }},
    };
    return table;
}

const Field* findField(const std::string& name) {
    for (const Field& f : fields()) {
        if (f.name == name) {
            return &f;
        }
    }
    return nullptr;
}

template <typename List, typename Render>
std::string joined(const List& items, Render render) {
    if (items.empty()) {
        return "none";
    }
    std::string out;
    for (const auto& item : items) {
        if (!out.empty()) {
            out += ' ';
        }
        out += render(item);
    }
    return out;
}

std::string faultsLine(const CameraFaults& f) {
    return "silent=" + std::to_string(f.silent) + " slow=" + std::to_string(f.slowMs) +
           " wronglength=" + std::to_string(f.wrongLength) + " refuse=" + std::to_string(f.refuse) +
           " drop=" + std::to_string(f.drop);
}

std::string position(double value) {
    return std::to_string(std::lround(value));
}

}  // namespace

bool parseInRange(const std::string& text, long low, long high, int& out) {
    long v = 0;
    if (!parseNumber(text, v) || v < low || v > high) {
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

std::string cameraStateLine(const CameraModel& camera) {
    return joined(fields(), [&camera](const Field& f) { return f.name + "=" + f.get(camera); });
}

std::string cameraControlCommand(CameraModel& camera, const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    const std::string bad = "error bad arguments: " + line;
    const std::string unknown = "error unknown command: " + line;
    if (words.empty()) {
        return unknown;
    }
    const std::string& verb = words[0];
    const std::string arg = words.size() > 1 ? words[1] : std::string();
    if (verb == "ping" && words.size() == 1) {
        return "pong";
    }
    if (verb == "get" && words.size() == 2) {
        if (arg == "state") {
            return cameraStateLine(camera);
        }
        if (arg == "messages") {
            return joined(camera.messages(), [](const std::string& m) { return m; });
        }
        if (arg == "times") {
            return joined(camera.arrivals(), [](long long t) { return std::to_string(t); });
        }
        if (arg == "count") {
            return std::to_string(camera.messageCount);
        }
        if (arg == "rejected") {
            return std::to_string(camera.rejectedCount);
        }
        if (arg == "discarded") {
            return std::to_string(camera.discardedBytes);
        }
        if (arg == "sequences") {
            return joined(camera.sequences(), [](std::uint32_t s) { return std::to_string(s); });
        }
        if (arg == "faults") {
            return faultsLine(camera.faults);
        }
        if (arg == "sequence-check") {
            return "check=" + std::to_string(camera.sequenceChecking) +
                   " expected=" + std::to_string(camera.expectedSequence) +
                   " resets=" + std::to_string(camera.sequenceResets) +
                   " errors=" + std::to_string(camera.sequenceErrors);
        }
        if (const Field* f = findField(arg)) {
            return f->get(camera);
        }
        return "error unknown key: " + arg;
    }
    if (verb == "get" && words.size() == 3 && arg == "preset") {
        int number = 0;
        if (!parseInRange(words[2], 0, 0x7F, number)) {
            return bad;
        }
        const auto found = camera.presets.find(number);
        if (found == camera.presets.end()) {
            return "none";
        }
        return "pan=" + position(found->second.pan) + " tilt=" + position(found->second.tilt) +
               " zoom=" + position(found->second.zoom);
    }
    if (verb == "set" && words.size() == 3) {
        const Field* f = findField(arg);
        if (f == nullptr) {
            return "error unknown key: " + arg;
        }
        return f->set(camera, words[2]) ? "ok" : bad;
    }
    if ((verb == "model" || verb == "vendor") && words.size() == 2) {
        return findField(verb)->set(camera, arg) ? "ok" : bad;
    }
    if (verb == "version" && words.size() == 2) {
        return findField("versionLength")->set(camera, arg) ? "ok" : bad;
    }
    if (verb == "clear" && words.size() == 2) {
        if (arg == "messages") {
            camera.clearMessages();
            return "ok";
        }
        if (arg == "sequences") {
            camera.clearSequences();
            return "ok";
        }
        return bad;
    }
    if (verb == "sequence" && words.size() == 3 && arg == "check") {
        if (words[2] != "on" && words[2] != "off") {
            return bad;
        }
        camera.sequenceChecking = words[2] == "on";
        return "ok";
    }
    if (verb == "reset" && words.size() == 2 && arg == "state") {
        camera.resetState();
        return "ok";
    }
    if (verb == "fault" && (words.size() == 2 || words.size() == 3)) {
        CameraFaults& f = camera.faults;
        const bool single = words.size() == 2;
        int ms = 0;
        if (arg == "none" && single) {
            f = CameraFaults{};
        } else if (arg == "silent" && single) {
            f.silent = true;
        } else if (arg == "wronglength" && single) {
            f.wrongLength = true;
        } else if (arg == "refuse" && single) {
            f.refuse = true;
        } else if (arg == "drop" && single) {
            f.drop = true;
        } else if (arg == "slow" && !single && parseInRange(words[2], 0, 600000, ms)) {
            f.slowMs = ms;
        } else {
            return bad;
        }
        return "ok";
    }
    return unknown;
}
