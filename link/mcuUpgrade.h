// Replacing the panel MCU's firmware through its loader, over the normal MCU line.
//
// The image file "mcu.bin": 10 bytes not read, the image's major and minor version (2 bytes each,
// big-endian), 2 bytes not read, then the image proper. The image proper goes to the loader in
// packs of at most 128 bytes, each acknowledged before the next:
//   start  55 AA 83 0A "upgrade" size-high size-low    answer 55 AA 83 02 06
//   data   55 AA 84 (n+2) n bytes check-byte           answer 55 AA 84 02 06 | 15 | 20 (fatal)
//   done   55 AA 85 05 "done"                          answer 55 AA 85 02 06 | 15 | 20
// The check byte is the low 8 bits of the sum of the pack's bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace mcu {

constexpr std::size_t kUpgradeHeaderSize = 16;
constexpr std::size_t kUpgradePackSize = 128;
// The start frame announces the image size in 16 bits.
constexpr std::size_t kLargestUpgradeImage = 0xFFFF;

// Progress values reported during an upgrade.
constexpr int kUpgradeFinished = 100;
constexpr int kUpgradeFileUnreadable = 101;
constexpr int kUpgradeImageEmpty = 102;
constexpr int kUpgradeMcuNotReady = 103;
constexpr int kUpgradeTransferFailed = 104;
constexpr int kUpgradeNotNeeded = 105;

}  // namespace mcu

std::string startUpgradeMcu(std::size_t imageSize);
std::string upgradeBinaryPacks(const std::string& bytes);
std::string upgradeDoneConfirm();
// The sum of the bytes, each taken as 0 to 255.
unsigned calcCheckSum(const std::string& bytes);

// 55 AA 83 02 06 (bytes after it do not matter).
bool isUpgradeMcuContinue(const std::string& answer);
// Exactly 55 AA 84 02 06. code receives the answer's code byte (byte 4), 0 when there is none.
bool isUpgradeMcuBinaryFileAckNext(const std::string& answer, std::uint8_t& code);
// Exactly 55 AA 85 02 06, code as above.
bool isUpgradeMcuBinaryFileAckDone(const std::string& answer, std::uint8_t& code);

// The image file's major version, and its minor version in minorVersion; -1 (minorVersion left
// alone) when the file cannot be read, is empty or is too short to hold the version.
int readMcufileVersion(const std::string& filename, int& minorVersion);

// The image is newer than the running firmware: a greater major version, or the same with a
// greater minor version.
bool isMcuImageNewer(int imageMajor, int imageMinor, int mcuMajor, int mcuMinor);

// How the transfer paces itself.
struct mcuUpgradeTiming {
    // Between the two start frames: the loader takes this long to get ready.
    std::chrono::milliseconds startPause{5000};
    // Sends of one data pack that go unacknowledged (NACK or silence) before the transfer gives
    // up; the done frame is sent once.
    int triesPerFrame = 20;
};

// Sends the image of filename to the loader. upgradeFunc runs one command exchange (frame in,
// answer out); progressFunc reports each progress value and returns false when the client asked
// to stop, which ends the transfer with kUpgradeTransferFailed. Returns the last value reported.
// expectedFileSize, when given, is the size the file must have (that of the original it was
// copied from): a file of any other size is refused with kUpgradeFileUnreadable before anything
// reaches the loader, so a partial copy is never flashed.
int doUpgradeMcuBinaryFile(const std::string& filename,
                           const std::function<std::string(const std::string&)>& upgradeFunc,
                           const std::function<bool(int)>& progressFunc,
                           const mcuUpgradeTiming& timing = {},
                           std::optional<std::size_t> expectedFileSize = std::nullopt);
