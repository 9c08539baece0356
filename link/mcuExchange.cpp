#include "mcuExchange.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <thread>

#include <fmt/format.h>

#include "commonFunctions.h"
#include "linkLog.h"

namespace mcu {

const ExchangeTiming& commandExchangeTiming() {
    static const ExchangeTiming timing{std::chrono::milliseconds(100),
                                       std::chrono::microseconds(400),
                                       1250,
                                       std::chrono::microseconds(200),
                                       std::chrono::microseconds(100),
                                       std::chrono::microseconds(0)};
    return timing;
}

const ExchangeTiming& statusExchangeTiming() {
    static const ExchangeTiming timing{std::chrono::microseconds(0),
                                       std::chrono::microseconds(100),
                                       1250,
                                       std::chrono::microseconds(200),
                                       std::chrono::microseconds(100),
                                       std::chrono::microseconds(88)};
    return timing;
}

namespace {

WaitMode initialWaitMode() {
    const char* mode = std::getenv("ZEK_MCU_WAITS");
    return mode != nullptr && std::strcmp(mode, "steps") == 0 ? WaitMode::fixedSteps
                                                              : WaitMode::onLine;
}

std::atomic<WaitMode> g_waitMode{initialWaitMode()};

}  // namespace

WaitMode exchangeWaitMode() {
    return g_waitMode.load(std::memory_order_relaxed);
}

void setExchangeWaitMode(WaitMode mode) {
    g_waitMode.store(mode, std::memory_order_relaxed);
}

std::size_t completeFrameEnd(const std::string& bytes) {
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        if (!isSyncByteCorrect(static_cast<unsigned char>(bytes[at]),
                               static_cast<unsigned char>(bytes[at + 1]))) {
            continue;
        }
        if (at + 4 > bytes.size()) {
            return 0;
        }
        // The length byte counts itself and the payload; a frame is never shorter than its
        // header, whatever the byte says.
        const std::size_t length = static_cast<unsigned char>(bytes[at + 3]);
        const std::size_t end = at + std::max<std::size_t>(4, 3 + length);
        return end <= bytes.size() ? end : 0;
    }
    return 0;
}

namespace {

constexpr const char* kCategory = "zek.mcu";

using std::chrono::microseconds;

// The reading side of one exchange. Bytes taken from the line ahead of the pair search (while
// waiting for a whole command answer) are held here and handed out first.
class AnswerReader {
public:
    explicit AnswerReader(AnswerLine& line) : line_(line) {}

    int ready() { return static_cast<int>(held_.size() - next_) + line_.available(); }

    bool waitForByte(microseconds budget) {
        return next_ < held_.size() || line_.waitReadable(budget);
    }

    // One byte that is there or arrives within the mid-frame wait. What the line has is taken in
    // one read, so the bytes of a frame cost one system call, not one each.
    bool take(char& byte) {
        if (next_ == held_.size() && hold().empty()) {
            if (!line_.waitReadable(kMidFrameByteWait) || hold().empty()) {
                return false;
            }
        }
        byte = held_[next_++];
        return true;
    }

    // Everything that can be read at once, appended to into.
    void takeReady(std::string& into) {
        into.append(held_, next_, std::string::npos);
        next_ = held_.size();
        drainLine(into);
    }

    // Holds what the line has now; the bytes not yet handed out, from the first held.
    const std::string& hold() {
        if (next_ > 0) {
            held_.erase(0, next_);
            next_ = 0;
        }
        drainLine(held_);
        return held_;
    }

private:
    void drainLine(std::string& into) {
        for (int count = line_.available(); count > 0; count = line_.available()) {
            const std::size_t before = into.size();
            into.resize(before + static_cast<std::size_t>(count));
            const int got = line_.read(&into[before], count);
            into.resize(before + static_cast<std::size_t>(got > 0 ? got : 0));
            if (got <= 0) {
                return;
            }
        }
    }

    AnswerLine& line_;
    std::string held_;
    std::size_t next_ = 0;
};

microseconds firstByteBudget(const ExchangeTiming& timing) {
    return timing.settleAfterWrite + timing.pollInterval * timing.pollLimit;
}

// Waits for the first byte. A command answer is then given the rest of its settling time to
// arrive whole, so that reading what is there finds the complete frame, as it would after the
// full settling time.
bool awaitAnswer(AnswerLine& line, AnswerReader& reader, const ExchangeTiming& timing,
                 WaitMode mode, AnswerLine::Clock::time_point writtenAt) {
    if (mode == WaitMode::fixedSteps) {
        if (timing.settleAfterWrite.count() > 0) {
            line.pause(timing.settleAfterWrite);
        }
        for (int polls = 0; reader.ready() == 0 && polls < timing.pollLimit; ++polls) {
            line.pause(timing.pollInterval);
        }
        return reader.ready() > 0;
    }
    const auto firstByteDeadline = writtenAt + firstByteBudget(timing);
    const auto remaining = [&line](AnswerLine::Clock::time_point deadline) {
        return std::chrono::duration_cast<microseconds>(deadline - line.now());
    };
    if (!line.waitReadable(std::max(remaining(firstByteDeadline), microseconds(0)))) {
        return false;
    }
    const auto settled = writtenAt + timing.settleAfterWrite;
    while (completeFrameEnd(reader.hold()) == 0) {
        const microseconds left = remaining(settled);
        if (left.count() <= 0 || !line.waitReadable(left)) {
            break;
        }
    }
    return true;
}

// The rest of the answer after type and length. The status answer of the panel application is
// read until the line stays quiet for longer than the per-byte wait. The daemon's status answer
// (untilWhole) is taken once it is whole by its length byte: at 115200 baud it takes 2 ms to
// arrive, and what is there just after its header is only its first bytes; one that stops
// arriving for longer than the mid-frame wait is taken as it stands. A command answer was given
// its time to become whole before, and is what is there.
void readRest(AnswerLine& line, AnswerReader& reader, const ExchangeTiming& timing, WaitMode mode,
              bool perByteWait, bool untilWhole, std::string& answer) {
    if (mode == WaitMode::onLine) {
        reader.takeReady(answer);
        const std::size_t whole = static_cast<std::uint8_t>(answer[3]) + std::size_t{3};
        const auto waitMore = [&]() {
            if (perByteWait) {
                return line.waitReadable(timing.afterEachByte);
            }
            return untilWhole && answer.size() < whole && line.waitReadable(kMidFrameByteWait);
        };
        while (waitMore()) {
            const std::size_t before = answer.size();
            reader.takeReady(answer);
            if (answer.size() == before) {
                break;
            }
        }
        return;
    }
    for (int count = reader.ready(); count > 0; count = reader.ready()) {
        for (int i = 0; i < count; ++i) {
            char byte = 0;
            if (!reader.take(byte)) {
                break;
            }
            answer.push_back(byte);
            if (perByteWait) {
                line.pause(timing.afterEachByte);
            }
        }
        if (!perByteWait) {
            break;
        }
    }
}

}  // namespace

std::string collectAnswer(AnswerLine& line, ExchangeKind kind, WaitMode mode,
                          AnswerLine::Clock::time_point writtenAt, bool* silent) {
    const ExchangeTiming& timing =
        kind == ExchangeKind::command ? commandExchangeTiming() : statusExchangeTiming();
    AnswerReader reader(line);
    const bool answered = awaitAnswer(line, reader, timing, mode, writtenAt);
    if (silent != nullptr) {
        *silent = !answered;
    }
    if (!answered) {
        return {};
    }

    const bool panel = linkProgram() == LinkProgram::panel;
    const bool perByteWait = timing.afterEachByte.count() > 0 && panel;
    // The pair search advances two bytes at a time, as the MCU's frames start on an even count.
    for (bool firstPair = true;; firstPair = false) {
        if (!firstPair) {
            // After a wrong pair the next one is given the pause to come.
            if (mode == WaitMode::fixedSteps) {
                line.pause(timing.afterWrongPair);
                if (reader.ready() == 0) {
                    return {};
                }
            } else if (!reader.waitForByte(timing.afterWrongPair)) {
                return {};
            }
        }
        char first = 0;
        char second = 0;
        if (!reader.take(first) || !reader.take(second)) {
            linkLog(kCategory, "mcu answer broke off before a sync pair");
            return {};
        }
        if (!isSyncByteCorrect(static_cast<unsigned char>(first),
                               static_cast<unsigned char>(second))) {
            if (kind == ExchangeKind::status && panel) {
                linkLog(kCategory, "serial recieve sync data not correct. " +
                                       string_to_hex(std::string{first, second}));
            }
            continue;
        }
        if (mode == WaitMode::fixedSteps) {
            line.pause(timing.afterSync);
        }
        std::string answer{first, second};
        char type = 0;
        char length = 0;
        if (!reader.take(type) || !reader.take(length)) {
            linkLog(kCategory, "mcu answer broke off after the sync pair");
            return answer;
        }
        answer.push_back(type);
        answer.push_back(length);
        // The length byte does not delimit the read: whatever is there belongs to the answer.
        readRest(line, reader, timing, mode, perByteWait, kind == ExchangeKind::status && !panel,
                 answer);
        return answer;
    }
}

}  // namespace mcu

namespace {

constexpr const char* kCategory = "zek.mcu";

using std::chrono::microseconds;

// The serial line's descriptor. Reads bypass the stream's buffer, which the line never fills:
// the stream is unbuffered and nothing else reads the MCU line.
class SerialAnswerLine final : public mcu::AnswerLine {
public:
    explicit SerialAnswerLine(int fd) : fd_(fd) {}

    int available() override {
        int count = 0;
        if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &count) != 0) {
            return 0;
        }
        return count > 0 ? count : 0;
    }

    bool waitReadable(microseconds budget) override {
        const auto deadline = now() + budget;
        for (;;) {
            const auto left =
                std::max(std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now()),
                         std::chrono::nanoseconds(0));
            timespec timeout{static_cast<time_t>(left.count() / 1000000000),
                             static_cast<long>(left.count() % 1000000000)};
            pollfd watched{fd_, POLLIN, 0};
            const int ready = ::ppoll(&watched, 1, &timeout, nullptr);
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready > 0 && (watched.revents & POLLIN) != 0) {
                return true;
            }
            if (ready > 0) {
                // A hung-up or broken line never becomes readable; sleeping out the budget keeps
                // the caller at the pace of a silent line rather than spinning on it.
                std::this_thread::sleep_until(deadline);
                return available() > 0;
            }
            return false;
        }
    }

    int read(char* into, int most) override {
        for (;;) {
            const ssize_t got = ::read(fd_, into, static_cast<std::size_t>(most));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return static_cast<int>(got);
        }
    }

    void pause(microseconds duration) override {
        if (duration.count() > 0) {
            std::this_thread::sleep_for(duration);
        }
    }

    Clock::time_point now() override { return Clock::now(); }

private:
    int fd_;
};

// The exchanges wait for tens of microseconds at a time. Linux stretches every sleep of a normal
// thread by up to its timer slack (50 us by default), which would make the per-byte wait of the
// status exchange almost twice as long as a byte time; the thread that runs exchanges asks for
// 1 us.
void tightenTimerSlack() {
    thread_local bool tightened = false;
    if (!tightened) {
        ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
        tightened = true;
    }
}

// One byte on the MCU line: 10 bits at 115200 baud.
constexpr std::chrono::nanoseconds kByteTime{10 * 1000000000LL / 115200};
// sync pair, type, length and the 20-byte hardware status
constexpr std::size_t kStatusAnswerBytes = 24;

void logTimeout(const std::string& frame) {
    if (linkProgram() == LinkProgram::daemon) {
        linkLog(kCategory, fmt::format("no data from mcu~, timeout! {}\n", string_to_hex(frame)));
    } else {
        linkLog(kCategory, "no data from mcu~, timeout!");
    }
}

std::string exchange(const std::string& frame, LibSerial::SerialStream& stream,
                     mcu::ExchangeKind kind) {
    tightenTimerSlack();
    linkTrace(kCategory, [&frame] { return "tx " + string_to_hex(frame); });
    stream.write(frame.data(), static_cast<std::streamsize>(frame.size()));
    stream.flush();
    const auto writtenAt = mcu::AnswerLine::Clock::now();
    if (!stream.good()) {
        stream.clear();
        linkLog(kCategory, "mcu line write failed");
        return {};
    }
    if (kind == mcu::ExchangeKind::status && mcu::exchangeWaitMode() == mcu::WaitMode::onLine) {
        // The status answer cannot be whole before the request and the answer have crossed the
        // line one after the other: it is looked for then, rather than waking for its first
        // bytes. Against the panel's line this costs nothing; it spares a wake-up per exchange.
        std::this_thread::sleep_until(writtenAt + kByteTime * (frame.size() + kStatusAnswerBytes));
    }
    SerialAnswerLine line(stream.GetFileDescriptor());
    bool silent = false;
    std::string answer =
        mcu::collectAnswer(line, kind, mcu::exchangeWaitMode(), writtenAt, &silent);
    if (silent) {
        logTimeout(frame);
    }
    linkTrace(kCategory, [&answer] { return "rx " + string_to_hex(answer); });
    return answer;
}

std::string guardedExchange(const std::string& frame, LibSerial::SerialStream& stream,
                            mcu::ExchangeKind kind) {
    try {
        return exchange(frame, stream, kind);
    } catch (const std::exception& error) {
        // libserial reports a closed or vanished line by exception; an exchange only ever
        // reports failure by an empty answer.
        stream.clear();
        linkLog(kCategory, std::string("mcu line error: ") + error.what());
        return {};
    }
}

}  // namespace

bool isSyncByteCorrect(unsigned char first, unsigned char second) {
    return first == 0x55 && second == 0xAA;
}

std::string sendCommandtoMcu(const std::string& frame, LibSerial::SerialStream& stream) {
    return guardedExchange(frame, stream, mcu::ExchangeKind::command);
}

std::string sendStatusCommandtoMcu(const std::string& frame, LibSerial::SerialStream& stream) {
    return guardedExchange(frame, stream, mcu::ExchangeKind::status);
}

bool openMcuLine(LibSerial::SerialStream& stream, const std::string& device) {
    try {
        stream.Open(device);
        stream.SetBaudRate(LibSerial::BaudRate::BAUD_115200);
        stream.SetCharacterSize(LibSerial::CharacterSize::CHAR_SIZE_8);
        stream.SetParity(LibSerial::Parity::PARITY_NONE);
        stream.SetStopBits(LibSerial::StopBits::STOP_BITS_1);
        stream.SetFlowControl(LibSerial::FlowControl::FLOW_CONTROL_NONE);
    } catch (const std::exception& error) {
        linkLog(kCategory, "cannot open mcu line " + device + ": " + error.what());
        if (stream.IsOpen()) {
            stream.Close();
        }
        return false;
    }
    return stream.IsOpen();
}
