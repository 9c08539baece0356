// virtualFrontPanel: the panel's controls in a window, for trying the panel application by hand
// against the virtual MCU.
//
// usage: virtualFrontPanel --mcu SOCKET --root ROOT [--screenshot FILE]
//   --mcu         control socket of the virtual MCU (keys, joystick, levers; LED colours back)
//   --root        the directory standing in for "/": the encoder pipe is ROOT/dev/input/event0
//                 (created with its name file when missing), the function-key lamps are read
//                 from ROOT/commands.log
//   --screenshot  save the window to FILE a moment after start and on every SIGUSR1
//
// Prints "virtualFrontPanel ready" once the window is shown. SIGTERM or SIGINT close it.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cstdio>

#include "frontPanelWindow.h"
#include "mcuChannel.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int number) {
    const char byte = static_cast<char>(number);
    // Nothing useful can be done from a handler if the pipe is full; the signal is just lost.
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

bool installSignalPipe() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGUSR1}) {
        sigaction(number, &action, nullptr);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("virtualFrontPanel"));
    qRegisterMetaType<frontpanel::LedIndices>();
    qRegisterMetaType<frontpanel::ColourTable>();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The panel's controls in a window."));
    parser.addHelpOption();
    const QCommandLineOption mcuOption(QStringLiteral("mcu"),
                                       QStringLiteral("Control socket of the virtual MCU."),
                                       QStringLiteral("SOCKET"));
    const QCommandLineOption rootOption(QStringLiteral("root"),
                                        QStringLiteral("Directory standing in for \"/\"."),
                                        QStringLiteral("ROOT"));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("Save the window to FILE shortly after start and on SIGUSR1."),
        QStringLiteral("FILE"));
    parser.addOptions({mcuOption, rootOption, screenshotOption});
    parser.process(app);
    const QString socketPath = parser.value(mcuOption);
    const QString root = parser.value(rootOption);
    if (socketPath.isEmpty() || root.isEmpty()) {
        std::fprintf(stderr,
                     "usage: virtualFrontPanel --mcu SOCKET --root ROOT [--screenshot FILE]\n");
        return 2;
    }
    if (!QFileInfo(root).isDir()) {
        std::fprintf(stderr, "virtualFrontPanel: root %s is not a directory\n", qPrintable(root));
        return 2;
    }

    FrontPanelWindow window(root);

    QThread channelThread;
    channelThread.setObjectName(QStringLiteral("mcu control"));
    auto* channel = new McuChannel(socketPath);
    channel->moveToThread(&channelThread);
    QObject::connect(&channelThread, &QThread::started, channel, &McuChannel::start);
    QObject::connect(&channelThread, &QThread::finished, channel, &QObject::deleteLater);
    QObject::connect(&window, &FrontPanelWindow::controlChanged, channel, &McuChannel::send);
    QObject::connect(channel, &McuChannel::ledsUpdated, &window, &FrontPanelWindow::showLeds);
    QObject::connect(channel, &McuChannel::coloursUpdated, &window, &FrontPanelWindow::showColours);
    QObject::connect(channel, &McuChannel::linkStatus, &window, [&window](const QString& text) {
        window.setStatus(QStringLiteral("MCU"), text);
    });
    QObject::connect(channel, &McuChannel::commandStatus, &window, [&window](const QString& text) {
        window.setStatus(QStringLiteral("MCU command"), text);
    });
    channelThread.start();

    const QString screenshot = parser.value(screenshotOption);
    auto takeScreenshot = [&window, screenshot] {
        if (screenshot.isEmpty()) {
            return;
        }
        if (window.saveScreenshot(screenshot)) {
            std::printf("virtualFrontPanel screenshot %s\n", qPrintable(screenshot));
        } else {
            std::fprintf(stderr, "virtualFrontPanel: cannot save %s\n", qPrintable(screenshot));
        }
        std::fflush(stdout);
    };

    if (!installSignalPipe()) {
        std::fprintf(stderr, "virtualFrontPanel: cannot set up signal handling\n");
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&takeScreenshot] {
        char number = 0;
        while (::read(g_signalPipe[0], &number, 1) == 1) {
            if (number == SIGUSR1) {
                takeScreenshot();
            } else {
                QCoreApplication::quit();
            }
        }
    });

    window.show();
    // Announced from the event loop, once the window has actually been put on the screen.
    QTimer::singleShot(0, &app, [] {
        std::printf("virtualFrontPanel ready\n");
        std::fflush(stdout);
    });
    if (!screenshot.isEmpty()) {
        // Long enough for the first LED and colour answers to have been painted.
        QTimer::singleShot(1500, &app, takeScreenshot);
    }

    const int status = app.exec();
    channelThread.quit();
    channelThread.wait();
    return status;
}
