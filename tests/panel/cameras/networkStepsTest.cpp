// The network steps of the command round robin in the panel against virtual network cameras, and
// what the main screen does with an unreachable camera. Runs inside network namespaces made by
// netns-run.sh: the cameras stand in the camera namespace at 10.77.0.2 and 10.77.0.3.
#include <QEvent>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"
#include "qmltranslator.h"

namespace {

using namespace std::chrono_literals;

PanelRig* rig = nullptr;

// Messages as the catalogue writes them.
const QByteArray kZoomStop = QByteArray::fromHex("8101040700ff");
const QByteArray kRecall2 = QByteArray::fromHex("8101043f0202ff");
const QByteArray kRecall4 = QByteArray::fromHex("8101043f0204ff");
const QByteArray kRecall5 = QByteArray::fromHex("8101043f0205ff");

class PanelEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        rig = new PanelRig({}, {{"hcipcam", "10.77.0.2", false}, {"viscacam", "10.77.0.3", true}});
        ASSERT_TRUE(rig->ready()) << rig->why();
    }
    void TearDown() override {
        delete rig;
        rig = nullptr;
    }
};

// Every test starts with an idle queue and a round robin that runs, and ends leaving serial camera
// 1 in control, which asks nothing of the GUI thread.
class NetworkStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(rig, nullptr);
        useSerialPort = true;
        cameraCommandRingBuf.clear();
        cmdPrev.reset();
        for (std::atomic<bool>& flag : noMoreWarning) {
            flag = false;
        }
        runRobin = true;
    }
    void TearDown() override {
        cameraCommandRingBuf.clear();
        currentControl = 1;
        currentStatusOnScreen = 1;
        runRobin = true;
        waitUntil([] { return false; }, 200ms);  // steps already asked for run out
    }

    // HCIP camera 9 (slot 8), connected.
    static VirtualCamera& hcipCamera9() {
        rig->panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
        return rig->networkCamera("hcipcam");
    }
};

TEST_F(NetworkStepTest, AnAnsweredCommandResetsTheStatusCounter) {
    VirtualCamera& camera = hcipCamera9();
    runRobin = false;  // this step only, run here
    // A round-robin step already under way counts itself at its end: it must be over before the
    // counter is looked at (a slow sanitizer build makes that window wide).
    waitUntil([] { return false; }, 300ms);
    currentControl = 9;
    currentStatusOnScreen = 9;
    camera.command("clear messages");
    cameraCommandRingBuf.append(kRecall4);
    camStatusCounter = 7;
    rig->panel().tcpCommand();
    EXPECT_EQ(camera.get("lastPreset"), "4");
    EXPECT_EQ(camStatusCounter.load(), 0) << "the camera's answer was not read";
}

// Counts the queued calls that reach the panel object: each network step the round robin asks
// for is one.
class queuedCallCounter : public QObject {
public:
    int calls = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MetaCall) {
            ++calls;
        }
        return false;
    }
};

TEST_F(NetworkStepTest, OneStepInFlightWhileTheGuiThreadIsHeld) {
    hcipCamera9();
    currentControl = 9;
    currentStatusOnScreen = 9;
    waitUntil([] { return false; }, 300ms);  // the round robin is under way

    // Nothing else sends queued calls to the panel here: no key, no rotary turn, no screen
    // saver, no serial camera on screen.
    queuedCallCounter counter;
    rig->panel().installEventFilter(&counter);
    QThread::msleep(900);  // a GUI thread held up, as by a slow camera or a connect
    // The round robin stops while the GUI thread is still held, so a step it begins once the
    // held one ran is not counted as one that piled up.
    runRobin = false;
    QThread::msleep(300);
    waitUntil([] { return false; }, 500ms);
    rig->panel().removeEventFilter(&counter);
    EXPECT_GE(counter.calls, 1) << "the round robin asked for no network step at all";
    EXPECT_LE(counter.calls, 1) << "network steps piled up behind the held GUI thread";
}

TEST_F(NetworkStepTest, ViscaCameraOfAnotherProtocolDropsEveryRepeatAndSavesItsSequence) {
    mainControl& panel = rig->panel();
    panel.setCameraNetworkManual(9, "10.77.0.3", protocolSimpleVisca);
    // A saved list may hold a camera driven by VISCA over UDP under a third protocol number.
    cameraDevice.update(9, [](orb_camera_info& r) {
        r.protocolIndex = 3;
        r.viscaSerial = 41;
    });
    QSettings& settings = zek710aSettings();
    settings.remove("ViscaSerial");
    settings.sync();
    VirtualCamera& camera = rig->networkCamera("viscacam");
    camera.command("clear messages");
    currentControl = 10;
    currentStatusOnScreen = 10;

    for (const QByteArray& message : {kZoomStop, kZoomStop, kRecall2, kRecall2, kRecall5}) {
        cameraCommandRingBuf.append(message);
    }
    ASSERT_TRUE(waitUntil([&] { return camera.get("lastPreset") == "5"; }))
        << camera.command("get messages");
    const std::string messages = camera.command("get messages");
    EXPECT_EQ(countOf(messages, "8101040700ff"), 1) << messages;
    EXPECT_EQ(countOf(messages, "8101043f0202ff"), 1) << messages;

    const QSettings saved(
        QString::fromStdString(rig->root().path() + "/home/zek710a/.config/velmora/zek710a.conf"),
        QSettings::IniFormat);
    EXPECT_EQ(saved.value("ViscaSerial/10.77.0.3").toString().toStdString(), "41");
}

// The main screen on the panel, as main() sets it up.
class UnreachableScreenTest : public NetworkStepTest {
protected:
    static void SetUpTestSuite() {
        translator_ = new QmlTranslator;
        engine_ = new QQmlApplicationEngine;
        engine_->rootContext()->setContextProperty("mainObject", &rig->panel());
        engine_->rootContext()->setContextProperty("qmlTranslator", translator_);
        engine_->load(QUrl(QStringLiteral("qrc:/main.qml")));
        // The start-up runs after the first frame; the tests begin once it is over.
        waitUntil([] {
            const QObject* splash =
                engine_->rootObjects().isEmpty()
                    ? nullptr
                    : engine_->rootObjects().first()->findChild<QObject*>("splash");
            return splash != nullptr && !splash->property("visible").toBool();
        });
    }
    static void TearDownTestSuite() {
        delete engine_;
        engine_ = nullptr;
        delete translator_;
        translator_ = nullptr;
    }

    void SetUp() override {
        NetworkStepTest::SetUp();
        ASSERT_EQ(engine_->rootObjects().size(), 1);
        screen_ = engine_->rootObjects().first();
        screen_->setProperty("connectMessage", QString());
        scan = 1;
        // Camera 11: nobody placed there, no address.
        currentControl = 11;
        currentStatusOnScreen = 11;
        connection_ =
            QObject::connect(&rig->panel(), &mainControl::cameraConnectState,
                             [this](int index, const QString&, int) { raised_.push_back(index); });
    }
    void TearDown() override {
        QObject::disconnect(connection_);
        NetworkStepTest::TearDown();
        screen_->setProperty("connectMessage", QString());
    }

    // A command for camera 11 is due.
    void raiseByACommand() {
        cameraCommandRingBuf.append(kRecall2);
        ASSERT_TRUE(waitUntil([this] { return !raised_.empty(); }));
        cameraCommandRingBuf.clear();
        EXPECT_EQ(raised_.front(), 11);
    }
    std::string shownMessage() const {
        return screen_->property("connectMessage").toString().toStdString();
    }

    QObject* screen_ = nullptr;
    std::vector<int> raised_;
    QMetaObject::Connection connection_;
    static QmlTranslator* translator_;
    static QQmlApplicationEngine* engine_;
};

QmlTranslator* UnreachableScreenTest::translator_ = nullptr;
QQmlApplicationEngine* UnreachableScreenTest::engine_ = nullptr;

TEST_F(UnreachableScreenTest, ShownAndTheRoundRobinWaits) {
    raiseByACommand();
    EXPECT_EQ(shownMessage(), "No device connect to Camera 11.\nPlease select another one.");
    EXPECT_FALSE(runRobin.load());
}

TEST_F(UnreachableScreenTest, NotShownWhenAskedNotToSeeItAgain) {
    rig->panel().setSeeNoMoreWarning(10, true);
    raiseByACommand();
    EXPECT_EQ(shownMessage(), "");
    EXPECT_TRUE(runRobin.load()) << "the screen did not set the round robin going again";
}

}  // namespace

int main(int argc, char** argv) {
    // The screens need a window system; an offscreen one with software rendering will do.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) {
        qputenv("QT_QUICK_BACKEND", "software");
    }
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PanelEnvironment);
    return RUN_ALL_TESTS();
}
