// The real linkDaemon against the virtual MCU, in a temporary root and a network namespace of
// its own (scripts/netns-run.sh): clients on 127.0.0.1 ask for control, book the panel, poll it,
// misbehave, and update the daemon and the MCU from a stick folder. The client side here is
// written from the protocol's byte tables.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../link/testBytes.h"
#include "linkDaemonProcess.h"
#include "pseudoTerminal.h"
#include "simProcess.h"
#include "tempRoot.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The pool port in an ASKFORCONTROL answer.
int poolPortOf(const std::string& answer) {
    return answer.size() >= 7
               ? static_cast<std::uint8_t>(answer[4]) * 100 + static_cast<std::uint8_t>(answer[5])
               : -1;
}

// A client that asked for control and holds a pool port.
struct poolClient {
    std::unique_ptr<daemonConnection> control;
    std::unique_ptr<daemonConnection> pool;
    int port = -1;
};

class LinkDaemon : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("ZEK_CAMERA_NS") == nullptr) {
            GTEST_SKIP() << "run through scripts/netns-run.sh";
        }
        ASSERT_TRUE(mcu.start(ZEK_VIRTUAL_MCU_PATH, {"--link", root / "dev/ttymxc1", "--control",
                                                     root / "run/mcu.sock"}));
        std::string error;
        ASSERT_TRUE(echoLine.open(root / "dev/ttymxc2", error)) << error;
    }
    void TearDown() override { stopDaemon(); }

    void startDaemon(const std::vector<std::string>& environment = {}) {
        ASSERT_TRUE(daemon.start(root.path(), environment))
            << "the daemon did not listen; its log:\n"
            << daemonLog();
    }
    void stopDaemon() { daemon.stop(); }
    std::string mcuCommand(const std::string& command) {
        return simCommand(root / "run/mcu.sock", command);
    }
    std::string daemonLog() { return root.readFile("daemon.log"); }
    // Status frames (0x81) the virtual MCU has answered.
    long statusFrames() {
        const std::string counts = mcuCommand("get counts");
        const std::size_t at = counts.find("81=");
        return at == std::string::npos ? -1 : std::stol(counts.substr(at + 3));
    }
    // Waits for the polling work item's next status frame; false after 5 s (it polls every 2 s).
    bool pollSeen() {
        const long before = statusFrames();
        const auto deadline = Clock::now() + 5s;
        while (Clock::now() < deadline) {
            if (statusFrames() > before) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    // Asks for control and connects to the pool port offered; the first message on it is sent
    // by the caller.
    poolClient newClient() {
        poolClient c;
        c.control = std::make_unique<daemonConnection>(7000);
        c.port = poolPortOf(c.control->ask("ASKFORCONTROL", 7));
        if (c.port > 0) {
            c.pool = std::make_unique<daemonConnection>(c.port);
        }
        return c;
    }

    TempRoot root;
    SimProcess mcu;
    PseudoTerminal echoLine;
    LinkDaemonProcess daemon;
};

// The 98 bytes of an initialisation: mode 0x0C (8N1), baud code 15 (115200), then the colours.
std::string initTable() {
    std::string table = bytes("0C 0F");
    for (int i = 0; i < 96; ++i) {
        table += static_cast<char>(i);
    }
    return table;
}

TEST_F(LinkDaemon, LendsPortsAndBooksThePanel) {
    startDaemon();
    daemonConnection control(7000);
    EXPECT_EQ(hexOf(control.ask("ASKFORCONTROL", 8)),
              "0008826546"
              "01ff")
        << "seven bytes, although the length says eight";
    daemonConnection stranger(7000);
    stranger.send("HELLO");
    EXPECT_EQ(stranger.receive(1, 300ms), "") << "the control port answers nothing else";

    daemonConnection first(7001);
    EXPECT_EQ(hexOf(first.ask("REGIST_RC" + bytes("41"), 6)),
              "00068266"
              "06be");
    // 7001 left the queue with its first message.
    daemonConnection control2(7000);
    EXPECT_EQ(hexOf(control2.ask("ASKFORCONTROL", 7)),
              "0008826546"
              "02be");
    daemonConnection second(7002);
    EXPECT_EQ(hexOf(second.ask("REGIST_RC" + bytes("61"), 6)),
              "00068266"
              "069e");
    EXPECT_EQ(hexOf(first.ask("RELEASE_RC" + bytes("01"), 6)),
              "00068267"
              "069f");
    // The first client goes: shuttle/jog comes back, and its port goes to the end of the queue.
    first.close();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(hexOf(second.ask("REGIST_RC" + bytes("00"), 6)),
              "00068266"
              "06df");
    daemonConnection control3(7000);
    EXPECT_EQ(poolPortOf(control3.ask("ASKFORCONTROL", 7)), 7003);
    EXPECT_NE(daemonLog().find("get back port: 7001"), std::string::npos) << daemonLog();
}

TEST_F(LinkDaemon, SixPoolPortsThenNoneThenOneAgain) {
    startDaemon();
    std::vector<poolClient> clients;
    for (int i = 0; i < 6; ++i) {
        clients.push_back(newClient());
        ASSERT_EQ(clients.back().port, 7001 + i);
        ASSERT_TRUE(clients.back().pool->open());
        ASSERT_EQ(clients.back().pool->ask("REGIST_RC" + bytes("00"), 6).size(), 6u);
    }
    daemonConnection control(7000);
    EXPECT_EQ(hexOf(control.ask("ASKFORCONTROL", 7)), "000882650000ff") << "no port free";
    clients[3].pool->close();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(poolPortOf(control.ask("ASKFORCONTROL", 7)), 7004);
    // A daemonConnection that goes without a word gives its port back once, not twice.
    poolClient quiet = newClient();
    ASSERT_EQ(quiet.port, 7004);
    quiet.pool->close();
    std::this_thread::sleep_for(200ms);
    poolClient taker = newClient();
    ASSERT_EQ(taker.port, 7004);
    taker.pool->ask("REGIST_RC" + bytes("00"), 6);
    EXPECT_EQ(hexOf(control.ask("ASKFORCONTROL", 7)), "000882650000ff");
}

TEST_F(LinkDaemon, InitialisesPollsAndAnswersStatus) {
    ASSERT_EQ(mcuCommand("tbarcal 61234 321"), "ok");
    startDaemon();
    poolClient c = newClient();
    ASSERT_TRUE(c.pool && c.pool->open());
    EXPECT_EQ(hexOf(c.pool->ask("INITZEK" + initTable().substr(0, 97), 5)), "0005826815")
        << daemonLog();
    EXPECT_EQ(mcuCommand("get colours"), "none") << "a wrong length never reaches the MCU";

    EXPECT_EQ(statusFrames(), 0) << "no poll before a client initialises the MCU";
    EXPECT_EQ(hexOf(c.pool->ask("INITZEK" + initTable(), 5)), "0005826806") << daemonLog();
    EXPECT_EQ(mcuCommand("get colours"), hexOf(initTable()));
    // The polling work item now sends the LED map every 2 s.
    EXPECT_TRUE(pollSeen());

    ASSERT_EQ(mcuCommand("press 9"), "ok");
    ASSERT_EQ(mcuCommand("tbar 4660"), "ok");
    const std::string map = bytes("12 34 56 78 9A BC DE F0 11 22 33 44 55 66 77 88 99 AA BB CC");
    const std::string table = c.pool->ask("UPDATESTATUS" + map, 24);
    ASSERT_EQ(table.size(), 24u);
    EXPECT_EQ(hexOf(table.substr(0, 4)), "0018826a");
    EXPECT_EQ(mcuCommand("get ledmap"), hexOf(map));
    // The T-bar at bytes 13-14; key 9 is bit 6 of the second key byte (byte 20).
    EXPECT_EQ(hexOf(table.substr(13, 2)), "1234") << hexOf(table);
    EXPECT_EQ(hexOf(table.substr(19, 5)), "0040000000") << hexOf(table);

    const std::string version = c.pool->ask("GET_VERSION", 20);
    EXPECT_EQ(hexOf(version.substr(0, 8)), "0014824200170023");
    EXPECT_EQ(hexOf(c.pool->ask("CALIZEK", 9)),
              "00098269"
              "06ef3201"
              "41");
}

TEST_F(LinkDaemon, HostileClientsLeaveTheOthersServed) {
    startDaemon();
    poolClient holder = newClient();
    ASSERT_EQ(hexOf(holder.pool->ask("REGIST_RC" + bytes("0F"), 6)),
              "00068266"
              "06f0");

    std::mt19937 random(99);
    std::uniform_int_distribution<int> byte(0, 255);
    const auto garbage = [&](std::size_t size) {
        std::string out(size, '\0');
        for (char& c : out) {
            c = static_cast<char>(byte(random));
        }
        return out;
    };
    {
        daemonConnection noise(7000);
        noise.send(garbage(5000));
        poolClient other = newClient();
        other.pool->send(garbage(100000));  // far more than one receive takes
        daemonConnection oneByte(7000);
        oneByte.send("A");
        // A hundred daemonConnections at once, then two hundred opened and dropped.
        std::vector<std::unique_ptr<daemonConnection>> crowd;
        for (int i = 0; i < 100; ++i) {
            crowd.push_back(std::make_unique<daemonConnection>(7000));
        }
        for (int i = 0; i < 200; ++i) {
            daemonConnection(7000).send(garbage(static_cast<std::size_t>(i % 7)));
        }
        // The holder is served all along, and still holds the key areas.
        EXPECT_EQ(hexOf(holder.pool->ask("REGIST_RC" + bytes("00"), 6)),
                  "00068266"
                  "06f0");
        daemonConnection control(7000);
        EXPECT_EQ(control.ask("ASKFORCONTROL", 7).size(), 7u);
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(hexOf(holder.pool->ask("REGIST_RC" + bytes("00"), 6)),
              "00068266"
              "06f0");
}

TEST_F(LinkDaemon, ASilentClientLosesItsBooking) {
    startDaemon({"ZEK_LINK_CLIENT_IDLE=2"});
    poolClient silent = newClient();
    ASSERT_EQ(hexOf(silent.pool->ask("REGIST_RC" + bytes("30"), 6)),
              "00068266"
              "06cf");
    std::this_thread::sleep_for(4500ms);
    poolClient other = newClient();
    ASSERT_TRUE(other.pool && other.pool->open());
    EXPECT_EQ(hexOf(other.pool->ask("REGIST_RC" + bytes("00"), 6)),
              "00068266"
              "06ff");
    EXPECT_NE(daemonLog().find("silent for 2 s"), std::string::npos) << daemonLog();
}

// A stick folder with a daemon that tells its version and an MCU image.
void putStick(TempRoot& root, const char* version, std::size_t imageSize) {
    root.writeFile("home/zek710/usb/zek710-firmware/linkDaemon",
                   std::string("#!/bin/sh\necho 'current Version:") + version + "'\n");
    ::chmod((root / "home/zek710/usb/zek710-firmware/linkDaemon").c_str(), 0755);
    std::string image = bytes("00 00 00 00 00 00 00 00 00 00 00 02 00 01 00 00");
    for (std::size_t i = 0; i < imageSize; ++i) {
        image += static_cast<char>(i * 13 + 5);
    }
    root.writeFile("home/zek710/usb/zek710-firmware/mcu.bin", image);
}

// The daemon installed in version directory name, "current" pointing at it.
bool runningFrom(TempRoot& root, const std::string& name) {
    root.writeFile("home/zek710/software/" + name + "/linkDaemon", "old");
    return ::symlink((root / ("home/zek710/software/" + name)).c_str(),
                     (root / "home/zek710/software/current").c_str()) == 0;
}

TEST_F(LinkDaemon, UpdatesItselfAndTheMcuFromTheStick) {
    putStick(root, "023.036", 300);
    ASSERT_TRUE(runningFrom(root, "v-023.035"));
    startDaemon();
    poolClient c = newClient();
    EXPECT_EQ(hexOf(c.pool->ask("NEEDFWUPD", 13)),
              "000d826c06"
              "00170024"
              "00020001");

    EXPECT_EQ(hexOf(c.pool->ask("STARTFWUPD", 5)), "0005826d06");
    // Progress after each acknowledged pack of 128, 128 and 44 bytes, then the end.
    const std::string progress = c.pool->receive(4 * 15, 30s);
    EXPECT_EQ(hexOf(progress), "000f826e" + hexOf("FWUPDSTATE") +
                                   "00"
                                   "000f826e" +
                                   hexOf("FWUPDSTATE") + "2a" + "000f826e" + hexOf("FWUPDSTATE") +
                                   "55"
                                   "000f826e" +
                                   hexOf("FWUPDSTATE") + "64");
    const std::string image = root.readFile("home/zek710/usb/zek710-firmware/mcu.bin").substr(16);
    EXPECT_EQ(mcuCommand("get image"), hexOf(image));

    const std::string base = "/home/zek710";
    const std::vector<std::string> expected = {
        base + "/usb/zek710-firmware/linkDaemon -v",  // the question
        base + "/usb/zek710-firmware/linkDaemon -v",  // the start
        "mkdir -p " + base + "/software/v-023.036",
        "cp " + base + "/usb/zek710-firmware/* " + base + "/software/v-023.036/",
        "sync",
        "sync",
    };
    EXPECT_EQ(root.recordedCommands(), expected);
    char target[512] = {};
    ASSERT_GT(
        ::readlink((root / "home/zek710/software/current").c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), root / "home/zek710/software/v-023.036");
    EXPECT_EQ(root.readFile("home/zek710/software/v-023.036/mcu.bin"),
              root.readFile("home/zek710/usb/zek710-firmware/mcu.bin"));
}

TEST_F(LinkDaemon, NoNewerDaemonAndNoNewerImage) {
    putStick(root, "023.035", 40);
    ::mkdir((root / "home/zek710/software").c_str(), 0755);
    ::mkdir((root / "home/zek710/software/current").c_str(), 0755);
    ASSERT_EQ(mcuCommand("version 2 1"), "ok");  // the image's own version
    startDaemon();
    poolClient c = newClient();
    EXPECT_EQ(hexOf(c.pool->ask("NEEDFWUPD", 13)),
              "000d826c06"
              "00170023"
              "00020001")
        << "ACK, whether or not anything is newer";
    EXPECT_EQ(hexOf(c.pool->ask("STARTFWUPD", 5 + 15)),
              "0005826d15"
              "000f826e" +
                  hexOf("FWUPDSTATE") + "69");
    EXPECT_TRUE(root.recordedCommands().size() <= 2u) << "only the version questions ran";

    // An older daemon on the stick is not offered either.
    putStick(root, "022.999", 40);
    EXPECT_EQ(hexOf(c.pool->ask("NEEDFWUPD", 13)),
              "000d826c06"
              "00160"
              "3e7"
              "00020001");

    // Without a stick the question gets no answer at all.
    std::filesystem::remove_all(root / "home/zek710/usb");
    c.pool->send("NEEDFWUPD");
    EXPECT_EQ(c.pool->receive(1, 500ms), "");
    EXPECT_NE(daemonLog().find("usb directory not exists !"), std::string::npos);
}

// A program on the stick that never ends holds nobody: the other clients are served and keep
// their bookings while it is waited for, and it is killed after 5 s.
TEST_F(LinkDaemon, AHangingStickProgramHoldsNoOtherClient) {
    putStick(root, "023.036", 40);
    root.writeFile("home/zek710/usb/zek710-firmware/linkDaemon",
                   "#!/bin/sh\nsleep 38.5\necho 'current Version:023.036'\n");
    startDaemon({"ZEK_LINK_CLIENT_IDLE=2"});
    poolClient asker = newClient();
    poolClient other = newClient();
    ASSERT_EQ(hexOf(other.pool->ask("REGIST_RC" + bytes("10"), 6)),
              "00068266"
              "06ef");
    asker.pool->send("NEEDFWUPD");
    std::this_thread::sleep_for(200ms);
    const auto asked = Clock::now();
    EXPECT_EQ(hexOf(other.pool->ask("GET_VERSION", 20).substr(0, 6)), "001482420017");
    EXPECT_LT(Clock::now() - asked, 1s) << "served while the stick program hangs";
    // Polling on through the wait, beyond the 2 s a silent client is given.
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(other.pool->ask("UPDATESTATUS" + std::string(20, '\x11'), 24).size(), 24u);
        std::this_thread::sleep_for(500ms);
    }
    // Killed: no newer daemon, the image's version all the same.
    EXPECT_EQ(hexOf(asker.pool->receive(13, 5s)),
              "000d826c06"
              "00000000"
              "00020001");
    EXPECT_EQ(hexOf(other.pool->ask("REGIST_RC" + bytes("00"), 6)),
              "00068266"
              "06ef")
        << "the T-bar is still booked";
    EXPECT_NE(daemonLog().find("did not answer within 5 s: killed"), std::string::npos);
}

// A daemon installation that fails leaves "current" where it pointed, says so to the client, and
// nothing is flashed.
TEST_F(LinkDaemon, AFailedDaemonInstallIsReportedAndChangesNothing) {
    putStick(root, "023.036", 300);
    ASSERT_TRUE(runningFrom(root, "v-023.035"));
    root.writeFile("home/zek710/software/v-023.036", "a plain file where the directory goes");
    startDaemon();
    poolClient c = newClient();
    EXPECT_EQ(hexOf(c.pool->ask("STARTFWUPD", 5 + 15, 20s)),
              "0005826d06"
              "000f826e" +
                  hexOf("FWUPDSTATE") + "68");
    const auto current = [this] {
        return std::filesystem::read_symlink(root / "home/zek710/software/current").string();
    };
    EXPECT_EQ(current(), root / "home/zek710/software/v-023.035");
    EXPECT_EQ(mcuCommand("get image"), "none");
    EXPECT_NE(daemonLog().find("Error creating version directory!"), std::string::npos);

    // The stick pulled during the copy: a file listed is gone when it is copied.
    ::unlink((root / "home/zek710/software/v-023.036").c_str());
    ASSERT_EQ(::symlink((root / "home/zek710/usb/zek710-firmware/gone.bin").c_str(),
                        (root / "home/zek710/usb/zek710-firmware/part.bin").c_str()),
              0);
    EXPECT_EQ(hexOf(c.pool->ask("STARTFWUPD", 5 + 15, 20s)),
              "0005826d06"
              "000f826e" +
                  hexOf("FWUPDSTATE") + "68");
    EXPECT_EQ(current(), root / "home/zek710/software/v-023.035");
    EXPECT_NE(daemonLog().find("Error copy usb file !"), std::string::npos);
    EXPECT_EQ(mcuCommand("get image"), "none");
    // The client is still served.
    EXPECT_EQ(hexOf(c.pool->ask("GET_VERSION", 20).substr(0, 4)), "00148242");
}

// An MCU left in its loader never tells its version: the daemon serves all the same, with the
// version unknown, and the MCU can be flashed over the network. The poll, paused for the upgrade,
// sends nothing to the loader or to the restarting MCU.
TEST_F(LinkDaemon, AnMcuLeftInItsLoaderCanBeFlashedAgain) {
    ASSERT_EQ(mcuCommand("upgrade stuck"), "ok");
    putStick(root, "023.035", 300);
    ::mkdir((root / "home/zek710/software").c_str(), 0755);
    ::mkdir((root / "home/zek710/software/current").c_str(), 0755);
    startDaemon();
    EXPECT_NE(daemonLog().find("serving with the MCU version unknown"), std::string::npos);
    poolClient c = newClient();
    EXPECT_EQ(hexOf(c.pool->ask("GET_VERSION", 20).substr(0, 12)), "0014824200170023ffffffff")
        << "23.35 and the MCU unknown";
    EXPECT_EQ(hexOf(c.pool->ask("INITZEK" + initTable(), 5)), "0005826815");

    ASSERT_EQ(mcuCommand("reset counts"), "ok");
    EXPECT_EQ(hexOf(c.pool->ask("STARTFWUPD", 5 + 4 * 15, 30s).substr(0, 5)), "0005826d15");
    EXPECT_EQ(mcuCommand("get image"),
              hexOf(root.readFile("home/zek710/usb/zek710-firmware/mcu.bin").substr(16)));
    EXPECT_EQ(hexOf(c.pool->ask("GET_VERSION", 20).substr(4, 8)), "0017002300010007")
        << "asked again once the new firmware answers";

    // With the MCU back, a client initialises it and the poll runs every 2 s; a second upgrade
    // pauses it before the first loader frame, and it stays paused after the done frame.
    EXPECT_EQ(hexOf(c.pool->ask("INITZEK" + initTable(), 5)), "0005826806");
    ASSERT_EQ(mcuCommand("version 1 0"), "ok");
    ASSERT_TRUE(pollSeen());
    ASSERT_EQ(mcuCommand("reset counts"), "ok");
    EXPECT_EQ(c.pool->ask("STARTFWUPD", 5 + 4 * 15, 30s).size(), 65u);
    std::this_thread::sleep_for(2500ms);
    const std::string frames = mcuCommand("get frames");
    const std::size_t start = frames.find("83");
    ASSERT_NE(start, std::string::npos) << frames;
    EXPECT_EQ(frames.find("81", start), std::string::npos) << frames;
    EXPECT_NE(frames.find("85", start), std::string::npos) << frames;
}

// Idle connections to the control port, from one address or from many, never keep a client from
// asking for control, nor a booked client from coming back to its pool port.
TEST_F(LinkDaemon, IdleControlConnectionsLockNobodyOut) {
    startDaemon();
    poolClient booked = newClient();
    ASSERT_EQ(hexOf(booked.pool->ask("REGIST_RC" + bytes("20"), 6)),
              "00068266"
              "06df");
    std::vector<std::unique_ptr<daemonConnection>> idle;
    for (int i = 0; i < 250; ++i) {
        const std::string source =
            i < 50 ? "127.0.0.1" : "127.0.0." + std::to_string(2 + (i - 50) % 50);
        idle.push_back(std::make_unique<daemonConnection>(7000, source.c_str()));
        ASSERT_TRUE(idle.back()->open()) << i;
    }
    std::this_thread::sleep_for(500ms);
    // The booked client's connection drops and it comes back to its port.
    booked.pool->close();
    daemonConnection again(booked.port);
    ASSERT_TRUE(again.open());
    EXPECT_EQ(hexOf(again.ask("REGIST_RC" + bytes("20"), 6)),
              "00068266"
              "06df");
    daemonConnection newcomer(7000);
    EXPECT_EQ(newcomer.ask("ASKFORCONTROL", 7).size(), 7u);
    EXPECT_NE(daemonLog().find("control port: 8 connections from 127.0.0.1"), std::string::npos);
    EXPECT_NE(daemonLog().find("control port: 64 connections in all"), std::string::npos);
    // The pool ports have a limit of their own.
    std::vector<std::unique_ptr<daemonConnection>> crowd;
    for (int i = 0; i < 48; ++i) {
        crowd.push_back(std::make_unique<daemonConnection>(7001 + i % 6));
    }
    EXPECT_EQ(crowd.back()->receive(1, 1s), "");
    EXPECT_NE(daemonLog().find("pool ports: 48 connections: the one from 127.0.0.1"),
              std::string::npos);
}

}  // namespace
