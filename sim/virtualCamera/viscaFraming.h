// The three ways VISCA reaches the camera, cut into whole messages:
//
//   serial line   raw bytes; a message ends with FF
//   HCIP (TCP)    00 L, then L - 2 VISCA bytes (the length counts itself); answers the same way
//   UDP           01 00 00 n SS SS SS SS + n VISCA bytes (01 10 for an inquiry), answered with
//                 01 11 00 n and the same sequence number; or the bare message ("simple VISCA"),
//                 answered bare; or a control message 02 00 00 n SS SS SS SS + n payload bytes
//                 (payload 01: count sequence numbers from 0 again), answered with 02 01: payload
//                 01 for done, 0F 01 for a sequence number that was not the expected one, 0F 02
//                 for a control message the camera does not know
//
// Stream framers keep what they cannot use yet and give up bytes only with a reason, so nothing
// disappears without a log line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One piece cut from a stream: a message, or bytes given up and why.
struct Frame {
    std::string bytes;
    std::string problem;  // empty for a message
};

// VISCA messages are at most 16 bytes; this leaves room for what a broken sender makes of them
// while bounding what one missing FF can hold back.
constexpr std::size_t kMaxViscaMessage = 64;

class SerialFramer {
public:
    // Each message FF included. A run of kMaxViscaMessage bytes without FF is given up,
    // up to and including the FF that ends it.
    std::vector<Frame> feed(const std::string& bytes);
    std::size_t pendingSize() const { return pending_.size(); }

private:
    std::string pending_;
    bool skipping_ = false;
};

class HcipFramer {
public:
    // Each message without its envelope. A length below 3 or above kMaxViscaMessage + 2 cannot
    // be an envelope: bytes are given up one at a time until a usable length comes.
    std::vector<Frame> feed(const std::string& bytes);
    std::size_t pendingSize() const { return pending_.size(); }

private:
    std::string pending_;
};

std::string hcipWrap(const std::string& visca);

struct ViscaDatagram {
    enum class Form { Header, Simple, Control, Invalid };
    Form form = Form::Invalid;
    int payloadType = 0;  // 0x0100 command, 0x0110 inquiry, 0x0200 control
    std::uint32_t sequence = 0;
    std::string visca;
    std::string problem;  // why an Invalid one is
};

ViscaDatagram parseViscaDatagram(const std::string& bytes);
// The datagram carrying answer back in the request's form.
std::string wrapViscaReply(const ViscaDatagram& request, const std::string& answer);
// A control reply (02 01) carrying payload, with the request's sequence number.
std::string controlReply(const ViscaDatagram& request, const std::string& payload);
// The payloads of the control replies.
inline const std::string kControlDone{'\x01'};
inline const std::string kSequenceNumberError{'\x0F', '\x01'};
inline const std::string kMessageTypeError{'\x0F', '\x02'};
