#include "daemonUpdate.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <filesystem>
#include <map>

#include "commandRunner.h"
#include "linkLog.h"
#include "pathResolver.h"

namespace {

constexpr const char* kCategory = "zek.update";

// The stick's daemon has this long to tell its version, and this much to say.
const platform::outputLimits kVersionQuestion{std::chrono::seconds(5), 4096};
// A copy or a sync from the stick that takes longer than this has stalled on the stick.
const platform::outputLimits kFileStep{std::chrono::seconds(60), 4096};

std::string base() {
    return platform::resolvePath(zekWorkingBaseDir());
}

std::string firmwareFolder() {
    return base() + "/usb/zek710-firmware";
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// One file step (mkdir, cp, sync) with the stick's limits; its exit status, -1 when it could not
// be started or was killed.
int runFileStep(const std::string& command) {
    const platform::limitedOutput run = platform::runCommandOutputLimited(command, kFileStep);
    if (run.timedOut) {
        linkLog(kCategory, "\"" + command + "\" did not end within 60 s: killed\n");
    }
    return run.started ? run.status : -1;
}

// The regular files directly inside folder, with their sizes; false when it cannot be read.
bool listFiles(const std::string& folder, std::map<std::string, std::uintmax_t>& files) {
    std::error_code error;
    // Stepped with an error code: a stick pulled while it is listed is an answer, not a throw.
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::directory_entry& entry = *it;
        std::error_code statError;
        const bool regular = entry.is_regular_file(statError);
        const std::string name = entry.path().filename().string();
        if (statError || !regular) {
            if (!entry.is_directory(statError)) {
                files[name] = static_cast<std::uintmax_t>(-1);  // cannot be copied: a dangling link
            }
            continue;
        }
        files[name] = entry.file_size(statError);
        if (statError) {
            files[name] = static_cast<std::uintmax_t>(-1);
        }
    }
    return !error;
}

// Every file listed is in folder as a regular file of its size; names the first that is not.
bool holdsCopies(const std::string& folder, const std::map<std::string, std::uintmax_t>& files,
                 std::string& missing) {
    for (const auto& [name, size] : files) {
        std::error_code error;
        const std::filesystem::path copy = std::filesystem::path(folder) / name;
        if (!std::filesystem::is_regular_file(copy, error) ||
            std::filesystem::file_size(copy, error) != size || error) {
            missing = name;
            return false;
        }
    }
    return true;
}

std::string realPathOf(const std::string& path) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? std::string() : real.string();
}

}  // namespace

bool isVersionText(const std::string& text) {
    return text.size() == 7 && isDigit(text[0]) && isDigit(text[1]) && isDigit(text[2]) &&
           text[3] == '.' && isDigit(text[4]) && isDigit(text[5]) && isDigit(text[6]);
}

bool parseStickVersion(const std::string& output, std::string& version, int& major, int& minor) {
    const std::size_t colon = output.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::string number = output.substr(colon + 1, 7);
    const std::string rest = output.substr(std::min(output.size(), colon + 8));
    // Nothing may follow the number but the end of its line.
    if (!isVersionText(number) || !(rest.empty() || rest == "\n" || rest == "\r\n")) {
        return false;
    }
    major = std::stoi(number.substr(0, 3));
    minor = std::stoi(number.substr(4, 3));
    version = number;
    return true;
}

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
    // A program from the stick: it gets a few seconds and a few KiB, then it is killed.
    const platform::limitedOutput asked =
        platform::runCommandOutputLimited(folder + "/linkDaemon -v", kVersionQuestion);
    if (asked.timedOut || asked.overflowed) {
        linkLog(kCategory, asked.timedOut
                               ? "the stick's linkDaemon -v did not answer within 5 s: killed, "
                                 "no update offered\n"
                               : "the stick's linkDaemon -v printed more than 4096 bytes: killed, "
                                 "no update offered\n");
        return false;
    }
    std::string text;
    int major = 0;
    int minor = 0;
    if (!parseStickVersion(asked.output, text, major, minor)) {
        linkLog(kCategory, "the stick's daemon gave no version of the form NNN.NNN: " +
                               asked.output.substr(0, 64) + "\n");
        return false;
    }
    appVerMajor = major;
    appVerMinor = minor;
    if (major * 1000 + minor > currentSoftwareVersion()) {
        version = text;
        return true;
    }
    return false;
}

bool doUpdateApp(std::string version, std::map<std::string, std::uintmax_t>* installed) {
    // The version becomes part of a path and of commands: nothing but "NNN.NNN".
    if (!isVersionText(version)) {
        linkLog(kCategory, "version \"" + version.substr(0, 16) + "\" refused: not NNN.NNN\n");
        return false;
    }
    const std::string folder = firmwareFolder();
    std::map<std::string, std::uintmax_t> files;
    if (!directoryExists(folder.c_str()) || !listFiles(folder, files)) {
        linkLog(kCategory, "usb directory not exists !\n");
        return false;
    }
    const std::string versionDir = base() + "/software/v-" + version;
    const std::string current = base() + "/software/current";
    std::string missing;
    if (realPathOf(current) == realPathOf(versionDir) && !realPathOf(current).empty()) {
        // Installed before and not yet started: the files "current" points at are not written
        // again; they only have to match the stick.
        if (!holdsCopies(versionDir, files, missing)) {
            linkLog(kCategory, "version " + version + " is installed but " + missing +
                                   " differs from the stick; restart linkDaemon before installing "
                                   "it again\n");
            return false;
        }
        linkLog(kCategory, "version " + version + " is installed already\n");
    } else {
        if (const int status = runFileStep("mkdir -p " + versionDir); status != 0) {
            linkLog(kCategory, "Error creating version directory!\n");
            linkLog(kCategory, "mkdir of " + versionDir + " failed (" + std::to_string(status) +
                                   "): \"current\" stays as it was\n");
            return false;
        }
        if (const int status = runFileStep("cp " + folder + "/* " + versionDir + "/");
            status != 0) {
            linkLog(kCategory, "Error copy usb file !\n");
            linkLog(kCategory, "copy into " + versionDir + " failed (" + std::to_string(status) +
                                   "): \"current\" stays as it was\n");
            return false;
        }
        if (const int status = runFileStep("sync"); status != 0) {
            linkLog(kCategory, "sync after the copy failed (" + std::to_string(status) +
                                   "): \"current\" stays as it was\n");
            return false;
        }
        if (!holdsCopies(versionDir, files, missing)) {
            linkLog(kCategory, "copy into " + versionDir + " is incomplete: " + missing +
                                   " missing or of another size; \"current\" stays as it was\n");
            return false;
        }
        // A new link under a temporary name, then one rename: "current" always points at a
        // whole version, the old one or the new one.
        const std::string incoming = current + ".new";
        ::unlink(incoming.c_str());
        if (::symlink(versionDir.c_str(), incoming.c_str()) != 0 ||
            ::rename(incoming.c_str(), current.c_str()) != 0) {
            linkLog(kCategory, "cannot point " + current + " at " + versionDir + ": " +
                                   std::strerror(errno) + "; it stays as it was\n");
            ::unlink(incoming.c_str());
            return false;
        }
        if (const int status = runFileStep("sync"); status != 0) {
            linkLog(kCategory,
                    "sync after switching \"current\" failed (" + std::to_string(status) + ")\n");
            return false;
        }
    }
    if (installed != nullptr) {
        *installed = files;
    }
    return true;
}
