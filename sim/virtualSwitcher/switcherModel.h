// The video switcher's side of the tally link, on bytes alone (no sockets): the port query and
// its answer, the initial burst, the polls and their answers, the program and preview buses, and
// the faults the switcher can be told to have.
//
// Every port's stream is cut into 8-byte units (TCP may split or join writes). All bytes hex:
//
//   query port (5009)  in   08 00 00 00 01 00 AA 55   the port query, up to 6 on one connection
//                      out  08 00 00 00 lo hi AA 55   the real-time port R, little-endian:
//                                                     5001 89 13, 5003 8B 13, 5005 8D 13,
//                                                     5007 8F 13
//   real-time port R   out  at once: the burst, 4096 bytes (unless set) of 00 00 01 00 00 00 00 00
//   (byte 2 is
//                           01, so no part of it reads as a tally record)
//                      in   08 00 00 00 00 00 00 00   a poll
//                      out  one answer per poll: L 00 00 00 00 00 00 00 (L the answer's length
//                           modulo 256), then per channel reported  C 00 00 00 T 00 00 00  with
//                           C = 0A + channel - 1 and T its tally byte
//   control port R+1   nothing either way
//
// Tally byte: 00 neither, 01 preview, 04 program, 05 program and preview.
// A unit that is not the packet its port expects is ignored; the caller is told so it can log it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

constexpr std::size_t kUnitSize = 8;
constexpr int kMaxChannels = 17;  // record addresses 0A to 1A
constexpr std::size_t kBurstSize = 4096;
constexpr std::size_t kShortBurstSize = 1000;
constexpr std::size_t kGarbageSize = 64;
constexpr std::size_t kHugeSize = 70000;

extern const std::string kPortQuery;
extern const std::string kPoll;

enum class SwitcherFault {
    None,
    WrongPort,   // the port answer carries 5002
    ShortPort,   // the port answer is cut to its first 5 bytes
    ShortBurst,  // the burst is 1000 bytes
    Garbage,     // each poll answer is 64 random bytes
    Huge,        // each poll answer is 70000 bytes: the header, then records with random r0, r2, r4
    Silent,      // nothing is written any more: no port answer, burst or poll answer
};

// "12" or "0x0C", from 0 to max; decimal unless 0x, so a leading zero does not make it octal.
std::optional<int> controlNumber(const std::string& text, int max);

bool isRealtimePort(long port);  // 5001, 5003, 5005 or 5007
// The channel count a switcher of that name has: 6 for the 2900 family, else 12.
int channelsForName(const std::string& name);

// Empty when the fault keeps the switcher quiet.
std::string portAnswer(std::uint16_t realtimePort, SwitcherFault fault);
std::string initialBurst(SwitcherFault fault, std::size_t length = kBurstSize);

class UnitCutter {
public:
    // The whole units, in order; fewer than 8 bytes left over wait for the next call.
    std::vector<std::string> feed(const std::string& bytes);
    std::size_t pending() const { return tail_.size(); }

private:
    std::string tail_;
};

class SwitcherModel {
public:
    explicit SwitcherModel(int channels, std::uint32_t seed = 0x710A);

    int channels() const { return static_cast<int>(tally_.size()); }
    std::uint8_t tally(int channel) const {
        return tally_.at(static_cast<std::size_t>(channel - 1));
    }
    SwitcherFault fault() const { return fault_; }
    bool reportsAll() const { return reportsAll_; }
    std::string faultName() const;
    std::string modeName() const { return reportsAll_ ? "all" : "changes"; }

    // The commands on tally, answers and faults; the answer line, or nullopt for a command that is
    // not one of these:
    //   program CH | preview CH   CH on the bus (0: nobody); the channel that was there leaves it
    //   set CH BYTE               forces one tally byte (decimal or 0x hex). The buses stay as they
    //                             were: the next program or preview computes the tally bytes of
    //                             the channels it moves from the buses again, and of those only.
    //   get tally                 "1=4 2=1 3=0 ..."
    //   mode changes|all          answers carry the channels that changed, or all of them
    //   fault NAME                none wrongport shortport shortburst garbage huge silent
    std::optional<std::string> command(const std::string& line);

    std::string randomBytes(std::size_t size);

private:
    void putOnBus(int& bus, int channel);
    void fromBuses(int channel);

    std::vector<std::uint8_t> tally_;
    int program_ = 0;  // 0: no channel on the bus
    int preview_ = 0;
    SwitcherFault fault_ = SwitcherFault::None;
    bool reportsAll_ = false;
    std::mt19937 random_;
};

// What the bytes received on one connection came to.
struct Taken {
    std::string reply;         // to write back, in order
    int requests = 0;          // units that were the packet the port expects
    int answered = 0;          // requests that got an answer
    int unanswered = 0;        // requests left without one for want of room (see take)
    int ignored = 0;           // other units
    std::string firstIgnored;  // the first of them, for the log
};

// The query port's side of one connection.
class QuerySession {
public:
    Taken take(const std::string& bytes, std::uint16_t realtimePort, SwitcherFault fault);
    std::size_t ignoredInARow() const { return ignoredInARow_; }

private:
    UnitCutter cutter_;
    std::size_t ignoredInARow_ = 0;  // bytes
};

// The real-time port's side of one connection: the first answer (or the first few, as set) carries
// every channel, so the panel learns the whole state from it; later ones only what changed since
// the answer before (unless the model reports all). After a garbage or huge answer
// the panel's picture is unknown, so the next proper answers carry every channel again.
class RealtimeSession {
public:
    // fullAnswers: how many answers of a fresh connection (or after garbage) carry every channel.
    explicit RealtimeSession(int fullAnswers = 1)
        : fullAnswers_(fullAnswers), fullAnswersLeft_(fullAnswers) {}
    // Answers are built while the reply is shorter than room; the polls beyond are counted as
    // unanswered and leave the session as it was, so nothing that the panel never sees counts as
    // sent.
    Taken take(const std::string& bytes, SwitcherModel& model, std::size_t room);
    std::size_t ignoredInARow() const { return ignoredInARow_; }

private:
    std::string answer(SwitcherModel& model);

    UnitCutter cutter_;
    std::size_t ignoredInARow_ = 0;  // bytes
    std::vector<int> lastSent_;      // per channel; empty until the first proper answer
    int fullAnswers_;
    int fullAnswersLeft_;  // answers still to carry every channel
};
