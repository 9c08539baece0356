#include "commandRunner.h"

#include <fcntl.h>
#include <glob.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "linkLog.h"
#include "pathResolver.h"

extern char** environ;

namespace platform {

namespace {

constexpr const char* kCategory = "zek.cmd";

std::mutex g_logMutex;

void recordCommand(const std::string& command) {
    if (rootDirectory().empty()) {
        // Simulation without a root has nowhere of its own to record: the log would land at the
        // machine's real "/". The command is still not run.
        linkLog(kCategory, "simulation without " + std::string(kRootVariable) +
                               ": command neither recorded nor run: " + command);
        return;
    }
    std::lock_guard<std::mutex> lock(g_logMutex);
    const std::string path = commandLogPath();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        linkLog(kCategory, "cannot record command in " + path + ": " + std::strerror(errno));
        return;
    }
    const std::string line = command + "\n";
    const ssize_t written = ::write(fd, line.data(), line.size());
    (void)written;
    ::close(fd);
}

// Splits a command line into words and the separators "&&" and ";". Single and double quotes
// group words; a backslash escapes the next character. Characters that would make the shell do
// more than run programs in turn mark the command as unsafe.
bool tokenize(const std::string& command, std::vector<std::string>& tokens, std::string& reason) {
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = command.find(c, i + 1);
            if (end == std::string::npos) {
                reason = "unbalanced quote";
                return false;
            }
            const std::string quoted = command.substr(i + 1, end - i - 1);
            if (c == '"' && quoted.find_first_of("$`\\") != std::string::npos) {
                reason = "expansion inside double quotes";
                return false;
            }
            word += quoted;
            inWord = true;
            i = end;
            continue;
        }
        if (c == '\\' && i + 1 < command.size()) {
            word += command[++i];
            inWord = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) {
                tokens.push_back(word);
                word.clear();
                inWord = false;
            }
            continue;
        }
        if (c == ';' || (c == '&' && i + 1 < command.size() && command[i + 1] == '&')) {
            if (inWord) {
                tokens.push_back(word);
                word.clear();
                inWord = false;
            }
            tokens.push_back(c == ';' ? ";" : "&&");
            if (c == '&') {
                ++i;
            }
            continue;
        }
        if (std::strchr("|&<>`$(){}~", c) != nullptr) {
            reason = std::string("shell operator '") + c + "'";
            return false;
        }
        word += c;
        inWord = true;
    }
    if (inWord) {
        tokens.push_back(word);
    }
    return true;
}

bool isOption(const std::string& word) {
    return !word.empty() && word.front() == '-';
}

bool isChmodMode(const std::string& word) {
    if (word.empty()) {
        return false;
    }
    return word.find_first_not_of("0123456789ugoarwxXst+-=,") == std::string::npos;
}

std::string realDirectory(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return {};
    }
    return resolved;
}

// The deepest existing ancestor of a path must lie inside the root, seen through symbolic links;
// so must the target of a link the command would write through.
bool pathStaysInsideRoot(const std::string& path, bool actsOnLinkItself) {
    if (!isInsideRoot(path)) {
        return false;
    }
    const std::string root = rootDirectory();
    if (root.empty()) {
        return true;
    }
    const std::string realRoot = realDirectory(root);
    if (realRoot.empty()) {
        return false;
    }
    auto inside = [&realRoot](const std::string& real) {
        return real == realRoot || real.rfind(realRoot + "/", 0) == 0;
    };
    std::string ancestor = normalisePath(path);
    struct stat info {};
    if (::lstat(ancestor.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && !actsOnLinkItself) {
        const std::string target = realDirectory(ancestor);
        if (!target.empty() && !inside(target)) {
            return false;
        }
    }
    do {
        const std::size_t slash = ancestor.rfind('/');
        ancestor = slash == 0 ? "/" : ancestor.substr(0, slash);
    } while (ancestor != "/" && ::access(ancestor.c_str(), F_OK) != 0);
    const std::string real = realDirectory(ancestor);
    return !real.empty() && inside(real);
}

std::vector<std::string> expandGlob(const std::string& word) {
    if (word.find_first_of("*?[") == std::string::npos) {
        return {word};
    }
    glob_t found{};
    std::vector<std::string> out;
    if (::glob(word.c_str(), GLOB_NOCHECK, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i) {
            out.emplace_back(found.gl_pathv[i]);
        }
    }
    ::globfree(&found);
    return out;
}

// Checks one program and its arguments; expands wildcards in the arguments.
bool judgeStep(std::vector<std::string>& argv, std::string& reason) {
    static const std::set<std::string> kFileCommands{"cp",   "mv",    "rm",   "mkdir", "chmod",
                                                     "sync", "unzip", "bash", "sh"};
    // The simulation runs as the user who owns the root: "sudo" of a file command is that command.
    if (argv.front() == "sudo" && argv.size() > 1 && argv[1] != "-s" && argv[1] != "-i") {
        argv.erase(argv.begin());
    }
    const std::string program = argv.front();
    // A script the simulation placed inside the root (a stand-in for a board script) runs by its
    // path, with its arguments as they are.
    struct stat script {};
    if (!program.empty() && program.front() == '/' && pathStaysInsideRoot(program, false) &&
        ::stat(program.c_str(), &script) == 0 && S_ISREG(script.st_mode)) {
        return true;
    }
    if (kFileCommands.count(program) == 0) {
        reason = "'" + program + "' is not a file command";
        return false;
    }
    std::vector<std::string> expanded{program};
    bool modeSeen = false;
    bool scriptSeen = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::string& word = argv[i];
        if (scriptSeen) {
            expanded.push_back(word);  // arguments of the script itself
            continue;
        }
        if (isOption(word)) {
            expanded.push_back(word);
            // unzip's password is a word of its own, not a path.
            if (program == "unzip" && word == "-P" && i + 1 < argv.size()) {
                expanded.push_back(argv[++i]);
                continue;
            }
            if ((program == "bash" || program == "sh") && word == "-c") {
                reason = "inline shell script";
                return false;
            }
            continue;
        }
        if (program == "chmod" && !modeSeen && isChmodMode(word)) {
            modeSeen = true;
            expanded.push_back(word);
            continue;
        }
        if (word.empty()) {
            reason = "empty argument";
            return false;
        }
        if (word.front() != '/') {
            reason = "relative path '" + word + "'";
            return false;
        }
        const bool onLinkItself = program == "rm" || program == "mv";
        for (const std::string& path : expandGlob(word)) {
            if (!pathStaysInsideRoot(path, onLinkItself)) {
                reason = "path '" + path + "' is outside the root";
                return false;
            }
            expanded.push_back(path);
        }
        if (program == "bash" || program == "sh") {
            scriptSeen = true;
        }
    }
    if ((program == "bash" || program == "sh") && !scriptSeen) {
        reason = "shell without a script";
        return false;
    }
    argv = std::move(expanded);
    return true;
}

using Clock = std::chrono::steady_clock;

// Limits of one run: a deadline and an output budget shared by the steps of a command.
struct stepLimits {
    bool bounded = false;
    Clock::time_point deadline{};
    std::size_t bytesLeft = SIZE_MAX;
    bool timedOut = false;
    bool overflowed = false;
    bool spawnFailed = false;
};

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(left.count(), INT_MAX));
}

// Waits for a child to end, within the limits' deadline when bounded. A child that outlives the
// deadline is killed with its process group; one that cannot be reaped even then (stuck in the
// kernel on a pulled stick) is left to a detached reaper, and the run counts as killed.
int reapChild(pid_t pid, stepLimits* limits) {
    int status = 0;
    if (limits == nullptr || !limits->bounded) {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    auto waitExit = [&](int timeoutMs) {
        if (pidFd >= 0) {
            pollfd p{pidFd, POLLIN, 0};
            while (::poll(&p, 1, timeoutMs) < 0 && errno == EINTR) {
            }
        } else {
            // Kernels without pidfd: the child is looked at in short steps until the deadline.
            const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
            siginfo_t info{};
            while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) ==
                       0 &&
                   info.si_pid == 0 && Clock::now() < until) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        return ::waitpid(pid, &status, WNOHANG) == pid;
    };
    bool reaped = waitExit(millisecondsUntil(limits->deadline));
    if (!reaped) {
        limits->timedOut = true;
        ::kill(-pid, SIGKILL);
        reaped = waitExit(1000);
    }
    if (pidFd >= 0) {
        ::close(pidFd);
    }
    if (!reaped) {
        linkLog(kCategory, "child " + std::to_string(pid) + " did not end after SIGKILL");
        std::thread([pid] {
            int ignored = 0;
            while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        return -1;
    }
    if (limits->timedOut || limits->overflowed) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads the child's output until it closes the pipe, or, when bounded, until the deadline or the
// output budget is passed; then the child's process group is killed.
void readChildOutput(int fd, pid_t pid, std::string& output, stepLimits* limits) {
    const bool bounded = limits != nullptr && limits->bounded;
    char piece[128];
    while (true) {
        if (bounded) {
            pollfd p{fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, millisecondsUntil(limits->deadline));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready == 0) {
                limits->timedOut = true;
                ::kill(-pid, SIGKILL);
                return;
            }
        }
        const ssize_t got = ::read(fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return;
        }
        std::size_t take = static_cast<std::size_t>(got);
        if (bounded && take > limits->bytesLeft) {
            take = limits->bytesLeft;
            limits->overflowed = true;
        }
        output.append(piece, take);
        if (bounded) {
            limits->bytesLeft -= take;
            if (limits->overflowed) {
                ::kill(-pid, SIGKILL);
                return;
            }
        }
    }
}

// Runs one argument vector; its standard output goes to *output when given. A bounded run puts
// the child in a process group of its own, so that whatever it started is killed with it.
int spawnStep(const std::vector<std::string>& argv, std::string* output,
              stepLimits* limits = nullptr) {
    std::vector<char*> args;
    for (const std::string& word : argv) {
        args.push_back(const_cast<char*>(word.c_str()));
    }
    args.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (limits != nullptr && limits->bounded) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    if (output != nullptr) {
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            posix_spawnattr_destroy(&attributes);
            return -1;
        }
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    }
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (output != nullptr) {
        ::close(pipeFds[1]);
        if (spawned == 0) {
            readChildOutput(pipeFds[0], pid, *output, limits);
        }
        ::close(pipeFds[0]);
    }
    if (spawned != 0) {
        if (limits != nullptr) {
            limits->spawnFailed = true;
        }
        return -1;
    }
    return reapChild(pid, limits);
}

int runSimulated(const std::string& command, std::string* output, stepLimits* limits = nullptr) {
    recordCommand(command);
    if (rootDirectory().empty()) {
        return 0;  // said so when recording; nothing runs without a root
    }
    const CommandVerdict verdict = judgeSimulatedCommand(command);
    if (!verdict.allowed) {
        linkLog(kCategory, "simulation: recorded, not run (" + verdict.reason + "): " + command);
        return 0;
    }
    int status = 0;
    for (std::size_t i = 0; i < verdict.steps.size(); ++i) {
        if (verdict.needsSuccess[i] && status != 0) {
            continue;
        }
        status = spawnStep(verdict.steps[i], output, limits);
        if (limits != nullptr && (limits->timedOut || limits->overflowed)) {
            return -1;
        }
    }
    return status;
}

}  // namespace

bool simulationMode() {
    const char* value = std::getenv(kSimulationVariable);
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

std::string commandLogPath() {
    const std::string root = rootDirectory();
    return root.empty() ? std::string() : root + "/commands.log";
}

CommandVerdict judgeSimulatedCommand(const std::string& command) {
    CommandVerdict verdict;
    if (rootDirectory().empty()) {
        verdict.reason = "no root directory";
        return verdict;
    }
    std::vector<std::string> tokens;
    if (!tokenize(command, tokens, verdict.reason)) {
        return verdict;
    }
    std::vector<std::string> current;
    bool nextNeedsSuccess = false;
    auto closeStep = [&](bool followedByAnd) -> bool {
        if (current.empty()) {
            if (followedByAnd) {
                verdict.reason = "empty command before &&";
                return false;
            }
            return true;  // "a ;" or a trailing ";"
        }
        if (!judgeStep(current, verdict.reason)) {
            return false;
        }
        verdict.steps.push_back(current);
        verdict.needsSuccess.push_back(nextNeedsSuccess);
        nextNeedsSuccess = followedByAnd;
        current.clear();
        return true;
    };
    for (const std::string& token : tokens) {
        if (token == "&&" || token == ";") {
            if (!closeStep(token == "&&")) {
                verdict.steps.clear();
                return verdict;
            }
            continue;
        }
        current.push_back(token);
    }
    if (!current.empty() && !closeStep(false)) {
        verdict.steps.clear();
        return verdict;
    }
    if (verdict.steps.empty()) {
        verdict.reason = "empty command";
        return verdict;
    }
    verdict.allowed = true;
    return verdict;
}

int runCommand(const std::string& command) {
    if (simulationMode()) {
        return runSimulated(command, nullptr);
    }
    const int status = std::system(command.c_str());
    if (status == -1) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string runCommandOutput(const std::string& command) {
    std::string output;
    if (simulationMode()) {
        runSimulated(command, &output);
        return output;
    }
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        throw std::runtime_error("popen failed!");
    }
    char piece[128];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, pipe)) > 0) {
        output.append(piece, got);
    }
    ::pclose(pipe);
    return output;
}

limitedOutput runCommandOutputLimited(const std::string& command, const outputLimits& limits) {
    stepLimits bounds;
    bounds.bounded = true;
    bounds.deadline = Clock::now() + limits.time;
    bounds.bytesLeft = limits.bytes;
    limitedOutput result;
    if (simulationMode()) {
        result.started = true;
        result.status = runSimulated(command, &result.output, &bounds);
    } else {
        result.status = spawnStep({"/bin/sh", "-c", command}, &result.output, &bounds);
        result.started = !bounds.spawnFailed;
    }
    result.timedOut = bounds.timedOut;
    result.overflowed = bounds.overflowed;
    return result;
}

}  // namespace platform

std::string exec(const char* cmd) {
    return platform::runCommandOutput(cmd);
}
