#include "virtualSwitcherProcess.h"

#include <cstdlib>

VirtualSwitcher::VirtualSwitcher(const std::string& root, const std::string& address,
                                 const std::string& name, const std::string& mac,
                                 std::vector<std::string> extraArgs)
    : controlPath_(root + "/run/switcher-" + address + ".sock") {
    std::vector<std::string> args = {"--control", controlPath_, "--address",
                                     address,     "--name",     name};
    if (!mac.empty()) {
        args.insert(args.end(), {"--mac", mac});
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::string program = ZEK_VIRTUAL_SWITCHER_PATH;
    if (const char* ns = std::getenv("ZEK_CAMERA_NS")) {
        args.insert(args.begin(), {"netns", "exec", ns, program});
        program = "/usr/sbin/ip";
    }
    started_ = process_.start(program, args);
}
