#include "hardwareLink.h"

#include <chrono>
#include <exception>
#include <thread>

#include <fmt/printf.h>

#include "linkLog.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"

sharedHardwareState g_HardwareState;
std::mutex writeMutex;

namespace {

constexpr const char* kCategory = "zek.mcu";

}  // namespace

hardwareState readHardwareState(LibSerial::SerialStream* stream, const std::string& ledMap) {
    if (stream == nullptr) {
        return {};
    }
    const mcuCommunicate protocol;
    const std::string answer =
        sendStatusCommandtoMcu(protocol.updateKeyBoardStatus(ledMap), *stream);
    bool isSync = false;
    mcu::AnswerError why = mcu::AnswerError::none;
    hardwareState state = protocol.getHardwareStatus(answer, isSync, &why);
    if (!isSync) {
        linkLog(kCategory, linkProgram() == LinkProgram::daemon
                               ? "wait mcu hardware data sync has problem \n"
                               : "getHardwareStatus is NOT CmdSyncOk!");
    } else if (why != mcu::AnswerError::none) {
        linkLog(kCategory, std::string("status answer rejected: ") + mcu::answerErrorText(why));
    }
    return state;
}

void readHardware(LibSerial::SerialStream* stream, const std::string& ledMap) {
    std::lock_guard<std::mutex> lock(writeMutex);
    g_HardwareState.set(readHardwareState(stream, ledMap));
}

void writeKeyBoard(LibSerial::SerialStream* stream, const std::string& ledMap) {
    readHardware(stream, ledMap);
}

calibrateTbarPar readTBarCaliState(LibSerial::SerialStream* stream) {
    std::lock_guard<std::mutex> lock(writeMutex);
    const mcuCommunicate protocol;
    std::string answer;
    if (stream != nullptr) {
        answer = sendCommandtoMcu(protocol.calibrateTbar(), *stream);
    }
    bool isSync = false;
    mcu::AnswerError why = mcu::AnswerError::none;
    const calibrateTbarPar par = protocol.getTbarCalibratePar(answer, isSync, &why);
    if (!isSync) {
        linkLog(kCategory, "wait mcu tbar data has problem");
    } else if (why != mcu::AnswerError::none) {
        linkLog(kCategory, std::string("tbar answer rejected: ") + mcu::answerErrorText(why));
    }
    return par;
}

std::unique_ptr<workItem> makeHardwarePollItem(LibSerial::SerialStream* stream,
                                               std::function<std::string()> currentLedMap,
                                               std::chrono::nanoseconds period) {
    return std::make_unique<workItem>(
        workItem::clock::now(), period,
        [stream, ledMap = std::move(currentLedMap)] { readHardware(stream, ledMap()); });
}

void outputMsgToSerialUntil(LibSerial::SerialStream& stream,
                            const std::atomic<bool>& stopRequested) {
    using namespace std::chrono_literals;
    while (!stopRequested.load()) {
        try {
            if (stream.GetNumberOfBytesAvailable() <= 0) {
                std::this_thread::sleep_for(5ms);
                continue;
            }
            std::string received;
            for (int count = stream.GetNumberOfBytesAvailable(); count > 0; --count) {
                char byte = 0;
                if (!stream.get(byte)) {
                    stream.clear();
                    break;
                }
                received.push_back(byte);
            }
            linkLog("zek.link",
                    fmt::sprintf("serial port2 (output serial port) input [%s]\n", received));
            stream.write(received.data(), static_cast<std::streamsize>(received.size()));
            stream.flush();
            stream.clear();
        } catch (const std::exception& error) {
            // A vanished port is reported and retried at the loop's pace rather than ending it.
            linkLog("zek.link", std::string("serial port2 error: ") + error.what());
        }
        std::this_thread::sleep_for(200ms);
    }
}

void outputMsgToSerial(LibSerial::SerialStream& stream) {
    const std::atomic<bool> never{false};
    outputMsgToSerialUntil(stream, never);
}
