#include "cameraModel.h"

#include "hexDigits.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

const std::string kAcknowledge("\x90\x41\xFF", 3);
const std::string kCompletion("\x90\x51\xFF", 3);
const std::string kSyntaxError("\x90\x60\x02\xFF", 4);

int at(const std::string& m, std::size_t i) {
    return static_cast<unsigned char>(m[i]);
}

char byte(int value) {
    return static_cast<char>(value & 0xFF);
}

std::vector<int> patternBytes(const char* pattern) {
    std::vector<int> out;
    std::istringstream in(pattern);
    std::string token;
    while (in >> token) {
        out.push_back(token == "__" ? -1 : std::stoi(token, nullptr, 16));
    }
    return out;
}

enum class Match { None, WrongLength, Full };

// A message that agrees with the pattern up to its first parameter is that command; if its length
// differs it is a malformed one rather than an unknown one.
Match match(const std::string& m, const char* pattern) {
    const std::vector<int> p = patternBytes(pattern);
    std::size_t head = 0;
    while (head + 1 < p.size() && p[head] >= 0) {
        ++head;
    }
    if (m.size() < head) {
        return Match::None;
    }
    for (std::size_t i = 0; i < head; ++i) {
        if (at(m, i) != p[i]) {
            return Match::None;
        }
    }
    if (m.size() != p.size()) {
        return Match::WrongLength;
    }
    for (std::size_t i = head; i < p.size(); ++i) {
        if (p[i] >= 0 && at(m, i) != p[i]) {
            return Match::None;
        }
    }
    return Match::Full;
}

int clampByte(int value) {
    return std::clamp(value, 0, 255);
}

// Two bytes 0p 0q into pq; -1 when either holds more than a nibble.
int nibbles(const std::string& m, std::size_t i) {
    const int p = at(m, i);
    const int q = at(m, i + 1);
    return p > 0x0F || q > 0x0F ? -1 : p << 4 | q;
}

}  // namespace

const std::vector<CameraModel::Command>& CameraModel::commands() {
    static const std::vector<Command> table{
        {"pan-tilt drive", "81 01 06 01 __ __ __ __ FF", &CameraModel::panTiltDrive},
        {"zoom", "81 01 04 07 __ FF", &CameraModel::zoom},
        {"focus", "81 01 04 08 __ FF", &CameraModel::focus},
        {"focus mode", "81 01 04 38 __ FF", &CameraModel::focusMode},
        {"white balance", "81 01 04 35 __ FF", &CameraModel::whiteBalance},
        {"one-push trigger", "81 01 04 10 05 FF", &CameraModel::onePushTrigger},
        {"red gain", "81 01 04 43 __ __ __ __ FF", &CameraModel::redGain},
        {"blue gain", "81 01 04 44 __ __ __ __ FF", &CameraModel::blueGain},
        {"exposure mode", "81 01 04 39 __ FF", &CameraModel::exposureMode},
        {"shutter", "81 01 04 0A __ FF", &CameraModel::shutterStep},
        {"iris", "81 01 04 0B __ FF", &CameraModel::irisStep},
        {"gain", "81 01 04 0C __ FF", &CameraModel::gainStep},
        {"preset", "81 01 04 3F __ __ FF", &CameraModel::preset},
        {"picture format", "81 01 04 24 72 __ FF", &CameraModel::pictureFormat},
        {"vertical flip", "81 01 04 66 __ FF", &CameraModel::verticalFlip},
        {"mirror", "81 01 04 61 __ FF", &CameraModel::mirror},
        {"menu", "81 01 06 06 __ FF", &CameraModel::menu},
        {"menu enter", "81 01 7E 01 02 00 01 FF", &CameraModel::menuEnter},
        {"speed mode", "81 01 7E 01 0B 7E __ FF", &CameraModel::speedMode},
        {"tally", "81 01 7E 01 0A 00 __ __ FF", &CameraModel::tally},
    };
    return table;
}

const std::vector<CameraModel::Inquiry>& CameraModel::inquiries() {
    static const std::vector<Inquiry> table{
        {"status", "81 09 7E 7E 70 FF", [](const CameraModel& c) { return c.statusBlock(); }},
        {"shutter position", "81 09 04 4A FF",
         [](const CameraModel& c) { return c.positionAnswer(c.state.shutter); }},
        {"gain position", "81 09 04 4C FF",
         [](const CameraModel& c) { return c.positionAnswer(c.state.gain); }},
        {"version", "81 09 00 02 FF", [](const CameraModel& c) { return c.versionAnswer(); }},
    };
    return table;
}

void CameraModel::logMessage(const std::string& message) {
    ++messageCount;
    std::string hex = viscaHex(message.substr(0, kMaxLoggedBytes));
    if (message.size() > kMaxLoggedBytes) {
        hex += "...";
    }
    messages_.push_back(std::move(hex));
    arrivals_.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
    if (messages_.size() > kMaxLogged) {
        messages_.pop_front();
        arrivals_.pop_front();
    }
}

void CameraModel::noteBusy(const std::string& message) {
    logMessage(message);
    report("buffer full: " + viscaSpacedHex(message, 24) + " not taken");
}

std::vector<std::string> CameraModel::handle(const std::string& message) {
    logMessage(message);

    if (message.empty()) {
        return reject(message, "empty");
    }
    const std::size_t end = message.find('\xFF');
    if (end == std::string::npos) {
        return reject(message, "no FF at the end");
    }
    if (end + 1 != message.size()) {
        return reject(message, "FF before the end");
    }
    if (at(message, 0) != 0x81) {
        return reject(message, "not addressed to camera 1");
    }
    if (message.size() < 3) {
        return reject(message, "too short");
    }
    std::vector<std::string> answers;
    if (at(message, 1) == 0x01) {
        for (const Command& command : commands()) {
            const Match m = match(message, command.pattern);
            if (m == Match::None) {
                continue;
            }
            if (m == Match::WrongLength) {
                return reject(message, std::string(command.name) + ": wrong length");
            }
            const std::string wrong = (this->*command.apply)(message);
            if (!wrong.empty()) {
                return reject(message, std::string(command.name) + ": " + wrong);
            }
            answers = {kAcknowledge, kCompletion};
            break;
        }
        if (answers.empty()) {
            return reject(message, "unknown command");
        }
    } else if (at(message, 1) == 0x09) {
        for (const Inquiry& inquiry : inquiries()) {
            const Match m = match(message, inquiry.pattern);
            if (m == Match::WrongLength) {
                return reject(message, std::string(inquiry.name) + " inquiry: wrong length");
            }
            if (m == Match::Full) {
                answers = {inquiry.answer(*this)};
                break;
            }
        }
        if (answers.empty()) {
            return reject(message, "inquiry not answered by this camera");
        }
    } else {
        return reject(message, "neither a command nor an inquiry");
    }
    if (faults.silent) {
        return {};
    }
    return answers;
}

std::vector<std::string> CameraModel::reject(const std::string& message, const std::string& why) {
    ++rejectedCount;
    report("rejected " + viscaSpacedHex(message) + " (" + why + "): syntax error");
    if (faults.silent) {
        return {};
    }
    return {kSyntaxError};
}

void CameraModel::advance(double seconds) {
    if (!(seconds > 0)) {
        return;
    }
    CameraState& s = state;
    const double turn = s.ptReversed ? -1 : 1;
    const double panSign = s.panDir == kPanRight ? 1 : s.panDir == kPanLeft ? -1 : 0;
    const double tiltSign = s.tiltDir == kTiltUp ? 1 : s.tiltDir == kTiltDown ? -1 : 0;
    const double zoomSign = s.zoomDir == kZoomTele ? 1 : s.zoomDir == kZoomWide ? -1 : 0;
    s.pan = std::clamp(s.pan + turn * panSign * s.panSpeed * kPanTiltRate * seconds, -kPanLimit,
                       kPanLimit);
    s.tilt = std::clamp(s.tilt + turn * tiltSign * s.tiltSpeed * kPanTiltRate * seconds, kTiltLow,
                        kTiltHigh);
    s.zoom =
        std::clamp(s.zoom + zoomSign * (s.zoomSpeed + 1) * kZoomRate * seconds, 0.0, kZoomTeleEnd);
}

std::string CameraModel::statusBlock() const {
    const CameraState& s = state;
    const bool tallyLit = s.tallyRed || s.tallyGreen;
    std::string b;
    b += byte(0x90);
    b += byte(0x50);
    b += byte((s.colourBars ? 0x02 : 0) | (tallyLit ? 0x04 : 0) | (s.menu ? 0x10 : 0));
    b += byte(s.videoMode);
    b += byte(s.wbMode);
    b += byte(s.rGain >> 4 & 0x0F);
    b += byte(s.rGain & 0x0F);
    b += byte(s.bGain >> 4 & 0x0F);
    b += byte(s.bGain & 0x0F);
    b += byte(s.focusMode);
    b += byte(s.exposureMode);
    b += byte(0);
    b += byte((s.ptReversed ? 0x01 : 0) | (s.hflip ? 0x10 : 0) | (s.vflip ? 0x20 : 0));
    b += byte(s.speedMode);
    b += byte(0xFF);
    if (faults.wrongLength) {
        b.erase(11, 1);
    }
    return b;
}

std::string CameraModel::positionAnswer(int position) const {
    const int v = clampByte(position);
    return std::string{byte(0x90), byte(0x50), 0, 0, byte(v >> 4), byte(v & 0x0F), byte(0xFF)};
}

std::string CameraModel::versionAnswer() const {
    const CameraIdentity& id = identity;
    std::string b{byte(0x90),          byte(0x50),     byte(id.vendor >> 8), byte(id.vendor),
                  byte(id.model >> 8), byte(id.model), byte(id.rom >> 8),    byte(id.rom)};
    const int length = faults.wrongLength ? 10 : id.answerLength;
    if (length == 10) {
        b += byte(0x02);  // the bare VISCA form: one socket byte
    } else {
        b += std::string{0, byte(0x02)};
        if (length == 16) {
            b += std::string(5, '\0');
        }
    }
    b += byte(0xFF);
    return b;
}

void CameraModel::noteDiscarded(const std::string& bytes, const std::string& why) {
    discardedBytes += static_cast<long>(bytes.size());
    report("discarded " + std::to_string(bytes.size()) + " bytes (" + why +
           "): " + viscaSpacedHex(bytes, 16));
}

void CameraModel::noteRejected(const std::string& bytes, const std::string& why) {
    ++rejectedCount;
    report("rejected " + std::to_string(bytes.size()) + " bytes (" + why +
           "): " + viscaSpacedHex(bytes, 24));
}

void CameraModel::recordSequence(std::uint32_t sequence) {
    sequences_.push_back(sequence);
    if (sequences_.size() > kMaxLogged) {
        sequences_.pop_front();
    }
}

void CameraModel::clearMessages() {
    messages_.clear();
    arrivals_.clear();
    messageCount = 0;
    rejectedCount = 0;
    discardedBytes = 0;
}

bool CameraModel::takeSequence(std::uint32_t sequence) {
    if (!sequenceChecking) {
        return true;
    }
    if (sequence != expectedSequence && !sequenceAfterReset) {
        ++sequenceErrors;
        report("sequence number " + std::to_string(sequence) +
               " refused: " + std::to_string(expectedSequence) + " expected");
        return false;
    }
    expectedSequence = sequence + 1;
    sequenceAfterReset = false;
    return true;
}

void CameraModel::resetSequence() {
    expectedSequence = 0;
    sequenceAfterReset = true;
    ++sequenceResets;
}

void CameraModel::resetState() {
    state = CameraState{};
    presets.clear();
}

void CameraModel::report(const std::string& line) const {
    if (log) {
        log(line);
    }
}

std::string CameraModel::panTiltDrive(const std::string& m) {
    const int vv = at(m, 4);
    const int ww = at(m, 5);
    const int pp = at(m, 6);
    const int tt = at(m, 7);
    if (vv < 1 || vv > 0x18) {
        return "pan speed out of range";
    }
    if (ww < 1 || ww > 0x17) {
        return "tilt speed out of range";
    }
    if (pp < 1 || pp > 3 || tt < 1 || tt > 3) {
        return "unknown direction";
    }
    state.panSpeed = vv;
    state.tiltSpeed = ww;
    state.panDir = pp;
    state.tiltDir = tt;
    return {};
}

std::string CameraModel::zoom(const std::string& m) {
    const int v = at(m, 4);
    if (v == 0x00) {
        state.zoomDir = kZoomStop;
    } else if ((v & 0xF0) == 0x20 && (v & 0x0F) <= 7) {
        state.zoomDir = kZoomTele;
        state.zoomSpeed = v & 0x0F;
    } else if ((v & 0xF0) == 0x30 && (v & 0x0F) <= 7) {
        state.zoomDir = kZoomWide;
        state.zoomSpeed = v & 0x0F;
    } else {
        return "not stop, 2p or 3p with p up to 7";
    }
    return {};
}

std::string CameraModel::focus(const std::string& m) {
    const int v = at(m, 4);
    if (v != kFocusStop && v != kFocusFar && v != kFocusNear) {
        return "not stop, far or near";
    }
    state.focusDir = v;
    if (v != kFocusStop) {
        ++state.focusSteps;
        state.focusPos += v == kFocusFar ? 1 : -1;
    }
    return {};
}

std::string CameraModel::focusMode(const std::string& m) {
    const int v = at(m, 4);
    if (v != kFocusAuto && v != kFocusManual) {
        return "not auto or manual";
    }
    state.focusMode = v;
    return {};
}

std::string CameraModel::whiteBalance(const std::string& m) {
    const int v = at(m, 4);
    if (v > 5) {
        return "mode out of range";
    }
    state.wbMode = v;
    return {};
}

std::string CameraModel::onePushTrigger(const std::string&) {
    ++state.onePushCount;
    if (state.wbMode == kWbOnePush || state.wbMode == kWbOnePushLamp) {
        ++state.onePushApplied;
    }
    return {};
}

std::string CameraModel::redGain(const std::string& m) {
    const int v = nibbles(m, 6);
    if (at(m, 4) != 0 || at(m, 5) != 0 || v < 0) {
        return "not 00 00 0p 0q";
    }
    state.rGain = v;
    return {};
}

std::string CameraModel::blueGain(const std::string& m) {
    const int v = nibbles(m, 6);
    if (at(m, 4) != 0 || at(m, 5) != 0 || v < 0) {
        return "not 00 00 0p 0q";
    }
    state.bGain = v;
    return {};
}

std::string CameraModel::exposureMode(const std::string& m) {
    const int v = at(m, 4);
    if (v != 0x00 && v != 0x03 && v != 0x0A && v != 0x0B && v != 0x0D) {
        return "mode out of range";
    }
    state.exposureMode = v;
    return {};
}

namespace {

std::string step(const std::string& m, int& position) {
    const int v = at(m, 4);
    if (v != 0x02 && v != 0x03) {
        return "not up or down";
    }
    position = clampByte(position + (v == 0x02 ? 1 : -1));
    return {};
}

std::string onOff(const std::string& m, bool& flag) {
    const int v = at(m, 4);
    if (v != 0x02 && v != 0x03) {
        return "not on or off";
    }
    flag = v == 0x02;
    return {};
}

}  // namespace

std::string CameraModel::shutterStep(const std::string& m) {
    return step(m, state.shutter);
}

std::string CameraModel::irisStep(const std::string& m) {
    return step(m, state.iris);
}

std::string CameraModel::gainStep(const std::string& m) {
    return step(m, state.gain);
}

std::string CameraModel::preset(const std::string& m) {
    const int action = at(m, 4);
    const int number = at(m, 5);
    if (number > 0x7F) {
        return "number out of range";
    }
    if (action == 0x01) {
        presets[number] = {state.pan, state.tilt, state.zoom};
        ++state.presetStores;
    } else if (action == 0x02) {
        // A recall drives the head to the stored place; whatever was moving stops there. A
        // number never stored leaves the head where it is.
        const auto found = presets.find(number);
        if (found != presets.end()) {
            state.pan = found->second.pan;
            state.tilt = found->second.tilt;
            state.zoom = found->second.zoom;
        }
        state.panDir = kAxisStop;
        state.tiltDir = kAxisStop;
        state.zoomDir = kZoomStop;
        state.lastPreset = number;
        ++state.presetRecalls;
    } else {
        return "not store or recall";
    }
    return {};
}

std::string CameraModel::pictureFormat(const std::string& m) {
    const int v = at(m, 5);
    if (v > 0x1F) {
        return "format code wider than 5 bits";
    }
    state.videoMode = v;
    return {};
}

std::string CameraModel::verticalFlip(const std::string& m) {
    return onOff(m, state.vflip);
}

std::string CameraModel::mirror(const std::string& m) {
    return onOff(m, state.hflip);
}

std::string CameraModel::menu(const std::string& m) {
    return onOff(m, state.menu);
}

std::string CameraModel::menuEnter(const std::string&) {
    ++state.menuEnters;
    return {};
}

std::string CameraModel::speedMode(const std::string& m) {
    const int v = at(m, 6);
    if (v < 1 || v > 3) {
        return "not slow, mid or fast";
    }
    state.speedMode = v;
    return {};
}

std::string CameraModel::tally(const std::string& m) {
    const int red = at(m, 6);
    const int green = at(m, 7);
    if ((red != 0x02 && red != 0x03) || (green != 0x02 && green != 0x03)) {
        return "lamps not on or off";
    }
    state.tallyRed = red == 0x02;
    state.tallyGreen = green == 0x02;
    return {};
}

std::string viscaHex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

std::string viscaSpacedHex(const std::string& bytes, std::size_t maxBytes) {
    if (bytes.empty()) {
        return "(nothing)";
    }
    std::string out;
    char item[4];
    for (std::size_t i = 0; i < bytes.size() && i < maxBytes; ++i) {
        std::snprintf(item, sizeof item, "%02X", static_cast<unsigned char>(bytes[i]));
        if (!out.empty()) {
            out += ' ';
        }
        out += item;
    }
    if (bytes.size() > maxBytes) {
        out += " ... (" + std::to_string(bytes.size()) + " bytes)";
    }
    return out;
}

bool viscaUnhex(const std::string& text, std::string& bytes) {
    std::string out;
    int high = -1;
    for (const char c : text) {
        if (c == ' ') {
            continue;
        }
        const int v = hexDigitValue(c);
        if (v < 0) {
            return false;
        }
        if (high < 0) {
            high = v;
        } else {
            out += static_cast<char>(high * 16 + v);
            high = -1;
        }
    }
    if (high >= 0) {
        return false;
    }
    bytes = out;
    return true;
}
