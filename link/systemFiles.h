// The system's own files (network setup, boot command line, update manifests), reached through
// the path resolver: every helper takes a system path ("/etc/...") and works under the root.
// Files are written beside their target and renamed over it, so a power cut leaves either the
// old or the new file, never half of one.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Whole content of a file; nothing when it cannot be read.
std::optional<std::string> readSystemFile(const std::string& systemPath);

// Writes content to "<file>.partial", flushes it to the disk and renames it over the file.
// False (and a log line) when the directory is missing or the write fails; the old file is then
// untouched.
bool writeSystemFileAtomically(const std::string& systemPath, const std::string& content);

bool systemFileExists(const std::string& systemPath);

// A field or line of such a file without the blanks, tabs and line ends around it.
std::string trimmedText(const std::string& text);

}  // namespace platform
