#include "mcuModel.h"

#include <cstdio>

#include "hexDigits.h"

namespace {

constexpr unsigned char kAck = 0x06;
constexpr unsigned char kNack = 0x15;
constexpr unsigned char kFatal = 0x20;  // loader only: the reception is abandoned
constexpr std::size_t kMaxPack = 128;
constexpr char kGarbageByte = 0x3C;  // never 0x55 or 0xAA
constexpr char kTrailingByte = 0x7E;

std::string reply(unsigned char type, const std::string& payload) {
    std::string out;
    out += '\x55';
    out += '\xAA';
    out += static_cast<char>(type);
    out += static_cast<char>(payload.size() + 1);
    return out + payload;
}

std::string word(int value) {
    return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

std::string code(unsigned char type, unsigned char answer) {
    return reply(type, std::string(1, static_cast<char>(answer)));
}

std::string typeName(unsigned char type) {
    return type == 0x83 ? "start" : type == 0x84 ? "data" : "done";
}

}  // namespace

McuLoader::Step McuLoader::take(std::uint8_t type, const std::string& payload) {
    switch (type) {
        case 0x83:
            return start(payload);
        case 0x84:
            return data(payload);
        case 0x85:
            return done(payload);
        default:
            return {};
    }
}

McuLoader::Step McuLoader::nack(std::uint8_t type, const std::string& why) {
    ++naks;
    return {code(type, kNack), "loader: " + typeName(type) + " refused (NACK): " + why};
}

McuLoader::Step McuLoader::fatal(std::uint8_t type, const std::string& why) {
    receiving_ = false;
    failed_ = true;
    return {code(type, kFatal), "loader: " + typeName(type) +
                                    " fatal error, reception abandoned at " +
                                    std::to_string(received_.size()) + " of " +
                                    std::to_string(announced_) + " bytes: " + why};
}

McuLoader::Step McuLoader::start(const std::string& payload) {
    ++starts;
    // Whatever the frame holds, the sender is beginning anew: a reception under way ends here.
    receiving_ = false;
    failed_ = false;
    if (payload.size() != 9 || payload.compare(0, 7, "upgrade") != 0) {
        return nack(0x83, "not \"upgrade\" and a 2-byte size (" + std::to_string(payload.size()) +
                              " payload bytes)");
    }
    if (faults.notReady) {
        return nack(0x83, "not ready (fault)");
    }
    const std::size_t size =
        static_cast<unsigned char>(payload[7]) * 256u + static_cast<unsigned char>(payload[8]);
    if (size == 0) {
        return nack(0x83, "empty image announced");
    }
    receiving_ = true;
    announced_ = size;
    received_.clear();
    lastPack_.clear();
    return {code(0x83, kAck), "loader: start, " + std::to_string(size) + " bytes announced"};
}

McuLoader::Step McuLoader::data(const std::string& payload) {
    if (faults.silentPacks > 0) {
        --faults.silentPacks;
        return {{}, "loader: data pack lost (silent fault)"};
    }
    if (faults.fatal) {
        faults.fatal = false;
        return fatal(0x84, "fault");
    }
    if (faults.nakPacks > 0) {
        --faults.nakPacks;
        return nack(0x84, "fault");
    }
    if (!receiving_) {
        return nack(0x84, "no upgrade started");
    }
    if (payload.size() < 2 || payload.size() > kMaxPack + 1) {
        return nack(0x84,
                    std::to_string(payload.size()) + " payload bytes, not 1 to 128 and a check");
    }
    const std::string pack = payload.substr(0, payload.size() - 1);
    unsigned sum = 0;
    for (const char c : pack) {
        sum += static_cast<unsigned char>(c);
    }
    const auto check = static_cast<unsigned char>(payload.back());
    if ((sum & 0xFF) != check) {
        char why[64];
        std::snprintf(why, sizeof why, "check byte %02x, the bytes sum to %02x", check, sum & 0xFF);
        return nack(0x84, why);
    }
    if (received_.size() == announced_ && pack == lastPack_) {
        ++repeats;
        return {code(0x84, kAck), "loader: repeat of the last pack (" +
                                      std::to_string(pack.size()) + " bytes), not added"};
    }
    if (received_.size() + pack.size() > announced_) {
        return fatal(0x84, "a pack of " + std::to_string(pack.size()) +
                               " bytes runs past the announced size");
    }
    received_ += pack;
    lastPack_ = pack;
    ++packs;
    return {code(0x84, kAck), {}};
}

McuLoader::Step McuLoader::done(const std::string& payload) {
    ++dones;
    if (payload != "done") {
        receiving_ = false;
        return nack(0x85, "not \"done\" (" + std::to_string(payload.size()) + " payload bytes)");
    }
    if (faults.fatal) {
        faults.fatal = false;
        return fatal(0x85, "fault");
    }
    if (failed_) {
        return fatal(0x85, "the reception was abandoned");
    }
    if (!receiving_) {
        return nack(0x85, "no upgrade started");
    }
    receiving_ = false;
    if (received_.size() != announced_) {
        return nack(0x85, std::to_string(received_.size()) + " bytes received of " +
                              std::to_string(announced_) + " announced");
    }
    image_ = received_;
    hasImage_ = true;
    faults.stuck = false;  // the new firmware starts
    return {code(0x85, kAck),
            "loader: done, image of " + std::to_string(image_.size()) + " bytes confirmed"};
}

std::string McuLoader::summary() const {
    return std::string("state=") + (receiving_ ? "receiving" : "idle") +
           " announced=" + std::to_string(announced_) +
           " received=" + std::to_string(received_.size()) + " packs=" + std::to_string(packs) +
           " repeats=" + std::to_string(repeats) + " naks=" + std::to_string(naks) +
           " starts=" + std::to_string(starts) + " done=" + std::to_string(dones);
}

void McuLoader::resetCounts() {
    packs = 0;
    repeats = 0;
    naks = 0;
    starts = 0;
    dones = 0;
}

McuModel::McuModel() : ledMap_(20, '\0') {}

int McuModel::ledColour(int key) const {
    const auto byte = static_cast<unsigned char>(ledMap_[key / 2]);
    return key % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

std::string McuModel::statusPayload() const {
    std::string p;
    p += static_cast<char>(controls.lock ? 1 : 0);
    for (int a = 0; a < 3; ++a) {
        const int v = controls.axis[a] & 0x0FFF;
        p += static_cast<char>((controls.axisDir[a] ? 0x10 : 0x00) | (v >> 8));
        p += static_cast<char>(v & 0xFF);
    }
    p += static_cast<char>((controls.shuttleDir ? 0x80 : 0x00) | (controls.shuttle & 0x7F));
    p += static_cast<char>((controls.jogDir ? 0x80 : 0x00) | (controls.jog & 0x7F));
    p += word(controls.tbar);
    for (int s : controls.slider) {
        p += static_cast<char>(s & 0xFF);
    }
    std::string keys(5, '\0');
    for (int k = 0; k < 40; ++k) {
        if (controls.key[k]) {
            keys[k / 8] =
                static_cast<char>(static_cast<unsigned char>(keys[k / 8]) | (0x80 >> (k % 8)));
        }
    }
    return p + keys;
}

std::vector<std::string> McuModel::feed(const std::string& bytes) {
    pending_ += bytes;
    std::vector<std::string> answers;
    while (true) {
        // Everything before a sync pair is noise.
        std::size_t sync = pending_.find("\x55\xAA");
        if (sync == std::string::npos) {
            const bool keepLast = !pending_.empty() && pending_.back() == '\x55';
            noteDropped(pending_.size() - (keepLast ? 1 : 0));
            pending_ = keepLast ? std::string("\x55") : std::string();
            break;
        }
        noteDropped(sync);
        pending_.erase(0, sync);
        if (pending_.size() < 4) {
            break;
        }
        const auto type = static_cast<unsigned char>(pending_[2]);
        const auto length = static_cast<unsigned char>(pending_[3]);
        if (length < 1) {
            ++rejectedFrames;
            note("frame type " + mcuHex(std::string(1, static_cast<char>(type))) +
                 " with length byte 00 dropped");
            pending_.erase(0, 2);
            continue;
        }
        if (pending_.size() < static_cast<std::size_t>(length) + 3) {
            break;
        }
        const std::string payload = pending_.substr(4, length - 1);
        pending_.erase(0, static_cast<std::size_t>(length) + 3);
        ++framesByType[type];
        if (firstTypes.size() < 16) {
            firstTypes.push_back(type);
        }
        recentTypes.push_back(type);
        if (recentTypes.size() > 256) {
            recentTypes.pop_front();
        }
        std::string answer;
        if (McuLoader::handles(type)) {
            const McuLoader::Step step = loader.take(type, payload);
            if (!step.note.empty()) {
                note(step.note);
            }
            answer = step.answer;
            if (answer.empty()) {
                continue;
            }
        } else if (loader.faults.stuck) {
            ++rejectedFrames;
            note("in the loader: frame type " + mcuHex(std::string(1, static_cast<char>(type))) +
                 " not answered");
            continue;
        } else {
            answer = answerFor(type, payload);
            if (answer.empty()) {
                ++rejectedFrames;
                note("frame type " + mcuHex(std::string(1, static_cast<char>(type))) + " with " +
                     std::to_string(payload.size()) + " payload bytes not answered");
                continue;
            }
        }
        if (!faults.silent) {
            answers.push_back(applyFaults(answer));
        }
    }
    return answers;
}

std::string McuModel::answerFor(std::uint8_t type, const std::string& payload) {
    switch (type) {
        case 0x80:
            if (payload != "ver") {
                return {};
            }
            return reply(0x80, word(versionMajor) + word(versionMinor));
        case 0x81:
            if (payload.size() != 20) {
                return {};
            }
            ledMap_ = payload;
            if (firstLedMap.empty()) {
                firstLedMap = payload;
            }
            return reply(0x81, statusPayload());
        case 0x82:
            if (payload != "tbar") {
                return {};
            }
            return reply(0x82, word(tbarMax) + word(tbarMin));
        case 0x86: {
            if (payload.size() != 12 || payload.compare(0, 11, "settingtbar") != 0) {
                return reply(0x86, std::string(1, static_cast<char>(kNack)));
            }
            const auto selector = static_cast<unsigned char>(payload[11]);
            if (selector == 0x02) {
                tbarMax = controls.tbar;
            } else if (selector == 0x03) {
                tbarMin = controls.tbar;
            } else {
                return reply(0x86, std::string(1, static_cast<char>(kNack)));
            }
            return reply(0x86, std::string(1, static_cast<char>(kAck)));
        }
        case 0x87:
            if (payload.compare(0, 7, "INITZEK") != 0 || payload.size() != 7 + 98) {
                return reply(0x87, std::string(1, static_cast<char>(kNack)));
            }
            colourTable_ = payload.substr(7);
            return reply(0x87, std::string(1, static_cast<char>(kAck)));
        default:
            return {};  // unknown types: no answer
    }
}

void McuModel::note(const std::string& line) const {
    if (log) {
        log(line);
    }
}

void McuModel::noteDropped(std::size_t count) {
    if (count > 0) {
        droppedBytes += static_cast<long>(count);
        note(std::to_string(count) + " bytes without a sync pair dropped");
    }
}

std::string McuModel::applyFaults(std::string answer) const {
    if (faults.wrongType) {
        answer[2] = static_cast<char>(static_cast<unsigned char>(answer[2]) ^ 0x08);
    }
    if (faults.truncateTo >= 0 && static_cast<std::size_t>(faults.truncateTo) < answer.size()) {
        answer.resize(static_cast<std::size_t>(faults.truncateTo));
    }
    answer.insert(0, static_cast<std::size_t>(faults.garbageBytes), kGarbageByte);
    answer.append(static_cast<std::size_t>(faults.trailingBytes), kTrailingByte);
    return answer;
}

std::string mcuHex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

bool mcuUnhex(const std::string& text, std::string& bytes) {
    if (text.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = hexDigitValue(text[i]);
        const int lo = hexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0) {
            return false;
        }
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return true;
}
