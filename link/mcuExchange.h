// The two request/answer procedures on the panel MCU line.
//
// Both write a frame, wait for the first answer byte within a poll budget, look for the sync pair
// 55 AA two bytes at a time, and return the sync pair, type, length and every byte that is
// available after them. They return an empty string when nothing usable arrived. They are not
// re-entrant on one stream: callers keep one exchange at a time on a line.
#pragma once

#include <chrono>
#include <string>

#include <libserial/SerialStream.h>

// Opens a line with the MCU's settings: 115200 baud, 8 data bits, no parity, 1 stop bit, no flow
// control. Returns false (and logs why) when the device cannot be opened.
bool openMcuLine(LibSerial::SerialStream& stream, const std::string& device);

// Free form of the sync test on the first two bytes of an answer.
bool isSyncByteCorrect(unsigned char first, unsigned char second);

// Command exchange, for types 0x80 and 0x82 to 0x87: write, wait 100 ms, then poll every 400 us
// for up to 1250 polls.
std::string sendCommandtoMcu(const std::string& frame, LibSerial::SerialStream& stream);

// Status exchange, for type 0x81: no wait after writing, poll every 100 us for up to 1250 polls;
// in the panel application the rest of the answer is read byte by byte with a wait of one byte
// time between bytes, so a frame still arriving is collected whole.
std::string sendStatusCommandtoMcu(const std::string& frame, LibSerial::SerialStream& stream);

namespace mcu {

// The waits of the two exchanges, kept in one place.
struct ExchangeTiming {
    std::chrono::microseconds settleAfterWrite;  // before the first poll
    std::chrono::microseconds pollInterval;
    int pollLimit;
    std::chrono::microseconds afterWrongPair;  // before reading the next pair
    std::chrono::microseconds afterSync;       // before reading type and length
    std::chrono::microseconds afterEachByte;   // zero: read what is there at once
};

const ExchangeTiming& commandExchangeTiming();
const ExchangeTiming& statusExchangeTiming();

// How long a read waits for the second byte of a pair or for the type and length bytes once the
// first byte has come. At 115200 baud a byte takes 87 us; an MCU that stops mid-frame for longer
// than this has broken the frame off, and the exchange gives up instead of hanging on the line.
constexpr std::chrono::milliseconds kMidFrameByteWait{20};

}  // namespace mcu
