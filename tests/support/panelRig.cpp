#include "panelRig.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "hardwareLink.h"
#include "linkLog.h"
#include "panelState.h"

TempRoot& rigRoot() {
    static TempRoot root;
    return root;
}

PanelRig::PanelRig(const std::vector<int>& serialCameras,
                   const std::vector<NetworkCamera>& networkCameras,
                   const std::function<void(mainControl&)>& beforeSysInit, bool testMode) {
    if (std::getenv("ZEK_CAMERA_NS") == nullptr) {
        why_ = "run through scripts/netns-run.sh: the panel may only run in a test namespace";
        return;
    }
    root_ = &rigRoot();
    const std::string root = root_->path();
    // The rotary encoder: a FIFO carrying input events, its name beside it.
    root_->writeFile("dev/input/event0.name", "rotary@10\n");
    struct stat node {};
    if (::stat((root + "/dev/input/event0").c_str(), &node) != 0) {
        ::mkfifo((root + "/dev/input/event0").c_str(), 0600);
    }
    // What an earlier rig left: its commands, its settings, the panel state.
    std::remove((root + "/commands.log").c_str());
    resetPanelProcessState();
    testmode = testMode;
    setLinkProgram(LinkProgram::panel);
    setLinkLogSink([](const char*, const std::string&) {});
    placeSettingsUnderRoot();
    zek710aSettings().clear();
    zek710aSettings().sync();

    mcu_ = std::make_unique<VirtualMcu>(root);
    if (!mcu_->started()) {
        why_ = "virtual MCU did not start";
        return;
    }
    for (const int number : serialCameras) {
        serial_[number] = std::make_unique<VirtualCamera>(VirtualCamera::serial(root, number));
        if (!serial_[number]->started()) {
            why_ = "serial camera " + std::to_string(number) + " did not start";
            return;
        }
    }
    for (const NetworkCamera& camera : networkCameras) {
        network_[camera.name] = std::make_unique<VirtualCamera>(
            camera.visca ? VirtualCamera::visca(root, camera.name, camera.address)
            : camera.mac.empty()
                ? VirtualCamera::hcip(root, camera.name, camera.address)
                : VirtualCamera::discoverableHcip(root, camera.name, camera.address,
                                                  camera.hostName, camera.mac));
        if (!network_[camera.name]->started()) {
            why_ = "network camera " + camera.name + " did not start";
            return;
        }
    }
    panel_ = std::make_unique<mainControl>();
    if (beforeSysInit) {
        beforeSysInit(*panel_);
    }
    if (panel_->sysInit() != 1) {
        why_ = "sysInit did not finish";
    }
}

PanelRig::~PanelRig() {
    if (panel_) {
        panel_->stopWorkers();
    }
    panel_.reset();
    network_.clear();
    serial_.clear();
    mcu_.reset();
    setLinkLogSink({});
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    // The calling thread is the panel's GUI thread: its events (network steps, socket reads) are
    // handled the moment they arrive, as in the running program, and the condition is looked at
    // again every few milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start();
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        loop.exec();
    }
    return condition();
}

namespace {

// Status requests (0x81) the virtual MCU has answered; -1 when it does not say.
long statusExchanges(VirtualMcu& mcu) {
    const std::string counts = mcu.command("get counts");
    const std::size_t at = counts.find("81=");
    return at == std::string::npos ? -1 : std::stol(counts.substr(at + 3));
}

}  // namespace

bool PanelRig::keyLoopHasRead() {
    const long before = statusExchanges(*mcu_);
    return before >= 0 &&
           waitUntil([&] { return statusExchanges(*mcu_) >= before + 2; }, std::chrono::seconds(5));
}

bool PanelRig::tapKey(int key) {
    for (const char* action : {"press ", "release "}) {
        if (mcu_->command(action + std::to_string(key)) != "ok" || !keyLoopHasRead()) {
            return false;
        }
    }
    return true;
}

bool PanelRig::turnRotary(int value) {
    const std::string path = root_->path() + "/dev/input/event0";
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    input_event events[2]{};
    events[0].type = EV_REL;
    events[0].code = REL_X;
    events[0].value = value;
    events[1].type = EV_SYN;
    const bool written = ::write(fd, events, sizeof events) == static_cast<ssize_t>(sizeof events);
    ::close(fd);
    return written;
}
