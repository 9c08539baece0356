#include "daemonUpdate.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cstdlib>
#include <stdexcept>

#include "commandRunner.h"
#include "linkLog.h"
#include "pathResolver.h"

namespace {

constexpr const char* kCategory = "zek.update";

std::string base() {
    return platform::resolvePath(zekWorkingBaseDir());
}

std::string firmwareFolder() {
    return base() + "/usb/zek710-firmware";
}

// A decimal number of the whole text, or nothing.
bool decimal(const std::string& text, int& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || v < 0 || v > 999999) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

}  // namespace

std::string zekWorkingBaseDir() {
    return "/home/zek710";
}

int currentSoftwareVersion() {
    return 23035;
}

bool directoryExists(const char* path) {
    if (path == nullptr) {
        return false;
    }
    DIR* dir = ::opendir(path);
    if (dir == nullptr) {
        return false;
    }
    ::closedir(dir);
    return true;
}

bool isNewerAppInDir(std::string& version, int& appVerMajor, int& appVerMinor) {
    const std::string folder = firmwareFolder();
    if (!directoryExists(folder.c_str())) {
        linkLog(kCategory, "usb directory not exists !\n");
        return false;
    }
    std::string output;
    try {
        output = exec((folder + "/linkDaemon -v").c_str());
    } catch (const std::runtime_error& error) {
        linkLog(kCategory,
                std::string("cannot ask the stick's daemon its version: ") + error.what());
        return false;
    }
    const std::size_t colon = output.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::string number = output.substr(colon + 1, 7);
    const std::string majorText = number.substr(0, 3);
    const std::string minorText = number.size() > 4 ? number.substr(4, 6) : "";
    int major = 0;
    int minor = 0;
    if (!decimal(majorText, major) || !decimal(minorText, minor)) {
        linkLog(kCategory, "the stick's daemon gave no version number: " + output);
        return false;
    }
    appVerMajor = major;
    appVerMinor = minor;
    if (major * 1000 + minor > currentSoftwareVersion()) {
        version = majorText + "." + minorText;
        return true;
    }
    return false;
}

bool doUpdateApp(std::string version) {
    const std::string versionDir = base() + "/software/v-" + version;
    if (platform::runCommand("mkdir -p " + versionDir) == -1) {
        linkLog(kCategory, "Error creating version directory!\n");
        return false;
    }
    const std::string folder = firmwareFolder();
    if (!directoryExists(folder.c_str())) {
        linkLog(kCategory, "usb directory not exists !\n");
        return false;
    }
    if (platform::runCommand("cp " + folder + "/* " + versionDir + "/") == -1) {
        linkLog(kCategory, "Error copy usb file !\n");
        return false;
    }
    platform::runCommand("sync");
    const std::string current = base() + "/software/current";
    platform::runCommand("rm " + current);
    if (::symlink(versionDir.c_str(), current.c_str()) != 0) {
        linkLog(kCategory, "cannot point " + current + " at " + versionDir + ": " +
                               std::strerror(errno) + "\n");
        return false;
    }
    platform::runCommand("sync");
    return true;
}
