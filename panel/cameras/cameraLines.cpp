#include "cameraLines.h"

#include <QDebug>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <exception>
#include <thread>

#include "cameraRules.h"
#include "panelState.h"
#include "pathResolver.h"

namespace {

LibSerial::BaudRate baudFromCode(int code) {
    switch (code) {
        case 13:
            return LibSerial::BaudRate::BAUD_9600;
        case 14:
            return LibSerial::BaudRate::BAUD_19200;
        case 4097:
            return LibSerial::BaudRate::BAUD_57600;
        case 4098:
            return LibSerial::BaudRate::BAUD_115200;
        default:
            return LibSerial::BaudRate::BAUD_38400;
    }
}

LibSerial::CharacterSize charSizeFromCode(int code) {
    switch (code) {
        case 0:
            return LibSerial::CharacterSize::CHAR_SIZE_5;
        case 16:
            return LibSerial::CharacterSize::CHAR_SIZE_6;
        case 32:
            return LibSerial::CharacterSize::CHAR_SIZE_7;
        default:
            return LibSerial::CharacterSize::CHAR_SIZE_8;
    }
}

}  // namespace

bool openCameraLine(LibSerial::SerialStream& line, int cameraNumber) {
    return openCameraLine(line, cameraNumber, serial_port_info{});
}

bool openCameraLine(LibSerial::SerialStream& line, int cameraNumber, const serial_port_info& info) {
    closeCameraLine(line);
    const std::string device =
        platform::resolvePath(serialCameraDevice(cameraNumber).toStdString());
    if (::access(device.c_str(), F_OK) != 0) {
        qDebug().noquote() << "camera line" << QString::fromStdString(device) << "is not there";
        return false;
    }
    lineAnswers(cameraNumber).reset();
    try {
        line.Open(device);
        line.SetBaudRate(baudFromCode(info.baudRate));
        line.SetCharacterSize(charSizeFromCode(info.charSize));
        line.SetStopBits(info.stopBits == 2 ? LibSerial::StopBits::STOP_BITS_2
                                            : LibSerial::StopBits::STOP_BITS_1);
        line.SetParity(info.parity == 0   ? LibSerial::Parity::PARITY_EVEN
                       : info.parity == 1 ? LibSerial::Parity::PARITY_ODD
                                          : LibSerial::Parity::PARITY_NONE);
        line.SetFlowControl(info.flowControl == 0   ? LibSerial::FlowControl::FLOW_CONTROL_HARDWARE
                            : info.flowControl == 1 ? LibSerial::FlowControl::FLOW_CONTROL_SOFTWARE
                                                    : LibSerial::FlowControl::FLOW_CONTROL_NONE);
    } catch (const std::exception& error) {
        qDebug().noquote() << "camera line" << QString::fromStdString(device)
                           << "cannot be opened:" << error.what();
        closeCameraLine(line);
        return false;
    }
    return line.IsOpen();
}

void closeCameraLine(LibSerial::SerialStream& line) {
    try {
        if (line.IsOpen()) {
            // A line whose adapter was pulled out refuses every terminal call, and the library
            // restores the line's settings on close from a destructor, where its exception would
            // end the program. A stand-in terminal takes the descriptor's place, so the restore
            // and the close go through.
            const int fd = line.GetFileDescriptor();
            termios probe{};
            if (fd >= 0 && ::tcgetattr(fd, &probe) != 0) {
                const int standIn = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
                if (standIn >= 0) {
                    ::dup3(standIn, fd, O_CLOEXEC);
                    ::close(standIn);
                }
            }
            line.Close();
        }
    } catch (const std::exception&) {
        // A line that vanished is closed as far as we are concerned.
    }
    line.clear();
}

bool writeCameraLine(LibSerial::SerialStream& line, const QByteArray& message) {
    if (!line.IsOpen()) {
        return false;
    }
    try {
        line.write(message.constData(), message.size());
        line.flush();
    } catch (const std::exception&) {
    }
    const bool ok = line.good();
    line.clear();
    return ok;
}

QByteArray readAvailable(LibSerial::SerialStream& line) {
    QByteArray answer;
    if (!line.IsOpen()) {
        return answer;
    }
    try {
        for (int count = line.GetNumberOfBytesAvailable(); count > 0; --count) {
            char byte = 0;
            if (!line.get(byte)) {
                break;
            }
            answer.append(byte);
        }
    } catch (const std::exception&) {
    }
    line.clear();
    return answer;
}

namespace {

// Under cameraLinesMutex, like the lines themselves.
std::array<serial_port_info, 8> lineSettings{};

}  // namespace

void rememberLineSettings(int cameraNumber, const serial_port_info& info) {
    if (cameraNumber >= 1 && cameraNumber <= static_cast<int>(lineSettings.size())) {
        lineSettings[static_cast<std::size_t>(cameraNumber - 1)] = info;
    }
}

serial_port_info savedLineSettings(int cameraNumber) {
    if (cameraNumber >= 1 && cameraNumber <= static_cast<int>(lineSettings.size())) {
        return lineSettings[static_cast<std::size_t>(cameraNumber - 1)];
    }
    return {};
}

bool followHotPlug(LibSerial::SerialStream& line, int cameraNumber) {
    if (cameraNumber < 1 || cameraNumber > static_cast<int>(lineSettings.size())) {
        return false;
    }
    const std::string device =
        platform::resolvePath(serialCameraDevice(cameraNumber).toStdString());
    struct stat present {};
    const bool there = ::stat(device.c_str(), &present) == 0;
    if (line.IsOpen()) {
        struct stat opened {};
        bool same = false;
        try {
            same = there && ::fstat(line.GetFileDescriptor(), &opened) == 0 &&
                   opened.st_rdev == present.st_rdev;
        } catch (const std::exception&) {
        }
        if (same) {
            return true;
        }
        qDebug().noquote() << "camera line" << QString::fromStdString(device)
                           << (there ? "is another device now; reopening it" : "has gone");
        closeCameraLine(line);
    }
    if (!there) {
        return false;
    }
    qDebug().noquote() << "camera line" << QString::fromStdString(device)
                       << "is there; opening it with its saved settings";
    return openCameraLine(line, cameraNumber, savedLineSettings(cameraNumber));
}

visca::answerTracker& lineAnswers(int cameraNumber) {
    static std::array<visca::answerTracker, 8> trackers;
    return trackers[static_cast<std::size_t>(std::clamp(cameraNumber, 1, 8) - 1)];
}

visca::exchangeResult exchangeOnLine(LibSerial::SerialStream& line, int cameraNumber,
                                     const QByteArray& message,
                                     visca::answerTracker::waitingFor what, int waitMs) {
    visca::answerTracker& answers = lineAnswers(cameraNumber);
    answers.feed(readAvailable(line));
    answers.begin(what);
    writeCameraLine(line, message);
    const auto writtenAt = std::chrono::steady_clock::now();
    const auto deadline = writtenAt + std::chrono::milliseconds(waitMs);
    if (fixedCameraPacing) {
        std::this_thread::sleep_until(deadline);
        answers.feed(readAvailable(line));
    } else {
        while (!answers.over()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                break;
            }
            const int fd = line.IsOpen() ? line.GetFileDescriptor() : -1;
            if (fd < 0) {
                std::this_thread::sleep_until(deadline);  // nothing to wait on: the whole wait
                break;
            }
            pollfd readable{fd, POLLIN, 0};
            if (::poll(&readable, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) {
                std::this_thread::sleep_until(deadline);
                break;
            }
            if ((readable.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                // A pulled adapter: the line reads nothing more, and the wait is not cut short.
                std::this_thread::sleep_until(deadline);
                answers.feed(readAvailable(line));
                break;
            }
            answers.feed(readAvailable(line));
        }
    }
    return {answers.answer(), answers.over(), answers.bufferFull(),
            answers.socketsInUse() >= visca::kCommandSockets, writtenAt};
}
