// The two exchanges over a real pseudo-terminal against the virtual panel MCU.
#include "mcuExchange.h"

#include <thread>

#include "commonFunctions.h"
#include "hardwareLink.h"
#include "mcuCommunicate.h"
#include "mcuLineFixture.h"
#include "stateEncoding.h"
#include "testBytes.h"

namespace {

const mcuCommunicate protocol;

TEST_F(McuLineTest, VersionExchange) {
    bool isSync = false;
    int major = -1;
    EXPECT_EQ(protocol.versionNumber(sendCommandtoMcu(protocol.askVersion(), line_), isSync, major),
              7);
    EXPECT_EQ(major, 1);
    sim("version 515 65296");
    EXPECT_EQ(protocol.versionNumber(sendCommandtoMcu(protocol.askVersion(), line_), isSync, major),
              65296);
    EXPECT_EQ(formatMcuVersion(major, 65296), "2.3.255.16");
}

TEST_F(McuLineTest, StatusExchangeReportsPressedKeysAndDeflections) {
    sim("press 21");
    sim("press 0");
    sim("joy x 2603 1");
    sim("joy z 4095 0");
    sim("shuttle 5 1");
    sim("tbar 1012");
    sim("slider 3 200");
    sim("lock 1");
    const hardwareState s = readHardwareState(&line_, genKeyInitialedTable());
    EXPECT_TRUE(s.lockButtonPressed);
    EXPECT_TRUE(s.joyStickXDir);
    EXPECT_EQ(s.joyStickX, 2603);
    EXPECT_FALSE(s.joyStickZDir);
    EXPECT_EQ(s.joyStickZ, 4095);
    EXPECT_TRUE(s.shuttleDir);
    EXPECT_EQ(s.shuttleValue, 5);
    EXPECT_EQ(s.tBarValue, 1012);
    EXPECT_EQ(s.sliderValue3, 200);
    EXPECT_EQ(s.keyPressTable.size(), 5u);
    for (int key = 0; key < kKeyCount; ++key) {
        EXPECT_EQ(isKeyPressed(s.keyPressTable, key), key == 0 || key == 21) << key;
    }

    sim("release all");
    sim("joy x 0 0");
    const hardwareState released = readHardwareState(&line_, genKeyInitialedTable());
    EXPECT_EQ(hexOf(released.keyPressTable), "0000000000");
    EXPECT_EQ(released.joyStickX, 0);
}

TEST_F(McuLineTest, LedMapReachesTheMcu) {
    std::string map = genKeyInitialedTable();
    map[0] = '\x92';   // key 0 colour 9, key 1 colour 2
    map[19] = '\xAF';  // key 38 colour 10, key 39 colour 15
    readHardwareState(&line_, map);
    EXPECT_EQ(simValue("get ledmap"), hexOf(map));
    EXPECT_EQ(simValue("get leds"), "92" + std::string(36, '1') + "af");
}

TEST_F(McuLineTest, InitialisationWithTheColourTable) {
    // Two zero bytes, then the 16 colours, each channel byte twice (red, green, blue).
    const std::string table =
        "0000"
        "000000000000"   // 0 off
        "ffffffffffff"   // 1 white
        "ffff00000000"   // 2 red
        "0000ffff0000"   // 3 green
        "00000000ffff"   // 4 blue
        "0f0fb5b51717"   // 5 preview tool
        "dfdf69692222"   // 6 programme tool
        "26266666b9b9"   // 7 auxiliary tool
        "ffff73730000"   // 8 switcher preset function
        "ffff7d7d3e3e"   // 9 camera keys
        "fcfc0b0bafaf"   // 10 preset keys
        "0000d6d66868"   // 11 camera shift
        "0606bfbff9f9"   // 12 preset shift
        "00000000ffff"   // 13
        "7fff0000ffff"   // 14
        "10108e8ecece";  // 15 start-up and test map
    EXPECT_EQ(hexOf(panelColourTable()), table);
    EXPECT_EQ(simValue("get colours"), "none");
    EXPECT_TRUE(
        protocol.isInitZekOk(sendCommandtoMcu(protocol.initZEK(panelColourTable()), line_)));
    EXPECT_EQ(simValue("get colours"), table);
    // A table of another size is refused by the MCU.
    EXPECT_FALSE(protocol.isInitZekOk(sendCommandtoMcu(protocol.initZEK("\x01\x02"), line_)));
}

TEST_F(McuLineTest, TbarCalibrationSetAndRead) {
    sim("tbar 64000");
    EXPECT_TRUE(protocol.isSettingTbarOk(
        sendCommandtoMcu(protocol.settingTbar(mcu::kTbarStoreMaximum), line_)));
    sim("tbar 17");
    EXPECT_TRUE(protocol.isSettingTbarOk(
        sendCommandtoMcu(protocol.settingTbar(mcu::kTbarStoreMinimum), line_)));
    EXPECT_FALSE(protocol.isSettingTbarOk(sendCommandtoMcu(protocol.settingTbar(0x07), line_)));
    EXPECT_EQ(simValue("get tbarcal"), "64000 17");
    const calibrateTbarPar par = readTBarCaliState(&line_);
    EXPECT_EQ(par.maxValue, 64000);
    EXPECT_EQ(par.minValue, 17);
}

TEST_F(McuLineTest, EvenGarbageIsSkippedOddGarbageHidesTheFrame) {
    sim("joy y 300 1");
    for (int garbage : {2, 6}) {
        sim("fault garbage " + std::to_string(garbage));
        const hardwareState s = readHardwareState(&line_, genKeyInitialedTable());
        EXPECT_EQ(s.joyStickY, 300) << garbage << " garbage bytes";
        EXPECT_TRUE(logged("serial recieve sync data not correct. 3c:3c\n"));
    }
    sim("fault garbage 3");
    const hardwareState s = readHardwareState(&line_, genKeyInitialedTable());
    EXPECT_EQ(s, hardwareState{});
    EXPECT_TRUE(logged("getHardwareStatus is NOT CmdSyncOk!\n"));

    // The command exchange skips garbage the same way.
    sim("fault garbage 4");
    bool isSync = false;
    int major = -1;
    EXPECT_EQ(protocol.versionNumber(sendCommandtoMcu(protocol.askVersion(), line_), isSync, major),
              7);
}

TEST_F(McuLineTest, TrailingBytesDoNotSpoilAnswers) {
    sim("press 39");
    sim("fault trailing 3");
    const hardwareState s = readHardwareState(&line_, genKeyInitialedTable());
    EXPECT_EQ(s.keyPressTable.size(), 8u);
    EXPECT_TRUE(isKeyPressed(s.keyPressTable, 39));
    EXPECT_FALSE(isKeyPressed(s.keyPressTable, 38));
    EXPECT_TRUE(
        protocol.isInitZekOk(sendCommandtoMcu(protocol.initZEK(panelColourTable()), line_)));
    EXPECT_FALSE(protocol.isSettingTbarOk(
        sendCommandtoMcu(protocol.settingTbar(mcu::kTbarStoreMaximum), line_)));
}

TEST_F(McuLineTest, SilentMcuGivesAnEmptyAnswerWithinThePollBudget) {
    sim("fault silent");
    EXPECT_EQ(sendStatusCommandtoMcu(protocol.updateKeyBoardStatus(genKeyInitialedTable()), line_),
              "");
    EXPECT_EQ(sendCommandtoMcu(protocol.askVersion(), line_), "");
    EXPECT_TRUE(logged("no data from mcu~, timeout!\n"));

    setLinkProgram(LinkProgram::daemon);
    EXPECT_EQ(sendCommandtoMcu(protocol.askVersion(), line_), "");
    EXPECT_TRUE(logged("no data from mcu~, timeout! 0X550Xaa0X800X040X760X650X72\n"));
    EXPECT_EQ(readHardwareState(&line_, genKeyInitialedTable()), hardwareState{});
    EXPECT_TRUE(logged("wait mcu hardware data sync has problem \n"));
    EXPECT_FALSE(readTBarCaliState(&line_).isKnown());
    EXPECT_TRUE(logged("wait mcu tbar data has problem\n"));
}

TEST_F(McuLineTest, SlowMcu) {
    // 60 ms is within the status exchange's budget of about 125 ms.
    sim("fault delay 60");
    sim("tbar 4321");
    EXPECT_EQ(readHardwareState(&line_, genKeyInitialedTable()).tBarValue, 4321);

    // 300 ms is too slow for a status exchange but well within a command exchange.
    sim("fault delay 300");
    EXPECT_EQ(sendStatusCommandtoMcu(protocol.updateKeyBoardStatus(genKeyInitialedTable()), line_),
              "");
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    line_.FlushInputBuffer();  // the late status answer
    bool isSync = false;
    int major = -1;
    EXPECT_EQ(protocol.versionNumber(sendCommandtoMcu(protocol.askVersion(), line_), isSync, major),
              7);
}

TEST_F(McuLineTest, AnswerArrivingInPiecesIsCollectedWhole) {
    sim("press 33");
    sim("fault bytedelay 10");
    const hardwareState s = readHardwareState(&line_, genKeyInitialedTable());
    EXPECT_EQ(s.keyPressTable.size(), 5u);
    EXPECT_TRUE(isKeyPressed(s.keyPressTable, 33));
}

TEST_F(McuLineTest, BrokenAndMistypedAnswersAreRejectedAndLogged) {
    sim("joy x 100 0");
    sim("fault truncate 12");
    bool isSync = false;
    mcu::AnswerError why = mcu::AnswerError::none;
    const std::string answer =
        sendStatusCommandtoMcu(protocol.updateKeyBoardStatus(genKeyInitialedTable()), line_);
    EXPECT_EQ(answer.size(), 12u);
    EXPECT_EQ(protocol.getHardwareStatus(answer, isSync, &why), hardwareState{});
    EXPECT_TRUE(isSync);
    EXPECT_EQ(why, mcu::AnswerError::truncated);
    readHardwareState(&line_, genKeyInitialedTable());
    EXPECT_TRUE(
        logged("status answer rejected: fewer payload bytes than the length byte promises\n"));

    sim("fault none");
    sim("fault wrongtype");
    EXPECT_EQ(readHardwareState(&line_, genKeyInitialedTable()), hardwareState{});
    EXPECT_TRUE(logged("status answer rejected: wrong command type\n"));
}

TEST_F(McuLineTest, SnapshotIsSharedSafelyBetweenThreads) {
    sim("joy x 2603 1");
    std::atomic<bool> done{false};
    std::thread poller([this, &done] {
        for (int pass = 0; pass < 40; ++pass) {
            writeKeyBoard(&line_, genKeyInitialedTable());
        }
        done = true;
    });
    int seenDeflected = 0;
    while (!done) {
        const hardwareState s = g_HardwareState.get();
        seenDeflected += s.joyStickX == 2603 ? 1 : 0;
        // A reader sees a whole record: the key table is never half written.
        EXPECT_TRUE(s.keyPressTable.empty() || s.keyPressTable.size() == 5u);
        g_HardwareState.update([](hardwareState& state) {
            if (state.keyPressTable.size() > 2) {
                state.keyPressTable[2] = 0;
            }
        });
    }
    poller.join();
    EXPECT_GT(seenDeflected, 0);
    EXPECT_EQ(g_HardwareState.get().joyStickX, 2603);
}

TEST_F(McuLineTest, PollingItemRefreshesTheSnapshotOnlyWhileStarted) {
    sim("joy x 2603 1");
    hardwareState marker;
    marker.jogValue = 77;
    g_HardwareState.set(marker);
    auto item = makeHardwarePollItem(
        &line_, [] { return genKeyInitialedTable(); }, std::chrono::milliseconds(50));
    std::thread thread = startWorkerThread(*item);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(g_HardwareState.get(), marker) << "a new polling item is paused";
    EXPECT_NE(simValue("get counts").find(" 81=0 "), std::string::npos);

    item->startRunningThread();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (g_HardwareState.get().joyStickX != 2603 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(g_HardwareState.get().joyStickX, 2603);
    EXPECT_EQ(g_HardwareState.get().jogValue, 0);
    item->stop();
    thread.join();
}

}  // namespace
