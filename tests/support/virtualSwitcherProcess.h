// The virtual video switcher, at address. In the camera namespace of the test when there is one
// (ZEK_CAMERA_NS), else here (127.0.0.1 then works without a namespace). Control socket:
// <root>/run/switcher-<address>.sock. With a MAC it also answers the scan as a switcher named name.
#pragma once

#include <string>
#include <vector>

#include "simProcess.h"

class VirtualSwitcher {
public:
    VirtualSwitcher(const std::string& root, const std::string& address,
                    const std::string& name = "MX5800", const std::string& mac = "",
                    std::vector<std::string> extraArgs = {});
    bool started() const { return started_; }
    const std::string& readyLine() const { return process_.readyLine(); }
    std::string command(const std::string& text) const { return simCommand(controlPath_, text); }

private:
    std::string controlPath_;
    SimProcess process_;
    bool started_ = false;
};
