// Every fixed absolute path of the system goes through resolvePath().
//
// On the panel the root is empty and paths stand as written. On a developer machine, in tests and
// in the demo, the environment variable ZEK_ROOT names a directory that stands in for "/": device
// nodes, configuration files and the USB stick all live below it.
#pragma once

#include <string>

namespace platform {

constexpr const char* kRootVariable = "ZEK_ROOT";

// The root from ZEK_ROOT without a trailing '/', or "" when unset or empty.
std::string rootDirectory();

// resolvePath("/dev/ttyAMA0") is "/dev/ttyAMA0" on the panel and "<root>/dev/ttyAMA0" under a
// root. A relative path is returned unchanged.
std::string resolvePath(const std::string& absolutePath);

// True when path (absolute, already resolved) lies inside the root after "." and ".." are
// resolved textually. Without a root every absolute path is inside.
bool isInsideRoot(const std::string& path);

// Textual normalisation of an absolute path: removes ".", "..", repeated '/'.
std::string normalisePath(const std::string& path);

}  // namespace platform
