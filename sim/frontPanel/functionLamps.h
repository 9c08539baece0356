// The lamps of the four rotary-function keys. The panel sets them with i2cset commands on the LED
// driver at 0x03 on bus 1; in simulation those commands are recorded one per line in
// <root>/commands.log, which is followed here.
#pragma once

#include <sys/types.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace frontpanel {

constexpr int kFunctionKeys = 4;  // shutter, focus, iris, gain
constexpr int kFirstLampRegister = 0x02;
constexpr int kLampRegisters = 3;

struct LampWrite {
    int reg = 0;  // 0x02 to 0x04
    int value = 0;
};

// Recognises "i2cset [-f] [-y] 1 0x03 REG VALUE [b]" for the lamp registers; any other line
// (other tools, other chips, malformed numbers) gives nothing.
std::optional<LampWrite> parseLampCommand(const std::string& line);

// Latest value of each lamp register; -1 while no write has been seen.
using LampRegisters = std::array<int, kLampRegisters>;

struct LampColour {
    bool known = false;  // false until every register holding the key's fields has been written
    bool red = false;
    bool green = false;
    bool blue = false;
    bool operator==(const LampColour& o) const {
        return known == o.known && red == o.red && green == o.green && blue == o.blue;
    }
};

// Key j has red, green, blue in the 2-bit fields 3j, 3j+1, 3j+2, field f being bits 2(f mod 4)
// and up of register 0x02 + f/4. 01 is on; the driver's other non-zero modes (PWM) light it too.
LampColour lampColour(const LampRegisters& registers, int key);

// Hands out the complete lines appended to a file since the previous call. A file that shrinks
// or is replaced is read again from its start; an unfinished last line waits for its newline.
class LineFollower {
public:
    explicit LineFollower(std::string path) : path_(std::move(path)) {}

    enum class Result { lines, missing, failed };
    // At most maxBytes are read per call so a huge file cannot stall the caller.
    Result poll(std::vector<std::string>& lines, std::string& error,
                std::size_t maxBytes = 1 << 20);

    const std::string& path() const { return path_; }

private:
    std::string path_;
    off_t offset_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool seen_ = false;
    std::string partial_;
    bool skippingLongLine_ = false;
};

}  // namespace frontpanel
