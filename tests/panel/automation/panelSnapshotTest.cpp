#include "eventLog.h"
#include "panelSnapshot.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <thread>

namespace {

std::string json(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

automation::panelSnapshot studio() {
    automation::panelSnapshot s;
    s.panelVersion = "1.0.7";
    s.mcuVersion = "0.2.0.5";
    s.controlledCamera = 9;
    s.onScreenCamera = 1;
    s.tallyMode = 2;
    s.switcherAddress = "192.168.100.101";
    s.switcherLinked = true;
    s.cameras[0] = {true, "ORB270", "/dev/ttyUSB0", "serial", true, false, true, 0};
    s.cameras[8] = {true, "studio-close", "10.77.0.12", "hcip", true, true, false, 5};
    return s;
}

TEST(AutomationState, TheWholeStateAsJson) {
    const std::string state = json(automation::stateObject(studio()));
    EXPECT_EQ(state.rfind(R"({"cameras":[)", 0), 0u);
    EXPECT_NE(state.find(R"({"address":"/dev/ttyUSB0","camera":1,"exists":true,"lastPreset":0,)"
                         R"("link":"up","name":"ORB270","protocol":"serial",)"
                         R"("tally":{"green":true,"red":false}})"),
              std::string::npos)
        << state;
    EXPECT_NE(state.find(R"({"address":"10.77.0.12","camera":9,"exists":true,"lastPreset":5,)"
                         R"("link":"up","name":"studio-close","protocol":"hcip",)"
                         R"("tally":{"green":false,"red":true}})"),
              std::string::npos);
    EXPECT_NE(state.find(R"({"address":"","camera":24,"exists":false,"lastPreset":0,"link":"down",)"
                         R"("name":"","protocol":"","tally":{"green":false,"red":false}}])"),
              std::string::npos);
    EXPECT_NE(state.find(R"("selection":{"controlled":9,"onScreen":1})"), std::string::npos);
    EXPECT_NE(state.find(R"("tally":{"mode":"switcher","switcher":{"address":"192.168.100.101",)"
                         R"("link":"up"}})"),
              std::string::npos);
    EXPECT_NE(state.find(R"("version":{"mcu":"0.2.0.5","panel":"1.0.7"})"), std::string::npos);
}

TEST(AutomationEvents, OneEventPerChangeInAFixedOrder) {
    const automation::panelSnapshot before = studio();
    EXPECT_TRUE(automation::eventsBetween(before, before).empty());

    automation::panelSnapshot after = before;
    after.cameras[8].lastPreset = 6;
    after.cameras[2].exists = true;
    after.controlledCamera = 3;
    after.switcherLinked = false;
    const std::vector<QJsonObject> events = automation::eventsBetween(before, after);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(json(events[0]), R"({"selection":{"controlled":3,"onScreen":1},"type":"selection"})");
    EXPECT_EQ(json(events[1]),
              R"({"tally":{"mode":"switcher","switcher":{"address":"192.168.100.101",)"
              R"("link":"down"}},"type":"tally"})");
    EXPECT_EQ(json(events[2]),
              R"({"camera":{"address":"","camera":3,"exists":true,"lastPreset":0,"link":"down",)"
              R"("name":"","protocol":"","tally":{"green":false,"red":false}},"type":"camera"})");
    EXPECT_NE(json(events[3]).find(R"("camera":9,)"), std::string::npos);
    EXPECT_NE(json(events[3]).find(R"("lastPreset":6)"), std::string::npos);
}

TEST(AutomationEventLog, NumbersEventsAndTellsAClientThatFellBehind) {
    using namespace std::chrono_literals;
    automation::eventLog log;
    EXPECT_FALSE(log.latest().published);
    automation::panelSnapshot s = studio();
    EXPECT_EQ(log.publish(s), 0u);  // the first state makes no events
    EXPECT_TRUE(log.latest().published);
    EXPECT_TRUE(log.after(0, 0ms).events.empty());

    s.controlledCamera = 2;
    s.cameras[1].lastPreset = 3;
    EXPECT_EQ(log.publish(s), 2u);
    const auto both = log.after(0, 0ms);
    ASSERT_EQ(both.events.size(), 2u);
    EXPECT_EQ(both.events[0].json,
              R"({"selection":{"controlled":2,"onScreen":1},"seq":1,"type":"selection"})");
    EXPECT_EQ(both.events[1].type, "camera");
    EXPECT_EQ(both.events[1].sequence, 2u);
    EXPECT_EQ(log.latest().sequence, 2u);
    EXPECT_EQ(log.latest().snapshot.controlledCamera, 2);
    ASSERT_EQ(log.after(1, 0ms).events.size(), 1u);

    // A reader waiting for the next event gets it as it is published.
    std::thread publisher([&log, s]() mutable {
        std::this_thread::sleep_for(50ms);
        s.onScreenCamera = 2;
        log.publish(s);
    });
    const auto next = log.after(2, 5s);
    publisher.join();
    ASSERT_EQ(next.events.size(), 1u);
    EXPECT_EQ(next.events[0].sequence, 3u);

    // More changes than are kept: a reader still at event 3 lost some.
    for (std::size_t i = 0; i <= automation::eventLog::kEventsKept; ++i) {
        s.controlledCamera = s.controlledCamera == 1 ? 2 : 1;
        log.publish(s);
    }
    EXPECT_TRUE(log.after(3, 0ms).lost);
    EXPECT_FALSE(log.after(log.latest().sequence - 1, 0ms).lost);

    // Closing ends the waits at once.
    std::thread closer([&log] {
        std::this_thread::sleep_for(50ms);
        log.close();
    });
    EXPECT_TRUE(log.after(log.latest().sequence, 10s).closed);
    closer.join();
}

}  // namespace
