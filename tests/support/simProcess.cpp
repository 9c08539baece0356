#include "simProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

std::vector<std::string> underEmulator(std::vector<std::string> argv) {
    const std::string emulator = ZEK_CHILD_EMULATOR;
    if (emulator.empty() || argv.empty()) {
        return argv;
    }
    // "ip netns exec NS PROGRAM ...": the emulator goes in front of the program it starts.
    std::size_t programAt = 0;
    if (argv.size() > 4 && argv[0] == "/usr/sbin/ip" && argv[1] == "netns" && argv[2] == "exec") {
        programAt = 4;
    }
    argv.insert(argv.begin() + static_cast<std::ptrdiff_t>(programAt), emulator);
    return argv;
}

bool SimProcess::start(const std::string& program, const std::vector<std::string>& args,
                       const std::string& readyWord, std::chrono::milliseconds timeout) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return false;
    }
    std::vector<std::string> command{program};
    command.insert(command.end(), args.begin(), args.end());
    command = underEmulator(std::move(command));
    std::vector<char*> argv;
    for (std::string& arg : command) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    stdoutFd_ = pipeFds[0];
    if (spawned != 0) {
        pid_ = -1;
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string buffer;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{stdoutFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) {
            continue;
        }
        char chunk[512];
        const ssize_t n = ::read(stdoutFd_, chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
        std::size_t newline = 0;
        while ((newline = buffer.find('\n')) != std::string::npos) {
            const std::string line = buffer.substr(0, newline);
            buffer.erase(0, newline + 1);
            if (line.find(readyWord) != std::string::npos) {
                readyLine_ = line;
                return true;
            }
        }
    }
    stop();
    return false;
}

void SimProcess::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
    }
    if (stdoutFd_ >= 0) {
        ::close(stdoutFd_);
        stdoutFd_ = -1;
    }
}

std::string simCommand(const std::string& socketPath, const std::string& command) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return {};
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        timeval timeout{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        const std::string line = command + "\n";
        if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(line.size())) {
            char c = 0;
            while (::recv(fd, &c, 1, 0) == 1 && c != '\n') {
                answer += c;
            }
        }
    }
    ::close(fd);
    return answer;
}

VirtualMcu::VirtualMcu(const std::string& root)
    : root_(root), controlPath_(root + "/run/mcu.sock") {
    started_ =
        process_.start(ZEK_VIRTUAL_MCU_PATH, {"--link", linePath(), "--control", controlPath_});
}

VirtualCamera::VirtualCamera(const std::string& controlPath, const std::vector<std::string>& argv)
    : controlPath_(controlPath), process_(std::make_unique<SimProcess>()) {
    std::vector<std::string> args(argv.begin() + 1, argv.end());
    started_ = process_->start(argv.front(), args);
}

VirtualCamera VirtualCamera::serial(const std::string& root, int cameraNumber) {
    const std::string control = root + "/run/cam" + std::to_string(cameraNumber) + ".sock";
    return VirtualCamera(
        control, {ZEK_VIRTUAL_CAMERA_PATH, "--serial",
                  root + "/dev/ttyUSB" + std::to_string(cameraNumber - 1), "--control", control});
}

namespace {

std::vector<std::string> inCameraNamespace(std::vector<std::string> argv) {
    const char* ns = std::getenv("ZEK_CAMERA_NS");
    if (ns == nullptr) {
        return argv;  // refused below: network cameras only run in a test namespace
    }
    argv.insert(argv.begin(), {"/usr/sbin/ip", "netns", "exec", ns});
    return argv;
}

}  // namespace

VirtualCamera VirtualCamera::hcip(const std::string& root, const std::string& name,
                                  const std::string& address) {
    const std::string control = root + "/run/" + name + ".sock";
    return VirtualCamera(control, inCameraNamespace({ZEK_VIRTUAL_CAMERA_PATH, "--hcip", address,
                                                     "--control", control}));
}

VirtualCamera VirtualCamera::visca(const std::string& root, const std::string& name,
                                   const std::string& address) {
    const std::string control = root + "/run/" + name + ".sock";
    return VirtualCamera(control, inCameraNamespace({ZEK_VIRTUAL_CAMERA_PATH, "--visca", address,
                                                     "--control", control}));
}

VirtualCamera VirtualCamera::discoverableHcip(const std::string& root, const std::string& name,
                                              const std::string& address,
                                              const std::string& hostName, const std::string& mac) {
    const std::string control = root + "/run/" + name + ".sock";
    return VirtualCamera(
        control, inCameraNamespace({ZEK_VIRTUAL_CAMERA_PATH, "--hcip", address, "--hcip-name",
                                    hostName, "--mac", mac, "--control", control}));
}

VirtualHcipDevices::VirtualHcipDevices(const std::string& root,
                                       const std::vector<std::string>& devices)
    : controlPath_(root + "/run/hcipDevices.sock") {
    std::vector<std::string> argv =
        inCameraNamespace({ZEK_VIRTUAL_HCIP_DEVICES_PATH, "--control", controlPath_});
    for (const std::string& device : devices) {
        argv.push_back("--device");
        argv.push_back(device);
    }
    started_ = process_.start(argv.front(), {argv.begin() + 1, argv.end()});
}

LoopbackCable::LoopbackCable(const std::string& root) : controlPath_(root + "/run/cable.sock") {
    started_ = process_.start(ZEK_LOOPBACK_CABLE_PATH, {"--root", root, "--control", controlPath_});
}
