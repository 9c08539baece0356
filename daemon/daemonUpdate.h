// The link daemon updating itself from a USB stick mounted at "/home/zek710/usb": a newer
// linkDaemon in the stick's "zek710-firmware" folder, with the MCU image beside it, is copied into
// "/home/zek710/software/v-<version>" and "/home/zek710/software/current" is pointed at it. The
// new daemon runs from the next start of the service.
#pragma once

#include <string>

// "/home/zek710", the daemon's working base directory (resolved under the root by callers).
std::string zekWorkingBaseDir();

// The running daemon's version as one number: 23035.
int currentSoftwareVersion();

// True when path can be opened as a directory; a null path is not one.
bool directoryExists(const char* path);

// True when the stick holds a daemon newer than this one: its "-v" output has a ':' followed by
// major (3 digits), a separator and minor. appVerMajor and appVerMinor receive the numbers read
// (left alone when none could be), version the text "major.minor" when it is newer.
bool isNewerAppInDir(std::string& version, int& appVerMajor, int& appVerMinor);

// Copies the stick's firmware folder into the version directory of version and points "current"
// at it; false when a step could not be started or the stick's folder is gone.
bool doUpdateApp(std::string version);
