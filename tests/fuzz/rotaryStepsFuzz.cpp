// The rotary encoder's input-event records as the device or its FIFO hands them over: in reads
// of any size, cut anywhere inside a record. Whatever the cuts, the steps must be those of the
// whole stream read at once, each +1 or -1, and the bytes kept for the next read must be less
// than one record and exactly the unfinished tail.
//
// Input: byte 0 % 16 is how many read sizes follow (bytes 1 ..); those sizes are used in turn,
// over and over, a size of 0 being an empty read followed by a one-byte read. With no sizes the
// stream is read 64 records at a time, as the worker does. The rest of the input is the stream.
#include <linux/input.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzzCheck.h"
#include "rotaryInput.h"

namespace {

constexpr std::size_t kRecord = sizeof(input_event);

// The REL_X steps of a whole stream, read from the kernel's record layout.
std::vector<int> stepsOfWholeStream(const std::uint8_t* stream, std::size_t length) {
    std::vector<int> steps;
    for (std::size_t at = 0; at + kRecord <= length; at += kRecord) {
        std::uint16_t type = 0;
        std::uint16_t code = 0;
        std::int32_t value = 0;
        std::memcpy(&type, stream + at + offsetof(input_event, type), sizeof type);
        std::memcpy(&code, stream + at + offsetof(input_event, code), sizeof code);
        std::memcpy(&value, stream + at + offsetof(input_event, value), sizeof value);
        if (type == EV_REL && code == REL_X && (value == 1 || value == -1)) {
            steps.push_back(value);
        }
    }
    return steps;
}

// One read handed to the parser; checks what must hold after every read.
void feed(const std::uint8_t* bytes, std::size_t length, std::vector<char>& pending,
          std::vector<int>& steps) {
    const std::size_t before = pending.size();
    const std::vector<int> got = rotarySteps(reinterpret_cast<const char*>(bytes), length, pending);
    FUZZ_REQUIRE(pending.size() < kRecord);
    FUZZ_REQUIRE(got.size() <= (before + length) / kRecord);
    for (const int step : got) {
        FUZZ_REQUIRE(step == 1 || step == -1);
    }
    if (length == 0) {
        FUZZ_REQUIRE(got.empty());
        FUZZ_REQUIRE(pending.size() == before);
    }
    steps.insert(steps.end(), got.begin(), got.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> pending;
    std::vector<int> steps;
    if (size == 0) {
        feed(nullptr, 0, pending, steps);
        FUZZ_REQUIRE(pending.empty());
        return 0;
    }
    const std::size_t sizeCount = std::min<std::size_t>(data[0] % 16, size - 1);
    const std::uint8_t* readSizes = data + 1;
    const std::uint8_t* stream = data + 1 + sizeCount;
    const std::size_t length = size - 1 - sizeCount;

    std::size_t offset = 0;
    for (std::size_t turn = 0; offset < length; ++turn) {
        std::size_t want = sizeCount == 0 ? 64 * kRecord : readSizes[turn % sizeCount];
        if (want == 0) {
            feed(stream + offset, 0, pending, steps);
            want = 1;
        }
        const std::size_t take = std::min(want, length - offset);
        feed(stream + offset, take, pending, steps);
        offset += take;
    }
    feed(nullptr, 0, pending, steps);

    FUZZ_REQUIRE(steps == stepsOfWholeStream(stream, length));
    const std::size_t tail = length % kRecord;
    FUZZ_REQUIRE(pending.size() == tail);
    FUZZ_REQUIRE(tail == 0 || std::memcmp(pending.data(), stream + length - tail, tail) == 0);
    return 0;
}
