// Starts a simulator, waits for its ready line, talks to its control channel, and stops it by
// process id (SIGTERM, then SIGKILL after a grace period).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts program with args and waits up to timeout for a stdout line containing readyWord.
    // Returns false (and stops the process) when the line does not come.
    bool start(const std::string& program, const std::vector<std::string>& args,
               const std::string& readyWord = "ready",
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void stop();

    const std::string& readyLine() const { return readyLine_; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::string readyLine_;
};

// A child's command line as it is started: behind the emulator of the test build (qemu-user in a
// cross build, ZEK_CHILD_EMULATOR), else unchanged.
std::vector<std::string> underEmulator(std::vector<std::string> argv);

// One command on a simulator's control channel; returns the answer line ("" when unreachable).
std::string simCommand(const std::string& socketPath, const std::string& command);

// A virtual camera. Serial cameras stand on <root>/dev/ttyUSB<n-1>; network cameras run in the
// camera namespace of the test (ZEK_CAMERA_NS) on the given address. Control socket:
// <root>/run/<name>.sock.
class VirtualCamera {
public:
    static VirtualCamera serial(const std::string& root, int cameraNumber);
    static VirtualCamera hcip(const std::string& root, const std::string& name,
                              const std::string& address);
    static VirtualCamera visca(const std::string& root, const std::string& name,
                               const std::string& address);
    // An HCIP camera that a scan also finds: it answers the configuration protocol on its
    // address, port 5002, as hostName with this MAC ("02:A4:5C:07:12:AB").
    static VirtualCamera discoverableHcip(const std::string& root, const std::string& name,
                                          const std::string& address, const std::string& hostName,
                                          const std::string& mac);
    VirtualCamera(VirtualCamera&&) = default;

    bool started() const { return started_; }
    std::string command(const std::string& text) const { return simCommand(controlPath_, text); }
    // One field of "get state".
    std::string get(const std::string& key) const { return command("get " + key); }

private:
    VirtualCamera(const std::string& controlPath, const std::vector<std::string>& argv);
    std::string controlPath_;
    std::unique_ptr<SimProcess> process_;
    bool started_ = false;
};

// Splits a control-channel answer into its words.
inline std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

// Arrival times of the messages a virtual camera logged that start with the hex prefix, oldest
// first.
inline std::vector<long long> arrivalsOf(VirtualCamera& camera, const std::string& prefix) {
    const std::vector<std::string> messages = words(camera.command("get messages"));
    const std::vector<std::string> times = words(camera.command("get times"));
    std::vector<long long> out;
    for (std::size_t i = 0; i < messages.size() && i < times.size(); ++i) {
        if (messages[i].rfind(prefix, 0) == 0) {
            out.push_back(std::stoll(times[i]));
        }
    }
    return out;
}

// The virtual panel MCU in a root: line at <root>/dev/ttyAMA0, control at <root>/run/mcu.sock.
class VirtualMcu {
public:
    explicit VirtualMcu(const std::string& root);
    bool started() const { return started_; }
    std::string linePath() const { return root_ + "/dev/ttyAMA0"; }
    // Sends a control command and returns the answer.
    std::string command(const std::string& text) const { return simCommand(controlPath_, text); }

private:
    std::string root_;
    std::string controlPath_;
    SimProcess process_;
    bool started_ = false;
};

// Devices that a scan finds besides the driven cameras (switchers, recorders, other panels), in
// the camera namespace of the test; each is "NAME,MAC,ADDRESS". Control socket:
// <root>/run/hcipDevices.sock.
class VirtualHcipDevices {
public:
    VirtualHcipDevices(const std::string& root, const std::vector<std::string>& devices);
    bool started() const { return started_; }
    std::string command(const std::string& text) const { return simCommand(controlPath_, text); }

private:
    std::string controlPath_;
    SimProcess process_;
    bool started_ = false;
};

// The virtual loop-back cables: port pairs 1..4 on <root>/dev/ttyUSB0 .. ttyUSB7, control at
// <root>/run/cable.sock.
class LoopbackCable {
public:
    explicit LoopbackCable(const std::string& root);
    bool started() const { return started_; }
    std::string command(const std::string& text) const { return simCommand(controlPath_, text); }

private:
    std::string controlPath_;
    SimProcess process_;
    bool started_ = false;
};
