// Stops that get lost on their way to a camera, or whose answer does: the panel sends them again
// until the camera confirms them, on every transport, and stops the cameras it leaves moving.
// The panel application runs in this process against the virtual MCU and virtual cameras that lose
// messages on request. Runs inside the namespaces of netns-run.sh: the network cameras stand at
// 10.77.0.2 to 10.77.0.4.
#include <QCoreApplication>
#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"

namespace {

using namespace std::chrono_literals;

const char* const kPanTiltStop = "8101060101010303ff";
const char* const kZoomStop = "8101040700ff";

// Every line the panel logs while a test runs.
std::mutex logMutex;
std::vector<std::string> logLines;
void keepLogLine(QtMsgType, const QMessageLogContext&, const QString& text) {
    std::lock_guard<std::mutex> lock(logMutex);
    logLines.push_back(text.toStdString());
}
int linesWith(const std::string& part) {
    std::lock_guard<std::mutex> lock(logMutex);
    int n = 0;
    for (const std::string& line : logLines) {
        n += line.find(part) != std::string::npos ? 1 : 0;
    }
    return n;
}

struct Transport {
    const char* name;
    int key;     // the camera key that selects it
    int camera;  // its number
};

class StopResend : public ::testing::Test {
protected:
    void SetUp() override {
        {
            std::lock_guard<std::mutex> lock(logMutex);
            logLines.clear();
        }
        previousHandler = qInstallMessageHandler(keepLogLine);
        rig = std::make_unique<PanelRig>(
            std::vector<int>{1, 2},
            std::vector<PanelRig::NetworkCamera>{{"hcipcam", "10.77.0.2", false},
                                                 {"viscacam", "10.77.0.3", true},
                                                 {"barecam", "10.77.0.4", true}});
        ASSERT_TRUE(rig->ready()) << rig->why();
        // The screen's part: the unreachable message is confirmed at once.
        QObject::connect(&rig->panel(), &mainControl::cameraConnectState,
                         [this](int, const QString&, int) { rig->panel().setRobin(true); });
        rig->panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
        rig->panel().setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
        rig->panel().setCameraNetworkManual(10, "10.77.0.4", protocolSimpleVisca);
    }
    void TearDown() override {
        rig.reset();
        qInstallMessageHandler(previousHandler);
    }

    VirtualCamera& cameraOf(const Transport& t) {
        switch (t.camera) {
            case 9:
                return rig->networkCamera("hcipcam");
            case 10:
                return rig->networkCamera("viscacam");
            case 11:
                return rig->networkCamera("barecam");
            default:
                return rig->serialCamera(t.camera);
        }
    }
    void select(const Transport& t) {
        ASSERT_TRUE(rig->tapKey(t.key)) << t.name;
        ASSERT_TRUE(waitUntil([&] { return currentControl.load() == t.camera; }, 5s)) << t.name;
    }
    // Pans the controlled camera right until it moves.
    void panRight(VirtualCamera& camera, const char* name) {
        rig->mcu().command("joy x 1400 1");
        ASSERT_TRUE(waitUntil([&] { return camera.get("panDir") == "right"; }, 5s)) << name;
    }
    bool stopsWithin(VirtualCamera& camera, std::chrono::milliseconds limit = 5s) {
        return waitUntil([&] { return camera.get("panDir") == "stop"; }, limit);
    }

    QtMessageHandler previousHandler = nullptr;
    std::unique_ptr<PanelRig> rig;
};

const Transport kTransports[] = {{"serial", 21, 1},
                                 {"HCIP over TCP", 29, 9},
                                 {"VISCA over IP", 30, 10},
                                 {"bare VISCA over UDP", 31, 11}};

TEST_F(StopResend, ALostStopIsSentAgainOnEveryTransport) {
    for (const Transport& t : kTransports) {
        VirtualCamera& camera = cameraOf(t);
        select(t);
        panRight(camera, t.name);
        ASSERT_EQ(camera.command("lose in 1 81 01 06 01 01 01 03 03 ff"), "ok");
        camera.command("clear messages");
        rig->mcu().command("joy x 0 0");
        EXPECT_TRUE(stopsWithin(camera)) << t.name << ": " << camera.command("get messages");
        EXPECT_EQ(camera.command("get lost"), "in=1 out=0") << t.name;
        // The camera took exactly one: the first never reached it.
        EXPECT_EQ(countOf(camera.command("get messages"), kPanTiltStop), 1) << t.name;
        EXPECT_TRUE(
            waitUntil([&] { return countOf(camera.command("get messages"), kZoomStop) == 1; }, 3s))
            << t.name;
    }
}

TEST_F(StopResend, ALostAnswerLeavesTheCameraStoppedAndTheNumberingWhole) {
    const Transport& t = kTransports[2];  // VISCA over IP, with its sequence numbers checked
    VirtualCamera& camera = cameraOf(t);
    ASSERT_EQ(camera.command("sequence check on"), "ok");
    select(t);
    panRight(camera, t.name);
    ASSERT_EQ(camera.command("lose out 1 81 01 06 01 01 01 03 03 ff"), "ok");
    camera.command("clear messages");
    rig->mcu().command("joy x 0 0");
    ASSERT_TRUE(stopsWithin(camera));
    // The stop went again under its own number, which the camera had already taken: it refused
    // it, and the panel reset the count and sent it under the next number, which was confirmed.
    EXPECT_TRUE(
        waitUntil([&] { return countOf(camera.command("get messages"), kPanTiltStop) == 2; }, 3s))
        << camera.command("get messages");
    EXPECT_EQ(camera.get("panDir"), "stop");
    // The next move and stop go through at once.
    camera.command("clear messages");
    panRight(camera, t.name);
    rig->mcu().command("joy x 0 0");
    EXPECT_TRUE(stopsWithin(camera));
    EXPECT_EQ(countOf(camera.command("get messages"), kPanTiltStop), 1);
}

TEST_F(StopResend, ACameraThatNeverAnswersGetsABoundedNumberOfStops) {
    for (const Transport& t : {kTransports[0], kTransports[2]}) {
        VirtualCamera& camera = cameraOf(t);
        select(t);
        panRight(camera, t.name);
        ASSERT_EQ(camera.command("fault silent"), "ok");
        camera.command("clear messages");
        rig->mcu().command("joy x 0 0");
        // The first send and seven more, then the log line, for the pan-tilt and the zoom stop.
        ASSERT_TRUE(waitUntil(
            [&] {
                return linesWith(
                           "did not confirm stop 81 01 06 01 01 01 03 03 ff after 8 sends: "
                           "given up") == 1;
            },
            10s))
            << t.name;
        ASSERT_TRUE(waitUntil(
            [&] { return linesWith("did not confirm stop 81 01 04 07 00 ff after 8 sends") == 1; },
            10s))
            << t.name;
        QCoreApplication::processEvents();
        const std::string messages = camera.command("get messages");
        EXPECT_EQ(countOf(messages, kPanTiltStop), 8) << t.name << ": " << messages;
        EXPECT_EQ(countOf(messages, kZoomStop), 8) << t.name;
        // The panel goes on: a preset key still reaches the camera.
        ASSERT_TRUE(rig->tapKey(16));
        EXPECT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "2"; }, 5s)) << t.name;
        ASSERT_EQ(camera.command("fault none"), "ok");
        std::lock_guard<std::mutex> lock(logMutex);
        logLines.clear();
    }
}

TEST_F(StopResend, TheCameraLeftMovingIsStoppedWhenAnotherIsSelected) {
    // Serial: camera 1 pans while camera key 2 is pressed.
    VirtualCamera& one = rig->serialCamera(1);
    select(kTransports[0]);
    panRight(one, "camera 1");
    ASSERT_TRUE(rig->tapKey(22));
    EXPECT_TRUE(stopsWithin(one, 3s)) << one.command("get messages");
    // The camera selected now does not start moving by itself.
    EXPECT_EQ(rig->serialCamera(2).get("panDir"), "stop");
    rig->mcu().command("joy x 0 0");

    // Network: camera 10 pans and loses its first stop while camera key 1 is pressed.
    VirtualCamera& ten = cameraOf(kTransports[2]);
    select(kTransports[2]);
    panRight(ten, "camera 10");
    ASSERT_EQ(ten.command("lose in 1 81 01 06 01 01 01 03 03 ff"), "ok");
    ASSERT_TRUE(rig->tapKey(21));
    EXPECT_TRUE(stopsWithin(ten, 3s)) << ten.command("get messages");
    EXPECT_EQ(ten.command("get lost"), "in=1 out=0");
    rig->mcu().command("joy x 0 0");
}

TEST_F(StopResend, ASilentMcuStopsTheCameraUnderTheJoystick) {
    VirtualCamera& camera = rig->serialCamera(1);
    select(kTransports[0]);
    panRight(camera, "camera 1");
    ASSERT_EQ(rig->mcu().command("fault silent"), "ok");
    EXPECT_TRUE(stopsWithin(camera, 3s)) << camera.command("get messages");
    EXPECT_EQ(countOf(camera.command("get messages"), kPanTiltStop), 1);
    ASSERT_EQ(rig->mcu().command("fault none"), "ok");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
