// The 36 lit keys of the panel, their printed labels and the groups they sit in on the panel.
#pragma once

#include <string>
#include <vector>

namespace frontpanel {

constexpr int kKeyCount = 36;
// The LED map and the key bit map both carry 40 positions; 36 to 39 belong to no key.
constexpr int kLedPositions = 40;

struct KeyGroup {
    std::string title;
    std::vector<int> keys;
};

// The label printed on key k (0 to 35), or "" for any other k.
std::string keyLabel(int k);

// The keys grouped as on the panel, every key exactly once, in panel order.
const std::vector<KeyGroup>& keyGroups();

}  // namespace frontpanel
