// The VISCA messages the panel sends, their network envelopes, and the answers it reads.
//
// Every camera is addressed as VISCA device 1 (each has a line or socket of its own): commands are
// 81 01 ... FF, inquiries 81 09 ... FF, answers start with 90. Parameters wider than four bits
// travel as one nibble per byte (0p 0q).
#pragma once

#include <QByteArray>
#include <QString>

#include "cameraRecords.h"

namespace visca {

// Fixed messages, built once at start-up.
QByteArray camStatusInquiry();  // 81 09 7E 7E 70 FF   status block (maker's extension)
QByteArray cmdShutter();        // 81 09 04 4A FF      shutter position inquiry
QByteArray cmdGain();           // 81 09 04 4C FF      gain position inquiry
QByteArray cmdVersion();        // 81 09 00 02 FF      version inquiry
QByteArray zStopCommand();      // 81 01 04 07 00 FF
QByteArray xyStopCommand();     // 81 01 06 01 01 01 03 03 FF
QByteArray cmdFocusStop();      // 81 01 04 08 00 FF
QByteArray osdEnterCommand();   // 81 01 7E 01 02 00 01 FF
QByteArray cmdTallyBuffer();    // 81 01 7E 01 0A 00 00 00 FF, bytes 6 and 7 set before each use

enum panDirection { panLeft = 0x01, panRight = 0x02, panStop = 0x03 };
enum tiltDirection { tiltUp = 0x01, tiltDown = 0x02, tiltStop = 0x03 };

// 81 01 06 01 VV WW PP TT FF
QByteArray panTiltDrive(int panSpeed, int tiltSpeed, int panDir, int tiltDir);
QByteArray zoomTeleVariable(int speed);     // 81 01 04 07 2p FF, p = 1..7
QByteArray zoomWideVariable(int speed);     // 81 01 04 07 3p FF
QByteArray focusFar();                      // 81 01 04 08 02 FF
QByteArray focusNear();                     // 81 01 04 08 03 FF
QByteArray shutterUp();                     // 81 01 04 0A 02 FF
QByteArray shutterDown();                   // 81 01 04 0A 03 FF
QByteArray irisUp();                        // 81 01 04 0B 02 FF
QByteArray irisDown();                      // 81 01 04 0B 03 FF
QByteArray gainUp();                        // 81 01 04 0C 02 FF
QByteArray gainDown();                      // 81 01 04 0C 03 FF
QByteArray whiteBalanceAuto();              // 81 01 04 35 00 FF
QByteArray whiteBalanceManual();            // 81 01 04 35 05 FF
QByteArray whiteBalanceOnePushMode();       // 81 01 04 35 03 FF
QByteArray onePushTrigger();                // 81 01 04 10 05 FF
QByteArray focusAuto();                     // 81 01 04 38 02 FF
QByteArray focusManual();                   // 81 01 04 38 03 FF
QByteArray exposureFullAuto();              // 81 01 04 39 00 FF
QByteArray exposureManual();                // 81 01 04 39 03 FF
QByteArray presetStore(int preset);         // 81 01 04 3F 01 pp FF
QByteArray presetRecall(int preset);        // 81 01 04 3F 02 pp FF
QByteArray pictureFormat(int mode);         // 81 01 04 24 72 vv FF, vv the whole byte
QByteArray verticalFlip(int value);         // 81 01 04 66 0p FF, p = low nibble (2 on, 3 off)
QByteArray horizontalMirror(int value);     // 81 01 04 61 0p FF
QByteArray redGainDirect(int gain);         // 81 01 04 43 00 00 0p 0q FF
QByteArray blueGainDirect(int gain);        // 81 01 04 44 00 00 0p 0q FF
QByteArray cameraMenuOn();                  // 81 01 06 06 02 FF
QByteArray cameraMenuOff();                 // 81 01 06 06 03 FF
QByteArray speedModeFast();                 // 81 01 7E 01 0B 7E 03 FF
QByteArray speedModeMid();                  // 81 01 7E 01 0B 7E 02 FF
QByteArray speedModeSlow();                 // 81 01 7E 01 0B 7E 01 FF
QByteArray tallyLamps(int red, int green);  // 81 01 7E 01 0A 00 rr gg FF, 02 on / 03 off

// Envelopes. HCIP over TCP: a 2-byte big-endian length that counts itself, then the VISCA bytes.
QByteArray hcipEnvelope(const QByteArray& message);
// VISCA over IP: 01 00, 00 n (VISCA byte count), the low 32 bits of the sequence number
// big-endian, then the VISCA bytes.
QByteArray viscaOverIpEnvelope(const QByteArray& message, qint64 sequence);
// The VISCA bytes of an answer received over HCIP: everything after the 2-byte length. The length
// is not checked against what arrived; the answer's own length rules decide whether it is used.
QByteArray hcipAnswerBody(const QByteArray& received);

// VISCA over IP control message that resets the camera's sequence count: 02 00 (control
// command), 00 01 (one payload byte), sequence 00 00 00 00, payload 01 (reset). A camera that
// rebooted counts from 0 while the panel goes on from its saved number; after this message the
// camera takes the number of the next message as its new start.
QByteArray viscaOverIpSequenceReset();

// What a datagram from a VISCA-over-IP camera says about the session.
enum class viscaOverIpAnswer {
    malformed,          // not a header-carrying datagram (short, or a length that does not fit)
    reply,              // a VISCA reply (01 11): the camera took the message
    resetAcknowledged,  // control reply 02 01 with payload 01
    sequenceError,      // control reply 02 01 with payload 0F 01: the number was not expected
    otherControlError,  // control reply 02 01 with payload 0F 02 or anything else
    otherType,          // a well-formed datagram of another payload type
};
viscaOverIpAnswer classifyViscaOverIpAnswer(const QByteArray& datagram);

// Length of a status block answer; any other length is dropped whole.
constexpr int kStatusAnswerLength = 15;

// How byte 13 (speed mode) of a status block is taken.
enum class speedRule {
    controlCamera,   // only 1, 2 or 3 replace the record's speed
    onScreenCamera,  // taken whatever its value
};

// Copies the fields of a 15-byte status block into a record. Returns false, and leaves the
// record alone, for an answer of any other length.
bool applyStatusBlock(const QByteArray& answer, orb_camera_info& record, speedRule rule);

// Byte 13 of a status block, the camera's speed mode; -1 when answer is not a status block.
int statusSpeedMode(const QByteArray& answer);

// Reads a shutter or gain position (0..255) from the nibbles at offset and offset + 1: offset 4
// on a serial line, 6 behind the HCIP length. Returns -1 when the answer is too short.
int positionFromAnswer(const QByteArray& answer, int offset);

// The model text of a version answer (byte 2 then byte 3 in lower-case hex without leading
// zeros), or a null string when the answer is not 11 or 16 bytes long (no camera on the line).
QString modelFromVersionAnswer(const QByteArray& answer);

// The duplicate rule: a message equal to the previous one is sent again only when its command
// byte is one of focus, shutter, iris, gain, exposure mode, preset (and 01, 03, 04).
bool isRepeatAllowed(quint8 commandByte);
// Whether message may be sent after previous; commandByteIndex points at the command byte inside
// message (3 for bare VISCA, 5 behind the HCIP length, 11 behind the VISCA-over-IP header).
bool passesDuplicateRule(const QByteArray& message, const QByteArray& previous,
                         int commandByteIndex);
// Where the command byte of a VISCA-over-UDP message is, by the camera's protocol: behind the
// 8-byte header (11) or bare (3); -1 for any other protocol, whose repeats are all dropped.
int viscaUdpCommandByteIndex(int protocolIndex);

// Picture format codes the screens offer, with their names; "" for an unknown code.
QString pictureFormatName(int code);

}  // namespace visca
