// Every shell command of the system goes through this runner.
//
// On the panel a command runs in the shell as written. In simulation mode (environment variable
// ZEK_SIMULATION set to anything but "" or "0", as tests and the demo do) the runner appends the
// command text to "<root>/commands.log" and runs it only when it is a harmless file command
// acting inside the root: cp, mv, rm, mkdir, chmod, sync, unzip, bash/sh of a script inside
// the root or a script inside the root run by its path, chained with "&&" or ";"; "sudo" before
// such a command runs it as it is. Everything else (reboot, shutdown, mount, umount, kill, i2cset,
// echo into sysfs, pipes, redirections, sudo of anything else) is recorded and not run, and
// reports success, as the command would have on the board.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace platform {

constexpr const char* kSimulationVariable = "ZEK_SIMULATION";

bool simulationMode();

// Where simulation mode records command texts, one per line.
std::string commandLogPath();  // empty without a root: nothing is recorded then

// The system() form: the command's exit status (0 for success; -1 when it could not be started).
int runCommand(const std::string& command);

// The popen() form: everything the command printed on standard output, read in pieces of up to
// 128 bytes. Throws std::runtime_error("popen failed!") when the pipe cannot be opened. In
// simulation mode a command that is not run prints nothing.
std::string runCommandOutput(const std::string& command);

// A command whose output is read under limits: a program from outside (a USB stick) may hang or
// print without end, and the caller must not wait on it beyond a few seconds or hold more than a
// few KiB of what it printed.
struct limitedOutput {
    bool started = false;     // false when it could not be started at all
    int status = -1;          // exit status; -1 when it was killed or did not end by itself
    std::string output;       // standard output, at most the limit's bytes
    bool timedOut = false;    // still running at the time limit: killed
    bool overflowed = false;  // printed more than the limit: killed
};
struct outputLimits {
    std::chrono::milliseconds time{5000};
    std::size_t bytes = 4096;
};
// Runs the command like runCommandOutput, in a process group of its own that is killed (SIGKILL)
// once the time or the output limit is passed. Never throws.
limitedOutput runCommandOutputLimited(const std::string& command, const outputLimits& limits);

// How simulation mode judges a command, for tests and for the log line it writes.
struct CommandVerdict {
    bool allowed = false;
    std::string reason;  // why not, when not allowed
    // The argument vectors to run in turn, and whether each one runs only after the previous
    // one succeeded ("&&") or regardless (";").
    std::vector<std::vector<std::string>> steps;
    std::vector<bool> needsSuccess;
};
CommandVerdict judgeSimulatedCommand(const std::string& command);

}  // namespace platform

// Runs cmd through a shell pipe and returns everything it printed (see runCommandOutput).
std::string exec(const char* cmd);
