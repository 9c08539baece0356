#include "gpio.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "pathResolver.h"

volatile std::uint32_t* gpio_base = nullptr;

namespace {

std::uint32_t bigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// The block of the BCM2711 lies at 0xFE200000, above what a 32-bit off_t holds; the build
// asks for 64-bit file offsets on every target so the mapping offset is never negative.
static_assert(sizeof(off_t) == 8, "64-bit file offsets are needed to map the GPIO block");

void* mapOpenBlock(int fd, std::uint64_t offset) {
    // A plain file standing in for the device must hold the whole block: reading a mapped page
    // beyond the end of a file kills the process.
    struct stat file {};
    if (::fstat(fd, &file) == 0 && S_ISREG(file.st_mode) &&
        static_cast<std::uint64_t>(file.st_size) < offset + MY_BLOCK_SIZE) {
        ::close(fd);
        std::printf("mmap (GPIO) failed: %s\n", "file shorter than the register block");
        return nullptr;
    }
    void* block = ::mmap(nullptr, MY_BLOCK_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, fd,
                         static_cast<off_t>(offset));
    ::close(fd);
    if (block == MAP_FAILED) {
        std::printf("mmap (GPIO) failed: %s\n", std::strerror(errno));
        return nullptr;
    }
    return block;
}

}  // namespace

std::uint32_t get_hwbase() {
    const std::string path = platform::resolvePath("/proc/device-tree/soc/ranges");
    FILE* ranges = std::fopen(path.c_str(), "rb");
    if (ranges == nullptr) {
        std::printf("Can't open '%s'\n", path.c_str());
        return 0;
    }
    unsigned char bytes[12] = {};
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, ranges);
    std::fclose(ranges);
    if (got < 8) {
        std::printf("Ranges data too short\n");
        return 0;
    }
    std::uint32_t candidate = bigEndian32(bytes + 4);
    if (candidate == 0 && got >= 12) {
        candidate = bigEndian32(bytes + 8);
    }
    const bool header = bytes[0] == 0x7E && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0;
    if (!header ||
        (candidate != 0x20000000 && candidate != 0x3F000000 && candidate != 0xFE000000)) {
        std::printf("Unexpected ranges data (%02x%02x%02x%02x %02x%02x%02x%02x %02x%02x%02x%02x)\n",
                    bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7],
                    bytes[8], bytes[9], bytes[10], bytes[11]);
        return 0;
    }
    return candidate;
}

bool mapGpioBlock() {
    if (gpio_base != nullptr) {
        return true;
    }
    // "/dev/gpiomem" when it can be opened; when it is missing or refused, "/dev/mem" as root.
    const std::string gpiomem = platform::resolvePath("/dev/gpiomem");
    const int gpiomemFd = ::open(gpiomem.c_str(), O_RDWR | O_SYNC | O_CLOEXEC);
    if (gpiomemFd >= 0) {
        gpio_base = static_cast<volatile std::uint32_t*>(mapOpenBlock(gpiomemFd, 0));
        return gpio_base != nullptr;
    }
    if (::geteuid() != 0) {
        std::printf("Must be root\n");
        return false;
    }
    const std::uint32_t base = get_hwbase();
    if (base == 0) {
        return false;
    }
    const std::string mem = platform::resolvePath("/dev/mem");
    const int memFd = ::open(mem.c_str(), O_RDWR | O_SYNC | O_CLOEXEC);
    if (memFd < 0) {
        std::printf("Unable to open /dev/mem: %s\n", std::strerror(errno));
        return false;
    }
    gpio_base = static_cast<volatile std::uint32_t*>(
        mapOpenBlock(memFd, std::uint64_t{base} + GPIO_BASE_OFFSET));
    return gpio_base != nullptr;
}

void unmapGpioBlock() {
    if (gpio_base != nullptr) {
        ::munmap(const_cast<std::uint32_t*>(gpio_base), MY_BLOCK_SIZE);
        gpio_base = nullptr;
    }
}

int get_gpio_level(int pin) {
    if (pin < GPIO_MIN || pin > GPIO_MAX || gpio_base == nullptr) {
        return -1;
    }
    const std::uint32_t levels = pin < 32 ? gpio_base[GPLEV0] : gpio_base[GPLEV1];
    return static_cast<int>((levels >> (pin % 32)) & 0x01);
}
