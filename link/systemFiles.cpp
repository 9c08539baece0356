#include "systemFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "linkLog.h"
#include "pathResolver.h"

namespace platform {

namespace {
constexpr const char* kCategory = "zek.files";
}  // namespace

std::optional<std::string> readSystemFile(const std::string& systemPath) {
    // Read to its end without an error, or not at all: a directory or a failing read is no
    // file with nothing in it.
    const std::string path = resolvePath(systemPath);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string content;
    char piece[4096];
    while (true) {
        const ssize_t got = ::read(fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            linkLog(kCategory, "cannot read " + path + ": " + std::strerror(errno));
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        content.append(piece, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

bool writeSystemFileAtomically(const std::string& systemPath, const std::string& content) {
    const std::string path = resolvePath(systemPath);
    const std::string partial = path + ".partial";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        linkLog(kCategory, "cannot write " + path + ": " + std::strerror(errno));
        return false;
    }
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = ::write(fd, content.data() + done, content.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            linkLog(kCategory, "cannot write " + path + ": " + std::strerror(errno));
            ::close(fd);
            ::unlink(partial.c_str());
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    if (!flushed || ::rename(partial.c_str(), path.c_str()) != 0) {
        linkLog(kCategory, "cannot replace " + path + ": " + std::strerror(errno));
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

bool systemFileExists(const std::string& systemPath) {
    struct stat info {};
    return ::stat(resolvePath(systemPath).c_str(), &info) == 0;
}

std::string trimmedText(const std::string& text) {
    const char* blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace platform
