// The GPIO register block of the board's system-on-chip (BCM2835/BCM2711 layout), read for the
// contact tally inputs.
#pragma once

#include <cstdint>

constexpr std::uint32_t GPIO_BASE_OFFSET = 0x200000;
constexpr std::size_t MY_BLOCK_SIZE = 4096;
constexpr int GPIO_MIN = 0;
constexpr int GPIO_MAX = 53;
// Level registers, as word indexes into the block.
constexpr int GPLEV0 = 13;  // pins 0..31
constexpr int GPLEV1 = 14;  // pins 32..53

// Peripheral base address from "/proc/device-tree/soc/ranges", or 0 when it cannot be found
// (the reason is printed).
std::uint32_t get_hwbase();

// Maps the block: "/dev/gpiomem" at offset 0, or else, as root and with a known base,
// "/dev/mem" at the base + GPIO_BASE_OFFSET. Returns false (and prints why) when neither works.
// Both paths go through the path resolver.
bool mapGpioBlock();
void unmapGpioBlock();

// The mapped block, 32-bit registers; null until mapGpioBlock succeeded.
extern volatile std::uint32_t* gpio_base;

// Level of a pin, 0 or 1; -1 for a pin outside 0..53 or without a mapped block.
int get_gpio_level(int pin);
