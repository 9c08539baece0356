// The answer collection of the MCU exchanges over a byte stream that arrives in pieces at any
// pace: garbage, half frames, frames cut by gaps, trailing noise. Whatever arrives, the answer
// must be empty or start with the sync pair and be a run of the stream that begins at an even
// offset (the search advances two bytes at a time), and the exchange must end within its waits.
//
// Input: one byte choosing the exchange, then pieces of [gap in 4-us steps][length][bytes].
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzzCheck.h"
#include "linkLog.h"
#include "mcuExchange.h"
#include "scriptedAnswerLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        setLinkLogSink([](const char*, const std::string&) {});
        return true;
    }();
    (void)quiet;
    if (size == 0) {
        return 0;
    }
    const std::uint8_t choice = data[0];
    const auto kind = (choice & 1) != 0 ? mcu::ExchangeKind::status : mcu::ExchangeKind::command;
    const auto mode = (choice & 2) != 0 ? mcu::WaitMode::fixedSteps : mcu::WaitMode::onLine;
    setLinkProgram((choice & 4) != 0 ? LinkProgram::daemon : LinkProgram::panel);

    ScriptedAnswerLine line;
    std::string stream;
    long atUs = 0;
    std::size_t at = 1;
    while (at + 2 <= size) {
        atUs += 4L * data[at];
        const std::size_t length = data[at + 1];
        at += 2;
        const std::size_t take = length < size - at ? length : size - at;
        const std::string piece(reinterpret_cast<const char*>(data + at), take);
        line.arrive(atUs, piece);
        stream += piece;
        at += take;
    }

    bool silent = false;
    const std::string answer = mcu::collectAnswer(line, kind, mode, line.writtenAt(), &silent);

    if (!answer.empty()) {
        FUZZ_REQUIRE(answer.size() >= 2);
        FUZZ_REQUIRE(static_cast<std::uint8_t>(answer[0]) == 0x55);
        FUZZ_REQUIRE(static_cast<std::uint8_t>(answer[1]) == 0xAA);
        bool foundAtEvenOffset = false;
        for (std::size_t offset = 0; offset + answer.size() <= stream.size(); offset += 2) {
            if (stream.compare(offset, answer.size(), answer) == 0) {
                foundAtEvenOffset = true;
                break;
            }
        }
        FUZZ_REQUIRE(foundAtEvenOffset);
    }
    FUZZ_REQUIRE(!silent || answer.empty());
    // The first-byte budget (at most 600 ms), then at most one mid-frame wait (20 ms) or
    // per-byte wait per byte of the stream, and the pieces' own arrival times.
    const long boundUs = 600000 + atUs + 20000L * static_cast<long>(stream.size() + 2);
    FUZZ_REQUIRE(line.elapsedUs() <= boundUs);
    return 0;
}
