#include "lossPlan.h"

#include <cstdlib>

namespace {

bool parseCount(const std::string& text, long low, long high, long& out) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool parsePrefix(const std::vector<std::string>& words, std::size_t from, std::string& out) {
    out.clear();
    for (std::size_t i = from; i < words.size(); ++i) {
        long byte = 0;
        char* end = nullptr;
        byte = std::strtol(words[i].c_str(), &end, 16);
        if (words[i].size() != 2 || *end != '\0') {
            return false;
        }
        out.push_back(static_cast<char>(byte));
    }
    return true;
}

}  // namespace

std::optional<std::string> LossPlan::control(const std::vector<std::string>& words) {
    if (words.size() == 2 && words[0] == "get" && words[1] == "lost") {
        return "in=" + std::to_string(lostIn_) + " out=" + std::to_string(lostOut_);
    }
    if (words.size() >= 3 && words[0] == "lose" && (words[1] == "in" || words[1] == "out")) {
        Rule rule;
        if (!parseCount(words[2], 0, 1000000, rule.count) || !parsePrefix(words, 3, rule.prefix)) {
            return std::string("error usage: lose in|out N [HH HH ..]");
        }
        (words[1] == "in" ? in_ : out_) = rule;
        return std::string("ok");
    }
    if (!words.empty() && words[0] == "loss") {
        long in = 0;
        long out = 0;
        long seed = 0;
        if (words.size() != 4 || !parseCount(words[1], 0, 100, in) ||
            !parseCount(words[2], 0, 100, out) || !parseCount(words[3], 0, 0x7FFFFFFF, seed)) {
            return std::string("error usage: loss IN OUT SEED (percent 0..100)");
        }
        inPercent_ = static_cast<int>(in);
        outPercent_ = static_cast<int>(out);
        random_.seed(static_cast<std::uint32_t>(seed));
        return std::string("ok");
    }
    return std::nullopt;
}

bool LossPlan::matches(Rule& rule, const std::string& message) {
    if (rule.count <= 0 || message.compare(0, rule.prefix.size(), rule.prefix) != 0) {
        return false;
    }
    --rule.count;
    return true;
}

bool LossPlan::draw(int percent) {
    if (percent <= 0) {
        return false;
    }
    return static_cast<int>(random_() % 100) < percent;
}

bool LossPlan::loseIncoming(const std::string& message) {
    const bool lost = matches(in_, message) || draw(inPercent_);
    lostIn_ += lost ? 1 : 0;
    return lost;
}

std::vector<std::string> LossPlan::survivingAnswers(const std::string& message,
                                                    std::vector<std::string> answers) {
    if (matches(out_, message)) {
        lostOut_ += static_cast<long>(answers.size());
        return {};
    }
    std::vector<std::string> kept;
    for (std::string& a : answers) {
        if (draw(outPercent_)) {
            ++lostOut_;
        } else {
            kept.push_back(std::move(a));
        }
    }
    return kept;
}
