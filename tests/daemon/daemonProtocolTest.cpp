// The daemon's bookings and messages on bytes: who gets which control, the exact answers, which
// command a message carries, and the serial settings of the initialisation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../link/testBytes.h"
#include "bookingManager.h"
#include "daemonMessages.h"

namespace {

using R = hardwareResource;

TEST(Bookings, TwoClientsShareThePanel) {
    std::vector<hardwareResource> free = allHardwareResources();
    bookingManager manager;
    EXPECT_EQ(hardwareResourceToByte(free), 0xFF);

    // Client 5 asks for key area 1 and shuttle/jog.
    auto kept = validateRequestResource(parserRequestResource(0x41), free);
    appliedBookingManagerResource(5, kept, manager, free);
    EXPECT_EQ(hardwareResourceToByte(free), 0xBE);
    // Client 6 asks for shuttle/jog (taken), joystick and key area 1 (taken): joystick only.
    kept = validateRequestResource(parserRequestResource(0x61), free);
    EXPECT_EQ(kept, std::vector<hardwareResource>{R::joyStick});
    appliedBookingManagerResource(6, kept, manager, free);
    EXPECT_EQ(hardwareResourceToByte(free), 0x9E);
    ASSERT_EQ(manager.size(), 2u);

    // Client 5 gives key area 1 back; it keeps shuttle/jog.
    releaseResourceCommandFromBookingManager(5, parserRequestResource(0x01), manager, free);
    EXPECT_EQ(hardwareResourceToByte(free), 0x9F);
    EXPECT_EQ(manager.front().resource, std::vector<hardwareResource>{R::shuttleJog});
    // Giving back what it does not hold changes nothing.
    releaseResourceCommandFromBookingManager(5, parserRequestResource(0x20), manager, free);
    EXPECT_EQ(hardwareResourceToByte(free), 0x9F);

    // Client 5 goes: all it held returns to the end of the pool, its entry goes.
    releaseResourceFromBookingManager(5, manager, free);
    EXPECT_EQ(hardwareResourceToByte(free), 0xDF);
    EXPECT_EQ(free.back(), R::shuttleJog);
    ASSERT_EQ(manager.size(), 1u);
    EXPECT_EQ(manager.front().socket, 6);

    // Releasing the last resource of an entry removes the entry; booking nothing adds none.
    releaseResourceCommandFromBookingManager(6, parserRequestResource(0xFF), manager, free);
    EXPECT_TRUE(manager.empty());
    appliedBookingManagerResource(7, {}, manager, free);
    EXPECT_TRUE(manager.empty());
    EXPECT_EQ(hardwareResourceToByte(free), 0xFF);
    // A second booking of a client extends its one entry without repeats.
    appliedBookingManagerResource(7, {R::TBar}, manager, free);
    appliedBookingManagerResource(7, {R::TBar, R::slider}, manager, free);
    ASSERT_EQ(manager.size(), 1u);
    EXPECT_EQ(manager.front().resource, (std::vector<hardwareResource>{R::TBar, R::slider}));
}

TEST(DaemonAnswers, ExactBytes) {
    EXPECT_EQ(hexOf(daemonmsg::askForControlAnswer(7001, 0xFF)),
              "0008826546"
              "01ff");
    EXPECT_EQ(hexOf(daemonmsg::askForControlAnswer(7006, 0x9E)),
              "00088265460"
              "69e");
    EXPECT_EQ(hexOf(daemonmsg::askForControlAnswer(0, 0x00)), "00088265000000");
    EXPECT_EQ(hexOf(daemonmsg::registAnswer(0xBE)),
              "00068266"
              "06be");
    EXPECT_EQ(hexOf(daemonmsg::releaseAnswer(0x9F)),
              "00068267"
              "069f");
    EXPECT_EQ(hexOf(daemonmsg::initZekAnswer(true)), "0005826806");
    EXPECT_EQ(hexOf(daemonmsg::initZekAnswer(false)), "0005826815");
    EXPECT_EQ(hexOf(daemonmsg::caliZekAnswer({0xF123, 0x0042})),
              "000982690"
              "6f1230042");
    EXPECT_EQ(hexOf(daemonmsg::versionAnswer(1, 7)),
              "00148242"
              "00170023"
              "00010007"
              "0000000000000000");
    EXPECT_EQ(hexOf(daemonmsg::versionAnswer(-1, -1)),
              "00148242"
              "00170023"
              "ffffffff"
              "0000000000000000");
    EXPECT_EQ(hexOf(daemonmsg::needFwUpdateAnswer(23, 36, 2, 1)),
              "000d826c06"
              "00170024"
              "00020001");
    EXPECT_EQ(hexOf(daemonmsg::startFwUpdateAnswer(true)), "0005826d06");
    EXPECT_EQ(hexOf(daemonmsg::startFwUpdateAnswer(false)), "0005826d15");
    EXPECT_TRUE(daemonmsg::isStopRequest(bytes("00 05 82 6E 15")));
    EXPECT_FALSE(daemonmsg::isStopRequest(bytes("00 05 82 6E 06")));
    EXPECT_FALSE(daemonmsg::isStopRequest(bytes("00 05 82 6E")));
}

TEST(DaemonRequests, TheFirstWordOfTheTableWins) {
    using daemonmsg::command;
    const struct {
        std::string message;
        command what;
        std::string data;
    } cases[] = {
        {"REGIST_RC" + bytes("41"), command::registResource, bytes("41")},
        {"xxRELEASE_RC" + bytes("01"), command::releaseResource, bytes("01")},
        {"INITZEK", command::initZek, ""},
        {"CALIZEK", command::caliZek, ""},
        {"UPDATESTATUS" + std::string(20, '\x11'), command::updateStatus, std::string(20, '\x11')},
        {"GET_VERSION", command::getVersion, ""},
        {"SETTINGTBAR2", command::settingTbar, "2"},
        {"NEEDFWUPD", command::needFwUpdate, ""},
        {"STARTFWUPD", command::startFwUpdate, ""},
        // Two words: the one earlier in the table is acted on.
        {"UPDATESTATUS REGIST_RC" + bytes("01"), command::registResource, bytes("01")},
        {"ASKFORCONTROL", command::none, ""},
        {"", command::none, ""},
        {std::string(1024, '\0'), command::none, ""},
    };
    for (const auto& c : cases) {
        const daemonmsg::request r = daemonmsg::poolPortRequest(c.message);
        EXPECT_EQ(r.what, c.what) << c.message;
        EXPECT_EQ(r.data, c.data) << c.message;
    }
    EXPECT_EQ(daemonmsg::controlPortRequest("hello ASKFORCONTROL").what, command::askForControl);
    EXPECT_EQ(daemonmsg::controlPortRequest("REGIST_RC").what, command::none);
}

TEST(DaemonLineSettings, ModeAndBaudBytes) {
    // 8 data bits, 1 stop bit, no parity at 115200.
    daemonmsg::lineSettings s = daemonmsg::decodeLineSettings(0x0C, 15);
    EXPECT_EQ(s.stopBits, 1);
    EXPECT_EQ(s.dataBits, 8);
    EXPECT_EQ(s.parity, 0);
    EXPECT_EQ(s.baudRate, 115200);
    EXPECT_EQ(s.lines, (std::vector<std::string>{
                           "serial port set to stop bit 1\n", "serial port set to data bit 8\n",
                           "serial port set to parity none\n", "serial port set to 115200 \n"}));
    // 2 stop bits, 5 data bits, even parity at 300.
    s = daemonmsg::decodeLineSettings(0x22, 9);
    EXPECT_EQ(s.stopBits, 2);
    EXPECT_EQ(s.dataBits, 5);
    EXPECT_EQ(s.parity, 2);
    EXPECT_EQ(s.baudRate, 300);
    // Codes that leave a setting alone, and the library's invalid and default parity.
    s = daemonmsg::decodeLineSettings(0x31, 1);
    EXPECT_FALSE(s.stopBits);
    EXPECT_EQ(s.parity, 3);
    EXPECT_FALSE(s.baudRate);
    EXPECT_EQ(s.lines, (std::vector<std::string>{"serial port set to data bit 5\n"}));
    s = daemonmsg::decodeLineSettings(0x4B, 0xFF);
    EXPECT_FALSE(s.stopBits);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, 4);
    s = daemonmsg::decodeLineSettings(0x70, 16);
    EXPECT_FALSE(s.parity);
    EXPECT_FALSE(s.baudRate);
    const int codes[] = {2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14};
    const int rates[] = {110,    150,  2400, 4800,  230400, 460800,
                         921600, 1200, 9600, 19200, 38400,  57600};
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        EXPECT_EQ(daemonmsg::decodeLineSettings(0, static_cast<std::uint8_t>(codes[i])).baudRate,
                  rates[i]);
    }
}

}  // namespace
