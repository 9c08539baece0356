// What the command-line tools share when reading their options and telling the user what went
// wrong: one long-option reader, and the next step to suggest for a failed network call.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <string>

// One option before the command: "--name=value", "--name value" (for the names that take a
// value) or a bare "--flag".
struct LongOption {
    std::string name;
    std::string value;
};

// Reads argv[index] and, for a name in `takingValue` written without '=', the value after it;
// `index` is left on the last word read. Returns false, with `error` set, when that value is
// missing.
inline bool readLongOption(int argc, char** argv, int& index,
                           std::initializer_list<const char*> takingValue, LongOption& option,
                           std::string& error) {
    option.name = argv[index];
    option.value.clear();
    const size_t equals = option.name.find('=');
    if (equals != std::string::npos) {
        option.value = option.name.substr(equals + 1);
        option.name.resize(equals);
        return true;
    }
    for (const char* name : takingValue) {
        if (option.name == name) {
            if (index + 1 >= argc) {
                error = option.name + " needs a value";
                return false;
            }
            option.value = argv[++index];
            return true;
        }
    }
    return true;
}

// The cause of a failed connect, send or receive in words a person can act on, with the next
// step to take.
inline std::string networkFailureAdvice(int errorNumber) {
    std::string cause = std::strerror(errorNumber);
    switch (errorNumber) {
        case ECONNREFUSED:
            return cause +
                   ": nothing listens on that port; check that the service runs there "
                   "and the port";
        case ENETUNREACH:
            return cause +
                   ": no route to that network; check the address, or name the "
                   "interface to use";
        case EHOSTUNREACH:
            return cause +
                   ": the address did not answer on its network; check the address "
                   "and that the device is on";
        case ETIMEDOUT:
            return cause + ": check the address and the cable";
        case ENODEV:
            return cause + ": no such interface ('ip link' lists them)";
        case EACCES:
        case EPERM:
            return cause + ": not allowed here; a firewall or missing rights";
        default:
            return cause;
    }
}

// Whether a person is at the keyboard: changes to a device then need an explicit --yes.
inline bool runByPerson() {
    return ::isatty(STDIN_FILENO) == 1;
}
