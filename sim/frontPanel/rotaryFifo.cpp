#include "rotaryFifo.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace frontpanel {

namespace {

input_event makeEvent(const timeval& now, int type, int code, int value) {
    input_event event;
    std::memset(&event, 0, sizeof event);
    event.input_event_sec = now.tv_sec;
    event.input_event_usec = now.tv_usec;
    event.type = static_cast<__u16>(type);
    event.code = static_cast<__u16>(code);
    event.value = value;
    return event;
}

// Creates dev/input below the root; a missing root is a mistake in the arguments, not something
// to paper over by creating it.
bool makeInputDirectory(const std::string& root, std::string& error) {
    struct stat info {};
    if (::stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "root " + root + " is not a directory";
        return false;
    }
    for (const std::string& dir : {root + "/dev", root + "/dev/input"}) {
        if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot create " + dir + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

bool writeNameFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST) {
            return true;  // whoever made it already named the device
        }
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const std::size_t length = std::strlen(kRotaryDeviceName);
    const bool ok = ::write(fd, kRotaryDeviceName, length) == static_cast<ssize_t>(length);
    ::close(fd);
    if (!ok) {
        error = "cannot write " + path;
    }
    return ok;
}

}  // namespace

std::vector<unsigned char> detentRecords(int direction) {
    timeval now{};
    ::gettimeofday(&now, nullptr);
    const input_event events[2] = {makeEvent(now, EV_REL, REL_X, direction < 0 ? -1 : 1),
                                   makeEvent(now, EV_SYN, SYN_REPORT, 0)};
    const auto* bytes = reinterpret_cast<const unsigned char*>(events);
    return std::vector<unsigned char>(bytes, bytes + sizeof events);
}

RotaryFifo::~RotaryFifo() {
    close();
}

void RotaryFifo::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool RotaryFifo::stillOurs() const {
    struct stat info {};
    return fd_ >= 0 && ::stat(path_.c_str(), &info) == 0 && info.st_dev == device_ &&
           info.st_ino == inode_;
}

bool RotaryFifo::open(std::string& error) {
    close();
    if (!makeInputDirectory(root_, error)) {
        return false;
    }
    struct stat info {};
    if (::lstat(path_.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            error = "cannot look at " + path_ + ": " + std::strerror(errno);
            return false;
        }
        if (::mkfifo(path_.c_str(), 0660) != 0 && errno != EEXIST) {
            error = "cannot create the encoder pipe " + path_ + ": " + std::strerror(errno);
            return false;
        }
    } else if (!S_ISFIFO(info.st_mode)) {
        error = path_ + " exists and is not a named pipe";
        return false;
    }
    if (!writeNameFile(path_ + ".name", error)) {
        return false;
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path_ + ": " + std::strerror(errno);
        return false;
    }
    if (::fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode)) {
        ::close(fd);
        error = path_ + " is not a named pipe";
        return false;
    }
    fd_ = fd;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    return true;
}

bool RotaryFifo::turn(int direction, std::string& error) {
    if (!stillOurs() && !open(error)) {
        return false;
    }
    const std::vector<unsigned char> records = detentRecords(direction);
    // Both records in one write: below PIPE_BUF, so a reader never sees half a detent.
    const ssize_t n = ::write(fd_, records.data(), records.size());
    if (n == static_cast<ssize_t>(records.size())) {
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        error = "encoder pipe is full: nothing reads " + path_;
    } else {
        error = "cannot write " + path_ + ": " + (n < 0 ? std::strerror(errno) : "short write");
    }
    return false;
}

}  // namespace frontpanel
