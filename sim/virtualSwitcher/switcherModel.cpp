#include "switcherModel.h"

#include <algorithm>

const std::string kPortQuery("\x08\x00\x00\x00\x01\x00\xAA\x55", kUnitSize);
const std::string kPoll("\x08\x00\x00\x00\x00\x00\x00\x00", kUnitSize);

namespace {

constexpr std::uint8_t kFirstChannelAddress = 0x0A;
constexpr std::uint8_t kProgram = 0x04;
constexpr std::uint8_t kPreview = 0x01;

const struct {
    SwitcherFault fault;
    const char* name;
} kFaultNames[] = {
    {SwitcherFault::None, "none"},           {SwitcherFault::WrongPort, "wrongport"},
    {SwitcherFault::ShortPort, "shortport"}, {SwitcherFault::ShortBurst, "shortburst"},
    {SwitcherFault::Garbage, "garbage"},     {SwitcherFault::Huge, "huge"},
    {SwitcherFault::Silent, "silent"},
};

std::string unit(std::uint8_t b0, std::uint8_t b2, std::uint8_t b4) {
    std::string u(kUnitSize, '\0');
    u[0] = static_cast<char>(b0);
    u[2] = static_cast<char>(b2);
    u[4] = static_cast<char>(b4);
    return u;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(' ', at)) != std::string::npos) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        out.push_back(line.substr(at, end - at));
        at = end;
    }
    return out;
}

// Cuts bytes into units; each unit equal to expected is answered by answer() while the reply is
// shorter than room.
template <typename Answer>
Taken takeUnits(UnitCutter& cutter, std::size_t& ignoredInARow, const std::string& bytes,
                const std::string& expected, std::size_t room, Answer answer) {
    Taken taken;
    for (const std::string& u : cutter.feed(bytes)) {
        if (u != expected) {
            if (taken.ignored++ == 0) {
                taken.firstIgnored = u;
            }
            ignoredInARow += kUnitSize;
            continue;
        }
        ignoredInARow = 0;
        ++taken.requests;
        if (taken.reply.size() >= room) {
            ++taken.unanswered;
            continue;
        }
        const std::string a = answer();
        if (!a.empty()) {
            taken.reply += a;
            ++taken.answered;
        }
    }
    return taken;
}

}  // namespace

std::optional<int> controlNumber(const std::string& text, int max) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 7) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : digits) {
        const int d = c >= '0' && c <= '9'          ? c - '0'
                      : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                    : -1;
        if (d < 0) {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + d;
    }
    return value <= max ? std::optional<int>(value) : std::nullopt;
}

bool isRealtimePort(long port) {
    return port == 5001 || port == 5003 || port == 5005 || port == 5007;
}

int channelsForName(const std::string& name) {
    // Looked at in the order the panel looks, so a name with both counts as a 2900.
    return name.find("2900") != std::string::npos ? 6 : 12;
}

std::string portAnswer(std::uint16_t realtimePort, SwitcherFault fault) {
    if (fault == SwitcherFault::Silent) {
        return {};
    }
    const std::uint16_t port = fault == SwitcherFault::WrongPort ? 5002 : realtimePort;
    std::string answer = kPortQuery;
    answer[4] = static_cast<char>(port & 0xFF);
    answer[5] = static_cast<char>(port >> 8);
    return fault == SwitcherFault::ShortPort ? answer.substr(0, 5) : answer;
}

std::string initialBurst(SwitcherFault fault, std::size_t length) {
    if (fault == SwitcherFault::Silent) {
        return {};
    }
    const std::size_t size = fault == SwitcherFault::ShortBurst ? kShortBurstSize : length;
    std::string burst;
    while (burst.size() < size) {
        burst += unit(0x00, 0x01, 0x00);
    }
    burst.resize(size);
    return burst;
}

std::vector<std::string> UnitCutter::feed(const std::string& bytes) {
    std::vector<std::string> units;
    std::size_t at = 0;
    if (!tail_.empty()) {
        at = std::min(kUnitSize - tail_.size(), bytes.size());
        tail_.append(bytes, 0, at);
        if (tail_.size() < kUnitSize) {
            return units;
        }
        units.push_back(tail_);
        tail_.clear();
    }
    for (; bytes.size() - at >= kUnitSize; at += kUnitSize) {
        units.push_back(bytes.substr(at, kUnitSize));
    }
    tail_ = bytes.substr(at);
    return units;
}

SwitcherModel::SwitcherModel(int channels, std::uint32_t seed)
    : tally_(static_cast<std::size_t>(std::clamp(channels, 1, kMaxChannels)), 0), random_(seed) {}

std::string SwitcherModel::faultName() const {
    for (const auto& entry : kFaultNames) {
        if (entry.fault == fault_) {
            return entry.name;
        }
    }
    return "?";
}

std::string SwitcherModel::randomBytes(std::size_t size) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string out(size, '\0');
    for (char& c : out) {
        c = static_cast<char>(byte(random_));
    }
    return out;
}

void SwitcherModel::fromBuses(int channel) {
    if (channel > 0) {
        tally_[static_cast<std::size_t>(channel - 1)] =
            (program_ == channel ? kProgram : 0) | (preview_ == channel ? kPreview : 0);
    }
}

void SwitcherModel::putOnBus(int& bus, int channel) {
    const int before = bus;
    bus = channel;
    fromBuses(before);
    fromBuses(channel);
}

std::optional<std::string> SwitcherModel::command(const std::string& line) {
    const std::vector<std::string> w = words(line);
    if (w.empty()) {
        return std::nullopt;
    }
    const std::string range = "1.." + std::to_string(channels());
    if (w[0] == "program" || w[0] == "preview") {
        const std::optional<int> channel =
            w.size() == 2 ? controlNumber(w[1], channels()) : std::nullopt;
        if (!channel) {
            return "error usage: " + w[0] + " CH (" + range + ", 0 clears the bus)";
        }
        putOnBus(w[0] == "program" ? program_ : preview_, *channel);
        return "ok";
    }
    if (w[0] == "set") {
        const std::optional<int> channel =
            w.size() == 3 ? controlNumber(w[1], channels()) : std::nullopt;
        const std::optional<int> value = w.size() == 3 ? controlNumber(w[2], 255) : std::nullopt;
        if (!channel || *channel == 0 || !value) {
            return "error usage: set CH BYTE (CH " + range + ", BYTE 0..255 or 0x00..0xFF)";
        }
        tally_[static_cast<std::size_t>(*channel - 1)] = static_cast<std::uint8_t>(*value);
        return "ok";
    }
    if (w.size() == 2 && w[0] == "get" && w[1] == "tally") {
        std::string out;
        for (int channel = 1; channel <= channels(); ++channel) {
            out += (channel > 1 ? " " : "") + std::to_string(channel) + "=" +
                   std::to_string(tally(channel));
        }
        return out;
    }
    if (w[0] == "mode") {
        if (w.size() != 2 || (w[1] != "changes" && w[1] != "all")) {
            return "error usage: mode changes|all";
        }
        reportsAll_ = w[1] == "all";
        return "ok";
    }
    if (w[0] == "fault") {
        for (const auto& entry : kFaultNames) {
            if (w.size() == 2 && w[1] == entry.name) {
                fault_ = entry.fault;
                return "ok";
            }
        }
        return "error usage: fault none|wrongport|shortport|shortburst|garbage|huge|silent";
    }
    return std::nullopt;
}

Taken QuerySession::take(const std::string& bytes, std::uint16_t realtimePort,
                         SwitcherFault fault) {
    return takeUnits(cutter_, ignoredInARow_, bytes, kPortQuery, SIZE_MAX,
                     [&] { return portAnswer(realtimePort, fault); });
}

Taken RealtimeSession::take(const std::string& bytes, SwitcherModel& model, std::size_t room) {
    return takeUnits(cutter_, ignoredInARow_, bytes, kPoll, room, [&] { return answer(model); });
}

std::string RealtimeSession::answer(SwitcherModel& model) {
    if (model.fault() == SwitcherFault::Silent) {
        return {};
    }
    if (model.fault() == SwitcherFault::Garbage) {
        lastSent_.clear();
        fullAnswersLeft_ = fullAnswers_;
        return model.randomBytes(kGarbageSize);
    }
    std::string records;
    if (model.fault() == SwitcherFault::Huge) {
        lastSent_.clear();
        fullAnswersLeft_ = fullAnswers_;
        while (records.size() < kHugeSize - kUnitSize) {
            const std::string r = model.randomBytes(3);
            records += unit(static_cast<std::uint8_t>(r[0]), static_cast<std::uint8_t>(r[1]),
                            static_cast<std::uint8_t>(r[2]));
        }
    } else {
        const bool all = fullAnswersLeft_ > 0 || model.reportsAll();
        fullAnswersLeft_ = std::max(0, fullAnswersLeft_ - 1);
        lastSent_.resize(static_cast<std::size_t>(model.channels()), -1);
        for (int channel = 1; channel <= model.channels(); ++channel) {
            int& sent = lastSent_[static_cast<std::size_t>(channel - 1)];
            if (all || sent != model.tally(channel)) {
                sent = model.tally(channel);
                records += unit(static_cast<std::uint8_t>(kFirstChannelAddress + channel - 1), 0x00,
                                model.tally(channel));
            }
        }
    }
    const std::size_t length = kUnitSize + records.size();
    return unit(static_cast<std::uint8_t>(length & 0xFF), 0x00, 0x00) + records;
}
