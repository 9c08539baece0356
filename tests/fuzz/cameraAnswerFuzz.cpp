// Every reader of camera answers over the same bytes, as a serial line or an HCIP socket may hand
// them over: the status block (for the control camera and for the on-screen camera), the shutter
// and gain position on a line (offset 4) and behind the HCIP length (offset 6), the model of a
// version answer, and the HCIP answer taken apart. The duplicate rule gets the input split into a
// message and the previous one. A VISCA-over-IP datagram shorter than its 8-byte header is
// malformed whatever it holds. The answer tracker takes the bytes in two pieces, as a line may
// deliver them, waiting for a command's answer and then for an inquiry's.
//
// The expected fields are written here from the answers' byte tables, apart from the parsers, so
// that the two check each other.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "answerTracker.h"
#include "fuzzCheck.h"
#include "viscaCommands.h"

namespace {

int at(const QByteArray& data, int index) {
    return static_cast<std::uint8_t>(data.at(index));
}

// A record whose every field a status block may set holds a value no status block gives, so a
// field written when it should have been kept, or kept when it should have been written, shows.
orb_camera_info sentinelRecord() {
    orb_camera_info r;
    r.exist = true;
    r.speed = 77;
    r.fmode = 55;
    r.wbmode = -3;
    r.rgain = -3;
    r.bgain = -3;
    r.irismode = -3;
    r.ptdir = -3;
    r.videomode = 99;
    r.shutter = -9;
    r.gain = -9;
    r.vflip = true;
    r.hflip = true;
    r.osdon = true;
    r.colorbaron = true;
    r.tallyon = true;
    r.protocolIndex = protocolViscaOverIp;
    r.viscaSerial = 41;
    r.cameraModel = QStringLiteral("sentinel");
    return r;
}

bool sameRecord(const orb_camera_info& a, const orb_camera_info& b) {
    return a.exist == b.exist && a.speed == b.speed && a.vflip == b.vflip && a.hflip == b.hflip &&
           a.wbmode == b.wbmode && a.rgain == b.rgain && a.bgain == b.bgain && a.fmode == b.fmode &&
           a.shutter == b.shutter && a.irismode == b.irismode && a.gain == b.gain &&
           a.osdon == b.osdon && a.colorbaron == b.colorbaron && a.tallyon == b.tallyon &&
           a.useVisca == b.useVisca && a.protocolIndex == b.protocolIndex &&
           a.viscaSerial == b.viscaSerial && a.channelMapping == b.channelMapping &&
           a.videomode == b.videomode && a.ptdir == b.ptdir && a.mapping == b.mapping &&
           a.cameraModel == b.cameraModel && a.hcipnetwork.modelname == b.hcipnetwork.modelname &&
           a.serialinfo.baudRate == b.serialinfo.baudRate;
}

// 15 bytes: flags, picture format, white balance, red and blue gain nibbles, focus mode, exposure
// mode, picture flags, speed mode. Anything else leaves the record alone.
void checkStatusBlock(const QByteArray& answer, visca::speedRule rule) {
    orb_camera_info record = sentinelRecord();
    const bool applied = visca::applyStatusBlock(answer, record, rule);
    FUZZ_REQUIRE(applied == (answer.size() == 15));
    orb_camera_info expected = sentinelRecord();
    if (applied) {
        expected.colorbaron = (at(answer, 2) & 0x02) != 0;
        expected.tallyon = (at(answer, 2) & 0x04) != 0;
        expected.osdon = (at(answer, 2) & 0x10) != 0;
        expected.videomode = static_cast<char>(at(answer, 3) & 0x1F);
        expected.wbmode = at(answer, 4);
        expected.rgain = (at(answer, 5) & 0x0F) * 16 + (at(answer, 6) & 0x0F);
        expected.bgain = (at(answer, 7) & 0x0F) * 16 + (at(answer, 8) & 0x0F);
        if (at(answer, 9) == 2 || at(answer, 9) == 3) {
            expected.fmode = at(answer, 9);
        }
        expected.irismode = at(answer, 10);
        expected.ptdir = at(answer, 12) & 0x01;
        expected.hflip = (at(answer, 12) & 0x10) != 0;
        expected.vflip = (at(answer, 12) & 0x20) != 0;
        const int speed = at(answer, 13);
        if (rule == visca::speedRule::onScreenCamera || (speed >= 1 && speed <= 3)) {
            expected.speed = speed;
        }
        FUZZ_REQUIRE(record.videomode >= 0 && record.videomode <= 31);
        FUZZ_REQUIRE(record.rgain >= 0 && record.rgain <= 255);
        FUZZ_REQUIRE(record.bgain >= 0 && record.bgain <= 255);
        // The screens name the picture format; an unknown code is an empty name, not a fault.
        visca::pictureFormatName(record.videomode);
    }
    FUZZ_REQUIRE(sameRecord(record, expected));
}

// Position = low nibble of byte offset, then low nibble of the next byte; -1 when they are not
// both there.
void checkPosition(const QByteArray& answer, int offset) {
    const int position = visca::positionFromAnswer(answer, offset);
    if (answer.size() < offset + 2) {
        FUZZ_REQUIRE(position == -1);
        return;
    }
    FUZZ_REQUIRE(position == (at(answer, offset) & 0x0F) * 16 + (at(answer, offset + 1) & 0x0F));
    FUZZ_REQUIRE(position >= 0 && position <= 255);
}

// 11 or 16 bytes: bytes 2 and 3 in lower-case hex without leading zeros; else no camera.
void checkModel(const QByteArray& answer) {
    const QString model = visca::modelFromVersionAnswer(answer);
    if (answer.size() != 11 && answer.size() != 16) {
        FUZZ_REQUIRE(model.isNull());
        return;
    }
    char expected[8];
    std::snprintf(expected, sizeof expected, "%x%x", static_cast<unsigned>(at(answer, 2)),
                  static_cast<unsigned>(at(answer, 3)));
    FUZZ_REQUIRE(model == QLatin1String(expected));
}

// What arrives on an HCIP socket is the 2-byte length and the VISCA answer. The status block is
// used only when exactly 15 bytes follow the length, and a position read behind the length is the
// one read from the bare answer.
void checkHcip(const QByteArray& received) {
    const QByteArray body = visca::hcipAnswerBody(received);
    FUZZ_REQUIRE(body.size() == (received.size() > 2 ? received.size() - 2 : 0));
    FUZZ_REQUIRE(received.endsWith(body));

    orb_camera_info record = sentinelRecord();
    const bool applied = visca::applyStatusBlock(body, record, visca::speedRule::controlCamera);
    FUZZ_REQUIRE(applied == (received.size() == 17));
    FUZZ_REQUIRE(visca::positionFromAnswer(received, 6) == visca::positionFromAnswer(body, 4));

    // What the panel wraps, the same reading unwraps.
    FUZZ_REQUIRE(visca::hcipAnswerBody(visca::hcipEnvelope(received)) == received);
}

// What the tracker calls the present message's answer is whole answers (9x to Fx, then FF), there
// exactly when the exchange is over; "buffer full" is one of them.
void checkTracker(const QByteArray& received) {
    for (const auto what : {visca::answerTracker::waitingFor::commandAnswer,
                            visca::answerTracker::waitingFor::inquiryAnswer}) {
        visca::answerTracker tracker;
        tracker.begin(what);
        tracker.feed(received.left(received.size() / 2));
        tracker.feed(received.mid(received.size() / 2));
        const QByteArray& answer = tracker.answer();
        FUZZ_REQUIRE(tracker.over() == !answer.isEmpty());
        FUZZ_REQUIRE(answer.isEmpty() || answer.endsWith('\xFF'));
        for (int start = 0; start < answer.size();) {
            const int end = answer.indexOf('\xFF', start);
            FUZZ_REQUIRE(end >= start + 2);
            FUZZ_REQUIRE(at(answer, start) >= 0x90 && (at(answer, start) & 0x0F) == 0);
            start = end + 1;
        }
        if (tracker.bufferFull()) {
            FUZZ_REQUIRE(answer.size() == 4 && at(answer, 2) == 0x03);
        }
        FUZZ_REQUIRE(tracker.socketsInUse() >= 0 && tracker.socketsInUse() <= 16);
    }
}

bool isRepeatableCommand(int command) {
    switch (command) {
        case 0x01:
        case 0x03:
        case 0x04:
        case 0x08:
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x39:
        case 0x3F:
            return true;
        default:
            return false;
    }
}

// Byte 0 chooses the command byte's index (bare VISCA 3, HCIP 5, VISCA over IP 11, or byte 1
// taken as a signed number), whether the previous message is the same one, and otherwise where
// the rest is split into message and previous.
void checkDuplicateRule(const QByteArray& input) {
    if (input.size() < 2) {
        FUZZ_REQUIRE(visca::passesDuplicateRule(input, input, 3) == false);
        return;
    }
    const int control = at(input, 0);
    const int indices[] = {3, 5, 11, static_cast<std::int8_t>(input.at(1))};
    const int index = indices[control & 0x03];
    const QByteArray rest = input.mid(2);
    QByteArray message = rest;
    QByteArray previous = rest;
    if ((control & 0x04) == 0) {
        const int split = (control >> 3) % (rest.size() + 1);
        message = rest.left(split);
        previous = rest.mid(split);
    }
    const bool allowed = visca::passesDuplicateRule(message, previous, index);
    if (message != previous) {
        FUZZ_REQUIRE(allowed);
        return;
    }
    const bool repeatable =
        index >= 0 && index < message.size() && isRepeatableCommand(at(message, index));
    FUZZ_REQUIRE(allowed == repeatable);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray answer(reinterpret_cast<const char*>(data), static_cast<int>(size));
    checkStatusBlock(answer, visca::speedRule::controlCamera);
    checkStatusBlock(answer, visca::speedRule::onScreenCamera);
    checkPosition(answer, 4);
    checkPosition(answer, 6);
    checkModel(answer);
    checkHcip(answer);
    checkTracker(answer);
    checkDuplicateRule(answer);
    const visca::viscaOverIpAnswer verdict = visca::classifyViscaOverIpAnswer(answer);
    if (size < 8) {
        FUZZ_REQUIRE(verdict == visca::viscaOverIpAnswer::malformed);
    }
    return 0;
}
