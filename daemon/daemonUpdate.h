// The link daemon updating itself from a USB stick mounted at "/home/zek710/usb": a newer
// linkDaemon in the stick's "zek710-firmware" folder, with the MCU image beside it, is copied into
// "/home/zek710/software/v-<version>" and "/home/zek710/software/current" is pointed at it. The
// new daemon runs from the next start of the service.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// "/home/zek710", the daemon's working base directory (resolved under the root by callers).
std::string zekWorkingBaseDir();

// The running daemon's version as one number: 23035.
int currentSoftwareVersion();

// True when path can be opened as a directory; a null path is not one.
bool directoryExists(const char* path);

// A daemon version text as it may be used in a path: exactly three digits, '.', three digits.
bool isVersionText(const std::string& text);

// Reads "NNN.NNN" from a daemon's "-v" output: the seven characters after the first ':', followed
// by nothing but a line end. False for anything else (white space, signs, letters, more digits).
bool parseStickVersion(const std::string& output, std::string& version, int& major, int& minor);

// True when the stick holds a daemon newer than this one. Its "-v" runs for at most 5 s and may
// print at most 4 KiB; past either it is killed and nothing is offered. appVerMajor and
// appVerMinor receive the numbers read (left alone when none could be), version the text
// "NNN.NNN" when it is newer.
bool isNewerAppInDir(std::string& version, int& appVerMajor, int& appVerMinor);

// Installs the stick's firmware folder as version (which must be "NNN.NNN"): every step's status
// is checked, the copy is verified (each file of the folder present with its size), and only then
// is "current" switched, by renaming a new link over it. On any failure "current" keeps pointing
// where it pointed and the log says which step failed. installed, when given, receives the files
// verified and their sizes.
bool doUpdateApp(std::string version, std::map<std::string, std::uintmax_t>* installed = nullptr);
