// zek710amgrgui: the touch-screen panel application.
#include <QDebug>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickWindow>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "commandRunner.h"
#include "linkLog.h"
#include "mainControl.h"
#include "mcuCommunicate.h"
#include "mcuExchange.h"
#include "panelState.h"
#include "pathResolver.h"
#include "qmltranslator.h"
#include "softwareUpdate.h"

namespace {

// The link code's lines go to Qt's message output like every other diagnostic of the program.
void routeLinkLogToQt() {
    setLinkLogSink([](const char*, const std::string& line) {
        std::string text = line;
        if (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        qDebug().noquote() << QString::fromStdString(text);
    });
}

// The first frame of the main window on the screen, with the time since the program started:
// what the operator waits for after power-on, once the board has booted.
void logFirstFrame(QQmlApplicationEngine& engine, const QElapsedTimer& sinceStart) {
    if (engine.rootObjects().isEmpty()) {
        return;
    }
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (window == nullptr) {
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection =
        QObject::connect(window, &QQuickWindow::frameSwapped, window, [connection, sinceStart] {
            qDebug().noquote() << "First frame after" << sinceStart.elapsed() << "ms";
            QObject::disconnect(*connection);
        });
}

// With ZEK_UI_TOUR set to a QML document, that document is made beside the main window, with the
// window as its `window` and ZEK_UI_TOUR_OUTPUT as its `outputDir`: a guided tour of the screens
// that saves a picture of each (scripts/screenshots.sh). Without it nothing happens.
void startScreenTourIfAsked(QQmlApplicationEngine& engine) {
    const QString tour = qEnvironmentVariable("ZEK_UI_TOUR");
    if (tour.isEmpty() || engine.rootObjects().isEmpty()) {
        return;
    }
    QQmlComponent component(&engine, QUrl::fromLocalFile(tour));
    QObject* guide = component.beginCreate(engine.rootContext());
    if (guide == nullptr) {
        qDebug().noquote() << "screen tour:" << component.errorString();
        return;
    }
    guide->setParent(&engine);
    guide->setProperty("window", QVariant::fromValue(engine.rootObjects().first()));
    guide->setProperty("outputDir", qEnvironmentVariable("ZEK_UI_TOUR_OUTPUT"));
    component.completeCreate();
}

// SIGTERM (systemd stopping the panel) and SIGINT end the event loop instead of the process, so
// the panel stops the cameras it drives and saves what it keeps before it ends. The handler only
// writes a byte to a pipe; the GUI thread reads it.
int quitSignalPipe[2] = {-1, -1};

void onQuitSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(quitSignalPipe[1], &byte, 1);
}

std::unique_ptr<QSocketNotifier> quitOnSignals(QCoreApplication& app) {
    if (::pipe2(quitSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qDebug() << "no pipe for SIGTERM: the panel ends at once when stopped";
        return nullptr;
    }
    auto notifier = std::make_unique<QSocketNotifier>(quitSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &app, [&app] {
        char byte = 0;
        while (::read(quitSignalPipe[0], &byte, 1) > 0) {
        }
        qDebug() << "stop requested: ending";
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    return notifier;
}

// With ZEK_SCREENSHOT set to a file name, the window is saved there once a second, so the
// screen can be seen where there is no display (the demo runs the offscreen platform).
void saveScreenshotsIfAsked(QQmlApplicationEngine& engine) {
    const QString path = qEnvironmentVariable("ZEK_SCREENSHOT");
    if (path.isEmpty() || engine.rootObjects().isEmpty()) {
        return;
    }
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (window == nullptr) {
        return;
    }
    auto* timer = new QTimer(window);
    QObject::connect(timer, &QTimer::timeout, window, [window, path] {
        const QString partial = path + ".part.png";
        const QImage image = window->grabWindow();
        if (image.isNull() || !image.save(partial, "PNG")) {
            qDebug() << "screenshot failed:" << image.size() << partial;
            return;
        }
        QFile::remove(path);
        QFile::rename(partial, path);
    });
    timer->start(1000);
}

// Every touch on the screen, on any control or dialog, tells the main window, whose screen saver
// waits again from then on.
class userActivityFilter : public QObject {
public:
    explicit userActivityFilter(QObject* window) : window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::TouchBegin) {
            QMetaObject::invokeMethod(window_, "userActivity", Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QObject* window_;
};

// The application object, which with ZEK_STALL_LOG set times every event the GUI thread handles
// from its event loop and logs those that held the thread for 16 ms or more (a frame at 60 Hz):
// "GUI stall: N ms (receiver class, event type T)". bench/guiStallBench.sh reads these lines.
class panelApplication : public QGuiApplication {
public:
    panelApplication(int& argc, char** argv)
        : QGuiApplication(argc, argv), timeEvents_(qEnvironmentVariableIsSet("ZEK_STALL_LOG")) {}

    bool notify(QObject* receiver, QEvent* event) override {
        // The workers' threads deliver their events through here too; only the GUI thread's
        // count, and only at its event loop's level.
        if (!timeEvents_ || depth_ > 0 || QThread::currentThread() != thread()) {
            return QGuiApplication::notify(receiver, event);
        }
        const int type = event->type();
        const char* target = receiver->metaObject()->className();
        QElapsedTimer held;
        held.start();
        ++depth_;
        const bool handled = QGuiApplication::notify(receiver, event);
        --depth_;
        const qint64 ms = held.elapsed();
        if (ms >= kStallMs) {
            qDebug().noquote() << "GUI stall:" << ms << "ms (" << target << ", event type" << type
                               << ")";
        }
        return handled;
    }

private:
    static constexpr qint64 kStallMs = 16;
    const bool timeEvents_;
    int depth_ = 0;  // events sent from inside a handler count in their handler's time
};

// "zek710amgrgui --update check|install": the About screen's two operations without a screen,
// for service work, tests and the demo. The check asks the MCU for its version once, as the
// running panel knows it; the install does not need the MCU.
int runUpdateFromCommandLine(const std::string& operation) {
    update::softwareUpdater::listeners tell;
    tell.progress = [](int percent) { std::printf("progress %d\n", percent); };
    tell.newVersion = [](bool upable, const std::string& appver, const std::string& mcuver) {
        std::printf("new version: upable=%d app=%s mcu=%s\n", upable ? 1 : 0, appver.c_str(),
                    mcuver.c_str());
    };
    tell.result = [](const std::string& result) { std::printf("result %s\n", result.c_str()); };
    update::softwareUpdater updater(
        tell, [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); });
    if (operation == "check") {
        int major = -1;
        int minor = -1;
        LibSerial::SerialStream line;
        if (openMcuLine(line, platform::resolvePath("/dev/ttyAMA0"))) {
            bool isSync = false;
            minor = mcuCommunicate().versionNumber(
                sendCommandtoMcu(mcuCommunicate().askVersion(), line), isSync, major);
        }
        const std::string appver = updater.getUpgradeVersion(
            currentSoftwareVersionString().toStdString(), formatMcuVersion(major, minor));
        std::fflush(stdout);
        return appver == "ERROR" ? 1 : 0;
    }
    const std::string result = updater.callUpgrade();
    std::fflush(stdout);
    return result == "OK" ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (argc == 2 && std::strcmp(argv[1], "-v") == 0) {
        std::printf("v%s\n", currentSoftwareVersionString().toLatin1().constData());
        return 0;
    }
    setLinkProgram(LinkProgram::panel);
    if (argc == 3 && std::strcmp(argv[1], "--update") == 0 &&
        (std::strcmp(argv[2], "check") == 0 || std::strcmp(argv[2], "install") == 0)) {
        return runUpdateFromCommandLine(argv[2]);
    }
    routeLinkLogToQt();

    // The boot splash viewer is ended once the panel takes the screen.
    platform::runCommand("kill $(ps ax | grep [f]bi | awk '{print $1}')");
    platform::runCommand("sync");

    testmode = QFile::exists(
        QString::fromStdString(platform::resolvePath("/run/media/sda1/velmora/tester")));
    qDebug() << "Testmode:" << testmode.load();

    panelApplication app(argc, argv);
    const std::unique_ptr<QSocketNotifier> quitNotifier = quitOnSignals(app);
    app.setOrganizationName("velmora");
    app.setApplicationName("zek710a");
    placeSettingsUnderRoot();
    // The screens ask for "Calibri", which the board's system does not carry: Carlito has the same
    // metrics, so texts keep their widths; Chinese texts come from a CJK font.
    QFont::insertSubstitutions(QStringLiteral("Calibri"),
                               {QStringLiteral("Carlito"), QStringLiteral("WenQuanYi Micro Hei")});

    QQmlApplicationEngine engine;
    QmlTranslator translator;
    mainControl control;
    engine.rootContext()->setContextProperty("mainObject", &control);
    engine.rootContext()->setContextProperty("qmlTranslator", &translator);
    QElapsedTimer loading;
    loading.start();
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    // The screens' documents and sysInit, before the event loop runs: one stall at start-up.
    if (qEnvironmentVariableIsSet("ZEK_STALL_LOG")) {
        qDebug().noquote() << "GUI stall:" << loading.elapsed() << "ms ( loading the screens )";
    }
    std::unique_ptr<userActivityFilter> activity;
    if (!engine.rootObjects().isEmpty()) {
        activity = std::make_unique<userActivityFilter>(engine.rootObjects().first());
        app.installEventFilter(activity.get());
    }
    logFirstFrame(engine, sinceStart);
    startScreenTourIfAsked(engine);
    saveScreenshotsIfAsked(engine);
    const int status = app.exec();
    control.stopWorkers();
    return status;
}
