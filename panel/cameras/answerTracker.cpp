#include "answerTracker.h"

namespace visca {

namespace {

// Bytes of an unfinished message kept at most: the longest answer is 16 bytes, so anything
// longer without its FF is noise on the line.
constexpr int kLongestPartial = 64;

quint8 at(const QByteArray& bytes, int index) {
    return static_cast<quint8>(bytes[index]);
}

}  // namespace

void answerTracker::begin(waitingFor what) {
    waiting_ = what;
    over_ = false;
    bufferFull_ = false;
    presentSocket_ = -1;
    answer_.clear();
}

int answerTracker::socketsInUse() const {
    int count = 0;
    for (unsigned bits = socketsInUse_; bits != 0; bits &= bits - 1) {
        ++count;
    }
    return count;
}

void answerTracker::reset() {
    begin(waitingFor::nothing);
    socketsInUse_ = 0;
    partial_.clear();
}

void answerTracker::feed(const QByteArray& bytes) {
    int start = 0;
    for (int end = bytes.indexOf('\xFF'); end >= 0; end = bytes.indexOf('\xFF', start)) {
        partial_ += bytes.mid(start, end - start + 1);
        take(partial_);
        partial_.clear();
        start = end + 1;
    }
    partial_ += bytes.mid(start);
    if (partial_.size() > kLongestPartial) {
        partial_.clear();
    }
}

void answerTracker::take(const QByteArray& m) {
    if (m.size() < 3 || at(m, 0) < 0x90 || (at(m, 0) & 0x0F) != 0) {
        return;  // not an answer from a camera
    }
    const int kind = at(m, 1) & 0xF0;
    const int socket = at(m, 1) & 0x0F;
    const unsigned socketBit = 1u << socket;
    const bool waiting = waiting_ != waitingFor::nothing && !over_;
    if (kind == 0x40 && m.size() == 3) {
        socketsInUse_ |= socketBit;
        if (waiting && waiting_ == waitingFor::commandAnswer) {
            presentSocket_ = socket;
            answer_ += m;
            over_ = true;
        }
    } else if (kind == 0x50 && m.size() == 3) {
        if (socketsInUse_ & socketBit) {
            // The end of a command the camera acknowledged: the present one's, or an earlier one's.
            socketsInUse_ &= ~socketBit;
            if (socket == presentSocket_) {
                answer_ += m;
                presentSocket_ = -1;
            }
        } else if (waiting && waiting_ == waitingFor::commandAnswer) {
            answer_ += m;  // completed at once, without an acknowledgement
            over_ = true;
        }
    } else if (kind == 0x50) {
        if (waiting && waiting_ == waitingFor::inquiryAnswer) {
            answer_ += m;
            over_ = true;
        }
    } else if (kind == 0x60 && m.size() == 4) {
        // An error ends the command in its socket. Before the present message is acknowledged it
        // is taken as the answer to it: answers come in order, and the camera refuses a message
        // (syntax, buffer full, not executable) before it would acknowledge it.
        const bool endsSocket = socket != 0 && (socketsInUse_ & socketBit) != 0;
        socketsInUse_ &= ~socketBit;
        if (waiting || (endsSocket && socket == presentSocket_)) {
            answer_ += m;
            over_ = true;
            bufferFull_ = waiting && at(m, 2) == 0x03;
            presentSocket_ = -1;
        }
    }
}

}  // namespace visca
