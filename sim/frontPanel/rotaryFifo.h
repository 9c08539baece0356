// The rotary encoder as the panel application sees it in simulation: a named pipe standing in
// for the evdev node, with a side file giving the device name the application looks for.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace frontpanel {

constexpr const char* kRotaryDeviceName = "rotary@10";

// One detent: a relative REL_X event of +1 or -1 and the SYN_REPORT closing it, as the kernel
// would deliver them (struct input_event records, stamped with the current time).
std::vector<unsigned char> detentRecords(int direction);

class RotaryFifo {
public:
    // The pipe is <root>/dev/input/event0 and its name file <root>/dev/input/event0.name.
    explicit RotaryFifo(const std::string& root) : root_(root), path_(root + "/dev/input/event0") {}
    ~RotaryFifo();
    RotaryFifo(const RotaryFifo&) = delete;
    RotaryFifo& operator=(const RotaryFifo&) = delete;

    // Creates the pipe and its name file when missing and keeps the pipe open for reading and
    // writing: the application's open for reading then never waits for a writer, and its reads
    // never see end-of-file between turns.
    bool open(std::string& error);

    // Writes one detent (+1 or -1). Reopens the pipe when it was replaced since the last write.
    bool turn(int direction, std::string& error);

    const std::string& path() const { return path_; }

private:
    void close();
    bool stillOurs() const;

    std::string root_;
    std::string path_;
    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace frontpanel
