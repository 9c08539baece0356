// The reading of a scan's answers over any sequence of datagrams: the input is cut into datagrams
// by a two-byte length before each, every one from a sender address taken from the input too.
//
// Invariants: the tables never hold more than their limits; devices are unique by MAC and none
// is another panel by its name; cameras come out sorted by the last number of their address and
// never more than the slots offered.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>

#include "fuzzCheck.h"
#include "hcipDiscovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int capacity = data[0] % (kCameraSlots + 1);
    hcip::scanAnswers scan;
    std::size_t at = 1;
    while (at + 3 <= size) {
        const std::size_t length = std::min<std::size_t>(data[at] << 8 | data[at + 1], 2048);
        const std::uint32_t sender = 0x0A4D0000u | data[at + 2];  // 10.77.0.x
        at += 3;
        const std::size_t take = std::min(length, size - at);
        scan.take(QByteArray(reinterpret_cast<const char*>(data + at), static_cast<int>(take)),
                  sender);
        at += take;
    }
    FUZZ_REQUIRE(scan.deviceCount() >= 0 && scan.deviceCount() <= kAllHcipDevices);
    std::set<QString> macs;
    for (int i = 0; i < scan.deviceCount(); ++i) {
        const hcip_network_info& n = scan.devices()[static_cast<std::size_t>(i)].orb.hcipnetwork;
        FUZZ_REQUIRE(macs.insert(n.macadd).second);
        FUZZ_REQUIRE(n.macadd.size() == 17);
        FUZZ_REQUIRE(n.name.size() <= 16);
        FUZZ_REQUIRE(!n.name.contains("ZEK-710", Qt::CaseInsensitive));
        FUZZ_REQUIRE(!n.name.contains("ZEK710", Qt::CaseInsensitive));
    }
    FUZZ_REQUIRE(scan.switchers().size() <= static_cast<std::size_t>(kSwitcherDevices));
    const std::vector<hcip_device_info> cameras = scan.camerasByAddress(capacity);
    FUZZ_REQUIRE(cameras.size() <= static_cast<std::size_t>(capacity));
    FUZZ_REQUIRE(std::is_sorted(cameras.begin(), cameras.end(), hcip::seriesCompare));
    return 0;
}
