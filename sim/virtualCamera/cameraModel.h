// A PTZ camera as the panel sees it over VISCA, written from the protocol's byte tables. The camera
// is device 1 and answers each message it is handed:
//
//   message                                answer
//   a known command 81 01 ... FF           90 41 FF (acknowledge), then 90 51 FF (completion)
//   81 09 7E 7E 70 FF   status block       90 50 flags format wb 0r 0r 0b 0b focus exposure 00
//                                          picture speed FF (15 bytes, see statusBlock())
//   81 09 04 4A FF      shutter position   90 50 00 00 0p 0q FF
//   81 09 04 4C FF      gain position      90 50 00 00 0p 0q FF
//   81 09 00 02 FF      version            90 50 vendor(2) model(2) ROM(2) .. FF (11, 16 or 10)
//   anything else                          90 60 02 FF (syntax error); the state is left alone
//
// Commands change the state below. Pan, tilt and zoom move with time: a drive sets a direction
// and a speed, advance() integrates them into positions, so a camera left panning keeps moving
// until its stop arrives. Faults that change what is answered are applied here; faults of timing
// and of connections belong to the transport, which owns the clock and the sockets.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// VISCA codes, kept as they travel so that the state reads like the messages.
constexpr int kPanLeft = 1;
constexpr int kPanRight = 2;
constexpr int kTiltUp = 1;
constexpr int kTiltDown = 2;
constexpr int kAxisStop = 3;  // pan and tilt
constexpr int kZoomStop = 0;
constexpr int kZoomTele = 2;
constexpr int kZoomWide = 3;
constexpr int kFocusStop = 0;
constexpr int kFocusFar = 2;
constexpr int kFocusNear = 3;
constexpr int kFocusAuto = 2;
constexpr int kFocusManual = 3;
constexpr int kWbOnePush = 3;
constexpr int kWbOnePushLamp = 8;

// Travel of the mechanics. Pan and tilt are in hundredths of a degree, zoom runs from the wide end
// (0) to the tele end.
constexpr double kPanLimit = 17000;
constexpr double kTiltLow = -3000;
constexpr double kTiltHigh = 9000;
constexpr double kZoomTeleEnd = 16384;
// Pan and tilt move speed x this many units a second; zoom (speed + 1) x this many.
constexpr double kPanTiltRate = 100;
constexpr double kZoomRate = 1024;

struct CameraState {
    double pan = 0;
    double tilt = 0;
    int panSpeed = 0;   // of the last drive, 1..0x18 (0 before any)
    int tiltSpeed = 0;  // 1..0x17
    int panDir = kAxisStop;
    int tiltDir = kAxisStop;
    double zoom = 0;
    int zoomDir = kZoomStop;
    int zoomSpeed = 0;  // 0..7 of the last variable zoom
    int focusMode = kFocusAuto;
    int focusDir = kFocusStop;
    int focusSteps = 0;  // far and near commands taken
    int focusPos = 0;    // far counts up, near down
    int wbMode = 0;  // 0 auto, 1 indoor, 2 outdoor, 3 one-push, 4 auto-tracking, 5 manual, 8 lamp
    int rGain = 128;
    int bGain = 128;
    int exposureMode = 0;  // 0 full auto, 3 manual, 0x0A shutter, 0x0B iris priority, 0x0D bright
    int shutter = 16;
    int iris = 128;
    int gain = 0;
    int lastPreset = -1;  // last recalled, -1 before any
    int presetRecalls = 0;
    int presetStores = 0;
    bool vflip = false;
    bool hflip = false;
    int videoMode = 1;  // picture format code
    bool menu = false;
    int menuEnters = 0;
    int speedMode = 2;  // 1 slow, 2 mid, 3 fast
    bool tallyRed = false;
    bool tallyGreen = false;
    bool colourBars = false;
    bool ptReversed = false;
    int onePushCount = 0;    // one-push triggers taken
    int onePushApplied = 0;  // of those, the ones that came while white balance was one-push
};

struct PresetPosition {
    double pan = 0;
    double tilt = 0;
    double zoom = 0;
};

// What the version answer carries.
struct CameraIdentity {
    int vendor = 0x0020;
    int model = 0x0520;
    int rom = 0x0107;
    int answerLength = 11;  // 11, 16, or 10 (a length the panel takes for "no camera")
};

struct CameraFaults {
    bool silent = false;       // messages are taken and applied, nothing is answered
    int slowMs = 0;            // answers leave this much later
    bool wrongLength = false;  // status answer 14 bytes, version answer 10 bytes
    bool refuse = false;       // TCP: no listener, so connections are refused; UDP: ignored
    bool drop = false;         // TCP: connections closed at once; UDP: ignored
};

class CameraModel {
public:
    static constexpr std::size_t kMaxLogged = 1000;  // messages and sequence numbers kept
    static constexpr std::size_t kMaxLoggedBytes = 64;

    // Takes one whole VISCA message (FF included) and returns the answers, each a whole VISCA
    // message. Every message is logged, whatever it holds.
    std::vector<std::string> handle(const std::string& message);
    void logMessage(const std::string& message);

    // Lets seconds pass for whatever is moving.
    void advance(double seconds);

    // The answers to the inquiries, from the present state and identity (faults applied).
    std::string statusBlock() const;
    std::string positionAnswer(int position) const;
    std::string versionAnswer() const;

    // The transport's own rejections: bytes its framing gave up on, envelopes it refused. Both
    // are counted and logged; neither reaches handle().
    void noteDiscarded(const std::string& bytes, const std::string& why);
    void noteRejected(const std::string& bytes, const std::string& why);
    // A command refused with "buffer full": logged like any message, not applied.
    void noteBusy(const std::string& message);
    void recordSequence(std::uint32_t sequence);

    // VISCA-over-IP sequence numbers. With checking on, a header datagram is taken only with the
    // number the camera expects: 0 after power-on or a reboot, whatever number comes first after
    // a reset message, then one more than the last one taken. Any other number is answered with a
    // sequence number error and the message is not applied. Returns whether the message may be
    // applied.
    bool takeSequence(std::uint32_t sequence);
    // The reset message: the next number starts the count again.
    void resetSequence();
    // A reboot: the camera forgets where it was, as at power-on.
    void forgetSequence() {
        expectedSequence = 0;
        sequenceAfterReset = false;
    }

    // Received messages as hex, oldest first (the last kMaxLogged).
    const std::deque<std::string>& messages() const { return messages_; }
    const std::deque<std::uint32_t>& sequences() const { return sequences_; }
    // When each logged message reached the model, in nanoseconds of the steady clock (the
    // system's monotonic clock, which other processes on the machine read alike).
    const std::deque<long long>& arrivals() const { return arrivals_; }
    void clearMessages();
    void clearSequences() { sequences_.clear(); }
    void resetState();

    CameraState state;
    CameraIdentity identity;
    CameraFaults faults;
    bool sequenceChecking = false;
    std::uint32_t expectedSequence = 0;
    bool sequenceAfterReset = false;  // the next number is taken whatever it is
    long sequenceResets = 0;          // reset messages received
    long sequenceErrors = 0;          // datagrams refused for their sequence number
    std::map<int, PresetPosition> presets;
    long messageCount = 0;
    long rejectedCount = 0;   // messages answered with a syntax error, envelopes refused
    long discardedBytes = 0;  // bytes no message could be made of

    // Where rejections are reported (one line each, no newline); unset means nowhere.
    std::function<void(const std::string& line)> log;

private:
    // A command handler returns an empty text when it applied the message, else what was wrong.
    struct Command {
        const char* name;
        const char* pattern;  // hex bytes, "__" where a parameter goes
        std::string (CameraModel::*apply)(const std::string& message);
    };
    struct Inquiry {
        const char* name;
        const char* pattern;
        std::function<std::string(const CameraModel&)> answer;
    };
    static const std::vector<Command>& commands();
    static const std::vector<Inquiry>& inquiries();
    std::vector<std::string> reject(const std::string& message, const std::string& why);

    std::string panTiltDrive(const std::string& m);
    std::string zoom(const std::string& m);
    std::string focus(const std::string& m);
    std::string focusMode(const std::string& m);
    std::string whiteBalance(const std::string& m);
    std::string onePushTrigger(const std::string& m);
    std::string redGain(const std::string& m);
    std::string blueGain(const std::string& m);
    std::string exposureMode(const std::string& m);
    std::string shutterStep(const std::string& m);
    std::string irisStep(const std::string& m);
    std::string gainStep(const std::string& m);
    std::string preset(const std::string& m);
    std::string pictureFormat(const std::string& m);
    std::string verticalFlip(const std::string& m);
    std::string mirror(const std::string& m);
    std::string menu(const std::string& m);
    std::string menuEnter(const std::string& m);
    std::string speedMode(const std::string& m);
    std::string tally(const std::string& m);

    void report(const std::string& line) const;

    std::deque<std::string> messages_;
    std::deque<long long> arrivals_;
    std::deque<std::uint32_t> sequences_;
};

// Lower-case hex, two digits a byte, no separators (the control channel's form).
std::string viscaHex(const std::string& bytes);
// Upper-case hex with spaces, as messages are written in tables (log lines).
std::string viscaSpacedHex(const std::string& bytes, std::size_t maxBytes = 64);
// Pairs of hex digits in either case; spaces are skipped. False on anything else.
bool viscaUnhex(const std::string& text, std::string& bytes);
