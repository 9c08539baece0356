// The link daemon's requests and bookings over any bytes: the input is cut into messages by a
// one-byte length, each from one of four clients picked by a byte, and a booking or release is
// applied as the server applies it; a client may also disconnect.
//
// Invariants: every control is either free or held by exactly one client, never both and never
// twice; the free mask of an answer is the free pool's; no entry is ever empty.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "bookingManager.h"
#include "daemonMessages.h"
#include "fuzzCheck.h"

namespace {

void checkConservation(const std::vector<hardwareResource>& free, const bookingManager& manager) {
    unsigned seen = 0;
    const auto count = [&seen](hardwareResource r) {
        const unsigned bit = 1u << static_cast<unsigned>(r);
        FUZZ_REQUIRE((seen & bit) == 0);
        seen |= bit;
    };
    std::for_each(free.begin(), free.end(), count);
    for (const bookingInfo& b : manager) {
        FUZZ_REQUIRE(!b.resource.empty());
        std::for_each(b.resource.begin(), b.resource.end(), count);
    }
    FUZZ_REQUIRE(seen == 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<hardwareResource> free = allHardwareResources();
    bookingManager manager;
    std::size_t at = 0;
    while (at + 2 <= size) {
        const int client = data[at] & 0x03;
        const bool disconnect = (data[at] & 0x80) != 0;
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const std::string message(reinterpret_cast<const char*>(data + at + 2), length);
        at += 2 + length;
        if (disconnect) {
            releaseResourceFromBookingManager(client, manager, free);
            checkConservation(free, manager);
            continue;
        }
        daemonmsg::controlPortRequest(message);
        const daemonmsg::request r = daemonmsg::poolPortRequest(message);
        const std::uint8_t mask = r.data.empty() ? 0 : static_cast<std::uint8_t>(r.data[0]);
        if (r.what == daemonmsg::command::registResource) {
            appliedBookingManagerResource(
                client, validateRequestResource(parserRequestResource(mask), free), manager, free);
        } else if (r.what == daemonmsg::command::releaseResource) {
            releaseResourceCommandFromBookingManager(client, parserRequestResource(mask), manager,
                                                     free);
        } else if (r.what == daemonmsg::command::initZek && r.data.size() >= 2) {
            daemonmsg::decodeLineSettings(static_cast<std::uint8_t>(r.data[0]),
                                          static_cast<std::uint8_t>(r.data[1]));
        }
        const std::string answer = daemonmsg::registAnswer(hardwareResourceToByte(free));
        FUZZ_REQUIRE(answer.size() == 6 &&
                     static_cast<std::uint8_t>(answer[5]) == hardwareResourceToByte(free));
        checkConservation(free, manager);
    }
    return 0;
}
