// Software update from a USB stick.
//
// The stick carries a password-protected zip archive whose folder "zek710a_fwup" holds
// "manifest.txt" and the files it names: the panel MCU image (flag 1), the application (2) and
// scripts (3 rescue, 4 other, 5 system). The version check unpacks the manifest into a temporary
// folder and compares its versions with the running ones; the install unpacks the archive into
// "update", stages the MCU image and the application in "new", moves "current" to "prev" (the
// recovery tool's copy) and "new" to "current", and runs the scripts. The running program keeps
// running until the user reboots.
//
// Every command goes through the command runner with its paths resolved under the root, so the
// texts on the panel are the system's own and in simulation they act inside the root.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// One entry of the manifest.
struct upgradePackage {
    std::string flag;
    std::string filename;
    std::string version;
    std::string instPath;  // not filled
    std::string desc;
};

namespace update {

constexpr const char* kStickFolder = "/run/media/sda1/velmora";
constexpr const char* kArchive = "/run/media/sda1/velmora/zek710a_fwup";
constexpr const char* kApplicationRoot = "/home/zek710a/application";
constexpr const char* kArchivePassword = "mQ#v_2408T";
constexpr std::size_t kMaxEntries = 10;

// In an application directory: the version in it has come up on this panel (the file holds its
// version text). "current" gets it once the main screen has loaded; an install that finds it
// missing knows that "current" was installed since the last start and never ran.
constexpr const char* kRanMarker = ".ran";

constexpr const char* kFlagMcuImage = "1";
constexpr const char* kFlagApplication = "2";

// A manifest as read: its entries, or the reason it is refused as a whole.
struct manifestReading {
    std::vector<upgradePackage> entries;
    std::string refusal;  // empty when the manifest may be used
};

// Lines cut at the first carriage return, split at commas; lines of 4 or more fields are entries
// (fields trimmed). Refused: more than 10 entries, or a file name that could leave the update
// folder or change a command (anything but letters, digits, '.', '_', '-'; "." and ".."; a
// leading '-').
manifestReading readManifest(const std::string& text);
bool isSafeFileName(const std::string& name);

// The numbers of a version text: one leading character (such as 'v') when withLeadingCharacter,
// then exactly count decimal numbers joined by dots. Nothing for any other text.
std::optional<std::vector<int>> versionNumbers(const std::string& text, std::size_t count,
                                               bool withLeadingCharacter);

// True when newer is a higher version than older, comparing the numbers in order (as tuples).
bool isHigherVersion(const std::vector<int>& newer, const std::vector<int>& older);

struct versionOffer {
    bool upable = false;
    std::string appVersion;  // as the manifest writes them, or empty
    std::string mcuVersion;
};

// Marks "current" as a version that has run; false (and a log line) when it cannot be written.
bool markVersionRan(const std::string& version);

// What the version check offers for a manifest, against the running application "a.b.c" and MCU
// "a.b.c.d". Installable when the application or the MCU image is higher than the running one and
// neither is malformed; a package without an MCU entry is judged by its application alone.
versionOffer offerFor(const manifestReading& manifest, const std::string& runningApp,
                      const std::string& runningMcu);

// The two operations, with what the screens are told along the way.
class softwareUpdater {
public:
    struct listeners {
        std::function<void(int percent)> progress;
        std::function<void(bool upable, const std::string& appver, const std::string& mcuver)>
            newVersion;
        std::function<void(const std::string& result)> result;
    };
    using waitFunction = std::function<void(std::chrono::milliseconds)>;

    // wait stands for the install's two pauses of 1 s (tests pass one that does not sleep).
    softwareUpdater(listeners tell, waitFunction wait);

    // The application version text of the stick's archive, "" when there is none, or "ERROR".
    std::string getUpgradeVersion(const std::string& runningApp, const std::string& runningMcu);
    // "OK" or "ERROR".
    std::string callUpgrade();

private:
    std::string finish(const std::string& result);

    listeners tell_;
    waitFunction wait_;
};

}  // namespace update
