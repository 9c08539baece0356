// Camera lines paced by the cameras' answers: a command follows an acknowledged one at once, a
// camera that does not answer or answers "buffer full" gets no more than the fixed pacing allows,
// and the fixed pacing stays available as a setting. Measured on the virtual cameras' own clock
// from the arrival times of what they received. Runs inside the namespaces of netns-run.sh: the
// network cameras stand at 10.77.0.2 and 10.77.0.3.
#include <gtest/gtest.h>

#include <QByteArray>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "mainControl.h"
#include "panelRig.h"
#include "panelState.h"

namespace {

using namespace std::chrono_literals;

struct Transport {
    const char* name;
    int key;     // the camera key that selects it
    int camera;  // its number
    // The least time between two commands with fixed pacing, less 10 ms for the virtual camera
    // reading one of them late on a loaded machine: the serial answer wait and pause (105 ms); a
    // network step asked for every pause (55 ms). Paced by answers to a camera that answers, they
    // come within 20 ms of each other; to a silent one without the fixed waits, within 50 ms.
    double fixedGapMs;
};

const Transport kTransports[] = {
    {"serial", 21, 1, 95}, {"HCIP over TCP", 29, 9, 45}, {"VISCA over IP", 30, 10, 45}};

QByteArray presetRecall(int preset) {
    return QByteArray::fromHex("8101043f0200ff").replace(5, 1, QByteArray(1, char(preset)));
}

std::vector<double> gapsMs(const std::vector<long long>& arrivals) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        gaps.push_back((arrivals[i] - arrivals[i - 1]) / 1e6);
    }
    return gaps;
}

class AnswerPacing : public ::testing::TestWithParam<Transport> {
protected:
    void SetUp() override {
        rig = std::make_unique<PanelRig>(std::vector<int>{1}, std::vector<PanelRig::NetworkCamera>{
                                                                  {"hcipcam", "10.77.0.2", false},
                                                                  {"viscacam", "10.77.0.3", true}});
        ASSERT_TRUE(rig->ready()) << rig->why();
        QObject::connect(&rig->panel(), &mainControl::cameraConnectState,
                         [this](int, const QString&, int) { rig->panel().setRobin(true); });
        rig->panel().setCameraNetworkManual(8, "10.77.0.2", protocolHcip);
        rig->panel().setCameraNetworkManual(9, "10.77.0.3", protocolViscaOverIp);
        ASSERT_TRUE(rig->tapKey(GetParam().key));
        ASSERT_TRUE(waitUntil([] { return currentControl.load() == GetParam().camera; }, 5s));
        waitUntil([] { return cameraCommandRingBuf.isEmpty(); }, 5s);
        camera().command("clear messages");
    }
    void TearDown() override {
        if (rig && rig->ready()) {
            rig->panel().setFixedCameraPacing(false);
        }
        rig.reset();
    }
    VirtualCamera& camera() {
        const int number = GetParam().camera;
        return number == 9    ? rig->networkCamera("hcipcam")
               : number == 10 ? rig->networkCamera("viscacam")
                              : rig->serialCamera(number);
    }
    // Queues recalls of presets first..last at once and waits until the camera applied them all.
    bool recall(int first, int last, std::chrono::milliseconds limit = 10s) {
        const int before = std::stoi(camera().get("presetRecalls"));
        for (int p = first; p <= last; ++p) {
            cameraCommandRingBuf.append(presetRecall(p));
        }
        return waitUntil(
            [&] { return std::stoi(camera().get("presetRecalls")) - before == last - first + 1; },
            limit);
    }
    std::vector<double> recallGaps() { return gapsMs(arrivalsOf(camera(), "8101043f02")); }

    std::unique_ptr<PanelRig> rig;
};

TEST_P(AnswerPacing, AnAcknowledgedCommandIsFollowedAtOnceButNeverBeforeItsAcknowledgement) {
    ASSERT_EQ(camera().command("timing 15 20"), "ok");
    ASSERT_EQ(camera().command("sockets 2"), "ok");
    ASSERT_TRUE(recall(1, 6)) << camera().command("get messages");
    std::vector<double> gaps = recallGaps();
    ASSERT_EQ(gaps.size(), 5u) << camera().command("get messages");
    for (double gap : gaps) {
        EXPECT_GE(gap, 15.0);  // the next command waited for the acknowledgement
    }
    std::sort(gaps.begin(), gaps.end());
    EXPECT_LT(gaps[gaps.size() / 2], GetParam().fixedGapMs);  // and not for the fixed pause
    EXPECT_EQ(camera().get("lastPreset"), "6");
    EXPECT_EQ(camera().command("get timing"), "ack=15 done=20 sockets=2 busy=0");
}

TEST_P(AnswerPacing, ABusyCameraIsPacedBackAndGetsTheCommandAgain) {
    // One socket, and a recall that takes 250 ms: the second recall finds the camera busy.
    ASSERT_EQ(camera().command("timing 0 250"), "ok");
    ASSERT_EQ(camera().command("sockets 1"), "ok");
    ASSERT_TRUE(recall(1, 3)) << camera().command("get messages");
    EXPECT_EQ(camera().get("lastPreset"), "3");
    const std::string timing = camera().command("get timing");
    EXPECT_EQ(timing.find("busy=0"), std::string::npos) << timing;
    // From the first refusal on, the fixed pacing.
    const std::vector<double> gaps = recallGaps();
    ASSERT_GE(gaps.size(), 3u);
    for (std::size_t i = 1; i < gaps.size(); ++i) {
        EXPECT_GE(gaps[i], GetParam().fixedGapMs) << camera().command("get times");
    }
}

TEST_P(AnswerPacing, NoMoreThanTheFixedRateToASilentCameraOrWithTheFixedPacingSetting) {
    // A camera that never answers.
    ASSERT_EQ(camera().command("fault silent"), "ok");
    ASSERT_TRUE(recall(1, 4));
    std::vector<double> gaps = recallGaps();
    ASSERT_EQ(gaps.size(), 3u);
    for (double gap : gaps) {
        EXPECT_GE(gap, GetParam().fixedGapMs) << "silent: " << camera().command("get times");
    }
    // A camera that answers at once, with the fixed pacing chosen (and saved).
    ASSERT_EQ(camera().command("fault none"), "ok");
    rig->panel().setFixedCameraPacing(true);
    EXPECT_TRUE(zek710aSettings().value("system/fixedCameraPacing").toBool());
    camera().command("clear messages");
    ASSERT_TRUE(recall(5, 9));
    gaps = recallGaps();
    ASSERT_EQ(gaps.size(), 4u);
    for (double gap : gaps) {
        EXPECT_GE(gap, GetParam().fixedGapMs) << "fixed: " << camera().command("get times");
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, AnswerPacing, ::testing::ValuesIn(kTransports),
                         [](const ::testing::TestParamInfo<Transport>& info) {
                             std::string name = info.param.name;
                             name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                             return name;
                         });

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
