// The master side of a pseudo-terminal standing in for a serial line, published under a path
// (a symbolic link to the slave device) so the product opens it like its real device node.
#pragma once

#include <string>

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens the pair in raw mode and links linkPath to the slave device.
    bool open(const std::string& linkPath, std::string& error);
    // The adapter is pulled out: the link goes and the pair is closed, so a reader that still has
    // the line open reads end of file and its writes fail. open() again plugs a new one in.
    void close();
    bool isOpen() const { return master_ >= 0; }

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Writes every byte (the master side never blocks for long: the slave reader drains it).
    bool writeAll(const std::string& bytes);

private:
    int master_ = -1;
    // Kept open so that the master sees no hang-up while the product has the line closed.
    int slaveKeeper_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};
