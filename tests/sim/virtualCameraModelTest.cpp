// The virtual camera is written from the VISCA byte tables on its own; these cases hold it to the
// same tables (answers byte for byte, what each command does to the camera, the three envelopes),
// so that it can in turn check the panel's messages.
#include <gtest/gtest.h>

#include <random>
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

std::vector<std::string> hexAll(const std::vector<std::string>& answers) {
    std::vector<std::string> out;
    for (const std::string& a : answers) {
        out.push_back(viscaHex(a));
    }
    return out;
}

const std::vector<std::string> kAckThenDone{"9041ff", "9051ff"};
const std::vector<std::string> kSyntaxError{"906002ff"};

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
    return hexAll(camera.handle(bytes(hex)));
}

// ---- Answers ---------------------------------------------------------------------------------

TEST(VirtualCameraAnswers, EveryCommandIsAcknowledgedThenCompleted) {
    const char* commands[] = {
        "81 01 06 01 02 02 01 01 FF",  // pan-tilt drive, slowest the panel sends
        "81 01 06 01 18 17 02 02 FF",  // fastest the protocol allows
        "81 01 06 01 01 01 03 03 FF",  // pan-tilt stop
        "81 01 04 07 21 FF",          "81 01 04 07 37 FF",          "81 01 04 07 20 FF",
        "81 01 04 07 00 FF",          "81 01 04 08 02 FF",          "81 01 04 08 03 FF",
        "81 01 04 08 00 FF",          "81 01 04 38 02 FF",          "81 01 04 38 03 FF",
        "81 01 04 35 00 FF",          "81 01 04 35 01 FF",          "81 01 04 35 02 FF",
        "81 01 04 35 03 FF",          "81 01 04 35 04 FF",          "81 01 04 35 05 FF",
        "81 01 04 10 05 FF",          "81 01 04 43 00 00 0A 07 FF", "81 01 04 44 00 00 0F 0F FF",
        "81 01 04 39 00 FF",          "81 01 04 39 03 FF",          "81 01 04 39 0A FF",
        "81 01 04 39 0B FF",          "81 01 04 39 0D FF",          "81 01 04 0A 02 FF",
        "81 01 04 0A 03 FF",          "81 01 04 0B 02 FF",          "81 01 04 0B 03 FF",
        "81 01 04 0C 02 FF",          "81 01 04 0C 03 FF",          "81 01 04 3F 01 00 FF",
        "81 01 04 3F 02 0D FF",       "81 01 04 24 72 06 FF",       "81 01 04 66 02 FF",
        "81 01 04 66 03 FF",          "81 01 04 61 02 FF",          "81 01 04 61 03 FF",
        "81 01 06 06 02 FF",          "81 01 06 06 03 FF",          "81 01 7E 01 02 00 01 FF",
        "81 01 7E 01 0B 7E 01 FF",    "81 01 7E 01 0B 7E 02 FF",    "81 01 7E 01 0B 7E 03 FF",
        "81 01 7E 01 0A 00 02 03 FF", "81 01 7E 01 0A 00 03 02 FF",
    };
    CameraModel camera;
    for (const char* command : commands) {
        EXPECT_EQ(send(camera, command), kAckThenDone) << command;
    }
    EXPECT_EQ(camera.rejectedCount, 0);
    EXPECT_EQ(camera.messageCount, static_cast<long>(std::size(commands)));
}

TEST(VirtualCameraAnswers, StatusBlockLaysOutTheState) {
    struct Case {
        const char* setup;
        const char* status;
    };
    const Case cases[] = {
        {"", "90 50 00 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set colourBars 1", "90 50 02 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set tallyRed 1", "90 50 04 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set tallyGreen 1", "90 50 04 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set menu 1", "90 50 10 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set menu 1; set colourBars 1; set tallyRed 1",
         "90 50 16 01 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set videoMode 30", "90 50 00 1E 00 08 00 08 00 02 00 00 00 02 FF"},
        {"set wbMode 8", "90 50 00 01 08 08 00 08 00 02 00 00 00 02 FF"},
        {"set rGain 0xA7; set bGain 0x3C", "90 50 00 01 00 0A 07 03 0C 02 00 00 00 02 FF"},
        {"set rGain 0; set bGain 255", "90 50 00 01 00 00 00 0F 0F 02 00 00 00 02 FF"},
        {"set focusMode manual", "90 50 00 01 00 08 00 08 00 03 00 00 00 02 FF"},
        {"set focusMode 4", "90 50 00 01 00 08 00 08 00 04 00 00 00 02 FF"},
        {"set exposureMode 0x0D", "90 50 00 01 00 08 00 08 00 02 0D 00 00 02 FF"},
        {"set ptReversed 1", "90 50 00 01 00 08 00 08 00 02 00 00 01 02 FF"},
        {"set hflip 1", "90 50 00 01 00 08 00 08 00 02 00 00 10 02 FF"},
        {"set vflip 1", "90 50 00 01 00 08 00 08 00 02 00 00 20 02 FF"},
        {"set vflip 1; set hflip 1; set ptReversed 1",
         "90 50 00 01 00 08 00 08 00 02 00 00 31 02 FF"},
        {"set speedMode 3", "90 50 00 01 00 08 00 08 00 02 00 00 00 03 FF"},
        {"fault wronglength", "90 50 00 01 00 08 00 08 00 02 00 00 02 FF"},
    };
    for (const Case& c : cases) {
        CameraModel camera;
        setUp(camera, c.setup);
        EXPECT_EQ(send(camera, "81 09 7E 7E 70 FF"), std::vector<std::string>{hx(c.status)})
            << c.setup;
    }
}

TEST(VirtualCameraAnswers, StatusBlockFollowsCommands) {
    CameraModel camera;
    for (const char* command :
         {"81 01 7E 01 0A 00 02 03 FF", "81 01 06 06 02 FF", "81 01 04 66 02 FF",
          "81 01 04 61 02 FF", "81 01 04 24 72 14 FF", "81 01 04 35 05 FF",
          "81 01 04 43 00 00 0A 07 FF", "81 01 04 44 00 00 03 0C FF", "81 01 04 38 03 FF",
          "81 01 04 39 0B FF", "81 01 7E 01 0B 7E 03 FF"}) {
        ASSERT_EQ(send(camera, command), kAckThenDone) << command;
    }
    EXPECT_EQ(send(camera, "81 09 7E 7E 70 FF"),
              std::vector<std::string>{hx("90 50 14 14 05 0A 07 03 0C 03 0B 00 30 03 FF")});
}

TEST(VirtualCameraAnswers, ShutterAndGainPositions) {
    struct Case {
        const char* setup;
        const char* inquiry;
        const char* answer;
    };
    const Case cases[] = {
        {"set shutter 0", "81 09 04 4A FF", "90 50 00 00 00 00 FF"},
        {"set shutter 0x5A", "81 09 04 4A FF", "90 50 00 00 05 0A FF"},
        {"set shutter 255; set gain 1", "81 09 04 4A FF", "90 50 00 00 0F 0F FF"},
        {"set gain 0x31; set shutter 2", "81 09 04 4C FF", "90 50 00 00 03 01 FF"},
        {"set gain 255", "81 09 04 4C FF", "90 50 00 00 0F 0F FF"},
    };
    for (const Case& c : cases) {
        CameraModel camera;
        setUp(camera, c.setup);
        EXPECT_EQ(send(camera, c.inquiry), std::vector<std::string>{hx(c.answer)}) << c.setup;
    }
}

TEST(VirtualCameraAnswers, VersionInItsThreeLengths) {
    struct Case {
        const char* setup;
        const char* answer;
    };
    const Case cases[] = {
        {"", "90 50 00 20 05 20 01 07 00 02 FF"},
        {"version 16", "90 50 00 20 05 20 01 07 00 02 00 00 00 00 00 FF"},
        {"version 10", "90 50 00 20 05 20 01 07 02 FF"},
        {"model 0a0b; vendor 0x00C1", "90 50 00 C1 0A 0B 01 07 00 02 FF"},
        {"set rom 0203; version 11", "90 50 00 20 05 20 02 03 00 02 FF"},
        {"version 16; fault wronglength", "90 50 00 20 05 20 01 07 02 FF"},
    };
    for (const Case& c : cases) {
        CameraModel camera;
        setUp(camera, c.setup);
        const auto answers = send(camera, "81 09 00 02 FF");
        ASSERT_EQ(answers.size(), 1u) << c.setup;
        EXPECT_EQ(answers[0], hx(c.answer)) << c.setup;
    }
}

TEST(VirtualCameraAnswers, MalformedAndUnknownMessagesGetASyntaxErrorAndChangeNothing) {
    std::string longRun = "81 ";
    for (int i = 0; i < 98; ++i) {
        longRun += "01 ";
    }
    longRun += "FF";
    const std::string zeros(300, '0');
    const std::string cases[] = {
        "",
        "FF",
        "81 FF",
        "81 01 FF",
        "81 01 04 07 00",              // no terminator
        "81 01 04 07 FF 00 FF",        // terminator inside
        "80 01 04 07 00 FF",           // another address
        "90 41 FF",                    // an answer
        "88 30 01 FF",                 // address set, broadcast
        "81 0A 00 FF",                 // neither command nor inquiry
        "81 01 04 07 00 00 FF",        // zoom, one byte too many
        "81 01 04 07 FF",              // zoom, no parameter
        "81 01 04 07 28 FF",           // zoom speed 8
        "81 01 04 07 45 FF",           // no such zoom form
        "81 01 04 07 02 FF",           // standard-speed tele is not taken
        "81 01 06 01 00 01 03 03 FF",  // pan speed 0
        "81 01 06 01 19 01 03 03 FF",  // pan speed above 0x18
        "81 01 06 01 01 00 03 03 FF",  // tilt speed 0
        "81 01 06 01 01 18 03 03 FF",  // tilt speed above 0x17
        "81 01 06 01 01 01 04 03 FF",  // pan direction
        "81 01 06 01 01 01 03 00 FF",  // tilt direction
        "81 01 06 01 01 01 03 FF",     // short drive
        "81 01 04 08 01 FF",           // focus
        "81 01 04 38 10 FF",           // focus mode toggle is not taken
        "81 01 04 35 06 FF",           // white balance beyond manual
        "81 01 04 10 04 FF",           // not the one-push trigger
        "81 01 04 43 00 00 10 00 FF",  // red gain, not a nibble
        "81 01 04 43 01 00 00 00 FF",  // red gain, byte 4 not zero
        "81 01 04 44 00 01 00 00 FF",  // blue gain, byte 5 not zero
        "81 01 04 44 00 00 0F FF",     // blue gain, short
        "81 01 04 39 01 FF",           // exposure mode
        "81 01 04 0A 00 FF",           // shutter reset is not taken
        "81 01 04 0B 04 FF",           // iris
        "81 01 04 0C 01 FF",           // gain
        "81 01 04 3F 00 01 FF",        // preset reset is not taken
        "81 01 04 3F 02 80 FF",        // preset number
        "81 01 04 24 72 20 FF",        // format code wider than 5 bits
        "81 01 04 24 73 01 FF",        // not the picture format
        "81 01 04 66 01 FF",           // flip
        "81 01 04 61 00 FF",           // mirror
        "81 01 06 06 10 FF",           // menu toggle is not taken
        "81 01 7E 01 02 00 02 FF",     // not menu enter
        "81 01 7E 01 0B 7E 00 FF",     // speed mode
        "81 01 7E 01 0B 7E 04 FF",     // speed mode
        "81 01 7E 01 0A 00 02 01 FF",  // tally green
        "81 01 7E 01 0A 00 02 FF",     // tally, short
        "81 01 05 07 00 FF",           // unknown category
        "81 09 04 47 FF",              // zoom position inquiry is not answered
        "81 09 7E 7E 70 00 FF",        // status inquiry, long
        "81 09 7E 7E FF",              // status inquiry, short
        "81 09 00 02 00 FF",           // version inquiry, long
        "81 09 04 4A 00 FF",           // shutter inquiry, long
        "81 09 FF",                    // inquiry without anything
        longRun,                       // 100 bytes
        zeros,                         // 150 zero bytes
    };
    CameraModel camera;
    std::vector<std::string> logged;
    camera.log = [&logged](const std::string& line) { logged.push_back(line); };
    const std::string before = cameraStateLine(camera);
    for (const std::string& c : cases) {
        EXPECT_EQ(send(camera, c), kSyntaxError) << c;
    }
    EXPECT_EQ(cameraStateLine(camera), before);
    EXPECT_EQ(camera.rejectedCount, static_cast<long>(std::size(cases)));
    EXPECT_EQ(camera.messageCount, static_cast<long>(std::size(cases)));
    ASSERT_EQ(logged.size(), std::size(cases));
    EXPECT_EQ(logged[6], "rejected 80 01 04 07 00 FF (not addressed to camera 1): syntax error");
    EXPECT_EQ(logged[12],
              "rejected 81 01 04 07 28 FF (zoom: not stop, 2p or 3p with p up to 7): "
              "syntax error");
    EXPECT_EQ(logged[10], "rejected 81 01 04 07 00 00 FF (zoom: wrong length): syntax error");
    for (const std::string& line : logged) {
        EXPECT_EQ(line.rfind("rejected ", 0), 0u) << line;
        EXPECT_LT(line.size(), 400u) << line;  // huge messages are cut short in the log
    }
}

// ---- What the camera does --------------------------------------------------------------------

TEST(VirtualCameraCommands, EachFamilyChangesItsState) {
    struct Case {
        const char* setup;
        const char* message;
        const char* expect;  // key=value pairs read back over the control channel
    };
    const Case cases[] = {
        {"", "81 01 06 01 05 03 02 01 FF", "panSpeed=5 tiltSpeed=3 panDir=right tiltDir=up"},
        {"", "81 01 06 01 18 17 01 02 FF", "panSpeed=24 tiltSpeed=23 panDir=left tiltDir=down"},
        {"set panDir left; set tiltDir up", "81 01 06 01 01 01 03 03 FF",
         "panSpeed=1 tiltSpeed=1 panDir=stop tiltDir=stop"},
        {"", "81 01 04 07 27 FF", "zoomDir=tele zoomSpeed=7"},
        {"", "81 01 04 07 31 FF", "zoomDir=wide zoomSpeed=1"},
        {"set zoomDir tele; set zoomSpeed 4", "81 01 04 07 00 FF", "zoomDir=stop zoomSpeed=4"},
        {"", "81 01 04 08 02 FF", "focusDir=far focusSteps=1 focusPos=1"},
        {"", "81 01 04 08 03 FF", "focusDir=near focusSteps=1 focusPos=-1"},
        {"set focusDir far", "81 01 04 08 00 FF", "focusDir=stop focusSteps=0 focusPos=0"},
        {"", "81 01 04 38 03 FF", "focusMode=manual"},
        {"set focusMode manual", "81 01 04 38 02 FF", "focusMode=auto"},
        {"set wbMode 5", "81 01 04 35 00 FF", "wbMode=0"},
        {"", "81 01 04 35 01 FF", "wbMode=1"},
        {"", "81 01 04 35 02 FF", "wbMode=2"},
        {"", "81 01 04 35 03 FF", "wbMode=3"},
        {"", "81 01 04 35 04 FF", "wbMode=4"},
        {"", "81 01 04 35 05 FF", "wbMode=5"},
        {"set wbMode 3", "81 01 04 10 05 FF", "onePushCount=1 onePushApplied=1"},
        {"set wbMode 8", "81 01 04 10 05 FF", "onePushCount=1 onePushApplied=1"},
        {"set wbMode 0", "81 01 04 10 05 FF", "onePushCount=1 onePushApplied=0"},
        {"", "81 01 04 43 00 00 0A 07 FF", "rGain=167 bGain=128"},
        {"", "81 01 04 44 00 00 00 01 FF", "bGain=1 rGain=128"},
        {"set exposureMode 3", "81 01 04 39 00 FF", "exposureMode=0"},
        {"", "81 01 04 39 03 FF", "exposureMode=3"},
        {"", "81 01 04 39 0A FF", "exposureMode=10"},
        {"", "81 01 04 39 0B FF", "exposureMode=11"},
        {"", "81 01 04 39 0D FF", "exposureMode=13"},
        {"set shutter 40", "81 01 04 0A 02 FF", "shutter=41 iris=128 gain=0"},
        {"set shutter 40", "81 01 04 0A 03 FF", "shutter=39"},
        {"set shutter 255", "81 01 04 0A 02 FF", "shutter=255"},
        {"set shutter 0", "81 01 04 0A 03 FF", "shutter=0"},
        {"set iris 7", "81 01 04 0B 02 FF", "iris=8 shutter=16 gain=0"},
        {"set iris 7", "81 01 04 0B 03 FF", "iris=6"},
        {"set iris 255", "81 01 04 0B 02 FF", "iris=255"},
        {"set iris 0", "81 01 04 0B 03 FF", "iris=0"},
        {"set gain 9", "81 01 04 0C 02 FF", "gain=10 shutter=16 iris=128"},
        {"set gain 9", "81 01 04 0C 03 FF", "gain=8"},
        {"set gain 255", "81 01 04 0C 02 FF", "gain=255"},
        {"set gain 0", "81 01 04 0C 03 FF", "gain=0"},
        {"", "81 01 04 3F 02 09 FF", "lastPreset=9 presetRecalls=1 presetStores=0"},
        {"", "81 01 04 3F 01 07 FF", "lastPreset=-1 presetRecalls=0 presetStores=1"},
        {"", "81 01 04 24 72 13 FF", "videoMode=19"},
        {"", "81 01 04 24 72 02 FF", "videoMode=2"},
        {"", "81 01 04 66 02 FF", "vflip=1 hflip=0"},
        {"set vflip 1", "81 01 04 66 03 FF", "vflip=0"},
        {"", "81 01 04 61 02 FF", "hflip=1 vflip=0"},
        {"set hflip 1", "81 01 04 61 03 FF", "hflip=0"},
        {"", "81 01 06 06 02 FF", "menu=1 menuEnters=0"},
        {"set menu 1", "81 01 06 06 03 FF", "menu=0"},
        {"", "81 01 7E 01 02 00 01 FF", "menuEnters=1 menu=0"},
        {"", "81 01 7E 01 0B 7E 01 FF", "speedMode=1"},
        {"set speedMode 1", "81 01 7E 01 0B 7E 02 FF", "speedMode=2"},
        {"", "81 01 7E 01 0B 7E 03 FF", "speedMode=3"},
        {"", "81 01 7E 01 0A 00 02 03 FF", "tallyRed=1 tallyGreen=0"},
        {"set tallyRed 1", "81 01 7E 01 0A 00 03 02 FF", "tallyRed=0 tallyGreen=1"},
        {"set tallyGreen 1", "81 01 7E 01 0A 00 03 03 FF", "tallyRed=0 tallyGreen=0"},
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

TEST(VirtualCameraCommands, DrivesMoveTheHeadUntilTheirStop) {
    CameraModel camera;
    send(camera, "81 01 06 01 05 03 02 01 FF");  // right at 5, up at 3
    send(camera, "81 01 04 07 23 FF");           // tele at 3
    camera.advance(2.0);
    EXPECT_EQ(ctl(camera, "get pan"), "1000");
    EXPECT_EQ(ctl(camera, "get tilt"), "600");
    EXPECT_EQ(ctl(camera, "get zoom"), "8192");
    camera.advance(-1.0);  // time never runs back
    EXPECT_EQ(ctl(camera, "get pan"), "1000");

    send(camera, "81 01 06 01 01 01 03 03 FF");
    send(camera, "81 01 04 07 00 FF");
    camera.advance(5.0);
    EXPECT_EQ(ctl(camera, "get pan"), "1000");
    EXPECT_EQ(ctl(camera, "get tilt"), "600");
    EXPECT_EQ(ctl(camera, "get zoom"), "8192");

    send(camera, "81 01 06 01 0A 02 01 02 FF");  // left at 10, down at 2
    send(camera, "81 01 04 07 30 FF");           // wide at 0
    camera.advance(0.5);
    EXPECT_EQ(ctl(camera, "get pan"), "500");
    EXPECT_EQ(ctl(camera, "get tilt"), "500");
    EXPECT_EQ(ctl(camera, "get zoom"), "7680");

    // A reversed head turns the other way for the same command.
    ASSERT_EQ(ctl(camera, "set ptReversed 1"), "ok");
    camera.advance(0.5);
    EXPECT_EQ(ctl(camera, "get pan"), "1000");
    EXPECT_EQ(ctl(camera, "get tilt"), "600");

    // The ends of travel hold.
    camera.advance(1000.0);
    EXPECT_EQ(ctl(camera, "get pan"), "17000");
    EXPECT_EQ(ctl(camera, "get tilt"), "9000");
    EXPECT_EQ(ctl(camera, "get zoom"), "0");
    ASSERT_EQ(ctl(camera, "set ptReversed 0"), "ok");
    send(camera, "81 01 04 07 27 FF");
    camera.advance(1000.0);
    EXPECT_EQ(ctl(camera, "get pan"), "-17000");
    EXPECT_EQ(ctl(camera, "get tilt"), "-3000");
    EXPECT_EQ(ctl(camera, "get zoom"), "16384");
}

TEST(VirtualCameraCommands, PresetsStoreAndRecallThePlace) {
    CameraModel camera;
    setUp(camera, "set pan 1200; set tilt -300; set zoom 4000");
    ASSERT_EQ(send(camera, "81 01 04 3F 01 0A FF"), kAckThenDone);
    EXPECT_EQ(ctl(camera, "get preset 10"), "pan=1200 tilt=-300 zoom=4000");
    EXPECT_EQ(ctl(camera, "get preset 11"), "none");

    // Moving away, then recalling while still moving: the head is back and stands still.
    send(camera, "81 01 06 01 05 05 01 01 FF");
    send(camera, "81 01 04 07 25 FF");
    camera.advance(1.0);
    EXPECT_NE(ctl(camera, "get pan"), "1200");
    ASSERT_EQ(send(camera, "81 01 04 3F 02 0A FF"), kAckThenDone);
    camera.advance(1.0);
    EXPECT_EQ(ctl(camera, "get pan"), "1200");
    EXPECT_EQ(ctl(camera, "get tilt"), "-300");
    EXPECT_EQ(ctl(camera, "get zoom"), "4000");
    EXPECT_EQ(ctl(camera, "get panDir"), "stop");
    EXPECT_EQ(ctl(camera, "get zoomDir"), "stop");

    // The same recall twice counts twice; a number never stored leaves the head where it is.
    send(camera, "81 01 04 3F 02 0A FF");
    setUp(camera, "set pan 50");
    send(camera, "81 01 04 3F 02 03 FF");
    EXPECT_EQ(ctl(camera, "get pan"), "50");
    EXPECT_EQ(ctl(camera, "get lastPreset"), "3");
    EXPECT_EQ(ctl(camera, "get presetRecalls"), "3");
    EXPECT_EQ(ctl(camera, "get presetStores"), "1");

    // Storing again overwrites.
    send(camera, "81 01 04 3F 01 0A FF");
    EXPECT_EQ(ctl(camera, "get preset 10"), "pan=50 tilt=-300 zoom=4000");
}

TEST(VirtualCameraCommands, FaultsShapeTheAnswersNotTheCamera) {
    CameraModel camera;
    ASSERT_EQ(ctl(camera, "fault silent"), "ok");
    EXPECT_TRUE(send(camera, "81 01 04 66 02 FF").empty());
    EXPECT_TRUE(send(camera, "81 09 7E 7E 70 FF").empty());
    EXPECT_TRUE(send(camera, "12 34 FF").empty());
    EXPECT_EQ(ctl(camera, "get vflip"), "1");
    EXPECT_EQ(ctl(camera, "get count"), "3");
    EXPECT_EQ(ctl(camera, "get rejected"), "1");

    ASSERT_EQ(ctl(camera, "fault none"), "ok");
    ASSERT_EQ(ctl(camera, "fault wronglength"), "ok");
    ASSERT_EQ(ctl(camera, "fault slow 300"), "ok");
    EXPECT_EQ(ctl(camera, "get faults"), "silent=0 slow=300 wronglength=1 refuse=0 drop=0");
    EXPECT_EQ(send(camera, "81 09 7E 7E 70 FF").at(0).size(), 2u * 14);
    EXPECT_EQ(send(camera, "81 01 04 66 03 FF"), kAckThenDone);
    ASSERT_EQ(ctl(camera, "fault none"), "ok");
    EXPECT_EQ(ctl(camera, "get faults"), "silent=0 slow=0 wronglength=0 refuse=0 drop=0");
    EXPECT_EQ(send(camera, "81 09 7E 7E 70 FF").at(0).size(), 2u * 15);
}

TEST(VirtualCameraCommands, MessageLogKeepsTheLastThousand) {
    CameraModel camera;
    EXPECT_EQ(ctl(camera, "get messages"), "none");
    for (int i = 0; i < 1005; ++i) {
        camera.handle(bytes(i % 2 == 0 ? "81 01 04 08 02 FF" : "81 09 04 4A FF"));
    }
    EXPECT_EQ(ctl(camera, "get count"), "1005");
    std::istringstream in(ctl(camera, "get messages"));
    std::vector<std::string> entries;
    for (std::string e; in >> e;) {
        entries.push_back(e);
    }
    ASSERT_EQ(entries.size(), 1000u);
    EXPECT_EQ(entries.front(), "8109044aff");  // message 6 of 1005, the first one kept
    EXPECT_EQ(entries.back(), "8101040802ff");

    // A huge message is kept as its first 64 bytes.
    camera.handle(std::string(5000, '\x81'));
    entries.clear();
    std::istringstream again(ctl(camera, "get messages"));
    for (std::string e; again >> e;) {
        entries.push_back(e);
    }
    std::string first64;
    for (int i = 0; i < 64; ++i) {
        first64 += "81";
    }
    EXPECT_EQ(entries.back(), first64 + "...");

    ASSERT_EQ(ctl(camera, "clear messages"), "ok");
    EXPECT_EQ(ctl(camera, "get messages"), "none");
    EXPECT_EQ(ctl(camera, "get count"), "0");
    EXPECT_EQ(ctl(camera, "get rejected"), "0");
}

// ---- Control channel -------------------------------------------------------------------------

TEST(VirtualCameraControl, CommandsAndTheirAnswers) {
    struct Case {
        const char* command;
        const char* answer;
    };
    const Case cases[] = {
        {"ping", "pong"},
        {"", "error unknown command: "},
        {"frobnicate", "error unknown command: frobnicate"},
        {"ping now", "error unknown command: ping now"},
        {"get panDir", "stop"},
        {"set panDir right", "ok"},
        {"get panDir", "right"},
        {"set panDir 1", "ok"},
        {"get panDir", "left"},
        {"set panDir sideways", "error bad arguments: set panDir sideways"},
        {"set wbMode 8", "ok"},
        {"get wbMode", "8"},
        {"set rGain 0xA7", "ok"},
        {"get rGain", "167"},
        {"set rGain 256", "error bad arguments: set rGain 256"},
        {"set rGain 12x", "error bad arguments: set rGain 12x"},
        {"set rGain", "error unknown command: set rGain"},
        {"set focusMode 4", "ok"},
        {"get focusMode", "4"},
        {"set vflip 2", "error bad arguments: set vflip 2"},
        {"set pan -17000", "ok"},
        {"get pan", "-17000"},
        {"set pan 17001", "error bad arguments: set pan 17001"},
        {"set nosuch 1", "error unknown key: nosuch"},
        {"get nosuch", "error unknown key: nosuch"},
        {"get preset 3", "none"},
        {"get preset 200", "error bad arguments: get preset 200"},
        {"fault slow 250", "ok"},
        {"fault slow", "error bad arguments: fault slow"},
        {"fault slow -1", "error bad arguments: fault slow -1"},
        {"fault refuse", "ok"},
        {"fault drop", "ok"},
        {"get faults", "silent=0 slow=250 wronglength=0 refuse=1 drop=1"},
        {"fault bogus", "error bad arguments: fault bogus"},
        {"fault none", "ok"},
        {"get faults", "silent=0 slow=0 wronglength=0 refuse=0 drop=0"},
        {"version 12", "error bad arguments: version 12"},
        {"version 16", "ok"},
        {"get versionLength", "16"},
        {"model 0a0b", "ok"},
        {"get model", "0a0b"},
        {"vendor 10000", "error bad arguments: vendor 10000"},
        {"get sequences", "none"},
        {"clear sequences", "ok"},
        {"clear everything", "error bad arguments: clear everything"},
        {"get count", "0"},
        {"get discarded", "0"},
        {"reset state", "ok"},
        {"get panDir", "stop"},
        {"get rGain", "128"},
        {"get model", "0a0b"},  // the identity outlives a state reset
    };
    CameraModel camera;
    for (const Case& c : cases) {
        EXPECT_EQ(ctl(camera, c.command), c.answer) << c.command;
    }
}

TEST(VirtualCameraControl, StateLineNamesEveryField) {
    CameraModel camera;
    const std::string keys[] = {
        "pan",        "tilt",          "panSpeed",     "tiltSpeed",     "panDir",
        "tiltDir",    "zoom",          "zoomDir",      "zoomSpeed",     "focusMode",
        "focusDir",   "focusSteps",    "focusPos",     "wbMode",        "rGain",
        "bGain",      "exposureMode",  "shutter",      "iris",          "gain",
        "lastPreset", "presetRecalls", "presetStores", "vflip",         "hflip",
        "videoMode",  "menu",          "menuEnters",   "speedMode",     "tallyRed",
        "tallyGreen", "colourBars",    "ptReversed",   "onePushCount",  "onePushApplied",
        "vendor",     "model",         "rom",          "versionLength",
    };
    std::istringstream in(ctl(camera, "get state"));
    std::vector<std::string> pairs;
    for (std::string p; in >> p;) {
        pairs.push_back(p);
    }
    ASSERT_EQ(pairs.size(), std::size(keys));
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const std::string key = pairs[i].substr(0, pairs[i].find('='));
        EXPECT_EQ(key, keys[i]);
        // Every value read back through "get KEY" and written back through "set KEY" is the same.
        const std::string value = pairs[i].substr(key.size() + 1);
        EXPECT_EQ(ctl(camera, "get " + key), value) << key;
        EXPECT_EQ(ctl(camera, "set " + key + " " + value), "ok") << key;
    }
    EXPECT_EQ(ctl(camera, "get state"),
              "pan=0 tilt=0 panSpeed=0 tiltSpeed=0 panDir=stop tiltDir=stop zoom=0 zoomDir=stop "
              "zoomSpeed=0 focusMode=auto focusDir=stop focusSteps=0 focusPos=0 wbMode=0 "
              "rGain=128 bGain=128 exposureMode=0 shutter=16 iris=128 gain=0 lastPreset=-1 "
              "presetRecalls=0 presetStores=0 vflip=0 hflip=0 videoMode=1 menu=0 menuEnters=0 "
              "speedMode=2 tallyRed=0 tallyGreen=0 colourBars=0 ptReversed=0 onePushCount=0 "
              "onePushApplied=0 vendor=0020 model=0520 rom=0107 versionLength=11");
}

TEST(VirtualCameraControl, SequencesAreKeptInOrder) {
    CameraModel camera;
    camera.recordSequence(41);
    camera.recordSequence(42);
    camera.recordSequence(0xFFFFFFFFu);
    EXPECT_EQ(ctl(camera, "get sequences"), "41 42 4294967295");
    for (std::uint32_t s = 0; s < 1200; ++s) {
        camera.recordSequence(s);
    }
    const std::string all = ctl(camera, "get sequences");
    EXPECT_EQ(all.substr(0, 8), "200 201 ");
    EXPECT_EQ(all.substr(all.size() - 5), " 1199");
    ASSERT_EQ(ctl(camera, "clear sequences"), "ok");
    EXPECT_EQ(ctl(camera, "get sequences"), "none");
}

// ---- Framing ---------------------------------------------------------------------------------

// Frames as "m:HEX" for a message, "x:HEX" for bytes given up.
std::vector<std::string> describe(const std::vector<Frame>& frames) {
    std::vector<std::string> out;
    for (const Frame& f : frames) {
        out.push_back((f.problem.empty() ? "m:" : "x:") + viscaHex(f.bytes));
    }
    return out;
}

template <typename Framer>
std::vector<std::string> feedAll(Framer& framer, const std::vector<std::string>& chunks) {
    std::vector<std::string> out;
    for (const std::string& chunk : chunks) {
        for (const std::string& d : describe(framer.feed(bytes(chunk)))) {
            out.push_back(d);
        }
    }
    return out;
}

TEST(VirtualCameraFraming, SerialLineSplitsAtFF) {
    std::string sixtyFour;
    for (int i = 0; i < 64; ++i) {
        sixtyFour += "11 ";
    }
    std::string sixtyThree;
    for (int i = 0; i < 63; ++i) {
        sixtyThree += "81 ";
    }
    struct Case {
        std::vector<std::string> chunks;
        std::vector<std::string> frames;
        std::size_t pending;
    };
    const Case cases[] = {
        {{"81 09 00 02 FF"}, {"m:81090002ff"}, 0},
        {{"81 09", "00", "02 FF"}, {"m:81090002ff"}, 0},
        {{"81 01 04 07 00 FF 81 09 7E 7E 70 FF 81 09"}, {"m:8101040700ff", "m:81097e7e70ff"}, 2},
        {{"FF", "FF"}, {"m:ff", "m:ff"}, 0},
        {{"", "81", ""}, {}, 1},
        {{"00 00 81 09 00 02 FF"}, {"m:000081090002ff"}, 0},
        // 63 bytes and FF is the longest message; one more byte and the run is given up, up to
        // and including the FF that ends it.
        {{sixtyThree + "FF"}, {"m:" + viscaHex(bytes(sixtyThree + "FF"))}, 0},
        {{sixtyFour, "22 FF 81 09 00 02 FF"},
         {"x:" + viscaHex(bytes(sixtyFour)), "x:22ff", "m:81090002ff"},
         0},
        {{sixtyFour + "22", "33 81 09 00 02 FF", "81 09 04 4A FF"},
         {"x:" + viscaHex(bytes(sixtyFour + "22")), "x:3381090002ff", "m:8109044aff"},
         0},
    };
    for (const Case& c : cases) {
        SerialFramer framer;
        EXPECT_EQ(feedAll(framer, c.chunks), c.frames) << c.chunks.front();
        EXPECT_EQ(framer.pendingSize(), c.pending) << c.chunks.front();
    }
}

TEST(VirtualCameraFraming, HcipLengthEnvelope) {
    struct Case {
        std::vector<std::string> chunks;
        std::vector<std::string> frames;
        std::size_t pending;
    };
    const Case cases[] = {
        {{"00 08 81 09 7E 7E 70 FF"}, {"m:81097e7e70ff"}, 0},
        {{"00", "08 81 09", "7E 7E 70", "FF"}, {"m:81097e7e70ff"}, 0},
        {{"00 07 81 09 04 4A FF 00 07 81 09 04 4C FF 00 08 81"},
         {"m:8109044aff", "m:8109044cff"},
         3},
        // The envelope is trusted for the length only; what it carries is the camera's business.
        {{"00 05 12 34 56"}, {"m:123456"}, 0},
        {{"00 03 FF"}, {"m:ff"}, 0},
        // Lengths that cannot be: skipped a byte at a time until one that can.
        {{"00 00 00 08 81 09 7E 7E 70 FF"}, {"x:0000", "m:81097e7e70ff"}, 0},
        {{"00 02 00 07 81 09 04 4A FF"}, {"x:0002", "m:8109044aff"}, 0},
        {{"00 43 00 07 81 09 04 4A FF"}, {"x:0043", "m:8109044aff"}, 0},
        {{"FF FF FF", "00 07 81 09 04 4A FF"}, {"x:ffff", "x:ff", "m:8109044aff"}, 0},
        {{"00 42"}, {}, 2},  // the longest length waits for its 64 bytes
        {{""}, {}, 0},
    };
    for (const Case& c : cases) {
        HcipFramer framer;
        EXPECT_EQ(feedAll(framer, c.chunks), c.frames) << c.chunks.front();
        EXPECT_EQ(framer.pendingSize(), c.pending) << c.chunks.front();
    }
    EXPECT_EQ(viscaHex(hcipWrap(bytes("81 09 7E 7E 70 FF"))), hx("00 08 81 09 7E 7E 70 FF"));
    EXPECT_EQ(viscaHex(hcipWrap(bytes("90 41 FF"))), hx("00 05 90 41 FF"));
}

TEST(VirtualCameraFraming, EverySplitOfAStreamGivesTheSameMessages) {
    const std::string serial = bytes("81 01 04 07 25 FF 81 09 7E 7E 70 FF 81 01 04 3F 02 09 FF");
    const std::string hcip =
        bytes("00 08 81 01 04 07 25 FF 00 08 81 09 7E 7E 70 FF 00 09 81 01 04 3F 02 09 FF");
    const std::vector<std::string> expect{"m:8101040725ff", "m:81097e7e70ff", "m:8101043f0209ff"};
    for (std::size_t a = 0; a <= serial.size(); ++a) {
        for (std::size_t b = a; b <= serial.size(); ++b) {
            SerialFramer framer;
            std::vector<std::string> got;
            for (const std::string& piece :
                 {serial.substr(0, a), serial.substr(a, b - a), serial.substr(b)}) {
                for (const std::string& d : describe(framer.feed(piece))) {
                    got.push_back(d);
                }
            }
            EXPECT_EQ(got, expect) << a << " " << b;
        }
    }
    for (std::size_t a = 0; a <= hcip.size(); ++a) {
        for (std::size_t b = a; b <= hcip.size(); ++b) {
            HcipFramer framer;
            std::vector<std::string> got;
            for (const std::string& piece :
                 {hcip.substr(0, a), hcip.substr(a, b - a), hcip.substr(b)}) {
                for (const std::string& d : describe(framer.feed(piece))) {
                    got.push_back(d);
                }
            }
            EXPECT_EQ(got, expect) << a << " " << b;
        }
    }
}

TEST(VirtualCameraFraming, HugeInputIsGivenUpInTheOpenAndTheStreamRecovers) {
    const std::string huge(1 << 20, '\x00');
    SerialFramer serial;
    std::size_t given = 0;
    for (const Frame& f : serial.feed(huge)) {
        ASSERT_FALSE(f.problem.empty());
        given += f.bytes.size();
    }
    EXPECT_EQ(given + serial.pendingSize(), huge.size());
    EXPECT_LE(serial.pendingSize(), kMaxViscaMessage);
    // The rest of the broken run ends at the next FF; the message after it is whole.
    EXPECT_EQ(describe(serial.feed(bytes("81 09 00 02 FF 81 09 00 02 FF"))),
              (std::vector<std::string>{"x:81090002ff", "m:81090002ff"}));

    const std::string ones(1 << 20, '\xFF');
    HcipFramer hcip;
    given = 0;
    for (const Frame& f : hcip.feed(ones)) {
        ASSERT_FALSE(f.problem.empty());
        given += f.bytes.size();
    }
    EXPECT_EQ(given + hcip.pendingSize(), ones.size());
    EXPECT_EQ(hcip.pendingSize(), 1u);
    EXPECT_EQ(describe(hcip.feed(bytes("00 07 81 09 04 4A FF"))),
              (std::vector<std::string>{"x:ff", "m:8109044aff"}));
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
        {"01 00 00 01 00 00 00 29 FF", Form::Header, 0x0100, 41, "FF"},
        {"81 09 7E 7E 70 FF", Form::Simple, 0, 0, "81 09 7E 7E 70 FF"},
        {"81", Form::Simple, 0, 0, "81"},
        {"", Form::Invalid, 0, 0, ""},
        {"01", Form::Invalid, 0, 0, ""},
        {"01 00 00 06 00 00 01", Form::Invalid, 0, 0, ""},
        {"01 00 00 07 00 00 00 01 81 01 04 07 00 FF", Form::Invalid, 0, 0, ""},
        {"01 00 00 05 00 00 00 01 81 01 04 07 00 FF", Form::Invalid, 0, 0, ""},
        {"01 00 00 00 00 00 00 01", Form::Invalid, 0, 0, ""},
        {"01 00 01 06 00 00 01 02 81 01 04 07 00 FF", Form::Invalid, 0, 0, ""},
        {"01 11 00 03 00 00 00 01 90 41 FF", Form::Invalid, 0, 0, ""},
        {"01 20 00 01 00 00 00 01 01", Form::Invalid, 0, 0, ""},
        {"02 00 00 01 00 00 00 01 01", Form::Control, 0x0200, 1, "01"},
        {"02 00 00 02 00 00 00 07 0F 01", Form::Control, 0x0200, 7, "0F 01"},
        {"02 01 00 01 00 00 00 01 01", Form::Invalid, 0, 0, ""},
        {"02 00 00 00 00 00 00 01", Form::Invalid, 0, 0, ""},
        {"90 41 FF", Form::Invalid, 0, 0, ""},
    };
    for (const Case& c : cases) {
        const ViscaDatagram d = parseViscaDatagram(bytes(c.datagram));
        EXPECT_EQ(d.form, c.form) << c.datagram;
        EXPECT_EQ(d.payloadType, c.payloadType) << c.datagram;
        EXPECT_EQ(d.sequence, c.sequence) << c.datagram;
        EXPECT_EQ(viscaHex(d.visca), hx(c.visca)) << c.datagram;
        EXPECT_EQ(d.problem.empty(), c.form != Form::Invalid) << c.datagram;
    }
    // Longer than any message, in either form.
    EXPECT_EQ(parseViscaDatagram("\x81" + std::string(64, '\x01')).form, Form::Invalid);
    EXPECT_EQ(parseViscaDatagram(bytes("01 00 00 41 00 00 00 01") + std::string(65, '\x01')).form,
              Form::Invalid);
    EXPECT_EQ(parseViscaDatagram(bytes("01 00 00 40 00 00 00 01") + std::string(64, '\x01')).form,
              Form::Header);

    const ViscaDatagram header =
        parseViscaDatagram(bytes("01 00 00 06 00 00 01 02 81 01 04 07 00 FF"));
    EXPECT_EQ(viscaHex(wrapViscaReply(header, bytes("90 41 FF"))),
              hx("01 11 00 03 00 00 01 02 90 41 FF"));
    EXPECT_EQ(viscaHex(wrapViscaReply(header, bytes("90 50 00 00 05 0A FF"))),
              hx("01 11 00 07 00 00 01 02 90 50 00 00 05 0A FF"));
    const ViscaDatagram simple = parseViscaDatagram(bytes("81 01 04 07 00 FF"));
    EXPECT_EQ(viscaHex(wrapViscaReply(simple, bytes("90 51 FF"))), hx("90 51 FF"));
}

// ---- Robustness ------------------------------------------------------------------------------

// Random bytes, with the bytes that steer the parsers (FF, 81, 00, 01) coming often.
std::string randomBytes(std::mt19937& rng, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<int> any(0, 255);
    const char steering[] = {'\xFF', '\x81', '\x00', '\x01', '\x09', '\x7E'};
    std::string out(length(rng), '\0');
    for (char& c : out) {
        const int p = pick(rng);
        c = p < 6 ? steering[p] : static_cast<char>(any(rng));
    }
    return out;
}

bool answerShapeIsValid(const std::string& a) {
    if (a.size() < 3 || a.front() != '\x90' || a.back() != '\xFF') {
        return false;
    }
    const std::string hex = viscaHex(a);
    return hex == "9041ff" || hex == "9051ff" || hex == "906002ff" ||
           (hex.rfind("9050", 0) == 0 && (a.size() == 7 || a.size() == 15 || a.size() == 11));
}

TEST(VirtualCameraRobustness, RandomBytesEverywhereNothingLost) {
    std::mt19937 rng(7100);
    CameraModel camera;
    SerialFramer serial;
    HcipFramer hcip;
    std::size_t serialIn = 0;
    std::size_t serialOut = 0;
    std::size_t hcipIn = 0;
    std::size_t hcipOut = 0;
    long messages = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string chunk = randomBytes(rng, round % 100 == 0 ? 5000 : 80);
        serialIn += chunk.size();
        for (const Frame& f : serial.feed(chunk)) {
            serialOut += f.bytes.size();
            if (f.problem.empty()) {
                ASSERT_LE(f.bytes.size(), kMaxViscaMessage);
                ASSERT_EQ(f.bytes.back(), '\xFF');
                ++messages;
                for (const std::string& a : camera.handle(f.bytes)) {
                    ASSERT_TRUE(answerShapeIsValid(a)) << viscaHex(a);
                }
            }
        }
        hcipIn += chunk.size();
        for (const Frame& f : hcip.feed(chunk)) {
            hcipOut += f.bytes.size() + (f.problem.empty() ? 2 : 0);
            if (f.problem.empty()) {
                ++messages;
                for (const std::string& a : camera.handle(f.bytes)) {
                    ASSERT_TRUE(answerShapeIsValid(a)) << viscaHex(a);
                }
            }
        }
        const ViscaDatagram d = parseViscaDatagram(chunk);
        if (d.form != ViscaDatagram::Form::Invalid) {
            ++messages;
            for (const std::string& a : camera.handle(d.visca)) {
                ASSERT_TRUE(answerShapeIsValid(a)) << viscaHex(a);
                wrapViscaReply(d, a);
            }
        }
        ++messages;
        camera.handle(chunk);
        camera.advance(0.01);
        // Control lines made of anything printable are answered, never thrown at.
        std::string line;
        for (const char c : chunk) {
            line += static_cast<char>(' ' + static_cast<unsigned char>(c) % 95);
        }
        EXPECT_FALSE(cameraControlCommand(camera, line.substr(0, 40)).empty());
    }
    EXPECT_EQ(serialOut + serial.pendingSize(), serialIn);
    EXPECT_EQ(hcipOut + hcip.pendingSize(), hcipIn);
    EXPECT_EQ(camera.messageCount, messages);
    EXPECT_GT(camera.rejectedCount, 0);
    EXPECT_EQ(camera.messages().size(), CameraModel::kMaxLogged);
}

}  // namespace
