// panelRescue's window, run offscreen with the panel keys sent to it as key events: the chasing
// light and its end, the recovery chord with a good and with a missing previous application, and
// the function-key lamps.
#include <QGuiApplication>
#include <QKeyEvent>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rescueControl.h"
#include "tempRoot.h"

namespace {

class PanelRescueTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_.writeFile("home/zek710a/application/prev/zek710amgrgui", "previous build");
        root_.writeFile("home/zek710a/application/current/zek710amgrgui", "broken build");
        control_ = std::make_unique<rescueControl>([this](int status) {
            exitStatus_ = status;
            loop_.quit();
        });
        engine_ = std::make_unique<QQmlApplicationEngine>();
        engine_->rootContext()->setContextProperty("mainObject", control_.get());
        engine_->load(QUrl(QStringLiteral("qrc:/main.qml")));
        ASSERT_FALSE(engine_->rootObjects().isEmpty());
        window_ = qobject_cast<QQuickWindow*>(engine_->rootObjects().first());
        ASSERT_NE(window_, nullptr);
        message_ = window_->findChild<QQuickItem*>("message");
        ASSERT_NE(message_, nullptr);
    }
    void TearDown() override {
        engine_.reset();
        control_.reset();
    }

    void key(QEvent::Type type, int code) {
        QKeyEvent event(type, code, Qt::NoModifier);
        QCoreApplication::sendEvent(message_, &event);
    }
    void press(int code) { key(QEvent::KeyPress, code); }
    void release(int code) { key(QEvent::KeyRelease, code); }

    // Runs the window until the program would end (or 15 s pass).
    void runUntilExit() {
        QTimer::singleShot(15000, &loop_, &QEventLoop::quit);
        loop_.exec();
    }

    std::vector<std::string> commands() const { return root_.recordedCommands(); }

    // The commands from the first one that starts with first.
    std::vector<std::string> commandsFrom(const std::string& first) const {
        std::vector<std::string> all = commands();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].rfind(first, 0) == 0) {
                return std::vector<std::string>(all.begin() + static_cast<long>(i), all.end());
            }
        }
        return {};
    }

    TempRoot root_;
    QEventLoop loop_;
    std::optional<int> exitStatus_;
    std::unique_ptr<rescueControl> control_;
    std::unique_ptr<QQmlApplicationEngine> engine_;
    QQuickWindow* window_ = nullptr;
    QQuickItem* message_ = nullptr;
};

std::vector<std::string> lamps(const char* r2, const char* r3, const char* r4) {
    return {std::string("i2cset -f -y 1 0x03 0x02 ") + r2,
            std::string("i2cset -f -y 1 0x03 0x03 ") + r3,
            std::string("i2cset -f -y 1 0x03 0x04 ") + r4};
}

TEST_F(PanelRescueTest, WithoutTheChordTheLightChasesTwiceAndTheLampsGoOff) {
    EXPECT_EQ(window_->title(), "ZEK-710A RESCUEv1.0");
    runUntilExit();
    ASSERT_TRUE(exitStatus_.has_value());
    EXPECT_EQ(*exitStatus_, 0);
    std::vector<std::string> expected;
    const std::vector<std::vector<std::string>> steps = {
        lamps("0x00", "0x00", "0x00"), lamps("0x30", "0x00", "0x00"), lamps("0x00", "0x0c", "0x00"),
        lamps("0x00", "0x00", "0x03"), lamps("0x00", "0x00", "0xc0"), lamps("0x30", "0x00", "0x00"),
        lamps("0x00", "0x0c", "0x00"), lamps("0x00", "0x00", "0x03"), lamps("0x00", "0x00", "0xc0"),
        lamps("0x00", "0x00", "0x00")};
    for (const auto& step : steps) {
        expected.insert(expected.end(), step.begin(), step.end());
    }
    EXPECT_EQ(commands(), expected);
    EXPECT_EQ(root_.readFile("home/zek710a/application/current/zek710amgrgui"), "broken build");
}

TEST_F(PanelRescueTest, TheChordPutsThePreviousApplicationBackAndReboots) {
    press(kFunctionKey1);
    press(kFifthPanelKey);
    release(kFunctionKey1);  // let go and take it again: the chord still counts
    press(kFunctionKey1);
    press(kFunctionKey4);
    EXPECT_EQ(message_->property("text").toString(), "ZEK-710A recovering. \nPlease wait...");
    runUntilExit();
    ASSERT_TRUE(exitStatus_.has_value());
    EXPECT_EQ(*exitStatus_, 0);
    EXPECT_EQ(message_->property("text").toString(),
              "ZEK-710A recovery OK.\nPlease wait for rebooting.");
    EXPECT_EQ(root_.readFile("home/zek710a/application/current/zek710amgrgui"), "previous build");
    std::vector<std::string> expected = {
        "sudo cp -f /home/zek710a/application/prev/zek710amgrgui "
        "/home/zek710a/application/current/zek710amgrgui",
        "sync", "sync", "reboot"};
    const std::vector<std::string> off = lamps("0x00", "0x00", "0x00");
    expected.insert(expected.end(), off.begin(), off.end());
    EXPECT_EQ(commandsFrom("sudo cp"), expected);
    // The function keys of the chord lit their lamps when pressed.
    const std::vector<std::string> all = commands();
    EXPECT_EQ(all.front(), "i2cset -f -y 1 0x03 0x02 0x01");
}

TEST_F(PanelRescueTest, AMissingPreviousApplicationIsReportedAndTheLampsGoOff) {
    std::filesystem::remove_all(root_ / "home/zek710a/application/prev");
    press(kFunctionKey1);
    press(kFunctionKey4);
    press(kFifthPanelKey);
    runUntilExit();
    ASSERT_TRUE(exitStatus_.has_value());
    EXPECT_EQ(*exitStatus_, 0);
    EXPECT_EQ(message_->property("text").toString(),
              "ZEK-710A recovery Failed.\nPlease wait for rebooting and try again.");
    EXPECT_EQ(root_.readFile("home/zek710a/application/current/zek710amgrgui"), "broken build");
    const std::vector<std::string> tail = commandsFrom("sudo cp");
    ASSERT_EQ(tail.size(), 7u);
    EXPECT_EQ(tail[3], "reboot");
}

TEST_F(PanelRescueTest, TwoChordKeysOnlyLightTheirLamps) {
    press(kFunctionKey2);
    press(kFunctionKey3);
    press(kFunctionKey1);
    press(kFunctionKey4);  // still without the fifth key
    EXPECT_EQ(commands(), (std::vector<std::string>{
                              "i2cset -f -y 1 0x03 0x02 0x40", "i2cset -f -y 1 0x03 0x03 0x10",
                              "i2cset -f -y 1 0x03 0x02 0x01", "i2cset -f -y 1 0x03 0x04 0x04"}));
    runUntilExit();
    EXPECT_EQ(*exitStatus_, 0);
    EXPECT_TRUE(commandsFrom("sudo cp").empty());
    EXPECT_EQ(root_.readFile("home/zek710a/application/current/zek710amgrgui"), "broken build");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
