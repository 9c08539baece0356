#include "bookingManager.h"

#include <algorithm>

namespace {

bool holds(const std::vector<hardwareResource>& list, hardwareResource r) {
    return std::find(list.begin(), list.end(), r) != list.end();
}

bookingManager::iterator entryOf(int socket, bookingManager& manager) {
    return std::find_if(manager.begin(), manager.end(),
                        [socket](const bookingInfo& b) { return b.socket == socket; });
}

void removeFrom(std::vector<hardwareResource>& list, hardwareResource r) {
    list.erase(std::remove(list.begin(), list.end(), r), list.end());
}

}  // namespace

std::vector<hardwareResource> allHardwareResources() {
    return parserRequestResource(0xFF);
}

std::vector<hardwareResource> parserRequestResource(std::uint8_t mask) {
    std::vector<hardwareResource> out;
    for (int bit = 0; bit < 8; ++bit) {
        if ((mask & (1u << bit)) != 0) {
            out.push_back(static_cast<hardwareResource>(bit));
        }
    }
    return out;
}

std::vector<hardwareResource> validateRequestResource(
    const std::vector<hardwareResource>& requested, const std::vector<hardwareResource>& free) {
    std::vector<hardwareResource> kept;
    for (const hardwareResource r : requested) {
        if (holds(free, r)) {
            kept.push_back(r);
        }
    }
    return kept;
}

void appliedBookingManagerResource(int socket, const std::vector<hardwareResource>& applied,
                                   bookingManager& manager, std::vector<hardwareResource>& free) {
    const auto entry = entryOf(socket, manager);
    if (entry != manager.end()) {
        for (const hardwareResource r : applied) {
            if (!holds(entry->resource, r)) {
                entry->resource.push_back(r);
            }
        }
    } else if (!applied.empty()) {
        manager.push_back(bookingInfo{socket, applied});
    }
    for (const hardwareResource r : applied) {
        removeFrom(free, r);
    }
}

void releaseResourceCommandFromBookingManager(int socket,
                                              const std::vector<hardwareResource>& returned,
                                              bookingManager& manager,
                                              std::vector<hardwareResource>& free) {
    const auto entry = entryOf(socket, manager);
    if (entry == manager.end()) {
        return;
    }
    for (const hardwareResource r : returned) {
        if (holds(entry->resource, r)) {
            removeFrom(entry->resource, r);
            free.push_back(r);
        }
    }
    if (entry->resource.empty()) {
        manager.erase(entry);
    }
}

void releaseResourceFromBookingManager(int socket, bookingManager& manager,
                                       std::vector<hardwareResource>& free) {
    const auto entry = entryOf(socket, manager);
    if (entry == manager.end()) {
        return;
    }
    free.insert(free.end(), entry->resource.begin(), entry->resource.end());
    manager.erase(entry);
}

std::uint8_t hardwareResourceToByte(const std::vector<hardwareResource>& resources) {
    unsigned mask = 0;
    for (const hardwareResource r : resources) {
        mask |= 1u << static_cast<unsigned>(r);
    }
    return static_cast<std::uint8_t>(mask);
}
