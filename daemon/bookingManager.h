// Who holds which controls of the panel. Network clients book parts of the panel (key areas,
// T-bar, joystick, shuttle/jog, sliders); a resource is held by one client at a time, and what a
// client gives back goes to the end of the free pool.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

// Values are the bit positions in resource masks.
enum class hardwareResource : std::uint8_t {
    keyBoardArea1 = 0,
    keyBoardArea2 = 1,
    keyBoardArea3 = 2,
    keyBoardArea4 = 3,
    TBar = 4,
    joyStick = 5,
    shuttleJog = 6,
    slider = 7,
};

struct bookingInfo {
    int socket = -1;
    std::vector<hardwareResource> resource;
};

// At most one entry per connection, never an empty one.
using bookingManager = std::list<bookingInfo>;

// All eight resources in value order: the free pool of a fresh daemon.
std::vector<hardwareResource> allHardwareResources();

// The resources of the set bits of mask, bit 0 first.
std::vector<hardwareResource> parserRequestResource(std::uint8_t mask);

// Those of requested that are in the free pool.
std::vector<hardwareResource> validateRequestResource(
    const std::vector<hardwareResource>& requested, const std::vector<hardwareResource>& free);

// Books applied for socket: adds them to its entry (or a new entry when it has none and applied
// is not empty) and removes them from the free pool.
void appliedBookingManagerResource(int socket, const std::vector<hardwareResource>& applied,
                                   bookingManager& manager, std::vector<hardwareResource>& free);

// Gives back those of returned that socket holds; an entry left empty is removed.
void releaseResourceCommandFromBookingManager(int socket,
                                              const std::vector<hardwareResource>& returned,
                                              bookingManager& manager,
                                              std::vector<hardwareResource>& free);

// Gives back everything socket holds, in the order held, and removes its entry.
void releaseResourceFromBookingManager(int socket, bookingManager& manager,
                                       std::vector<hardwareResource>& free);

// The OR of 1 << value over the list.
std::uint8_t hardwareResourceToByte(const std::vector<hardwareResource>& resources);
