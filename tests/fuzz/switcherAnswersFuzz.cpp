// The switcher's answers as the link reads them: the input is a port answer and a poll answer at
// once (the link reads any bytes as either).
//
// Invariants: the port is a 16-bit number and only the four real-time ports are taken; records
// name tally entries 0..16 only, never more than whole 8-byte records after the header, each
// with the lamps its byte asks for or none. A read cut into answers loses no byte: the skipped
// head and the answers make up the read, in order.
#include <cstddef>
#include <cstdint>

#include <QByteArray>

#include "fuzzCheck.h"
#include "switcherProtocol.h"
#include "tallyModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray answer(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const int port = switcherLink::portFromAnswer(answer);
    FUZZ_REQUIRE(port >= 0 && port <= 65535);
    if (switcherLink::isRealtimePort(port)) {
        FUZZ_REQUIRE(size >= 6);
    }
    const auto records = switcherLink::tallyRecords(answer);
    FUZZ_REQUIRE(size < 15 ? records.empty() : records.size() <= (size - 8) / 8);
    std::int8_t tallyStatus[switcherLink::kTallyEntries] = {};
    for (const switcherLink::tallyRecord& record : records) {
        FUZZ_REQUIRE(record.entry >= 0 && record.entry <= 16);
        tallyStatus[record.entry] = record.tally;
        const auto lamps = tally::lampsForTallyByte(tallyStatus[record.entry]);
        if (lamps) {
            FUZZ_REQUIRE(lamps->red == 2 || lamps->red == 3);
            FUZZ_REQUIRE(lamps->green == 2 || lamps->green == 3);
        }
    }

    const switcherLink::readAnswers read = switcherLink::answersInRead(answer);
    FUZZ_REQUIRE(read.skipped >= 0 && read.skipped <= static_cast<int>(size));
    QByteArray joined = answer.left(read.skipped);
    for (const QByteArray& piece : read.answers) {
        FUZZ_REQUIRE(!piece.isEmpty());
        joined += piece;
    }
    FUZZ_REQUIRE(joined == answer);
    return 0;
}
