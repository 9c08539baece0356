#include "viscaFraming.h"

namespace {

int at(const std::string& m, std::size_t i) {
    return static_cast<unsigned char>(m[i]);
}

std::string twoBytes(std::size_t value) {
    return {static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value & 0xFF)};
}

}  // namespace

std::vector<Frame> SerialFramer::feed(const std::string& bytes) {
    static const char* kTooLong = "no FF within 64 bytes";
    std::vector<Frame> frames;
    std::string skipped;
    for (const char c : bytes) {
        if (skipping_) {
            skipped += c;
            if (c == '\xFF') {
                skipping_ = false;
                frames.push_back({std::move(skipped), kTooLong});
                skipped.clear();
            }
            continue;
        }
        pending_ += c;
        if (c == '\xFF') {
            frames.push_back({std::move(pending_), {}});
            pending_.clear();
        } else if (pending_.size() >= kMaxViscaMessage) {
            skipped = std::move(pending_);
            pending_.clear();
            skipping_ = true;
        }
    }
    if (!skipped.empty()) {
        frames.push_back({std::move(skipped), kTooLong});
    }
    return frames;
}

std::vector<Frame> HcipFramer::feed(const std::string& bytes) {
    std::vector<Frame> frames;
    pending_ += bytes;
    std::size_t start = 0;
    std::string skipped;
    while (pending_.size() - start >= 2) {
        const std::size_t length = static_cast<std::size_t>(at(pending_, start) << 8) |
                                   static_cast<std::size_t>(at(pending_, start + 1));
        if (length < 3 || length > kMaxViscaMessage + 2) {
            skipped += pending_[start];
            ++start;
            continue;
        }
        if (!skipped.empty()) {
            frames.push_back({std::move(skipped), "no usable HCIP length"});
            skipped.clear();
        }
        if (pending_.size() - start < length) {
            break;
        }
        frames.push_back({pending_.substr(start + 2, length - 2), {}});
        start += length;
    }
    if (!skipped.empty()) {
        frames.push_back({std::move(skipped), "no usable HCIP length"});
    }
    pending_.erase(0, start);
    return frames;
}

std::string hcipWrap(const std::string& visca) {
    return twoBytes(visca.size() + 2) + visca;
}

ViscaDatagram parseViscaDatagram(const std::string& bytes) {
    ViscaDatagram d;
    if (bytes.empty()) {
        d.problem = "empty datagram";
        return d;
    }
    if (at(bytes, 0) == 0x81) {
        if (bytes.size() > kMaxViscaMessage) {
            d.problem = "bare message longer than 64 bytes";
            return d;
        }
        d.form = ViscaDatagram::Form::Simple;
        d.visca = bytes;
        return d;
    }
    if (at(bytes, 0) != 0x01 && at(bytes, 0) != 0x02) {
        d.problem = "neither a VISCA-over-IP header nor a message starting 81";
        return d;
    }
    if (bytes.size() < 8) {
        d.problem = "header cut short";
        return d;
    }
    const int type = at(bytes, 0) << 8 | at(bytes, 1);
    if (type != 0x0100 && type != 0x0110 && type != 0x0200) {
        d.problem = "payload type not command (01 00), inquiry (01 10) or control (02 00)";
        return d;
    }
    const std::size_t length = static_cast<std::size_t>(at(bytes, 2) << 8 | at(bytes, 3));
    if (length != bytes.size() - 8) {
        d.problem = "payload length " + std::to_string(length) + " but " +
                    std::to_string(bytes.size() - 8) + " bytes follow the header";
        return d;
    }
    if (length < 1 || length > kMaxViscaMessage) {
        d.problem = "payload length " + std::to_string(length) + " out of range";
        return d;
    }
    d.form = type == 0x0200 ? ViscaDatagram::Form::Control : ViscaDatagram::Form::Header;
    d.payloadType = type;
    d.sequence = static_cast<std::uint32_t>(at(bytes, 4)) << 24 |
                 static_cast<std::uint32_t>(at(bytes, 5)) << 16 |
                 static_cast<std::uint32_t>(at(bytes, 6)) << 8 |
                 static_cast<std::uint32_t>(at(bytes, 7));
    d.visca = bytes.substr(8);
    return d;
}

std::string wrapViscaReply(const ViscaDatagram& request, const std::string& answer) {
    if (request.form != ViscaDatagram::Form::Header) {
        return answer;
    }
    std::string out{'\x01', '\x11'};
    out += twoBytes(answer.size());
    const std::uint32_t s = request.sequence;
    out += {static_cast<char>(s >> 24 & 0xFF), static_cast<char>(s >> 16 & 0xFF),
            static_cast<char>(s >> 8 & 0xFF), static_cast<char>(s & 0xFF)};
    return out + answer;
}

std::string controlReply(const ViscaDatagram& request, const std::string& payload) {
    std::string out{'\x02', '\x01'};
    out += twoBytes(payload.size());
    const std::uint32_t s = request.sequence;
    out += {static_cast<char>(s >> 24 & 0xFF), static_cast<char>(s >> 16 & 0xFF),
            static_cast<char>(s >> 8 & 0xFF), static_cast<char>(s & 0xFF)};
    return out + payload;
}
