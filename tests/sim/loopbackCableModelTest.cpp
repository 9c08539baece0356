// The loop-back cable on bytes alone: each row arms faults, then feeds writes and quiet lines in
// one direction or the other and checks the exact bytes that come out at the far end.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cableModel.h"
#include "spelledBytes.h"

namespace {

constexpr CableDirection AB = CableDirection::AB;
constexpr CableDirection BA = CableDirection::BA;

struct Step {
    char op;  // 'w' write `in`, expect `out` at the far end; 'q' the line went quiet;
              // 'h' heal, expect `out` released in this direction
    CableDirection direction;
    const char* in;
    const char* out;
};

struct CableRow {
    const char* name;
    void (*arm)(CableModel&);
    std::vector<Step> steps;
    std::uint64_t forwardedAB;
    std::uint64_t forwardedBA;
};

TEST(CableModel, FaultsChangeExactlyTheBytesTheySay) {
    const CableRow rows[] = {
        {"every byte value passes unchanged both ways",
         [](CableModel&) {},
         {{'w', AB, "55 AA 00 FF 0D 0A 11 13 7F", "55 AA 00 FF 0D 0A 11 13 7F"},
          {'w', BA, "03 1B 0A 0D 55", "03 1B 0A 0D 55"}},
         9,
         5},
        {"break loses one direction only",
         [](CableModel& m) { m.breakLine(AB); },
         {{'w', AB, "55 AA 01", ""}, {'w', BA, "55 AA 02", "55 AA 02"}, {'q', AB, "", ""}},
         0,
         3},
        {"corrupt 0 flips the first byte, once",
         [](CableModel& m) { m.corrupt(AB, 0); },
         {{'w', AB, "55 AA 5A", "AA AA 5A"}, {'w', AB, "55 AA", "55 AA"}},
         5,
         0},
        {"corrupt counts across writes and pauses",
         [](CableModel& m) { m.corrupt(BA, 3); },
         {{'w', BA, "55 AA", "55 AA"},
          {'q', BA, "", ""},
          {'w', BA, "5A A5 00", "5A 5A 00"},
          {'w', BA, "A5", "A5"},
          {'w', AB, "A5 A5 A5 A5", "A5 A5 A5 A5"}},
         4,
         6},
        {"droptail holds the last N back and drops them when the line goes quiet",
         [](CableModel& m) { m.dropTail(AB, 2); },
         {{'w', AB, "01 02 03", "01"},
          {'w', AB, "04 05", "02 03"},
          {'q', AB, "", ""},
          {'w', AB, "06 07", "06 07"}},
         5,
         0},
        {"droptail longer than the burst drops it all",
         [](CableModel& m) { m.dropTail(BA, 4); },
         {{'w', BA, "01 02", ""}, {'q', BA, "", ""}, {'w', BA, "03", "03"}},
         0,
         1},
        {"a quiet line before any byte leaves droptail armed",
         [](CableModel& m) { m.dropTail(AB, 1); },
         {{'q', AB, "", ""},
          {'w', BA, "09", "09"},
          {'q', BA, "", ""},
          {'w', AB, "01 02", "01"},
          {'q', AB, "", ""},
          {'w', AB, "03", "03"}},
         2,
         1},
        {"droptail 0 drops nothing",
         [](CableModel& m) { m.dropTail(AB, 0); },
         {{'w', AB, "01 02", "01 02"}, {'q', AB, "", ""}, {'w', AB, "03", "03"}},
         3,
         0},
        {"corrupt and droptail in one burst",
         [](CableModel& m) {
             m.corrupt(AB, 1);
             m.dropTail(AB, 1);
         },
         {{'w', AB, "55 AA 55 AA", "55 55 55"}, {'q', AB, "", ""}},
         3,
         0},
        {"unplugged loses both ways",
         [](CableModel& m) { m.unplug(); },
         {{'w', AB, "01", ""}, {'w', BA, "02", ""}},
         0,
         0},
        {"heal clears every fault and releases what droptail held",
         [](CableModel& m) {
             m.dropTail(AB, 3);
             m.breakLine(BA);
             m.corrupt(BA, 0);
         },
         {{'w', BA, "10", ""},
          {'w', AB, "01 02 03 04", "01"},
          {'h', AB, "", "02 03 04"},
          {'w', AB, "05 06", "05 06"},
          {'q', AB, "", ""},
          {'w', BA, "10 20", "10 20"}},
         6,
         2},
    };
    for (const CableRow& row : rows) {
        SCOPED_TRACE(row.name);
        CableModel model;
        row.arm(model);
        for (const Step& step : row.steps) {
            if (step.op == 'w') {
                EXPECT_EQ(hex(model.forward(step.direction, bytes(step.in))), step.out)
                    << "writing " << step.in;
            } else if (step.op == 'q') {
                model.lineQuiet(step.direction);
            } else {
                const auto released = model.heal();
                EXPECT_EQ(hex(released[step.direction == AB ? 0 : 1]), step.out);
            }
        }
        EXPECT_EQ(model.forwarded(AB), row.forwardedAB);
        EXPECT_EQ(model.forwarded(BA), row.forwardedBA);
    }
}

TEST(CableModel, UnplugThenPlugAndAReplacedDroptail) {
    CableModel model;
    model.unplug();
    EXPECT_FALSE(model.plugged());
    EXPECT_EQ(hex(model.forward(AB, bytes("01"))), "");
    model.plug();
    EXPECT_EQ(hex(model.forward(AB, bytes("01"))), "01");
    model.unplug();
    model.heal();
    EXPECT_TRUE(model.plugged());

    // A second droptail while the first holds bytes back lets them go on and starts afresh.
    EXPECT_EQ(hex(model.dropTail(BA, 2)), "");
    EXPECT_EQ(hex(model.forward(BA, bytes("01 02 03"))), "01");
    EXPECT_EQ(hex(model.dropTail(BA, 1)), "02 03");
    EXPECT_FALSE(model.awaitsQuiet(BA));
    EXPECT_EQ(hex(model.forward(BA, bytes("04 05"))), "04");
    EXPECT_TRUE(model.awaitsQuiet(BA));
    model.lineQuiet(BA);
    EXPECT_EQ(hex(model.forward(BA, bytes("06"))), "06");
    EXPECT_EQ(model.forwarded(BA), 5u);
}

struct CommandRow {
    const char* line;
    const char* answer;  // "" when the command is taken
    CableCommand::Kind kind;
    int pair;
    CableDirection direction;
    std::size_t count;
};

TEST(CableCommands, LinesAreCheckedWordByWord) {
    using K = CableCommand::Kind;
    const CommandRow rows[] = {
        {"ping", "", K::Ping, 0, AB, 0},
        {"break 1 ab", "", K::Break, 1, AB, 0},
        {"  break   4 ba  ", "", K::Break, 4, BA, 0},
        {"corrupt 2 ba 0", "", K::Corrupt, 2, BA, 0},
        {"droptail 3 ab 1000000", "", K::DropTail, 3, AB, 1000000},
        {"unplug 4", "", K::Unplug, 4, AB, 0},
        {"plug 1", "", K::Plug, 1, AB, 0},
        {"heal 2", "", K::Heal, 2, AB, 0},
        {"heal all", "", K::Heal, 0, AB, 0},
        {"get 3 ba", "", K::Get, 3, BA, 0},
        {"", "error empty command", K::Ping, 0, AB, 0},
        {" \t ", "error empty command", K::Ping, 0, AB, 0},
        {"ping 1", "error usage: ping", K::Ping, 0, AB, 0},
        {"break 1", "error usage: break P ab|ba", K::Ping, 0, AB, 0},
        {"corrupt 1 ab", "error usage: corrupt P ab|ba N", K::Ping, 0, AB, 0},
        {"droptail 1 ab 2 3", "error usage: droptail P ab|ba N", K::Ping, 0, AB, 0},
        {"heal", "error usage: heal P|all", K::Ping, 0, AB, 0},
        {"break 0 ab", "error pair must be 1 to 4", K::Ping, 0, AB, 0},
        {"break 5 ab", "error pair must be 1 to 4", K::Ping, 0, AB, 0},
        {"unplug 01", "error pair must be 1 to 4", K::Ping, 0, AB, 0},
        {"heal every", "error pair must be 1 to 4 or all", K::Ping, 0, AB, 0},
        {"get 1 AB", "error direction must be ab or ba", K::Ping, 0, AB, 0},
        {"corrupt 1 ab -1", "error N must be a number from 0 to 1000000", K::Ping, 0, AB, 0},
        {"corrupt 1 ab 1e3", "error N must be a number from 0 to 1000000", K::Ping, 0, AB, 0},
        {"droptail 1 ba 1000001", "error N must be a number from 0 to 1000000", K::Ping, 0, AB, 0},
        {"droptail 1 ba 99999999999999999999", "error N must be a number from 0 to 1000000",
         K::Ping, 0, AB, 0},
        {"PING", "error unknown command: PING", K::Ping, 0, AB, 0},
        {"\x01\xff"
         "x 1",
         "error unknown command: \\x01\\xFFx", K::Ping, 0, AB, 0},
    };
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.line);
        std::string error;
        const auto command = parseCableCommand(row.line, error);
        if (*row.answer != '\0') {
            EXPECT_FALSE(command.has_value());
            EXPECT_EQ(error, row.answer);
            continue;
        }
        ASSERT_TRUE(command.has_value()) << error;
        EXPECT_EQ(command->kind, row.kind);
        EXPECT_EQ(command->pair, row.pair);
        EXPECT_EQ(command->direction, row.direction);
        EXPECT_EQ(command->count, row.count);
    }
}

TEST(CableCommands, HugeAndRandomLinesGetAShortError) {
    std::string error;
    EXPECT_FALSE(parseCableCommand(std::string(100000, 'z'), error));
    EXPECT_EQ(error, "error unknown command: zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz...");

    std::mt19937 rng(710);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<int> any(0, 255);
    for (int i = 0; i < 2000; ++i) {
        std::string line(static_cast<std::size_t>(length(rng)), '\0');
        for (char& c : line) {
            c = static_cast<char>(any(rng));
        }
        if (!parseCableCommand(line, error)) {
            EXPECT_EQ(error.rfind("error ", 0), 0u);
            EXPECT_LT(error.size(), 200u);
            EXPECT_EQ(error.find('\n'), std::string::npos);
        }
    }
}

}  // namespace
