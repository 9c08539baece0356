// The panel application on simulated hardware, for tests and benchmarks that run mainControl in
// their own process: a temporary root with the rotary encoder's input node, the virtual MCU,
// virtual serial cameras, and network cameras in the camera namespace (ZEK_CAMERA_NS, set by
// scripts/netns-run.sh). The process itself must run inside the panel namespace.
//
// A process may build one rig after another (a test fixture builds one per test). Each starts
// from the panel's state at power-on: its own simulators, the process-wide panel state back at
// its start values, an empty settings file and an empty command log. The settings object is made
// once per process and keeps the file it found then, so every rig of a process shares one root.
#pragma once

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mainControl.h"
#include "panelProcessState.h"
#include "simProcess.h"
#include "tempRoot.h"

class PanelRig {
public:
    struct NetworkCamera {
        std::string name;
        std::string address;
        bool visca;
        // With a MAC, an HCIP camera also answers discovery under this host name.
        std::string hostName = {};
        std::string mac = {};
    };

    // Starts the devices and builds mainControl, then runs sysInit. ready() tells whether all
    // went well; why() says what did not.
    // beforeSysInit, when given, sees mainControl between its construction and sysInit (to
    // connect to what sysInit emits).
    // testMode starts the panel as the factory marker on a stick would.
    PanelRig(const std::vector<int>& serialCameras,
             const std::vector<NetworkCamera>& networkCameras,
             const std::function<void(mainControl&)>& beforeSysInit = {}, bool testMode = false);
    ~PanelRig();
    PanelRig(const PanelRig&) = delete;
    PanelRig& operator=(const PanelRig&) = delete;

    bool ready() const { return why_.empty(); }
    const std::string& why() const { return why_; }

    mainControl& panel() { return *panel_; }
    TempRoot& root() { return *root_; }
    VirtualMcu& mcu() { return *mcu_; }
    VirtualCamera& serialCamera(int number) { return *serial_.at(number); }
    VirtualCamera& networkCamera(const std::string& name) { return *network_.at(name); }
    // One detent of the rotary encoder (+1 or -1), written into its FIFO.
    bool turnRotary(int value);
    // Presses a key on the virtual MCU and releases it, each held until the key loop has read
    // the MCU's state with it (two status exchanges answered after the change), the GUI thread
    // working meanwhile; false when the MCU or the key loop did not follow within 5 s.
    bool tapKey(int key);
    // Waits (the GUI thread working) until the key loop has read the MCU's state as it is now:
    // two status exchanges answered from here; false after 5 s without them.
    bool keyLoopHasRead();

private:
    std::string why_;
    TempRoot* root_ = nullptr;
    std::unique_ptr<VirtualMcu> mcu_;
    std::map<int, std::unique_ptr<VirtualCamera>> serial_;
    std::map<std::string, std::unique_ptr<VirtualCamera>> network_;
    std::unique_ptr<mainControl> panel_;
};

// The root of every rig of this process, removed when the process ends. Files the panel reads
// while it is built (its network settings) are put here before the rig.
TempRoot& rigRoot();

// How often a message (hex) stands in a camera's message log (hex, as "get messages" gives it).
inline int countOf(const std::string& messages, const std::string& hex) {
    int count = 0;
    for (std::size_t at = messages.find(hex); at != std::string::npos;
         at = messages.find(hex, at + 1)) {
        ++count;
    }
    return count;
}

// Runs the GUI thread's events until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(15));
