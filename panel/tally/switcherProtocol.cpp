#include "switcherProtocol.h"

namespace switcherLink {

namespace {

constexpr int kHeaderLength = 8;
constexpr int kRecordLength = 8;
// A header and at least most of one record before anything is read from an answer.
constexpr int kShortestAnswer = 15;

}  // namespace

QByteArray cmdPacket() {
    return QByteArray::fromHex(
        "08000000"
        "0100AA55");
}

QByteArray emptyPacket() {
    return QByteArray::fromHex(
        "08000000"
        "00000000");
}

int portFromAnswer(const QByteArray& answer) {
    const auto byteAt = [&answer](int index) {
        return index < answer.size() ? static_cast<unsigned char>(answer[index]) : 0;
    };
    return byteAt(4) + 256 * byteAt(5);
}

bool isRealtimePort(int port) {
    return port == 5001 || port == 5003 || port == 5005 || port == 5007;
}

std::vector<tallyRecord> tallyRecords(const QByteArray& answer) {
    std::vector<tallyRecord> records;
    if (answer.size() < kShortestAnswer) {
        return records;
    }
    for (int at = kHeaderLength; at + kRecordLength <= answer.size(); at += kRecordLength) {
        const int address = static_cast<unsigned char>(answer[at]);
        const int r2 = static_cast<unsigned char>(answer[at + 2]);
        if (r2 != 0 || address < kFirstChannelAddress || address > kLastChannelAddress) {
            continue;
        }
        records.push_back(
            {address - kFirstChannelAddress, static_cast<std::int8_t>(answer[at + 4])});
    }
    return records;
}

readAnswers answersInRead(const QByteArray& bytes) {
    const int size = static_cast<int>(bytes.size());
    // endsClean[p]: answers chained from p by their length bytes end exactly at the end.
    std::vector<char> endsClean(static_cast<std::size_t>(size) + 1, 0);
    endsClean[static_cast<std::size_t>(size)] = 1;
    for (int at = size - 1; at >= 0; --at) {
        const int length = static_cast<unsigned char>(bytes[at]);
        endsClean[static_cast<std::size_t>(at)] = length >= kHeaderLength && at + length <= size &&
                                                  endsClean[static_cast<std::size_t>(at + length)];
    }
    readAnswers read;
    for (int start = 0; start < size; start += kRecordLength) {
        if (!endsClean[static_cast<std::size_t>(start)]) {
            continue;
        }
        read.skipped = start;
        for (int at = start; at < size;) {
            const int length = static_cast<unsigned char>(bytes[at]);
            read.answers.push_back(bytes.mid(at, length));
            at += length;
        }
        return read;
    }
    if (size > 0) {
        read.answers.push_back(bytes);
    }
    return read;
}

int channelCount(const QString& switcherName) {
    if (switcherName.contains(QLatin1String("2900"))) {
        return 6;
    }
    return 12;
}

int tallyChannels(const QString& switcherName) {
    if (switcherName.contains(QLatin1String("2900"))) {
        return 6;
    }
    if (switcherName.contains(QLatin1String("5800"))) {
        return 12;
    }
    return 0;
}

}  // namespace switcherLink
