// One loop-back cable between two camera ports (first port "a", second port "b"), on bytes alone:
// what one end writes, the other end reads, unless a fault is switched on for that direction.
//
//   fault       effect on the bytes of one direction
//   break       every byte is lost until healed
//   corrupt N   the Nth byte (from 0) sent after the command is XORed with 0xFF, once; the count
//               goes on across pauses of the line
//   droptail N  the last N bytes of the next burst are not delivered, once
//   echo        every byte delivered also comes back to the end that sent it (a transceiver
//               that hears itself), until healed
//   unplug      both directions lose every byte (the ports are missing)
//
// A burst is everything the writer sends until the line goes quiet. The model has no clock: the
// caller says when a direction went quiet (lineQuiet). While a droptail waits for its burst to
// end, the last N bytes seen are held back; bytes further from the end go through at once.
// Lost bytes do not count as forwarded.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

enum class CableDirection { AB, BA };

const char* directionName(CableDirection direction);

class CableModel {
public:
    // Told what the cable did to the bytes: losses, corruptions, dropped tails.
    std::function<void(const std::string&)> log;

    // Bytes written at one end; returns the bytes to deliver at the other end now.
    std::string forward(CableDirection direction, std::string bytes);

    // True when a droptail has taken bytes of its burst and waits for the line to go quiet.
    bool awaitsQuiet(CableDirection direction) const;
    // The line was quiet long enough: a waiting droptail drops what it held back and is spent.
    void lineQuiet(CableDirection direction);

    void breakLine(CableDirection direction);
    void echo(CableDirection direction) { line(direction).echoes = true; }
    bool echoes(CableDirection direction) const { return line(direction).echoes; }
    void corrupt(CableDirection direction, std::size_t position);
    // Returns bytes an earlier droptail still held back, delivered now (it is replaced).
    std::string dropTail(CableDirection direction, std::size_t count);
    void unplug() { plugged_ = false; }
    void plug() { plugged_ = true; }
    bool plugged() const { return plugged_; }
    // Clears every fault and plugs the cable back; returns, per direction (AB, BA), the bytes a
    // droptail held back, which are now delivered.
    std::array<std::string, 2> heal();

    std::uint64_t forwarded(CableDirection direction) const;

private:
    struct Line {
        bool broken = false;
        bool echoes = false;
        std::optional<std::size_t> corruptAt;  // counted down by every byte that comes
        std::optional<std::size_t> dropTail;
        std::string held;  // the last dropTail bytes of the burst so far
        bool burstStarted = false;
        std::uint64_t forwarded = 0;
    };
    Line& line(CableDirection d) { return lines_[d == CableDirection::AB ? 0 : 1]; }
    const Line& line(CableDirection d) const { return lines_[d == CableDirection::AB ? 0 : 1]; }
    void note(CableDirection direction, const std::string& text) const;

    std::array<Line, 2> lines_;
    bool plugged_ = true;
};

// A control line, checked: "ping", "break P DIR", "echo P DIR", "corrupt P DIR N",
// "droptail P DIR N", "unplug P", "plug P", "heal P", "heal all", "get P DIR" (P 1..4, DIR ab|ba, N
// 0..1000000).
struct CableCommand {
    enum class Kind { Ping, Break, Echo, Corrupt, DropTail, Unplug, Plug, Heal, Get };
    Kind kind = Kind::Ping;
    int pair = 0;  // 1..4; 0 for "heal all"
    CableDirection direction = CableDirection::AB;
    std::size_t count = 0;  // corrupt: the byte's position; droptail: how many bytes
};

constexpr std::size_t kMaxFaultCount = 1000000;

// The command, or nothing with error set to the answer to give ("error ...").
std::optional<CableCommand> parseCableCommand(const std::string& line, std::string& error);
