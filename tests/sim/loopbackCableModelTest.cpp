// The loop-back cable on bytes alone: each row arms faults, then feeds writes and quiet lines in
// one direction or the other and checks the exact bytes that come out at the far end.
#include <gtest/gtest.h>

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

}  // namespace
