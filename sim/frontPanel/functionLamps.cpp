#include "functionLamps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace frontpanel {

namespace {

constexpr std::size_t kLongestLine = 4096;

bool parseNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 12) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || end == nullptr || *end != '\0' || v < low || v > high) {
        return false;
    }
    value = v;
    return true;
}

}  // namespace

std::optional<LampWrite> parseLampCommand(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
        if (words.size() > 12) {
            return std::nullopt;
        }
    }
    if (words.empty() || words[0] != "i2cset") {
        return std::nullopt;
    }
    std::size_t at = 1;
    while (at < words.size() && (words[at] == "-f" || words[at] == "-y")) {
        ++at;
    }
    // Bus, chip, register, value, and an optional byte-mode letter.
    const std::size_t rest = words.size() - at;
    if (rest != 4 && !(rest == 5 && words[at + 4] == "b")) {
        return std::nullopt;
    }
    long bus = 0;
    long chip = 0;
    long reg = 0;
    long value = 0;
    if (!parseNumber(words[at], 0, 255, bus) || bus != 1 ||
        !parseNumber(words[at + 1], 0, 0x7f, chip) || chip != 0x03 ||
        !parseNumber(words[at + 2], kFirstLampRegister, kFirstLampRegister + kLampRegisters - 1,
                     reg) ||
        !parseNumber(words[at + 3], 0, 0xff, value)) {
        return std::nullopt;
    }
    return LampWrite{static_cast<int>(reg), static_cast<int>(value)};
}

LampColour lampColour(const LampRegisters& registers, int key) {
    LampColour colour;
    if (key < 0 || key >= kFunctionKeys) {
        return colour;
    }
    bool on[3] = {false, false, false};
    for (int channel = 0; channel < 3; ++channel) {
        const int field = 3 * key + channel;
        const int value = registers[static_cast<std::size_t>(field / 4)];
        if (value < 0) {
            return colour;
        }
        on[channel] = ((value >> (2 * (field % 4))) & 0x3) != 0;
    }
    colour.known = true;
    colour.red = on[0];
    colour.green = on[1];
    colour.blue = on[2];
    return colour;
}

LineFollower::Result LineFollower::poll(std::vector<std::string>& lines, std::string& error,
                                        std::size_t maxBytes) {
    lines.clear();
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            return Result::missing;
        }
        error = "cannot open " + path_ + ": " + std::strerror(errno);
        return Result::failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path_ + " is not a regular file";
        ::close(fd);
        return Result::failed;
    }
    if (!seen_ || info.st_dev != device_ || info.st_ino != inode_ || info.st_size < offset_) {
        offset_ = 0;
        partial_.clear();
        skippingLongLine_ = false;
    }
    seen_ = true;
    device_ = info.st_dev;
    inode_ = info.st_ino;

    std::string chunk;
    char buffer[65536];
    while (chunk.size() < maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes - chunk.size());
        const ssize_t n = ::pread(fd, buffer, want, offset_);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = "cannot read " + path_ + ": " + std::strerror(errno);
            ::close(fd);
            return Result::failed;
        }
        if (n == 0) {
            break;
        }
        chunk.append(buffer, static_cast<std::size_t>(n));
        offset_ += n;
    }
    ::close(fd);

    for (char c : chunk) {
        if (c == '\n') {
            if (!skippingLongLine_) {
                if (!partial_.empty() && partial_.back() == '\r') {
                    partial_.pop_back();
                }
                lines.push_back(partial_);
            }
            partial_.clear();
            skippingLongLine_ = false;
        } else if (!skippingLongLine_) {
            partial_ += c;
            if (partial_.size() > kLongestLine) {
                // No command the panel runs is this long; drop it rather than grow without end.
                partial_.clear();
                skippingLongLine_ = true;
                error = "skipped a line longer than " + std::to_string(kLongestLine) +
                        " bytes in " + path_;
            }
        }
    }
    return Result::lines;
}

}  // namespace frontpanel
