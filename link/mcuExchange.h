// The two request/answer procedures on the panel MCU line.
//
// Both write a frame, wait for the first answer byte within a budget, look for the sync pair
// 55 AA two bytes at a time, and return the sync pair, type, length and every byte that is
// available after them. They return an empty string when nothing usable arrived. They are not
// re-entrant on one stream: callers keep one exchange at a time on a line.
//
// Every wait of an exchange is an upper bound: the thread sleeps on the line's readiness and goes
// on as soon as the bytes it waits for are there. The older way, sleeping in fixed steps and
// looking at the line between them, is kept as a switch so that both can be measured side by
// side in one run.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include <libserial/SerialStream.h>

// Opens a line with the MCU's settings: 115200 baud, 8 data bits, no parity, 1 stop bit, no flow
// control. Returns false (and logs why) when the device cannot be opened.
bool openMcuLine(LibSerial::SerialStream& stream, const std::string& device);

// Free form of the sync test on the first two bytes of an answer.
bool isSyncByteCorrect(unsigned char first, unsigned char second);

// Command exchange, for types 0x80 and 0x82 to 0x87: write, give the answer up to 100 ms to
// arrive whole, then up to 0.5 s more for its first byte.
std::string sendCommandtoMcu(const std::string& frame, LibSerial::SerialStream& stream);

// Status exchange, for type 0x81: up to 125 ms for the first byte; in the panel application the
// rest of the answer is read until the line has been quiet for longer than one byte time, so a
// frame still arriving is collected whole.
std::string sendStatusCommandtoMcu(const std::string& frame, LibSerial::SerialStream& stream);

namespace mcu {

// The waits of the two exchanges, kept in one place.
struct ExchangeTiming {
    std::chrono::microseconds settleAfterWrite;  // for the whole answer to arrive
    std::chrono::microseconds pollInterval;      // first byte: budget = settle + interval * limit
    int pollLimit;
    std::chrono::microseconds afterWrongPair;  // for the next pair
    std::chrono::microseconds afterSync;       // for type and length
    std::chrono::microseconds afterEachByte;   // the longest gap inside an answer; zero: read
                                               // what is there and stop
};

const ExchangeTiming& commandExchangeTiming();
const ExchangeTiming& statusExchangeTiming();

// How long a read waits for the second byte of a pair or for the type and length bytes once the
// first byte has come. At 115200 baud a byte takes 87 us; an MCU that stops mid-frame for longer
// than this has broken the frame off, and the exchange gives up instead of hanging on the line.
constexpr std::chrono::milliseconds kMidFrameByteWait{20};

enum class ExchangeKind { command, status };

enum class WaitMode {
    onLine,      // sleep on the line's readiness, each wait an upper bound
    fixedSteps,  // sleep each wait out in full and look at the line in between
};

// The mode of every exchange of the process. Starts as onLine, or fixedSteps when the
// environment variable ZEK_MCU_WAITS is "steps" (for measuring one against the other).
WaitMode exchangeWaitMode();
void setExchangeWaitMode(WaitMode mode);

// What an exchange needs of the line it reads the answer from. The real one is the serial line's
// descriptor; tests and the fuzzer put bytes on a virtual clock behind it.
class AnswerLine {
public:
    using Clock = std::chrono::steady_clock;
    virtual ~AnswerLine() = default;
    // Bytes that can be read at once.
    virtual int available() = 0;
    // Sleeps until a byte can be read or the budget has passed; true when one can be read.
    virtual bool waitReadable(std::chrono::microseconds budget) = 0;
    // Reads up to most bytes that can be read at once; the count read, 0 or less on failure.
    virtual int read(char* into, int most) = 0;
    // Sleeps the whole duration (fixed-step mode).
    virtual void pause(std::chrono::microseconds duration) = 0;
    virtual Clock::time_point now() = 0;
};

// Reads one answer from a line the request was just written to, at writtenAt, following the
// exchange's rules and the given wait mode. Empty when nothing usable arrived; silent, when given,
// tells whether not even one byte came within the first-byte budget.
std::string collectAnswer(AnswerLine& line, ExchangeKind kind, WaitMode mode,
                          AnswerLine::Clock::time_point writtenAt, bool* silent = nullptr);

// Offset just past the first complete frame in bytes, searching the sync pair at even offsets as
// the exchange does; 0 when no complete frame is there yet.
std::size_t completeFrameEnd(const std::string& bytes);

}  // namespace mcu
