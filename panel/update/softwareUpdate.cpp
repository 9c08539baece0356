#include "softwareUpdate.h"

#include <sstream>

#include "commandRunner.h"
#include "linkLog.h"
#include "pathResolver.h"
#include "systemFiles.h"

namespace update {

namespace {

constexpr const char* kCategory = "zek.update";
constexpr auto kSettle = std::chrono::milliseconds(1000);

const std::string kApp = kApplicationRoot;
const std::string kTemp = kApp + "/temp";
const std::string kTempFolder = kApp + "/temp/zek710a_fwup";
const std::string kUpdate = kApp + "/update";
const std::string kUpdateFolder = kApp + "/update/zek710a_fwup";
const std::string kNew = kApp + "/new";
const std::string kCurrent = kApp + "/current";
const std::string kPrev = kApp + "/prev";

// A system path as the commands name it: unchanged on the panel, under the root elsewhere.
std::string at(const std::string& systemPath) {
    return platform::resolvePath(systemPath);
}

int run(const std::string& command) {
    return platform::runCommand(command);
}

void log(const std::string& text) {
    linkLog(kCategory, text);
}

// The last entry of a flag, or nothing.
const upgradePackage* lastOf(const std::vector<upgradePackage>& entries, const char* flag) {
    const upgradePackage* found = nullptr;
    for (const upgradePackage& entry : entries) {
        if (entry.flag == flag) {
            found = &entry;
        }
    }
    return found;
}

}  // namespace

bool isSafeFileName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == ".." || name.front() == '-') {
        return false;
    }
    for (const char c : name) {
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '.' && c != '_' && c != '-') {
            return false;
        }
    }
    return true;
}

manifestReading readManifest(const std::string& text) {
    manifestReading reading;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('\r'));
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, ',');) {
            fields.push_back(platform::trimmedText(field));
        }
        if (!line.empty() && line.back() == ',') {
            fields.emplace_back();  // getline drops an empty last field
        }
        if (fields.size() < 4) {
            continue;
        }
        upgradePackage entry;
        entry.flag = fields[0];
        entry.filename = fields[1];
        entry.version = fields[2];
        entry.desc = fields[3];
        if (!isSafeFileName(entry.filename)) {
            reading.refusal = "file name \"" + entry.filename.substr(0, 64) +
                              "\" could leave the update folder or change a command";
            reading.entries.clear();
            return reading;
        }
        reading.entries.push_back(entry);
        if (reading.entries.size() > kMaxEntries) {
            reading.refusal = "more than 10 entries";
            reading.entries.clear();
            return reading;
        }
    }
    return reading;
}

std::optional<std::vector<int>> versionNumbers(const std::string& text, std::size_t count,
                                               bool withLeadingCharacter) {
    std::size_t i = withLeadingCharacter ? 1 : 0;
    if (text.size() <= i) {
        return std::nullopt;
    }
    std::vector<int> numbers;
    while (true) {
        std::size_t digits = 0;
        long value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (++digits > 6) {
                return std::nullopt;
            }
            value = value * 10 + (text[i] - '0');
            ++i;
        }
        if (digits == 0) {
            return std::nullopt;
        }
        numbers.push_back(static_cast<int>(value));
        if (i == text.size()) {
            break;
        }
        if (text[i] != '.') {
            return std::nullopt;
        }
        ++i;
    }
    if (numbers.size() != count) {
        return std::nullopt;
    }
    return numbers;
}

bool isHigherVersion(const std::vector<int>& newer, const std::vector<int>& older) {
    return newer > older;  // lexicographic: the first number that differs decides
}

bool markVersionRan(const std::string& version) {
    const std::string marker = kCurrent + "/" + kRanMarker;
    if (!platform::systemFileExists(kCurrent)) {
        log("update: no " + kCurrent + " to mark as run (not started from it)");
        return false;
    }
    if (!platform::writeSystemFileAtomically(marker, version + "\n")) {
        log("update: cannot write " + marker);
        return false;
    }
    return true;
}

versionOffer offerFor(const manifestReading& manifest, const std::string& runningApp,
                      const std::string& runningMcu) {
    versionOffer offer;
    const upgradePackage* app = lastOf(manifest.entries, kFlagApplication);
    if (!manifest.refusal.empty() || app == nullptr) {
        return offer;
    }
    const upgradePackage* mcu = lastOf(manifest.entries, kFlagMcuImage);
    offer.appVersion = app->version;
    offer.mcuVersion = mcu != nullptr ? mcu->version : std::string();

    const auto newApp = versionNumbers(app->version, 3, true);
    const auto oldApp = versionNumbers(runningApp, 3, false);
    if (!newApp || !oldApp) {
        log("update: application version \"" + app->version + "\" cannot be compared");
        return offer;
    }
    bool higher = isHigherVersion(*newApp, *oldApp);
    if (mcu != nullptr) {
        const auto newMcu = versionNumbers(mcu->version, 4, true);
        if (!newMcu) {
            log("update: MCU version \"" + mcu->version + "\" cannot be compared");
            return offer;
        }
        // A running MCU that never answered has no version: any image is higher.
        const auto oldMcu = versionNumbers(runningMcu, 4, false);
        higher = higher || !oldMcu || isHigherVersion(*newMcu, *oldMcu);
    }
    offer.upable = higher;
    return offer;
}

softwareUpdater::softwareUpdater(listeners tell, waitFunction wait)
    : tell_(std::move(tell)), wait_(std::move(wait)) {}

std::string softwareUpdater::finish(const std::string& result) {
    if (tell_.result) {
        tell_.result(result);
    }
    return result;
}

std::string softwareUpdater::getUpgradeVersion(const std::string& runningApp,
                                               const std::string& runningMcu) {
    if (!platform::systemFileExists(kTempFolder)) {
        const int made = run("mkdir -p " + at(kTempFolder));
        run("sync");
        if (made != 0) {
            return finish("ERROR");
        }
    }
    manifestReading manifest;
    if (platform::systemFileExists(kStickFolder)) {
        if (platform::systemFileExists(kArchive)) {
            run(std::string("unzip -P ") + kArchivePassword + " " + at(kArchive) + " -d " +
                at(kTemp + "/"));
            run("sync");
        }
        manifest = readManifest(
            platform::readSystemFile(kTempFolder + "/manifest.txt").value_or(std::string()));
        if (!manifest.refusal.empty()) {
            log("update: package refused: " + manifest.refusal);
        }
    }
    const versionOffer offer = offerFor(manifest, runningApp, runningMcu);
    if (tell_.newVersion) {
        tell_.newVersion(offer.upable, offer.appVersion, offer.mcuVersion);
    }
    run("rm -r " + at(kTempFolder));
    run("sync");
    run("sync");
    return offer.appVersion;
}

std::string softwareUpdater::callUpgrade() {
    auto progress = [this](int percent) {
        if (tell_.progress) {
            tell_.progress(percent);
        }
    };
    progress(10);
    progress(12);
    if (!platform::systemFileExists(kUpdate)) {
        const int made = run("mkdir -p " + at(kUpdate));
        run("sync");
        progress(15);
        if (made != 0) {
            return finish("ERROR");
        }
    } else {
        progress(15);
    }
    progress(25);
    if (!platform::systemFileExists(kStickFolder)) {
        progress(100);
        return finish("ERROR");
    }
    progress(33);
    if (platform::systemFileExists(kArchive)) {
        run("cp -r " + at(kUpdate) + " " + at(kApp + "/update_old"));
        wait_(kSettle);
        progress(40);
        run("rm -rf " + at(kUpdate + "/"));
        run("sync");
        wait_(kSettle);
        progress(50);
        const int unpacked = run(std::string("unzip -P ") + kArchivePassword + " " + at(kArchive) +
                                 " -d " + at(kUpdate + "/"));
        progress(56);
        run("sync");
        progress(60);
        if (unpacked != 0) {
            // A wrong password, a stick pulled out or a full disk: nothing is installed from a
            // partly unpacked archive, so "current" and "prev" stay as they are.
            log("update: the archive could not be unpacked (" + std::to_string(unpacked) + ")");
            run("rm -r " + at(kUpdateFolder));
            progress(100);
            return finish("ERROR");
        }
    }

    progress(68);
    const std::optional<std::string> manifestText =
        platform::readSystemFile(kUpdateFolder + "/manifest.txt");
    progress(70);
    const manifestReading manifest = readManifest(manifestText.value_or(std::string()));
    progress(80);
    if (!manifest.refusal.empty()) {
        log("update: package refused: " + manifest.refusal);
        run("rm -r " + at(kUpdateFolder));
        progress(100);
        return finish("ERROR");
    }

    int status = run("mkdir -p " + at(kNew));
    int done = 0;
    for (const upgradePackage& entry : manifest.entries) {
        if (status != 0) {
            break;  // an entry failed: the rest of the package is not installed
        }
        const std::string file = at(kUpdateFolder + "/" + entry.filename);
        if (entry.flag == kFlagMcuImage) {
            run("sync");
            status = run("mv -f " + file + " " + at(kNew + "/" + entry.filename));
            run("sync");
        } else if (entry.flag == kFlagApplication) {
            status = run("mv -f " + file + " " + at(kNew + "/" + entry.filename));
            // One of "current" and "prev" always holds a version that has run here, for the
            // recovery tool. A "current" installed since the last start has never run: it makes
            // way for the new build, and "prev" keeps the version that ran.
            const bool currentNeverRan = !platform::systemFileExists(kCurrent + "/" + kRanMarker) &&
                                         platform::systemFileExists(kPrev + "/" + kRanMarker);
            if (status == 0 && currentNeverRan) {
                log("update: " + kCurrent + " has never run; " + kPrev + " is kept");
                status = run("rm -r " + at(kCurrent));
            } else if (status == 0) {
                run("rm -r " + at(kPrev));
                status = run("mv -f " + at(kCurrent) + " " + at(kPrev));
            }
            if (status == 0) {
                status = run("mv -f " + at(kNew) + " " + at(kCurrent));
                if (status != 0) {
                    // "current" must stay runnable: the application that ran comes back.
                    run(currentNeverRan ? "cp -r " + at(kPrev) + " " + at(kCurrent)
                                        : "mv -f " + at(kPrev) + " " + at(kCurrent));
                }
            }
            if (status == 0) {
                run("chmod +x " + at(kCurrent + "/" + entry.filename));
                run("sync");
            }
        } else if (entry.flag == "3" || entry.flag == "4" || entry.flag == "5") {
            run("chmod +x " + file);
            run("sync");
            status = run("bash " + file);
            run("sync");
            run("rm -f " + file);
            run("sync");
        }
        if (status != 0) {
            log("update: entry " + entry.filename + " failed (" + std::to_string(status) + ")");
        }
        ++done;
        progress(80 + 2 * done);
    }
    run("rm -r " + at(kUpdateFolder));
    progress(100);
    return finish(status == 0 ? "OK" : "ERROR");
}

}  // namespace update
