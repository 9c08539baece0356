#include "mcuUpgrade.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "commonFunctions.h"
#include "linkLog.h"
#include "mcuCommunicate.h"

namespace {

constexpr const char* kCategory = "zek.mcu";

std::uint8_t byteAt(const std::string& bytes, std::size_t index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

// 55 AA type 02 followed by a code byte.
bool isAcknowledgementFrame(const std::string& answer, std::uint8_t type) {
    return answer.size() >= 5 && byteAt(answer, 0) == mcu::kSyncHigh &&
           byteAt(answer, 1) == mcu::kSyncLow && byteAt(answer, 2) == type &&
           byteAt(answer, 3) == mcu::kAckAnswerLength;
}

bool isExactAck(const std::string& answer, std::uint8_t type, std::uint8_t& code) {
    code = answer.size() >= 5 ? byteAt(answer, 4) : 0;
    return isAcknowledgementFrame(answer, type) && answer.size() == 5 && code == mcu::kAck;
}

std::string hexOf(const std::string& bytes) {
    return string_to_hex(bytes, linkProgram());
}

}  // namespace

std::string startUpgradeMcu(std::size_t imageSize) {
    std::string payload = "upgrade";
    payload += static_cast<char>((imageSize >> 8) & 0xFF);
    payload += static_cast<char>(imageSize & 0xFF);
    return mcu::frame(mcu::kTypeStartUpgrade, payload);
}

std::string upgradeBinaryPacks(const std::string& bytes) {
    std::string payload = bytes;
    payload += static_cast<char>(calcCheckSum(bytes) & 0xFF);
    return mcu::frame(mcu::kTypeUpgradeData, payload);
}

std::string upgradeDoneConfirm() {
    return mcu::frame(mcu::kTypeUpgradeDone, "done");
}

unsigned calcCheckSum(const std::string& bytes) {
    unsigned sum = 0;
    for (const char c : bytes) {
        sum += static_cast<std::uint8_t>(c);
    }
    return sum;
}

bool isUpgradeMcuContinue(const std::string& answer) {
    return isAcknowledgementFrame(answer, mcu::kTypeStartUpgrade) && byteAt(answer, 4) == mcu::kAck;
}

bool isUpgradeMcuBinaryFileAckNext(const std::string& answer, std::uint8_t& code) {
    return isExactAck(answer, mcu::kTypeUpgradeData, code);
}

bool isUpgradeMcuBinaryFileAckDone(const std::string& answer, std::uint8_t& code) {
    return isExactAck(answer, mcu::kTypeUpgradeDone, code);
}

int readMcufileVersion(const std::string& filename, int& minorVersion) {
    std::ifstream file(filename, std::ios::binary);
    if (!file) {
        return -1;
    }
    char header[14];
    if (!file.read(header, sizeof header)) {
        return -1;  // empty, or too short to hold the version
    }
    const auto number = [&header](int at) {
        return (static_cast<std::uint8_t>(header[at]) << 8) |
               static_cast<std::uint8_t>(header[at + 1]);
    };
    minorVersion = number(12);
    return number(10);
}

bool isMcuImageNewer(int imageMajor, int imageMinor, int mcuMajor, int mcuMinor) {
    return imageMajor > mcuMajor || (imageMajor == mcuMajor && imageMinor > mcuMinor);
}

int doUpgradeMcuBinaryFile(const std::string& filename,
                           const std::function<std::string(const std::string&)>& upgradeFunc,
                           const std::function<bool(int)>& progressFunc,
                           const mcuUpgradeTiming& timing,
                           std::optional<std::size_t> expectedFileSize) {
    const auto report = [&progressFunc](int value) { return progressFunc(value); };
    std::ifstream file(filename, std::ios::binary);
    if (!file) {
        linkLog(kCategory, "upgrade file cannot open\n");
        report(mcu::kUpgradeFileUnreadable);
        return mcu::kUpgradeFileUnreadable;
    }
    // One byte more than the largest image tells a file that is too large; nothing beyond it is
    // read, whatever lies on the stick.
    std::string contents(mcu::kUpgradeHeaderSize + mcu::kLargestUpgradeImage + 1, '\0');
    file.read(contents.data(), static_cast<std::streamsize>(contents.size()));
    contents.resize(static_cast<std::size_t>(file.gcount()));
    if (expectedFileSize && contents.size() != *expectedFileSize &&
        contents.size() <= mcu::kUpgradeHeaderSize + mcu::kLargestUpgradeImage) {
        linkLog(kCategory, fmt::format("upgrade file has {} bytes where its original has {}: not "
                                       "sent\n",
                                       contents.size(), *expectedFileSize));
        report(mcu::kUpgradeFileUnreadable);
        return mcu::kUpgradeFileUnreadable;
    }
    const std::string image =
        contents.size() > mcu::kUpgradeHeaderSize ? contents.substr(mcu::kUpgradeHeaderSize) : "";
    if (image.empty()) {
        linkLog(kCategory, "upgrade file size zero \n");
        report(mcu::kUpgradeImageEmpty);
        return mcu::kUpgradeImageEmpty;
    }

    // The start frame announces the size in 16 bits: a larger image could only arrive cut.
    if (image.size() > mcu::kLargestUpgradeImage) {
        linkLog(kCategory, fmt::format("upgrade file too large: {} bytes, the loader takes at most "
                                       "{}\n",
                                       image.size(), mcu::kLargestUpgradeImage));
        report(mcu::kUpgradeTransferFailed);
        return mcu::kUpgradeTransferFailed;
    }

    // The loader is woken by the first start frame and answers the second once it is ready.
    const std::string start = startUpgradeMcu(image.size());
    linkLog(kCategory, fmt::format("mcu upgrade ack first time: {} \n", hexOf(upgradeFunc(start))));
    std::this_thread::sleep_for(timing.startPause);
    const std::string ready = upgradeFunc(start);
    linkLog(kCategory, fmt::format("mcu upgrade ack second time: {} \n", hexOf(ready)));
    if (!isUpgradeMcuContinue(ready)) {
        linkLog(kCategory, "mcu don't want to continue doing upgrade, mcu not ready \n");
        report(mcu::kUpgradeMcuNotReady);
        return mcu::kUpgradeMcuNotReady;
    }

    // One frame until the loader takes it: NACKs and silence are retried, a fatal error or too
    // many tries end the transfer. The loader starts afresh with the next start frame.
    enum class sendResult { taken, fatal, givenUp };
    const auto sendUntilTaken = [&](const std::string& frame, bool isDone) {
        // The done frame goes once: a loader that does not confirm it has not got the image.
        const int tries = isDone ? 1 : timing.triesPerFrame;
        for (int attempt = 0; attempt < tries; ++attempt) {
            std::uint8_t code = 0;
            const std::string answer = upgradeFunc(frame);
            const bool taken = isDone ? isUpgradeMcuBinaryFileAckDone(answer, code)
                                      : isUpgradeMcuBinaryFileAckNext(answer, code);
            if (taken) {
                return sendResult::taken;
            }
            if (code == mcu::kFatalError &&
                isAcknowledgementFrame(answer,
                                       isDone ? mcu::kTypeUpgradeDone : mcu::kTypeUpgradeData)) {
                return sendResult::fatal;
            }
        }
        if (!isDone) {
            linkLog(kCategory,
                    fmt::format("upgrade pack not acknowledged after {} tries\n", tries));
        }
        return sendResult::givenUp;
    };
    const auto failTransfer = [&report]() {
        report(mcu::kUpgradeTransferFailed);
        return mcu::kUpgradeTransferFailed;
    };

    const std::size_t size = image.size();
    std::size_t lastOffset = 0;
    for (std::size_t offset = 0; offset < size; offset += mcu::kUpgradePackSize) {
        lastOffset = offset;
        const sendResult result =
            sendUntilTaken(upgradeBinaryPacks(image.substr(offset, mcu::kUpgradePackSize)), false);
        if (result == sendResult::fatal) {
            linkLog(kCategory, "firmware upgrade next ack fatal error: \n");
        }
        if (result != sendResult::taken) {
            return failTransfer();
        }
        if (!report(static_cast<int>(offset * 100 / size))) {
            linkLog(kCategory, "firmware upgrade stopped by the client\n");
            return failTransfer();
        }
    }

    // The closing sequence, whatever the image size: the last pack once more, then done.
    if (sendUntilTaken(upgradeBinaryPacks(image.substr(lastOffset)), false) == sendResult::fatal) {
        linkLog(kCategory, "upgrade last pack update binary file fail !?, don't call me \n");
    }
    const sendResult done = sendUntilTaken(upgradeDoneConfirm(), true);
    if (done == sendResult::taken) {
        report(mcu::kUpgradeFinished);
        linkLog(kCategory, "update binary file success, have a nice day \n");
        return mcu::kUpgradeFinished;
    }
    if (done == sendResult::fatal) {
        linkLog(kCategory, "confirm ack fatal error update binary file fail !?, don't call me \n");
    }
    linkLog(kCategory, "update binary file fail (nack) !?, don't call me \n");
    return failTransfer();
}
