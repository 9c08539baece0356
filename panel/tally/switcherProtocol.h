// The panel's side of the video switcher's tally protocol, without sockets.
//
// The switcher tells which real-time port to use when asked on its query port; the panel then
// polls the real-time port with an empty packet and reads the answer as an 8-byte header followed
// by 8-byte records. A record r0..r7 with r2 = 0 and 10 <= r0 <= 26 carries the tally byte r4 of
// the switcher channel r0 - 10 + 1. Everything else in the answers is the switcher's own business.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace switcherLink {

constexpr std::uint16_t kPortQueryPort = 5009;
// tallyStatus has room for 20 channels; records can address the first 17 of them.
constexpr int kTallyEntries = 20;
constexpr int kFirstChannelAddress = 10;
constexpr int kLastChannelAddress = 26;

// Tally bytes of a channel.
constexpr int kTallyIdle = 0;
constexpr int kTallyPreview = 1;
constexpr int kTallyProgram = 4;
constexpr int kTallyProgramAndPreview = 5;

// The port query, 08 00 00 00 01 00 AA 55 (`cmdPacket`).
QByteArray cmdPacket();
// The poll, 08 00 00 00 00 00 00 00 (`emptyPacket`).
QByteArray emptyPacket();

// The port a query answer names: byte 4 + 256 x byte 5; a byte beyond the answer counts as 0.
int portFromAnswer(const QByteArray& answer);
// Only these real-time ports are taken: 5001, 5003, 5005, 5007 (the control port is one more).
bool isRealtimePort(int port);

struct tallyRecord {
    int entry;          // index into tallyStatus: r0 - 10
    std::int8_t tally;  // r4
    bool operator==(const tallyRecord& other) const {
        return entry == other.entry && tally == other.tally;
    }
};
// The tally records of one poll answer, in the order they stand. Answers shorter than 15 bytes
// carry none; a trailing partial record is ignored.
std::vector<tallyRecord> tallyRecords(const QByteArray& answer);

// What one read of the real-time connection holds. The switcher's answers start with their own
// length (byte 0), so a read that holds the rest of the start-up burst before an answer, or two
// answers one after the other, is cut where those lengths say: from the first 8-byte unit from
// which answer after answer ends exactly at the end of the read. Everything before that unit is the
// burst's rest. A read that cannot be cut that way is one answer, as it stands.
struct readAnswers {
    std::vector<QByteArray> answers;
    int skipped = 0;  // bytes before the first answer
};
readAnswers answersInRead(const QByteArray& bytes);

// Channels of the switcher by its name: 6 for a name containing "2900", else 12.
int channelCount(const QString& switcherName);
// Channels whose tally reaches the cameras: 6 for "2900", 12 for "5800", none for other names.
int tallyChannels(const QString& switcherName);

}  // namespace switcherLink
