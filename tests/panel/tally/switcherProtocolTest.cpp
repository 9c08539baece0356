// The switcher's tally protocol on bytes: the two packets, port answers, poll answers, and the
// channel count by switcher name.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <vector>

#include "switcherProtocol.h"

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

using switcherLink::tallyRecord;

TEST(SwitcherPackets, QueryAndPollBytes) {
    EXPECT_EQ(switcherLink::cmdPacket(), hex("08 00 00 00 01 00 AA 55"));
    EXPECT_EQ(switcherLink::emptyPacket(), hex("08 00 00 00 00 00 00 00"));
}

struct portCase {
    const char* answer;
    int port;
    bool taken;
};

class PortAnswer : public ::testing::TestWithParam<portCase> {};

TEST_P(PortAnswer, PortAndVerdict) {
    const portCase& c = GetParam();
    const QByteArray answer = hex(c.answer);
    EXPECT_EQ(switcherLink::portFromAnswer(answer), c.port) << c.answer;
    EXPECT_EQ(switcherLink::isRealtimePort(switcherLink::portFromAnswer(answer)), c.taken)
        << c.answer;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortAnswer,
    ::testing::Values(portCase{"08 00 00 00 89 13 AA 55", 5001, true},
                      portCase{"08 00 00 00 8B 13 AA 55", 5003, true},
                      portCase{"08 00 00 00 8D 13 AA 55", 5005, true},
                      portCase{"08 00 00 00 8F 13 AA 55", 5007, true},
                      portCase{"08 00 00 00 8A 13 AA 55", 5002, false},
                      portCase{"08 00 00 00 91 13 AA 55", 5009, false},
                      // Five bytes: byte 5 counts as 0, so no valid port can come out.
                      portCase{"08 00 00 00 89", 0x89, false}, portCase{"08 00 00 00", 0, false},
                      portCase{"", 0, false},
                      // Bytes are unsigned: FF FF is 65535, not -1.
                      portCase{"08 00 00 00 FF FF", 65535, false}));

struct pollCase {
    const char* name;
    const char* answer;
    std::vector<tallyRecord> records;
};

class PollAnswer : public ::testing::TestWithParam<pollCase> {};

TEST_P(PollAnswer, Records) {
    const pollCase& c = GetParam();
    EXPECT_EQ(switcherLink::tallyRecords(hex(c.answer)), c.records) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PollAnswer,
    ::testing::Values(
        pollCase{"empty", "", {}}, pollCase{"header only", "10 00 00 00 00 00 00 00", {}},
        pollCase{"14 bytes", "10 00 00 00 00 00 00 00 0A 00 00 00 04 00", {}},
        pollCase{"16 bytes: one record, program on channel 1",
                 "10 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00",
                 {{0, 4}}},
        pollCase{"15 bytes: a header and a partial record",
                 "10 00 00 00 00 00 00 00 0A 00 00 00 04 00 00",
                 {}},
        pollCase{"23 bytes still one record",
                 "17 00 00 00 00 00 00 00 0B 00 00 00 01 00 00 00 0C 00 00 00 04 00 00",
                 {{1, 1}}},
        pollCase{"last channel address 26 and one past it",
                 "18 00 00 00 00 00 00 00 1A 00 00 00 05 00 00 00 1B 00 00 00 04 00 00 00",
                 {{16, 5}}},
        pollCase{"address 9 and r2 not zero are skipped",
                 "20 00 00 00 00 00 00 00 09 00 00 00 04 00 00 00 0A 00 01 00 04 00 00 00 "
                 "0D 07 00 07 01 07 07 07",
                 {{3, 1}}},
        pollCase{"two records for one channel stay in order",
                 "18 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00 0A 00 00 00 00 00 00 00",
                 {{0, 4}, {0, 0}}},
        pollCase{"a tally byte above 127 is kept as the signed byte",
                 "10 00 00 00 00 00 00 00 0A 00 00 00 FF 00 00 00",
                 {{0, -1}}},
        pollCase{"address bytes above 127 are unsigned and skipped",
                 "10 00 00 00 00 00 00 00 8A 00 00 00 04 00 00 00",
                 {}}));

struct readCase {
    const char* name;
    const char* read;
    int skipped;
    std::vector<const char*> answers;
};

class ReadAnswers : public ::testing::TestWithParam<readCase> {};

TEST_P(ReadAnswers, CutByLengthBytes) {
    const readCase& c = GetParam();
    const switcherLink::readAnswers read = switcherLink::answersInRead(hex(c.read));
    EXPECT_EQ(read.skipped, c.skipped) << c.name;
    std::vector<QByteArray> expected;
    for (const char* answer : c.answers) {
        expected.push_back(hex(answer));
    }
    EXPECT_EQ(read.answers, expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadAnswers,
    ::testing::Values(
        readCase{"nothing", "", 0, {}},
        readCase{"one answer",
                 "10 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00",
                 0,
                 {"10 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00"}},
        readCase{"the rest of the start-up burst, then the first answer",
                 "00 00 01 00 00 00 00 00 00 00 01 00 00 00 00 00 "
                 "18 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00 0B 00 00 00 01 00 00 00",
                 16,
                 {"18 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00 0B 00 00 00 01 00 00 00"}},
        readCase{"two answers in one read",
                 "10 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00 "
                 "10 00 00 00 00 00 00 00 0B 00 00 00 01 00 00 00",
                 0,
                 {"10 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00",
                  "10 00 00 00 00 00 00 00 0B 00 00 00 01 00 00 00"}},
        readCase{"a header of its own length and nothing else",
                 "08 00 00 00 00 00 00 00",
                 0,
                 {"08 00 00 00 00 00 00 00"}},
        // A length byte that is not the answer's: the read is one answer as it stands.
        readCase{"length byte of another size",
                 "08 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00",
                 0,
                 {"08 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00"}},
        readCase{"a length byte past the end",
                 "00 00 01 00 00 00 00 00 20 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00",
                 0,
                 {"00 00 01 00 00 00 00 00 20 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00"}},
        readCase{"a burst only",
                 "00 00 01 00 00 00 00 00 00 00 01 00 00 00 00 00",
                 0,
                 {"00 00 01 00 00 00 00 00 00 00 01 00 00 00 00 00"}}));

TEST(SwitcherName, ChannelCounts) {
    EXPECT_EQ(switcherLink::channelCount("MX5800"), 12);
    EXPECT_EQ(switcherLink::channelCount("MX-2900"), 6);
    EXPECT_EQ(switcherLink::channelCount("QV2900-5800"), 6);
    EXPECT_EQ(switcherLink::channelCount("MX-430"), 12);
    EXPECT_EQ(switcherLink::channelCount(""), 12);

    // Lamps follow only switchers the panel knows by name.
    EXPECT_EQ(switcherLink::tallyChannels("MX5800"), 12);
    EXPECT_EQ(switcherLink::tallyChannels("MX2900"), 6);
    EXPECT_EQ(switcherLink::tallyChannels("2900 5800"), 6);
    EXPECT_EQ(switcherLink::tallyChannels("MX-430"), 0);
    EXPECT_EQ(switcherLink::tallyChannels("mx5800x"), 12);
}

}  // namespace
