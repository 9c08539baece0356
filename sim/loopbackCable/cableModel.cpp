#include "cableModel.h"

#include <cstdio>
#include <sstream>
#include <vector>

const char* directionName(CableDirection direction) {
    return direction == CableDirection::AB ? "ab" : "ba";
}

void CableModel::note(CableDirection direction, const std::string& text) const {
    if (log) {
        log(std::string(directionName(direction)) + ": " + text);
    }
}

std::string CableModel::forward(CableDirection direction, std::string bytes) {
    Line& l = line(direction);
    if (bytes.empty()) {
        return bytes;
    }
    if (!plugged_ || l.broken) {
        note(direction, std::to_string(bytes.size()) +
                            " bytes lost: " + (plugged_ ? "line broken" : "unplugged"));
        return {};
    }
    if (l.corruptAt) {
        if (*l.corruptAt < bytes.size()) {
            char& target = bytes[*l.corruptAt];
            const unsigned before = static_cast<unsigned char>(target);
            target = static_cast<char>(before ^ 0xFFu);
            char text[64];
            std::snprintf(text, sizeof text, "byte corrupted, %02X sent as %02X", before,
                          before ^ 0xFFu);
            note(direction, text);
            l.corruptAt.reset();
        } else {
            *l.corruptAt -= bytes.size();
        }
    }
    if (l.dropTail) {
        l.burstStarted = true;
        l.held += bytes;
        const std::size_t keep = *l.dropTail;
        if (l.held.size() <= keep) {
            return {};
        }
        bytes = l.held.substr(0, l.held.size() - keep);
        l.held.erase(0, l.held.size() - keep);
    }
    l.forwarded += bytes.size();
    return bytes;
}

bool CableModel::awaitsQuiet(CableDirection direction) const {
    const Line& l = line(direction);
    return l.dropTail.has_value() && l.burstStarted;
}

void CableModel::lineQuiet(CableDirection direction) {
    Line& l = line(direction);
    if (!awaitsQuiet(direction)) {
        return;
    }
    note(direction,
         "end of the burst: its last " + std::to_string(l.held.size()) + " bytes dropped");
    l.held.clear();
    l.dropTail.reset();
    l.burstStarted = false;
}

void CableModel::breakLine(CableDirection direction) {
    line(direction).broken = true;
}

void CableModel::corrupt(CableDirection direction, std::size_t position) {
    line(direction).corruptAt = position;
}

std::string CableModel::dropTail(CableDirection direction, std::size_t count) {
    Line& l = line(direction);
    // A droptail given while another holds bytes back replaces it: the held bytes go on, and
    // the new one waits for the next bytes.
    std::string released = std::move(l.held);
    l.held.clear();
    l.forwarded += released.size();
    l.dropTail = count;
    l.burstStarted = false;
    return released;
}

std::array<std::string, 2> CableModel::heal() {
    std::array<std::string, 2> released;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Line& l = lines_[i];
        released[i] = std::move(l.held);
        l.forwarded += released[i].size();
        const std::uint64_t forwarded = l.forwarded;
        l = Line{};
        l.forwarded = forwarded;
    }
    plugged_ = true;
    return released;
}

std::uint64_t CableModel::forwarded(CableDirection direction) const {
    return line(direction).forwarded;
}

namespace {

bool parsePair(const std::string& word, int& pair) {
    if (word.size() != 1 || word[0] < '1' || word[0] > '4') {
        return false;
    }
    pair = word[0] - '0';
    return true;
}

bool parseDirection(const std::string& word, CableDirection& direction) {
    if (word == "ab" || word == "ba") {
        direction = word == "ab" ? CableDirection::AB : CableDirection::BA;
        return true;
    }
    return false;
}

bool parseCount(const std::string& word, std::size_t& count) {
    if (word.empty() || word.size() > 7) {
        return false;
    }
    std::size_t value = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    count = value;
    return value <= kMaxFaultCount;
}

// The first word as it can be shown in an answer line: printable, and not too long.
std::string shown(const std::string& word) {
    std::string out;
    for (const char c : word.substr(0, 32)) {
        if (c >= 0x21 && c <= 0x7E) {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
            out += escaped;
        }
    }
    return word.size() > 32 ? out + "..." : out;
}

}  // namespace

std::optional<CableCommand> parseCableCommand(const std::string& text, std::string& error) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    if (words.empty()) {
        error = "error empty command";
        return std::nullopt;
    }
    struct Form {
        const char* name;
        CableCommand::Kind kind;
        const char* usage;  // the words after the name
    };
    static const Form forms[] = {
        {"ping", CableCommand::Kind::Ping, ""},
        {"break", CableCommand::Kind::Break, "P ab|ba"},
        {"echo", CableCommand::Kind::Echo, "P ab|ba"},
        {"corrupt", CableCommand::Kind::Corrupt, "P ab|ba N"},
        {"droptail", CableCommand::Kind::DropTail, "P ab|ba N"},
        {"unplug", CableCommand::Kind::Unplug, "P"},
        {"plug", CableCommand::Kind::Plug, "P"},
        {"heal", CableCommand::Kind::Heal, "P|all"},
        {"get", CableCommand::Kind::Get, "P ab|ba"},
    };
    const Form* form = nullptr;
    for (const Form& f : forms) {
        if (words[0] == f.name) {
            form = &f;
        }
    }
    if (form == nullptr) {
        error = "error unknown command: " + shown(words[0]);
        return std::nullopt;
    }
    CableCommand command;
    command.kind = form->kind;
    const std::size_t wanted =
        form->kind == CableCommand::Kind::Ping ? 1
        : form->kind == CableCommand::Kind::Corrupt || form->kind == CableCommand::Kind::DropTail
            ? 4
        : form->kind == CableCommand::Kind::Break || form->kind == CableCommand::Kind::Echo ||
                form->kind == CableCommand::Kind::Get
            ? 3
            : 2;
    const std::string usage =
        std::string("error usage: ") + form->name + (*form->usage != '\0' ? " " : "") + form->usage;
    if (words.size() != wanted) {
        error = usage;
        return std::nullopt;
    }
    if (wanted == 1) {
        return command;
    }
    if (form->kind == CableCommand::Kind::Heal && words[1] == "all") {
        command.pair = 0;
        return command;
    }
    if (!parsePair(words[1], command.pair)) {
        error = "error pair must be 1 to 4" +
                std::string(form->kind == CableCommand::Kind::Heal ? " or all" : "");
        return std::nullopt;
    }
    if (wanted >= 3 && !parseDirection(words[2], command.direction)) {
        error = "error direction must be ab or ba";
        return std::nullopt;
    }
    if (wanted == 4 && !parseCount(words[3], command.count)) {
        error = "error N must be a number from 0 to " + std::to_string(kMaxFaultCount);
        return std::nullopt;
    }
    return command;
}
