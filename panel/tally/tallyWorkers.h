// The two tally workers: the contact inputs (GPI tally) and the link to the video switcher
// (network tally). Each runs on a thread of its own and reports by queued signals.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>

#include "loopWorker.h"

class switcherSocket;

// Reads the contact tally inputs from the GPIO block and records the lamp states they ask for.
class tallyWorker : public loopWorker {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kPinPeriod{77};       // one full scan ~0.92 s
    static constexpr std::chrono::milliseconds kTestPinPeriod{200};  // the factory test's pace
public slots:
    int doTallyCheck();
signals:
    void refreshTallyRed(int);
    void refreshTallyGreen(int);

private:
    void testScan();
    void tallyScan();
};

// The link to the video switcher: asks for the real-time port, connects, polls and stores the
// tally byte of each channel in tallyStatus. When the link ends (the switcher drops it, restarts,
// goes silent or never answers) the tally it reported is forgotten, so no lamp stays lit on old
// news, and the link is tried again after a pause that doubles up to a bound.
class switcherWorker : public loopWorker {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kPollPause{88};
    static constexpr std::chrono::milliseconds kAnswerWait{1000};
    // The longest a poll cycle may take with a slow switcher: the wait for the poll to be
    // written, the wait for the answer, and the pause.
    static constexpr std::chrono::milliseconds kSlowestCycle = 2 * kAnswerWait + kPollPause;
    // A connected switcher counts as gone only when not a byte has come for three of the slowest
    // cycles: a switcher busy with something else and slow to answer keeps its link and lamps.
    static constexpr std::chrono::milliseconds kSilenceLimit = 3 * kSlowestCycle;
    static constexpr std::chrono::milliseconds kFirstRetryPause{500};
    static constexpr std::chrono::milliseconds kLongestRetryPause{8000};
    // More than any answer of the switcher; the rest of a flood waits for the next read.
    static constexpr int kLongestAnswer = 256 * 1024;

    switcherWorker();
    ~switcherWorker() override;

    // The address and the real-time port the link was set to (the link itself takes the switcher
    // it is given with setTarget and asks the switcher for the port).
    void setSwitcher(const QString& ip, int port);
    // The switcher the next link goes to, and the go-ahead for it: a link asked for with
    // goConnectSwitcher runs only while no endLink came after the last startLink. Any thread.
    void startLink(const QString& address, const QString& name);
    void endLink();
    void requestStop() override;

public slots:
    void connectSwitcher();
signals:
    void tallyChanged();
    void switcherIsConnected();
    // A connection to this switcher is being tried: it becomes the saved target.
    void switcherTargetTried(QString address, QString name);

private:
    // One run of the link from the port query to the end of polling; true when the switcher
    // answered at least one poll.
    bool runLink(qint64 generation, const QString& address, const QString& name, bool saveTarget);
    void pollLoop(qint64 generation, switcherSocket& realtime, bool& answered);
    bool wanted(qint64 generation) const;
    // Sleeps for the pause; false when woken early because the link is to end.
    bool pause(std::chrono::milliseconds length);
    // The answers in one read of the real-time connection, each into tallyStatus.
    void storeAnswers(const QByteArray& read);
    void storeRecords(const QByteArray& answer);
    void askForLampPass();
    // The link is down: flags and lamps follow.
    void linkLost();
    void wake();
    void drainWake();

    int wakeFd_ = -1;
    std::atomic<qint64> generation_{0};
    std::atomic<qint64> startedGeneration_{-1};
    mutable std::mutex targetMutex_;
    QString targetAddress_;
    QString targetName_;
    QString switcherIP = QStringLiteral("192.168.100.101");
    int switcherRealPortNumber = 5001;
    QByteArray cmdPacket;
    QByteArray emptyPacket;
    QByteArray firstPacket;
    QByteArray realPacket;
};
