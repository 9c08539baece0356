#include "mcuExchange.h"

#include <poll.h>
#include <sys/prctl.h>

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

}  // namespace mcu

namespace {

constexpr const char* kCategory = "zek.mcu";

enum class ExchangeKind { command, status };

// Reading side of one exchange. Every read is bounded in time, so a line that goes quiet in the
// middle of a frame ends the exchange rather than blocking the caller's thread.
class AnswerReader {
public:
    explicit AnswerReader(LibSerial::SerialStream& stream) : stream_(stream) {}

    int available() {
        const int count = stream_.GetNumberOfBytesAvailable();
        return count > 0 ? count : 0;
    }

    bool waitForByte(std::chrono::milliseconds timeout) {
        if (available() > 0) {
            return true;
        }
        pollfd watched{stream_.GetFileDescriptor(), POLLIN, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(timeout.count()));
        return ready > 0 && (watched.revents & POLLIN) != 0 && available() > 0;
    }

    // Reads one byte that is known to be there or arrives within the mid-frame wait.
    bool readByte(char& byte) {
        if (!waitForByte(mcu::kMidFrameByteWait)) {
            return false;
        }
        if (!stream_.get(byte)) {
            stream_.clear();
            return false;
        }
        return true;
    }

private:
    LibSerial::SerialStream& stream_;
};

// The exchanges sleep in steps of 88 to 400 us. Linux stretches every sleep of a normal thread
// by up to its timer slack (50 us by default), which would make the per-byte wait of the status
// exchange almost twice as long as a byte time; the thread that runs exchanges asks for 1 us.
void tightenTimerSlack() {
    thread_local bool tightened = false;
    if (!tightened) {
        ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
        tightened = true;
    }
}

void sleepFor(std::chrono::microseconds duration) {
    if (duration.count() > 0) {
        std::this_thread::sleep_for(duration);
    }
}

void logTimeout(const std::string& frame) {
    if (linkProgram() == LinkProgram::daemon) {
        linkLog(kCategory, fmt::format("no data from mcu~, timeout! {}\n", string_to_hex(frame)));
    } else {
        linkLog(kCategory, "no data from mcu~, timeout!");
    }
}

std::string exchange(const std::string& frame, LibSerial::SerialStream& stream, ExchangeKind kind) {
    const mcu::ExchangeTiming& timing =
        kind == ExchangeKind::command ? mcu::commandExchangeTiming() : mcu::statusExchangeTiming();
    tightenTimerSlack();
    linkTrace(kCategory, "tx " + string_to_hex(frame));
    stream.write(frame.data(), static_cast<std::streamsize>(frame.size()));
    stream.flush();
    if (!stream.good()) {
        stream.clear();
        linkLog(kCategory, "mcu line write failed");
        return {};
    }
    sleepFor(timing.settleAfterWrite);

    AnswerReader reader(stream);
    int polls = 0;
    while (reader.available() == 0 && polls < timing.pollLimit) {
        sleepFor(timing.pollInterval);
        ++polls;
    }
    if (reader.available() == 0) {
        logTimeout(frame);
        return {};
    }

    // The pair search advances two bytes at a time, as the MCU's frames start on an even count.
    const bool perByteWait =
        timing.afterEachByte.count() > 0 && linkProgram() == LinkProgram::panel;
    while (reader.available() > 0) {
        char first = 0;
        char second = 0;
        if (!reader.readByte(first) || !reader.readByte(second)) {
            linkLog(kCategory, "mcu answer broke off before a sync pair");
            return {};
        }
        if (!isSyncByteCorrect(static_cast<unsigned char>(first),
                               static_cast<unsigned char>(second))) {
            if (kind == ExchangeKind::status && linkProgram() == LinkProgram::panel) {
                linkLog(kCategory, "serial recieve sync data not correct. " +
                                       string_to_hex(std::string{first, second}));
            }
            sleepFor(timing.afterWrongPair);
            continue;
        }
        sleepFor(timing.afterSync);
        std::string answer{first, second};
        char type = 0;
        char length = 0;
        if (!reader.readByte(type) || !reader.readByte(length)) {
            linkLog(kCategory, "mcu answer broke off after the sync pair");
            return answer;
        }
        answer.push_back(type);
        answer.push_back(length);
        // The length byte does not delimit the read: whatever is there now belongs to the answer.
        for (int count = reader.available(); count > 0; count = reader.available()) {
            for (int i = 0; i < count; ++i) {
                char byte = 0;
                if (!reader.readByte(byte)) {
                    break;
                }
                answer.push_back(byte);
                if (perByteWait) {
                    sleepFor(timing.afterEachByte);
                }
            }
            if (!perByteWait) {
                break;
            }
        }
        linkTrace(kCategory, "rx " + string_to_hex(answer));
        return answer;
    }
    return {};
}

std::string guardedExchange(const std::string& frame, LibSerial::SerialStream& stream,
                            ExchangeKind kind) {
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
    return guardedExchange(frame, stream, ExchangeKind::command);
}

std::string sendStatusCommandtoMcu(const std::string& frame, LibSerial::SerialStream& stream) {
    return guardedExchange(frame, stream, ExchangeKind::status);
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
