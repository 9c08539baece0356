// A file standing in for the GPIO register block ("/dev/gpiomem" under the root), for tests that
// set the contact tally inputs.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

// The GPIO register block, as the tally worker maps it: pins 0..31 in word 13, 32..53 in word 14.
class GpioFile {
public:
    explicit GpioFile(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const std::vector<char> block(4096, 0);
        ok_ = fd_ >= 0 && ::write(fd_, block.data(), block.size()) == 4096;
    }
    ~GpioFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool ok() const { return ok_; }
    void setPin(int pin, bool high) {
        const off_t offset = (pin < 32 ? 13 : 14) * 4;
        std::uint32_t word = 0;
        ASSERT_EQ(::pread(fd_, &word, sizeof word, offset), 4);
        const std::uint32_t bit = 1u << (pin % 32);
        word = high ? (word | bit) : (word & ~bit);
        ASSERT_EQ(::pwrite(fd_, &word, sizeof word, offset), 4);
    }

private:
    int fd_ = -1;
    bool ok_ = false;
};
