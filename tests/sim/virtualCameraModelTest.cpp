// The virtual camera is written from the VISCA byte tables on its own. The panel's tests take its
// answers and envelopes as given, so these cases hold them to the tables byte for byte; what a
// command does is checked as far as the panel's tests read it back.
#include <gtest/gtest.h>

#include <sstream>

#include "cameraControl.h"
#include "cameraModel.h"
#include "viscaFraming.h"

namespace {

std::string bytes(const std::string& hex) {
    std::string out;
    EXPECT_TRUE(viscaUnhex(hex, out)) << hex;
    return out;
}

// Table hex ("90 50 0A FF") in the model's form ("90500aff").
std::string hx(const std::string& spaced) {
    return viscaHex(bytes(spaced));
}

std::string run(int count, const char* byte) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += std::string(byte) + " ";
    }
    return out;
}

const std::vector<std::string> kAckThenDone{"9041ff", "9051ff"};

std::string ctl(CameraModel& camera, const std::string& line) {
    return cameraControlCommand(camera, line);
}

// Runs control lines separated by ';', each of which must be accepted.
void setUp(CameraModel& camera, const std::string& lines) {
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line, ';');) {
        if (line.find_first_not_of(' ') != std::string::npos) {
            ASSERT_EQ(ctl(camera, line), "ok") << line;
        }
    }
}

std::vector<std::string> send(CameraModel& camera, const std::string& hex) {
    std::vector<std::string> out;
    for (const std::string& a : camera.handle(bytes(hex))) {
        out.push_back(viscaHex(a));
    }
    return out;
}

// ---- Answers ---------------------------------------------------------------------------------

TEST(VirtualCameraAnswers, CommandsAreAcknowledgedCompletedAndApplied) {
    struct Case {
        const char* setup;
        const char* message;
        const char* expect;  // key=value pairs read back over the control channel
    };
    const Case cases[] = {
        {"", "81 01 06 01 18 17 01 02 FF", "panSpeed=24 tiltSpeed=23 panDir=left tiltDir=down"},
        {"set panDir left; set tiltDir up", "81 01 06 01 01 01 03 03 FF",
         "panDir=stop tiltDir=stop"},
        {"", "81 01 04 07 27 FF", "zoomDir=tele zoomSpeed=7"},
        {"", "81 01 04 07 31 FF", "zoomDir=wide zoomSpeed=1"},
        {"set zoomDir tele", "81 01 04 07 00 FF", "zoomDir=stop"},
        {"", "81 01 04 08 02 FF", "focusDir=far focusSteps=1"},
        {"", "81 01 04 08 03 FF", "focusDir=near focusSteps=1"},
        {"set focusDir far", "81 01 04 08 00 FF", "focusDir=stop"},
        {"", "81 01 04 38 03 FF", "focusMode=manual"},
        {"set focusMode manual", "81 01 04 38 02 FF", "focusMode=auto"},
        {"", "81 01 04 35 05 FF", "wbMode=5"},
        {"set wbMode 5", "81 01 04 35 00 FF", "wbMode=0"},
        {"set wbMode 3", "81 01 04 10 05 FF", "onePushCount=1 onePushApplied=1"},
        {"set wbMode 0", "81 01 04 10 05 FF", "onePushCount=1 onePushApplied=0"},
        {"", "81 01 04 43 00 00 0A 07 FF", "rGain=167 bGain=128"},
        {"", "81 01 04 44 00 00 03 0C FF", "bGain=60 rGain=128"},
        {"", "81 01 04 39 0D FF", "exposureMode=13"},
        {"set shutter 40", "81 01 04 0A 02 FF", "shutter=41"},
        {"set shutter 40", "81 01 04 0A 03 FF", "shutter=39"},
        {"set iris 7", "81 01 04 0B 02 FF", "iris=8"},
        {"set iris 7", "81 01 04 0B 03 FF", "iris=6"},
        {"set gain 9", "81 01 04 0C 02 FF", "gain=10"},
        {"set gain 9", "81 01 04 0C 03 FF", "gain=8"},
        {"", "81 01 04 3F 02 09 FF", "lastPreset=9 presetRecalls=1 presetStores=0"},
        {"", "81 01 04 3F 01 07 FF", "lastPreset=-1 presetRecalls=0 presetStores=1"},
        {"", "81 01 04 24 72 13 FF", "videoMode=19"},
        {"", "81 01 04 66 02 FF", "vflip=1 hflip=0"},
        {"set vflip 1", "81 01 04 66 03 FF", "vflip=0"},
        {"", "81 01 04 61 02 FF", "hflip=1 vflip=0"},
        {"set hflip 1", "81 01 04 61 03 FF", "hflip=0"},
        {"", "81 01 06 06 02 FF", "menu=1"},
        {"set menu 1", "81 01 06 06 03 FF", "menu=0"},
        {"", "81 01 7E 01 02 00 01 FF", "menuEnters=1 menu=0"},
        {"", "81 01 7E 01 0B 7E 03 FF", "speedMode=3"},
        {"", "81 01 7E 01 0A 00 02 03 FF", "tallyRed=1 tallyGreen=0"},
        {"set tallyRed 1", "81 01 7E 01 0A 00 03 02 FF", "tallyRed=0 tallyGreen=1"},
    };
    for (const Case& c : cases) {
        CameraModel camera;
        setUp(camera, c.setup);
        ASSERT_EQ(send(camera, c.message), kAckThenDone) << c.message;
        std::istringstream expect(c.expect);
        for (std::string pair; expect >> pair;) {
            const std::size_t eq = pair.find('=');
            EXPECT_EQ(ctl(camera, "get " + pair.substr(0, eq)), pair.substr(eq + 1))
                << c.message << " " << pair;
        }
    }
}

TEST(VirtualCameraAnswers, InquiryAnswers) {
    struct Case {
        const char* setup;
        const char* inquiry;
        const char* answer;
    };
    const char* status = "81 09 7E 7E 70 FF";
    const char* version = "81 09 00 02 FF";
    const Case cases[] = {
        // The 15-byte status block: flags, format, wb, red and blue gain nibbles, focus,
        // exposure, 00, picture, speed.
        {"", status, "90 50 00 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set colourBars 1", status, "90 50 02 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set tallyRed 1", status, "90 50 04 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set tallyGreen 1", status, "90 50 04 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set menu 1", status, "90 50 10 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set menu 1; set colourBars 1; set tallyRed 1", status,
         "90 50 16 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set videoMode 30", status, "90 50 00 1E 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set wbMode 8", status, "90 50 00 01 08 08 00 08 00 02 00 00 00 02 FF"},
        {"set rGain 0xA7; set bGain 0x3C", status, "90 50 00 01 00 0A 07 03 0C 02 00 00 00 02 FF"},
        {"set focusMode manual", status, "90 50 00 01 00 08 00 08 00 03 00 00 00 02 FF"},
        {"set focusMode 4", status, "90 50 00 01 00 08 00 08 00 04 00 00 00 02 FF"},
        {"set exposureMode 0x0D", status, "90 50 00 01 00 08 00 08 00 02 0D 00 00 02 FF"},
        {"set ptReversed 1", status, "90 50 00 01 00 08 00 08 00 02 00 00 01 02 FF"},
        {"set hflip 1", status, "90 50 00 01 00 08 00 08 00 02 00 00 10 02 FF"},
        {"set vflip 1", status, "90 50 00 01 00 08 00 08 00 02 00 00 20 02 FF"},
        {"set speedMode 3", status, "90 50 00 01 00 08 00 08 00 02 00 00 00 03 FF"},
        // Shutter and gain positions as two nibbles.
        {"set shutter 0x5A", "81 09 04 4A FF", "90 50 00 00 05 0A FF"},
        {"set shutter 255; set gain 1", "81 09 04 4A FF", "90 50 00 00 0F 0F FF"},
        {"set gain 0x31; set shutter 2", "81 09 04 4C FF", "90 50 00 00 03 01 FF"},
        // Version: vendor, model, ROM, in 11, 16 or 10 bytes.
        {"", version, "90 50 00 20 05 20 01 07 00 02 FF"},
        {"version 16", version, "90 50 00 20 05 20 01 07 00 02 00 00 00 00 00 FF"},
        {"version 10", version, "90 50 00 20 05 20 01 07 02 FF"},
        {"model 0a0b; vendor 0x00C1", version, "90 50 00 C1 0A 0B 01 07 00 02 FF"},
        {"set rom 0203", version, "90 50 00 20 05 20 02 03 00 02 FF"},
    };
    for (const Case& c : cases) {
        CameraModel camera;
        setUp(camera, c.setup);
        EXPECT_EQ(send(camera, c.inquiry), std::vector<std::string>{hx(c.answer)})
            << c.inquiry << " " << c.setup;
    }
}

TEST(VirtualCameraAnswers, NearMissesGetASyntaxErrorAndChangeNothing) {
    const char* cases[] = {
        "81 01 04 07 00",              // no terminator
        "80 01 04 07 00 FF",           // another address
        "90 41 FF",                    // an answer
        "81 01 04 07 00 00 FF",        // zoom, one byte too many
        "81 01 04 07 28 FF",           // zoom speed 8
        "81 01 06 01 00 01 03 03 FF",  // pan speed 0
        "81 01 06 01 01 18 03 03 FF",  // tilt speed above 0x17
        "81 01 06 01 01 01 04 03 FF",  // pan direction
        "81 01 04 43 00 00 10 00 FF",  // red gain, not a nibble
        "81 01 04 3F 02 80 FF",        // preset number
        "81 01 7E 01 0A 00 02 01 FF",  // tally green
        "81 01 05 07 00 FF",           // unknown category
        "81 09 04 47 FF",              // zoom position inquiry is not answered
        "81 09 7E 7E 70 00 FF",        // status inquiry, long
    };
    CameraModel camera;
    const std::string before = cameraStateLine(camera);
    for (const char* c : cases) {
        EXPECT_EQ(send(camera, c), std::vector<std::string>{"906002ff"}) << c;
    }
    EXPECT_EQ(cameraStateLine(camera), before);
    EXPECT_EQ(camera.rejectedCount, static_cast<long>(std::size(cases)));
}

// ---- Framing ---------------------------------------------------------------------------------

// Frames as "m:HEX" for a message, "x:HEX" for bytes given up.
template <typename Framer>
std::vector<std::string> feedAll(Framer& framer, const std::vector<std::string>& chunks) {
    std::vector<std::string> out;
    for (const std::string& chunk : chunks) {
        for (const Frame& f : framer.feed(bytes(chunk))) {
            out.push_back((f.problem.empty() ? "m:" : "x:") + viscaHex(f.bytes));
        }
    }
    return out;
}

struct StreamCase {
    std::vector<std::string> chunks;
    std::vector<std::string> frames;
    std::size_t pending;
};

TEST(VirtualCameraFraming, SerialLineSplitsAtFF) {
    const StreamCase cases[] = {
        {{"81 09", "00", "02 FF"}, {"m:81090002ff"}, 0},
        {{"81 01 04 07 00 FF 81 09 7E 7E 70 FF 81 09"}, {"m:8101040700ff", "m:81097e7e70ff"}, 2},
        {{"00 00 81 09 00 02 FF"}, {"m:000081090002ff"}, 0},
        // 63 bytes and FF is the longest message; one more byte and the run is given up, up to
        // and including the FF that ends it.
        {{run(63, "81") + "FF"}, {"m:" + hx(run(63, "81") + "FF")}, 0},
        {{run(64, "11"), "22 FF 81 09 00 02 FF"},
         {"x:" + hx(run(64, "11")), "x:22ff", "m:81090002ff"},
         0},
    };
    for (const StreamCase& c : cases) {
        SerialFramer framer;
        EXPECT_EQ(feedAll(framer, c.chunks), c.frames) << c.chunks.front();
        EXPECT_EQ(framer.pendingSize(), c.pending) << c.chunks.front();
    }
}

TEST(VirtualCameraFraming, HcipLengthEnvelope) {
    const StreamCase cases[] = {
        {{"00", "08 81 09", "7E 7E 70", "FF"}, {"m:81097e7e70ff"}, 0},
        {{"00 07 81 09 04 4A FF 00 07 81 09 04 4C FF 00 08 81"},
         {"m:8109044aff", "m:8109044cff"},
         3},
        // Lengths that cannot be: skipped a byte at a time until one that can.
        {{"00 02 00 07 81 09 04 4A FF"}, {"x:0002", "m:8109044aff"}, 0},
        {{"00 43 00 07 81 09 04 4A FF"}, {"x:0043", "m:8109044aff"}, 0},
        {{"00 42"}, {}, 2},  // the longest length waits for its 64 bytes
    };
    for (const StreamCase& c : cases) {
        HcipFramer framer;
        EXPECT_EQ(feedAll(framer, c.chunks), c.frames) << c.chunks.front();
        EXPECT_EQ(framer.pendingSize(), c.pending) << c.chunks.front();
    }
    EXPECT_EQ(viscaHex(hcipWrap(bytes("90 41 FF"))), hx("00 05 90 41 FF"));
}

TEST(VirtualCameraFraming, UdpDatagramForms) {
    using Form = ViscaDatagram::Form;
    struct Case {
        const char* datagram;
        Form form;
        int payloadType;
        std::uint32_t sequence;
        const char* visca;
    };
    const Case cases[] = {
        {"01 00 00 06 00 00 01 02 81 01 04 07 00 FF", Form::Header, 0x0100, 0x0102,
         "81 01 04 07 00 FF"},
        {"01 10 00 05 FF FF FF FF 81 09 04 4A FF", Form::Header, 0x0110, 0xFFFFFFFFu,
         "81 09 04 4A FF"},
        {"81 09 7E 7E 70 FF", Form::Simple, 0, 0, "81 09 7E 7E 70 FF"},
        {"02 00 00 01 00 00 00 01 01", Form::Control, 0x0200, 1, "01"},
        {"01 00 00 06 00 00 01", Form::Invalid, 0, 0, ""},
        {"01 00 00 07 00 00 00 01 81 01 04 07 00 FF", Form::Invalid, 0, 0, ""},
        {"01 00 00 05 00 00 00 01 81 01 04 07 00 FF", Form::Invalid, 0, 0, ""},
        {"01 11 00 03 00 00 00 01 90 41 FF", Form::Invalid, 0, 0, ""},
        {"90 41 FF", Form::Invalid, 0, 0, ""},
    };
    for (const Case& c : cases) {
        const ViscaDatagram d = parseViscaDatagram(bytes(c.datagram));
        EXPECT_EQ(d.form, c.form) << c.datagram;
        EXPECT_EQ(d.payloadType, c.payloadType) << c.datagram;
        EXPECT_EQ(d.sequence, c.sequence) << c.datagram;
        EXPECT_EQ(viscaHex(d.visca), hx(c.visca)) << c.datagram;
    }
    // Answers go back in the form the request came in.
    const ViscaDatagram header =
        parseViscaDatagram(bytes("01 00 00 06 00 00 01 02 81 01 04 07 00 FF"));
    EXPECT_EQ(viscaHex(wrapViscaReply(header, bytes("90 50 00 00 05 0A FF"))),
              hx("01 11 00 07 00 00 01 02 90 50 00 00 05 0A FF"));
    const ViscaDatagram simple = parseViscaDatagram(bytes("81 01 04 07 00 FF"));
    EXPECT_EQ(viscaHex(wrapViscaReply(simple, bytes("90 51 FF"))), hx("90 51 FF"));
}

}  // namespace
