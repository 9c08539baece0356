// The virtual switcher's bytes, held to the tally link's byte tables: the port answers, the burst
// and the poll answers (header L 00 00 00 00 00 00 00, then C 00 00 00 T 00 00 00 per channel).
// The panel's tally tests take these bytes as given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "spelledBytes.h"
#include "switcherModel.h"

namespace {

TEST(VirtualSwitcherBytes, PortAnswerTellsTheRealtimePortLittleEndian) {
    const struct {
        int realtimePort;
        const char* fault;
        const char* answer;
    } rows[] = {
        {5001, "none", "08 00 00 00 89 13 AA 55"},
        {5003, "none", "08 00 00 00 8B 13 AA 55"},
        {5005, "none", "08 00 00 00 8D 13 AA 55"},
        {5007, "none", "08 00 00 00 8F 13 AA 55"},
        {5007, "wrongport", "08 00 00 00 8A 13 AA 55"},
        {5005, "shortport", "08 00 00 00 8D"},
        {5001, "silent", ""},
        // A fault of the real-time port leaves the port answer alone.
        {5003, "shortburst", "08 00 00 00 8B 13 AA 55"},
    };
    for (const auto& row : rows) {
        SwitcherModel model(12);
        ASSERT_EQ(model.command(std::string("fault ") + row.fault), "ok") << row.fault;
        EXPECT_EQ(hex(portAnswer(static_cast<std::uint16_t>(row.realtimePort), model.fault())),
                  row.answer)
            << row.realtimePort << " " << row.fault;
    }
}

TEST(VirtualSwitcherBytes, BurstIsUnitsThatAreNeverTallyRecords) {
    const struct {
        const char* fault;
        std::size_t asked;  // 0: the length unless set
        std::size_t size;
    } rows[] = {{"none", 0, 4096},
                {"none", 4000, 4000},
                {"garbage", 0, 4096},
                {"shortburst", 0, 1000},
                {"silent", 0, 0}};
    for (const auto& row : rows) {
        SwitcherModel model(12);
        ASSERT_EQ(model.command(std::string("fault ") + row.fault), "ok");
        const std::string burst =
            row.asked == 0 ? initialBurst(model.fault()) : initialBurst(model.fault(), row.asked);
        ASSERT_EQ(burst.size(), row.size) << row.fault;
        for (std::size_t at = 0; at < burst.size(); at += 8) {
            ASSERT_EQ(hex(burst.substr(at, 8)), "00 00 01 00 00 00 00 00") << row.fault << at;
        }
    }
}

// One step of a conversation: a control command (answered "ok"), or a poll with its answer.
struct Step {
    const char* command;  // nullptr for a poll
    const char* reply;
};

Step cmd(const char* line) {
    return {line, nullptr};
}
Step poll(const char* reply) {
    return {nullptr, reply};
}

const char kNothing[] = "08 00 00 00 00 00 00 00";

void play(SwitcherModel& model, RealtimeSession& session, const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.command != nullptr) {
            ASSERT_EQ(model.command(s.command), "ok") << "step " << i << ": " << s.command;
        } else {
            EXPECT_EQ(hex(session.take(kPoll, model, 1 << 20).reply), s.reply) << "step " << i;
        }
    }
}

TEST(VirtualSwitcherAnswers, FirstAnswerCarriesAllThenOnlyChanges) {
    SwitcherModel model(channelsForName("MX5800"));
    RealtimeSession session;
    play(model, session,
         {
             poll("68 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 00 00 00 00 "
                  "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
                  "0F 00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 11 00 00 00 00 00 00 00 "
                  "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
                  "15 00 00 00 00 00 00 00"),
             poll(kNothing),
             cmd("program 3"),
             cmd("preview 5"),
             poll("18 00 00 00 00 00 00 00 0C 00 00 00 04 00 00 00 0E 00 00 00 01 00 00 00"),
             // Program moves: the old channel loses it, the new one is on both buses.
             cmd("program 5"),
             poll("18 00 00 00 00 00 00 00 0C 00 00 00 00 00 00 00 0E 00 00 00 05 00 00 00"),
             cmd("preview 0"),
             poll("10 00 00 00 00 00 00 00 0E 00 00 00 04 00 00 00"),
             cmd("program 12"),
             cmd("preview 1"),
             poll("20 00 00 00 00 00 00 00 0A 00 00 00 01 00 00 00 0E 00 00 00 00 00 00 00 "
                  "15 00 00 00 04 00 00 00"),
             // A change and its undoing between two polls is no change.
             cmd("program 2"),
             cmd("program 12"),
             poll(kNothing),
             // A forced byte goes out as it is.
             cmd("set 3 2"),
             poll("10 00 00 00 00 00 00 00 0C 00 00 00 02 00 00 00"),
         });
}

TEST(VirtualSwitcherAnswers, EachConnectionLearnsTheWholeStateFirst) {
    SwitcherModel model(channelsForName("MX2900"));
    const char full[] =
        "38 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 04 00 00 00 "
        "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
        "0F 00 00 00 01 00 00 00";
    RealtimeSession first;
    play(model, first, {cmd("program 2"), cmd("preview 6"), poll(full), poll(kNothing)});
    RealtimeSession second;
    play(model, second, {poll(full), poll(kNothing)});
}

// After answers the panel cannot read as tally (or none at all), the next proper answer tells
// the whole state again; a silent switcher still counts the polls it leaves unanswered.
TEST(VirtualSwitcherAnswers, FaultyAnswersThenTheWholeStateAgain) {
    SwitcherModel model(12);
    RealtimeSession session;
    ASSERT_EQ(model.command("program 1"), "ok");
    ASSERT_EQ(session.take(kPoll, model, 1 << 20).reply.size(), 104u);

    ASSERT_EQ(model.command("fault garbage"), "ok");
    const Taken garbage = session.take(kPoll + kPoll, model, 1 << 20);
    EXPECT_EQ(garbage.reply.size(), 128u);
    EXPECT_EQ(garbage.answered, 2);
    ASSERT_EQ(model.command("fault huge"), "ok");
    const std::string huge = session.take(kPoll, model, 1 << 20).reply;
    ASSERT_EQ(huge.size(), 70000u);
    EXPECT_EQ(hex(huge.substr(0, 8)), "70 00 00 00 00 00 00 00");
    ASSERT_EQ(model.command("fault none"), "ok");
    EXPECT_EQ(session.take(kPoll, model, 1 << 20).reply.size(), 104u);
    EXPECT_EQ(hex(session.take(kPoll, model, 1 << 20).reply), kNothing);

    ASSERT_EQ(model.command("fault silent"), "ok");
    ASSERT_EQ(model.command("program 4"), "ok");
    const Taken quiet = session.take(kPoll + kPoll + kPoll, model, 1 << 20);
    EXPECT_EQ(quiet.reply, "");
    EXPECT_EQ(quiet.requests, 3);
    EXPECT_EQ(quiet.answered, 0);
    ASSERT_EQ(model.command("fault none"), "ok");
    EXPECT_EQ(hex(session.take(kPoll, model, 1 << 20).reply),
              "18 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0D 00 00 00 04 00 00 00");
}

}  // namespace
