// How an exchange collects the MCU's answer, on a line whose bytes arrive at set microseconds
// after the request: what it returns and how long it takes, waiting on the line and, for
// comparison, sleeping its waits out in fixed steps.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "linkLog.h"
#include "mcuExchange.h"
#include "scriptedAnswerLine.h"
#include "testBytes.h"

namespace {

using mcu::ExchangeKind;
using mcu::WaitMode;

// A status answer: sync, type 81, length 15, then the 20-byte payload.
const char* const kStatusAnswer =
    "55 AA 81 15 01 1A 2B 00 00 00 00 85 00 03 F4 00 00 00 00 00 10 00 00 00";
const char* const kVersionAnswer = "55 AA 80 05 00 01 00 07";

struct Arrival {
    long atUs;
    const char* hex;
};

struct CollectionCase {
    const char* name;
    ExchangeKind kind;
    WaitMode mode;
    LinkProgram program;
    std::vector<Arrival> arrivals;
    std::string expectedAnswer;  // hex, empty for no answer
    long expectedElapsedUs;
    bool expectedSilent;
};

std::string compactHex(const char* spaced) {
    return hexOf(bytes(spaced));
}

class AnswerCollection : public ::testing::TestWithParam<CollectionCase> {
protected:
    void SetUp() override {
        setLinkLogSink([this](const char*, const std::string& line) {
            std::lock_guard<std::mutex> lock(logMutex_);
            log_.push_back(line);
        });
    }
    void TearDown() override {
        setLinkLogSink({});
        setLinkProgram(LinkProgram::panel);
    }
    std::vector<std::string> log() {
        std::lock_guard<std::mutex> lock(logMutex_);
        return log_;
    }

private:
    std::mutex logMutex_;
    std::vector<std::string> log_;
};

TEST_P(AnswerCollection, ReturnsTheAnswerWithinItsWaits) {
    const CollectionCase& c = GetParam();
    setLinkProgram(c.program);
    ScriptedAnswerLine line;
    for (const Arrival& a : c.arrivals) {
        line.arrive(a.atUs, bytes(a.hex));
    }
    bool silent = false;
    const std::string answer = mcu::collectAnswer(line, c.kind, c.mode, line.writtenAt(), &silent);
    EXPECT_EQ(hexOf(answer), c.expectedAnswer);
    EXPECT_EQ(line.elapsedUs(), c.expectedElapsedUs);
    EXPECT_EQ(silent, c.expectedSilent);
}

const std::string kStatusHex = compactHex(kStatusAnswer);
const std::string kVersionHex = compactHex(kVersionAnswer);

INSTANTIATE_TEST_SUITE_P(
    OnTheLine, AnswerCollection,
    ::testing::Values(
        // The whole answer at once: done once the line has been quiet for 88 us.
        CollectionCase{"StatusWhole",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{30, kStatusAnswer}},
                       kStatusHex,
                       30 + 88,
                       false},
        // The daemon reads what is there and does not wait for more.
        CollectionCase{"StatusWholeDaemon",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::daemon,
                       {{30, kStatusAnswer}},
                       kStatusHex,
                       30,
                       false},
        // An answer still arriving at the wire's pace: the daemon takes it once it is whole by
        // its length byte...
        CollectionCase{"StatusInPiecesDaemon",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::daemon,
                       {{30, "55 AA 81 15 01 1A 2B 00 00 00"},
                        {900, "00 85 00 03 F4 00 00 00 00 00"},
                        {1250, "10 00 00 00"}},
                       kStatusHex,
                       1250,
                       false},
        // ...and one that stops arriving as it stands, after the mid-frame wait.
        CollectionCase{"StatusBrokenOffDaemon",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::daemon,
                       {{30, "55 AA 81 15 01 1A 2B 00 00 00"}},
                       "55aa8115011a2b000000",
                       30 + 20000,
                       false},
        // A gap shorter than the per-byte wait keeps the answer together...
        CollectionCase{"StatusInPieces",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{30, "55 AA 81 15 01 1A 2B 00 00 00"},
                        {100, "00 85 00 03 F4 00 00 00 00 00 10 00 00 00"}},
                       kStatusHex,
                       100 + 88,
                       false},
        // ...a longer one ends it.
        CollectionCase{"StatusBrokenByAGap",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{30, "55 AA 81 15 01 1A 2B 00 00 00"},
                        {130, "00 85 00 03 F4 00 00 00 00 00 10 00 00 00"}},
                       "55aa8115011a2b000000",
                       30 + 88,
                       false},
        // Garbage of an even length is skipped pair by pair.
        CollectionCase{"EvenGarbageFirst",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{30, "01 02"}, {30, kStatusAnswer}},
                       kStatusHex,
                       30 + 88,
                       false},
        // A wrong pair gives the next one 200 us to come.
        CollectionCase{"NextPairInTime",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{30, "01 02"}, {180, kStatusAnswer}},
                       kStatusHex,
                       180 + 88,
                       false},
        CollectionCase{"NextPairTooLate",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{30, "01 02"}, {250, kStatusAnswer}},
                       "",
                       30 + 200,
                       false},
        // An odd garbage byte shifts the pairs: no sync pair is found, and the last lone byte
        // waits out the mid-frame wait for its partner.
        CollectionCase{"OddGarbageHidesTheFrame",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{30, "01"}, {30, kStatusAnswer}},
                       "",
                       30 + 20000,
                       false},
        CollectionCase{"SilentStatus",
                       ExchangeKind::status,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {},
                       "",
                       125000,
                       true},
        CollectionCase{"SilentCommand",
                       ExchangeKind::command,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {},
                       "",
                       600000,
                       true},
        // A command answer is taken as soon as it is whole, not after the full 100 ms...
        CollectionCase{"CommandWholeEarly",
                       ExchangeKind::command,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{3000, "55 AA 80 05"}, {5000, "00 01 00 07"}},
                       kVersionHex,
                       5000,
                       false},
        // ...with whatever came in the same breath after it...
        CollectionCase{"CommandTrailingByte",
                       ExchangeKind::command,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{3000, "55 AA 80 05 00 01 00 07 EE"}},
                       kVersionHex + "ee",
                       3000,
                       false},
        // ...and one that never becomes whole is read as it stands after 100 ms.
        CollectionCase{"CommandTruncated",
                       ExchangeKind::command,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{3000, "55 AA 80 05 00 01"}},
                       "55aa80050001",
                       100000,
                       false},
        // An answer later than the settling time is read at once, as it stands.
        CollectionCase{"CommandLate",
                       ExchangeKind::command,
                       WaitMode::onLine,
                       LinkProgram::panel,
                       {{300000, kVersionAnswer}},
                       kVersionHex,
                       300000,
                       false}),
    [](const ::testing::TestParamInfo<CollectionCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    FixedSteps, AnswerCollection,
    ::testing::Values(
        // First poll after 100 us, 100 us after the sync pair, 88 us after each of the 20 bytes.
        CollectionCase{"StatusWhole",
                       ExchangeKind::status,
                       WaitMode::fixedSteps,
                       LinkProgram::panel,
                       {{30, kStatusAnswer}},
                       kStatusHex,
                       100 + 100 + 20 * 88,
                       false},
        CollectionCase{"SilentStatus",
                       ExchangeKind::status,
                       WaitMode::fixedSteps,
                       LinkProgram::panel,
                       {},
                       "",
                       1250 * 100,
                       true},
        // The full 100 ms, then 100 us after the sync pair.
        CollectionCase{"CommandWhole",
                       ExchangeKind::command,
                       WaitMode::fixedSteps,
                       LinkProgram::panel,
                       {{3000, kVersionAnswer}},
                       kVersionHex,
                       100000 + 100,
                       false}),
    [](const ::testing::TestParamInfo<CollectionCase>& info) { return info.param.name; });

TEST(AnswerCollectionLog, EveryWrongPairOfAStatusAnswerIsLogged) {
    std::vector<std::string> log;
    setLinkLogSink([&log](const char*, const std::string& line) { log.push_back(line); });
    setLinkProgram(LinkProgram::panel);
    ScriptedAnswerLine line;
    line.arrive(30, bytes("01 02 0A FF"));
    line.arrive(30, bytes(kStatusAnswer));
    EXPECT_EQ(
        hexOf(mcu::collectAnswer(line, ExchangeKind::status, WaitMode::onLine, line.writtenAt())),
        kStatusHex);
    setLinkLogSink({});
    EXPECT_EQ(log, (std::vector<std::string>{"serial recieve sync data not correct. 01:02\n",
                                             "serial recieve sync data not correct. 0a:ff\n"}));
}

TEST(CompleteFrameEnd, FindsTheFirstWholeFrameAtAnEvenOffset) {
    struct Row {
        const char* hex;
        std::size_t end;
    };
    const Row rows[] = {
        {"", 0},
        {"55", 0},
        {"55 AA 80", 0},
        {"55 AA 80 05 00 01 00", 0},
        {"55 AA 80 05 00 01 00 07", 8},
        {"55 AA 80 05 00 01 00 07 EE EE", 8},
        {"01 02 55 AA 86 02 06", 7},
        {"01 55 AA 80 05 00 01 00 07", 0},  // an odd shift hides it, as in the exchange
        {"55 AA 80 00", 4},                 // a length byte below 1 still makes a header
        {"55 AA 87 FF", 0},                 // 255 promised, none there
    };
    for (const Row& row : rows) {
        EXPECT_EQ(mcu::completeFrameEnd(bytes(row.hex)), row.end) << row.hex;
    }
}

}  // namespace
