// The virtual switcher is written from the tally link's byte tables on its own; these cases hold
// it to the same tables (port answers, the burst, poll answers byte for byte, the buses), so it can
// in turn check the panel's side of the link.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "spelledBytes.h"
#include "switcherModel.h"

namespace {

// ---- Port answers and the burst ----------------------------------------------------------------

struct PortRow {
    int realtimePort;
    const char* fault;
    const char* answer;
};

TEST(VirtualSwitcherBytes, PortAnswerTellsTheRealtimePortLittleEndian) {
    const PortRow rows[] = {
        {5001, "none", "08 00 00 00 89 13 AA 55"},
        {5003, "none", "08 00 00 00 8B 13 AA 55"},
        {5005, "none", "08 00 00 00 8D 13 AA 55"},
        {5007, "none", "08 00 00 00 8F 13 AA 55"},
        {5001, "wrongport", "08 00 00 00 8A 13 AA 55"},
        {5007, "wrongport", "08 00 00 00 8A 13 AA 55"},
        {5001, "shortport", "08 00 00 00 89"},
        {5005, "shortport", "08 00 00 00 8D"},
        {5001, "silent", ""},
        // The faults of the real-time port leave the port answer alone.
        {5003, "shortburst", "08 00 00 00 8B 13 AA 55"},
        {5003, "garbage", "08 00 00 00 8B 13 AA 55"},
        {5003, "huge", "08 00 00 00 8B 13 AA 55"},
    };
    for (const PortRow& row : rows) {
        SwitcherModel model(12);
        ASSERT_EQ(model.command(std::string("fault ") + row.fault), "ok") << row.fault;
        EXPECT_EQ(hex(portAnswer(static_cast<std::uint16_t>(row.realtimePort), model.fault())),
                  row.answer)
            << row.realtimePort << " " << row.fault;
    }
}

TEST(VirtualSwitcherBytes, BurstIsRecordsThatAreNeverTally) {
    const struct {
        const char* fault;
        std::size_t size;
    } rows[] = {{"none", 4096},    {"wrongport", 4096}, {"shortport", 4096}, {"shortburst", 1000},
                {"garbage", 4096}, {"huge", 4096},      {"silent", 0}};
    for (const auto& row : rows) {
        SwitcherModel model(12);
        ASSERT_EQ(model.command(std::string("fault ") + row.fault), "ok");
        const std::string burst = initialBurst(model.fault());
        ASSERT_EQ(burst.size(), row.size) << row.fault;
        for (std::size_t at = 0; at < burst.size(); at += 8) {
            ASSERT_EQ(hex(burst.substr(at, 8)), "00 00 01 00 00 00 00 00") << row.fault << at;
        }
    }
}

TEST(VirtualSwitcherBytes, ChannelCountAndPorts) {
    const struct {
        const char* name;
        int channels;
    } names[] = {{"MX5800", 12},   {"MX-5800", 12}, {"QV-5800", 12},
                 {"MX2900", 6},    {"MX-2900", 6},  {"mx2900x", 6},
                 {"2900-5800", 6}, {"WXR-100", 12}, {"MX-2900/5800", 6}};
    for (const auto& row : names) {
        EXPECT_EQ(channelsForName(row.name), row.channels) << row.name;
    }
    for (const long port : {5001L, 5003L, 5005L, 5007L}) {
        EXPECT_TRUE(isRealtimePort(port)) << port;
    }
    for (const long port : {0L, 5000L, 5002L, 5009L, 5011L, -5001L, 70001L}) {
        EXPECT_FALSE(isRealtimePort(port)) << port;
    }
}

// ---- Cutting streams into units ----------------------------------------------------------------

TEST(VirtualSwitcherBytes, StreamsAreCutIntoUnitsOfEight) {
    const struct {
        std::vector<const char*> chunks;
        std::vector<const char*> units;
        std::size_t pending;
    } rows[] = {
        {{""}, {}, 0},
        {{"08 00 00"}, {}, 3},
        {{"08 00 00", "00 00 00 00"}, {}, 7},
        {{"08 00 00", "00 00 00 00", "00"}, {"08 00 00 00 00 00 00 00"}, 0},
        {{"08 00 00 00 00 00 00 00 08 00 00 00 01 00 AA 55 01"},
         {"08 00 00 00 00 00 00 00", "08 00 00 00 01 00 AA 55"},
         1},
        {{"01 02 03 04 05", "06 07 08 09 0A 0B 0C 0D 0E 0F 10 11", ""},
         {"01 02 03 04 05 06 07 08", "09 0A 0B 0C 0D 0E 0F 10"},
         1},
    };
    for (const auto& row : rows) {
        UnitCutter cutter;
        std::vector<std::string> got;
        for (const char* chunk : row.chunks) {
            for (const std::string& u : cutter.feed(bytes(chunk))) {
                got.push_back(hex(u));
            }
        }
        EXPECT_EQ(got, std::vector<std::string>(row.units.begin(), row.units.end()))
            << row.chunks.front();
        EXPECT_EQ(cutter.pending(), row.pending) << row.chunks.front();
    }
}

TEST(VirtualSwitcherBytes, QueryPortAnswersEveryQueryAndIgnoresTheRest) {
    const struct {
        std::vector<const char*> chunks;
        const char* reply;
        int queries;
        int ignored;
    } rows[] = {
        {{"08 00 00 00 01 00 AA 55"}, "08 00 00 00 89 13 AA 55", 1, 0},
        {{"08 00 00", "00 01 00 AA 55"}, "08 00 00 00 89 13 AA 55", 1, 0},
        // Six attempts on one connection, joined by TCP.
        {{"08 00 00 00 01 00 AA 55 08 00 00 00 01 00 AA 55 08 00 00 00 01 00 AA 55 "
          "08 00 00 00 01 00 AA 55 08 00 00 00 01 00 AA 55 08 00 00 00 01 00 AA 55"},
         "08 00 00 00 89 13 AA 55 08 00 00 00 89 13 AA 55 08 00 00 00 89 13 AA 55 "
         "08 00 00 00 89 13 AA 55 08 00 00 00 89 13 AA 55 08 00 00 00 89 13 AA 55",
         6,
         0},
        {{"08 00 00 00 00 00 00 00"}, "", 0, 1},                       // a poll
        {{"08 00 00 00 01 00 AA 56 08 00 00 00 01 00 AA"}, "", 0, 1},  // one byte off
        {{"FF 08 00 00 00 01 00 AA 55"}, "", 0, 1},                    // out of step
        {{"", "08 00 00 00 01 00 AA"}, "", 0, 0},                      // unfinished
        {{"00 00 00 00 00 00 00 00 08 00 00 00 01 00 AA 55"}, "08 00 00 00 89 13 AA 55", 1, 1},
    };
    for (const auto& row : rows) {
        QuerySession session;
        Taken all;
        for (const char* chunk : row.chunks) {
            const Taken t = session.take(bytes(chunk), 5001, SwitcherFault::None);
            all.reply += t.reply;
            all.requests += t.requests;
            all.ignored += t.ignored;
        }
        EXPECT_EQ(hex(all.reply), row.reply) << row.chunks.front();
        EXPECT_EQ(all.requests, row.queries) << row.chunks.front();
        EXPECT_EQ(all.ignored, row.ignored) << row.chunks.front();
    }
}

// ---- Poll answers ------------------------------------------------------------------------------

// One step of a conversation: a control command (answered "ok"), or bytes from the panel with the
// switcher's reply.
struct Step {
    const char* command;  // nullptr for bytes
    const char* in;
    const char* reply;
};

Step cmd(const char* line) {
    return {line, nullptr, nullptr};
}
Step poll(const char* reply) {
    return {nullptr, "08 00 00 00 00 00 00 00", reply};
}

const char kNothing[] = "08 00 00 00 00 00 00 00";
const char kAllZero12[] =
    "68 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 00 00 00 00 "
    "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
    "0F 00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 11 00 00 00 00 00 00 00 "
    "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
    "15 00 00 00 00 00 00 00";

void play(SwitcherModel& model, RealtimeSession& session, const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.command != nullptr) {
            ASSERT_EQ(model.command(s.command), "ok") << "step " << i << ": " << s.command;
        } else {
            EXPECT_EQ(hex(session.take(bytes(s.in), model, 1 << 20).reply), s.reply)
                << "step " << i;
        }
    }
}

TEST(VirtualSwitcherAnswers, FirstAnswerCarriesAllThenOnlyChanges) {
    SwitcherModel model(12);
    RealtimeSession session;
    play(model, session,
         {
             poll(kAllZero12),
             poll(kNothing),
             cmd("program 3"),
             cmd("preview 5"),
             poll("18 00 00 00 00 00 00 00 0C 00 00 00 04 00 00 00 0E 00 00 00 01 00 00 00"),
             poll(kNothing),
             // Program moves: the old channel loses it, the new one is on both buses.
             cmd("program 5"),
             poll("18 00 00 00 00 00 00 00 0C 00 00 00 00 00 00 00 0E 00 00 00 05 00 00 00"),
             cmd("preview 5"),  // already there
             poll(kNothing),
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
             cmd("program 0"),
             poll("10 00 00 00 00 00 00 00 15 00 00 00 00 00 00 00"),
         });
}

TEST(VirtualSwitcherAnswers, ForcedBytesAndTheBuses) {
    SwitcherModel model(12);
    RealtimeSession session;
    play(model, session,
         {
             cmd("set 7 0x05"),
             cmd("set 12 255"),
             cmd("preview 2"),
             poll("68 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 01 00 00 00 "
                  "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
                  "0F 00 00 00 00 00 00 00 10 00 00 00 05 00 00 00 11 00 00 00 00 00 00 00 "
                  "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
                  "15 00 00 00 FF 00 00 00"),
             // Program on 7 computes 7 from the buses; 12 keeps its forced byte.
             cmd("program 7"),
             poll("10 00 00 00 00 00 00 00 10 00 00 00 04 00 00 00"),
             cmd("set 2 0"),
             cmd("set 3 1"),
             poll("18 00 00 00 00 00 00 00 0B 00 00 00 00 00 00 00 0C 00 00 00 01 00 00 00"),
             // Preview leaves 2 (computed again: 0) for 4; 3 keeps the byte it was given.
             cmd("preview 4"),
             poll("10 00 00 00 00 00 00 00 0D 00 00 00 01 00 00 00"),
         });
    EXPECT_EQ(model.command("get tally"), "1=0 2=0 3=1 4=1 5=0 6=0 7=4 8=0 9=0 10=0 11=0 12=255");
}

TEST(VirtualSwitcherAnswers, ModeAllAndNewConnections) {
    SwitcherModel model(6);
    RealtimeSession first;
    const char full[] =
        "38 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 04 00 00 00 "
        "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
        "0F 00 00 00 01 00 00 00";
    play(model, first,
         {
             cmd("program 2"),
             cmd("preview 6"),
             poll(full),
             poll(kNothing),
             cmd("mode all"),
             poll(full),
             poll(full),
             cmd("mode changes"),
             poll(kNothing),
         });
    // Each connection learns the whole state first.
    RealtimeSession second;
    play(model, second, {poll(full), poll(kNothing)});
    // A connection told to repeat the whole state does so for that many answers.
    RealtimeSession repeating(3);
    play(model, repeating, {poll(full), poll(full), poll(full), poll(kNothing)});
}

TEST(VirtualSwitcherAnswers, SeventeenChannelsAndOne) {
    SwitcherModel wide(17);
    RealtimeSession session;
    ASSERT_EQ(wide.command("program 17"), "ok");
    EXPECT_EQ(hex(session.take(kPoll, wide, 1 << 20).reply),
              "90 00 00 00 00 00 00 00 0A 00 00 00 00 00 00 00 0B 00 00 00 00 00 00 00 "
              "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
              "0F 00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 11 00 00 00 00 00 00 00 "
              "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
              "15 00 00 00 00 00 00 00 16 00 00 00 00 00 00 00 17 00 00 00 00 00 00 00 "
              "18 00 00 00 00 00 00 00 19 00 00 00 00 00 00 00 1A 00 00 00 04 00 00 00");
    SwitcherModel one(1);
    RealtimeSession alone;
    ASSERT_EQ(one.command("preview 1"), "ok");
    EXPECT_EQ(hex(alone.take(kPoll, one, 1 << 20).reply),
              "10 00 00 00 00 00 00 00 0A 00 00 00 01 00 00 00");
}

// The whole stream as TCP may deliver it; only whole polls are answered, anything else is counted
// as ignored.
TEST(VirtualSwitcherAnswers, PollsSplitJoinedAndMixedWithNoise) {
    const char firstAnswer[] =
        "68 00 00 00 00 00 00 00 0A 00 00 00 04 00 00 00 0B 00 00 00 00 00 00 00 "
        "0C 00 00 00 00 00 00 00 0D 00 00 00 00 00 00 00 0E 00 00 00 00 00 00 00 "
        "0F 00 00 00 00 00 00 00 10 00 00 00 00 00 00 00 11 00 00 00 00 00 00 00 "
        "12 00 00 00 00 00 00 00 13 00 00 00 00 00 00 00 14 00 00 00 00 00 00 00 "
        "15 00 00 00 00 00 00 00";
    const struct {
        const char* in;
        std::string reply;
        int polls;
        int ignored;
        const char* firstIgnored;
    } rows[] = {
        {"08 00 00 00", "", 0, 0, ""},
        {"00 00 00", "", 0, 0, ""},
        {"00 08 00 00 00 00 00 00 00 01", std::string(firstAnswer) + " " + kNothing, 2, 0, ""},
        {"02 03 04 05 06 07 08", "", 0, 1, "01 02 03 04 05 06 07 08"},
        {"08 00 00 00 01 00 AA 55 08 00 00 00 00 00 00 00", kNothing, 1, 1,
         "08 00 00 00 01 00 AA 55"},
        {"", "", 0, 0, ""},
    };
    SwitcherModel model(12);
    RealtimeSession session;
    ASSERT_EQ(model.command("program 1"), "ok");
    for (const auto& row : rows) {
        const Taken t = session.take(bytes(row.in), model, 1 << 20);
        EXPECT_EQ(hex(t.reply), row.reply) << row.in;
        EXPECT_EQ(t.requests, row.polls) << row.in;
        EXPECT_EQ(t.answered, row.polls) << row.in;
        EXPECT_EQ(t.ignored, row.ignored) << row.in;
        EXPECT_EQ(hex(t.firstIgnored), row.firstIgnored) << row.in;
    }
}

// ---- Faults and limits -------------------------------------------------------------------------

TEST(VirtualSwitcherAnswers, GarbageAndHugeAnswersThenTheWholeStateAgain) {
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
    int differentR0 = 0;
    for (std::size_t at = 8; at < huge.size(); at += 8) {
        const std::string r = huge.substr(at, 8);
        ASSERT_EQ(r[1] | r[3] | r[5] | r[6] | r[7], 0) << at;
        differentR0 += r[0] != huge[8] ? 1 : 0;
    }
    EXPECT_GT(differentR0, 1000);

    // The panel may have taken any of that as tally: the next proper answer tells all.
    ASSERT_EQ(model.command("fault none"), "ok");
    EXPECT_EQ(session.take(kPoll, model, 1 << 20).reply.size(), 104u);
    EXPECT_EQ(hex(session.take(kPoll, model, 1 << 20).reply), kNothing);
}

TEST(VirtualSwitcherAnswers, SilentCountsPollsAndLaterTellsWhatChangedMeanwhile) {
    SwitcherModel model(12);
    RealtimeSession session;
    ASSERT_EQ(session.take(kPoll, model, 1 << 20).reply.size(), 104u);
    ASSERT_EQ(model.command("fault silent"), "ok");
    ASSERT_EQ(model.command("program 4"), "ok");
    const Taken quiet = session.take(kPoll + kPoll + kPoll, model, 1 << 20);
    EXPECT_EQ(quiet.reply, "");
    EXPECT_EQ(quiet.requests, 3);
    EXPECT_EQ(quiet.answered, 0);
    ASSERT_EQ(model.command("fault none"), "ok");
    EXPECT_EQ(hex(session.take(kPoll, model, 1 << 20).reply),
              "10 00 00 00 00 00 00 00 0D 00 00 00 04 00 00 00");
}

// Polls beyond the room the caller has are left unanswered and change nothing, so the first
// answer that does go out is still the whole state.
TEST(VirtualSwitcherAnswers, NoRoomLeavesPollsUnanswered) {
    SwitcherModel model(12);
    RealtimeSession session;
    const Taken none = session.take(kPoll + kPoll, model, 0);
    EXPECT_EQ(none.reply, "");
    EXPECT_EQ(none.requests, 2);
    EXPECT_EQ(none.unanswered, 2);
    const Taken some = session.take(kPoll + kPoll + kPoll, model, 105);
    EXPECT_EQ(hex(some.reply), std::string(kAllZero12) + " " + kNothing);
    EXPECT_EQ(some.answered, 2);
    EXPECT_EQ(some.unanswered, 1);
}

// Any bytes, any length: nothing but whole polls is answered, and a run of noise is measured so
// the caller can give up on the connection.
TEST(VirtualSwitcherAnswers, RandomInputOfAnyLength) {
    std::mt19937 random(710);
    std::uniform_int_distribution<int> byte(0, 255);
    SwitcherModel model(12);
    RealtimeSession session;
    QuerySession query;
    std::size_t total = 0;
    int ignored = 0;
    for (const std::size_t size : {0u, 1u, 7u, 8u, 9u, 15u, 4096u, 65537u, 1u << 20}) {
        std::string noise(size, '\0');
        for (char& c : noise) {
            c = static_cast<char>(byte(random));
        }
        const Taken t = session.take(noise, model, 1 << 20);
        EXPECT_EQ(t.requests, 0);
        EXPECT_EQ(t.reply, "");
        ignored += t.ignored;
        total += size;
        EXPECT_EQ(query.take(noise, 5001, SwitcherFault::None).requests, 0);
    }
    EXPECT_EQ(static_cast<std::size_t>(ignored), total / 8);
    EXPECT_EQ(session.ignoredInARow(), total / 8 * 8);
    EXPECT_EQ(query.ignoredInARow(), total / 8 * 8);
    // Back in step, a poll is answered and ends the run.
    const std::string realign(8 - total % 8, '\x00');
    const Taken t = session.take(realign + kPoll, model, 1 << 20);
    EXPECT_EQ(t.requests, 1);
    EXPECT_EQ(session.ignoredInARow(), 0u);
}

TEST(VirtualSwitcherControl, CommandsAndRefusals) {
    SwitcherModel model(12);
    const struct {
        const char* line;
        std::optional<std::string> answer;  // "error" stands for any "error ..." line
    } rows[] = {
        {"program 12", "ok"},
        {"program 0", "ok"},
        {"preview 0x0C", "ok"},
        {"set 1 010", "ok"},  // decimal ten, not octal
        {"set 2 0xff", "ok"},
        {"set  3   0X04 ", "ok"},
        {"get tally", "1=10 2=255 3=4 4=0 5=0 6=0 7=0 8=0 9=0 10=0 11=0 12=1"},
        {"mode all", "ok"},
        {"fault shortburst", "ok"},
        {"program 13", "error"},
        {"program -1", "error"},
        {"program x", "error"},
        {"program", "error"},
        {"program 1 2", "error"},
        {"preview 99999999999", "error"},
        {"set 0 1", "error"},
        {"set 1 256", "error"},
        {"set 1 0x100", "error"},
        {"set 1 0x", "error"},
        {"set 1", "error"},
        {"mode", "error"},
        {"mode some", "error"},
        {"fault", "error"},
        {"fault bogus", "error"},
        {"get tally", "1=10 2=255 3=4 4=0 5=0 6=0 7=0 8=0 9=0 10=0 11=0 12=1"},
        {"ping", std::nullopt},
        {"get state", std::nullopt},
        {"", std::nullopt},
        {"drop", std::nullopt},
    };
    for (const auto& row : rows) {
        std::optional<std::string> got = model.command(row.line);
        if (got && got->rfind("error ", 0) == 0) {
            got = "error";
        }
        EXPECT_EQ(got, row.answer) << row.line;
    }
    EXPECT_EQ(model.faultName(), "shortburst");
    EXPECT_EQ(model.modeName(), "all");
}

}  // namespace
