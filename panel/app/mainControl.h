// The central object of the panel application, exposed to the screens as `mainObject`.
//
// Its constructor runs the first start-up phase (MCU line, version, initialisation, settings,
// worker threads); sysInit() the second, once the main screen has loaded. Every slot runs in
// the GUI thread: workers reach it only through queued signals. Its operations are split over
// several files along the subsystems: mainControl.cpp (start-up), cameraProperties.cpp (camera
// values the screens see), cameraTransport.cpp (sending to cameras), settingsStore.cpp.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "backgroundTask.h"
#include "cameraRecords.h"
#include "pendingStops.h"

namespace LibSerial {
class SerialStream;
}
class QTcpSocket;
class QUdpSocket;
class keyWorker;
class ttyUSB;
class rotaryWorker;
class tallyWorker;
class commandWorker;
class switcherWorker;
namespace automation {
class automationServer;
class eventLog;
struct panelSnapshot;
}  // namespace automation

// Version of the application: v1.0.7.
constexpr int kAppMajor = 1;
constexpr int kAppMinor = 0;
constexpr int kAppBuild = 7;
int currentSoftwareVersion();
QString currentSoftwareVersionString();

// Settings of the panel application (organisation "velmora", application "zek710a", Qt's native
// format, user scope). Under a ZEK_ROOT the file lives inside the root.
QSettings& zek710aSettings();
// Writes one key into a group and syncs, so the change is on disk at once.
void saveSetting(const QString& group, const QString& key, const QVariant& value);

// Points the user-scope settings into ZEK_ROOT when one is set; call before the first use.
void placeSettingsUnderRoot();

// The serial-info group of serial camera n ("Cam" n "SerialInfo"): its seven keys, read with
// their defaults, or written.
serial_port_info readSerialInfoGroup(QSettings& settings, int cameraNumber);
void writeSerialInfoGroup(QSettings& settings, int cameraNumber, const serial_port_info& info);

class mainControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        int camMWBSetting READ camMWBSetting WRITE setCamMWBSetting NOTIFY camMWBSettingChanged)
    Q_PROPERTY(int camGain READ camGain WRITE setCamGain NOTIFY camGainChanged)
    Q_PROPERTY(int camFocus READ camFocus WRITE setCamFocus NOTIFY camFocusChanged)
    Q_PROPERTY(
        int cam1PstNumber READ cam1PstNumber WRITE setCam1PstNumber NOTIFY cam1PstNumberChanged)
    Q_PROPERTY(
        int cam2PstNumber READ cam2PstNumber WRITE setCam2PstNumber NOTIFY cam2PstNumberChanged)
    Q_PROPERTY(
        int cam3PstNumber READ cam3PstNumber WRITE setCam3PstNumber NOTIFY cam3PstNumberChanged)
    Q_PROPERTY(
        int cam4PstNumber READ cam4PstNumber WRITE setCam4PstNumber NOTIFY cam4PstNumberChanged)
    Q_PROPERTY(
        int cam5PstNumber READ cam5PstNumber WRITE setCam5PstNumber NOTIFY cam5PstNumberChanged)
    Q_PROPERTY(
        int cam6PstNumber READ cam6PstNumber WRITE setCam6PstNumber NOTIFY cam6PstNumberChanged)
    Q_PROPERTY(int camVideoSharpen READ camVideoSharpen WRITE setCamVideoSharpen NOTIFY
                   camVideoSharpenChanged)
    Q_PROPERTY(int camVideoSaturation READ camVideoSaturation WRITE setCamVideoSaturation NOTIFY
                   camVideoSaturationChanged)
    Q_PROPERTY(int camVideoExposure READ camVideoExposure WRITE setCamVideoExposure NOTIFY
                   camVideoExposureChanged)
    Q_PROPERTY(int camVideoHue READ camVideoHue WRITE setCamVideoHue NOTIFY camVideoHueChanged)
    Q_PROPERTY(int camVideoAGC READ camVideoAGC WRITE setCamVideoAGC NOTIFY camVideoAGCChanged)
    Q_PROPERTY(
        int camVideoGamma READ camVideoGamma WRITE setCamVideoGamma NOTIFY camVideoGammaChanged)
    Q_PROPERTY(int camVideoHDR READ camVideoHDR WRITE setCamVideoHDR NOTIFY camVideoHDRChanged)
    Q_PROPERTY(int camVersion READ camVersion WRITE setCamVersion NOTIFY camVersionChanged)
    Q_PROPERTY(int camAudioIn READ camAudioIn WRITE setCamAudioIn NOTIFY camAudioInChanged)
    Q_PROPERTY(int camAudioInputVol READ camAudioInputVol WRITE setCamAudioInputVol NOTIFY
                   camAudioInputVolChanged)
    Q_PROPERTY(int camAudioOutputVol READ camAudioOutputVol WRITE setCamAudioOutputVol NOTIFY
                   camAudioOutputVolChanged)
    Q_PROPERTY(int camWBMode READ camWBMode WRITE setCamWBMode NOTIFY camWBModeChanged)
    Q_PROPERTY(int camMWBBGain READ camMWBBGain WRITE setCamMWBBGain NOTIFY camMWBBGainChanged)
    Q_PROPERTY(int camMWBRGain READ camMWBRGain WRITE setCamMWBRGain NOTIFY camMWBRGainChanged)
    Q_PROPERTY(int camShutter READ camShutter WRITE setCamShutter NOTIFY camShutterChanged)
    Q_PROPERTY(int camVideoMode READ camVideoMode WRITE setCamVideoMode NOTIFY camVideoModeChanged)
    Q_PROPERTY(
        int camVideoVFlip READ camVideoVFlip WRITE setCamVideoVFlip NOTIFY camVideoVFlipChanged)
    Q_PROPERTY(
        int camVideoHFlip READ camVideoHFlip WRITE setCamVideoHFlip NOTIFY camVideoHFlipChanged)
    Q_PROPERTY(
        QString cam1PstTitle READ cam1PstTitle WRITE setCam1PstTitle NOTIFY cam1PstTitleChanged)
    Q_PROPERTY(
        QString cam2PstTitle READ cam2PstTitle WRITE setCam2PstTitle NOTIFY cam2PstTitleChanged)
    Q_PROPERTY(
        QString cam3PstTitle READ cam3PstTitle WRITE setCam3PstTitle NOTIFY cam3PstTitleChanged)
    Q_PROPERTY(
        QString cam4PstTitle READ cam4PstTitle WRITE setCam4PstTitle NOTIFY cam4PstTitleChanged)
    Q_PROPERTY(
        QString cam5PstTitle READ cam5PstTitle WRITE setCam5PstTitle NOTIFY cam5PstTitleChanged)
    Q_PROPERTY(
        QString cam6PstTitle READ cam6PstTitle WRITE setCam6PstTitle NOTIFY cam6PstTitleChanged)
    Q_PROPERTY(bool cameraShift READ cameraShift WRITE setCameraShift NOTIFY cameraShiftChanged)
    Q_PROPERTY(bool cameraPresetShift READ cameraPresetShift WRITE setCameraPresetShift NOTIFY
                   cameraPresetShiftChanged)
    Q_PROPERTY(bool zek710ADHCPMODE READ getZEK710ADHCPMODE WRITE setZEK710ADHCPMODE NOTIFY
                   zek710ADHCPMODEChanged)

public:
    explicit mainControl(QObject* parent = nullptr);
    ~mainControl() override;

    int camMWBSetting() const;
    void setCamMWBSetting(int value);
    int camGain() const;
    void setCamGain(int value);
    int camFocus() const;
    void setCamFocus(int value);
    int cam1PstNumber() const;
    void setCam1PstNumber(int value);
    int cam2PstNumber() const;
    void setCam2PstNumber(int value);
    int cam3PstNumber() const;
    void setCam3PstNumber(int value);
    int cam4PstNumber() const;
    void setCam4PstNumber(int value);
    int cam5PstNumber() const;
    void setCam5PstNumber(int value);
    int cam6PstNumber() const;
    void setCam6PstNumber(int value);
    int camVideoSharpen() const;
    void setCamVideoSharpen(int value);
    int camVideoSaturation() const;
    void setCamVideoSaturation(int value);
    int camVideoExposure() const;
    void setCamVideoExposure(int value);
    int camVideoHue() const;
    void setCamVideoHue(int value);
    int camVideoAGC() const;
    void setCamVideoAGC(int value);
    int camVideoGamma() const;
    void setCamVideoGamma(int value);
    int camVideoHDR() const;
    void setCamVideoHDR(int value);
    int camVersion() const;
    void setCamVersion(int value);
    int camAudioIn() const;
    void setCamAudioIn(int value);
    int camAudioInputVol() const;
    void setCamAudioInputVol(int value);
    int camAudioOutputVol() const;
    void setCamAudioOutputVol(int value);
    int camWBMode() const;
    void setCamWBMode(int value);
    int camMWBBGain() const;
    void setCamMWBBGain(int value);
    int camMWBRGain() const;
    void setCamMWBRGain(int value);
    int camShutter() const;
    void setCamShutter(int value);
    int camVideoMode() const;
    void setCamVideoMode(int value);
    int camVideoVFlip() const;
    void setCamVideoVFlip(int value);
    int camVideoHFlip() const;
    void setCamVideoHFlip(int value);
    QString cam1PstTitle() const;
    void setCam1PstTitle(const QString& value);
    QString cam2PstTitle() const;
    void setCam2PstTitle(const QString& value);
    QString cam3PstTitle() const;
    void setCam3PstTitle(const QString& value);
    QString cam4PstTitle() const;
    void setCam4PstTitle(const QString& value);
    QString cam5PstTitle() const;
    void setCam5PstTitle(const QString& value);
    QString cam6PstTitle() const;
    void setCam6PstTitle(const QString& value);
    bool cameraShift() const;
    void setCameraShift(bool value);
    bool cameraPresetShift() const;
    void setCameraPresetShift(bool value);

    // Ends the worker loops and their threads and closes the lines (the panel never does; tests
    // and a clean exit do).
    void stopWorkers();
    // Sends the stops a camera still needs before the program ends (bounded by
    // kStopsAtExitLimit).
    void stopCamerasAtExit();
    static constexpr std::chrono::milliseconds kStopsAtExitLimit{2000};

    // Start-up discovery: binds the HCIP sockets to the host's one usable address and, with
    // automatic scanning on, scans. True when a network camera is present.
    bool hcipPreProcess();
    // The texts "[address] interface" of the usable addresses hcipPreProcess found.
    QStringList networkCards() const { return networkCardList; }

public slots:
    int sysInit();
    bool getTestMode() const;
    QString getAppVersion() const;
    QString getMcuVersion() const;
    void keyworkerWakeup();
    void workerCatchJoystickValue();
    void workerCatchTBarValue();
    void workerCatchSliderValue();
    void workerCatchKeys();

    // Camera records (on-screen and indexed access).
    void currentCamDisplay(int curr);
    int getCurrentOnScreen() const;
    void workerCatchCamlist();
    void refreshUICamStatus();
    QString getCameraModel(int con_scn) const;
    bool getCameraExist(int index);
    bool getCameraNetworkManual(int index) const;
    void setChannelMapping(int index, int channel);
    int getChannelMapping(int index) const;
    void setCameraVisca(int index, bool usage);
    bool getCameraVisca(int index) const;
    QString getCameraDeviceIP(int cameraIndex) const;
    bool getCameraDeviceDHCP() const;
    QString getCameraDeviceHostname() const;
    QString getCameraDeviceMAC() const;
    QString getCameraDeviceMASK() const;
    QString getCameraDeviceGATE() const;
    QString getCameraDevicePrimDNS() const;
    QString getCameraDeviceSecDNS() const;
    void doRefreshListCameraMapping();
    void setRGain(int gain);
    void setBGain(int gain);

    // Camera transport.
    void tcpCommand();
    void viscaCommand();
    int sendOnScreenCommand(QByteArray buf);
    void taskCommand(int cameraNum, QByteArray* cmdBuf);
    void startRunRobin(bool start);
    void setRobin(bool run);
    void setUseSerialPort(bool onoff);
    bool getUseSerialPort() const;
    void scanSerialPorts();
    void getSerialInfo(int camNum);
    void setCurrentSerialBaudrate(int value);
    void setCurrentSerialDataBit(int value);
    void setCurrentSerialParity(int value);
    void setCurrentSerialStopBit(int value);
    void setCurrentSerialFlowcontrol(int value);
    int getCurrentSerialBaudrate() const;
    int getCurrentSerialDataBit() const;
    int getCurrentSerialParity() const;
    int getCurrentSerialStopBit() const;
    int getCurrentSerialFlowcontrol() const;
    void setAutoScan(bool doAuto);
    bool getAutoScan() const;
    // The automation interface (automationSlots.cpp): on or off (saved; off by default), where
    // it listens ("10.77.0.1:8710", empty while it does not), and new access tokens: each is
    // returned once and only its hash is saved, replacing the token of that role made before.
    bool getAutomationEnabled() const;
    void setAutomationEnabled(bool on);
    QString getAutomationAddress() const;
    QString newAutomationToken(bool control);
    bool hasAutomationToken(bool control) const;
    // Camera lines paced by fixed waits rather than by the cameras' answers (saved).
    void setFixedCameraPacing(bool fixed);
    bool getFixedCameraPacing() const;
    // The network's configuration tools may not change this panel's network setup (saved).
    void setRemoteSetupLocked(bool locked);
    bool getRemoteSetupLocked() const;
    bool getSeeNoMoreWarning(int index) const;
    void setSeeNoMoreWarning(int index, bool enable);
    void setCameraNetworkManual(int index, const QString& ip, int protocol);
    void udpRcvReadPendingDatagrams();

    // Discovery and the remote network setup of the camera in a slot (cameraDiscovery.cpp). Each
    // blocks the GUI thread while it waits for answers.
    void hcipScan();
    void resetCameranetwork(int index);
    void getFWVersion(int index);
    void setDhcpMode(int index, int mode);
    void setIpAdr(int index, const QString& address, const QString& gateway);
    void reset(int index);
    void setDhcpName(int index, const QString& name);
    void setMacAdr(int index, const QString& mac);
    void setNetmask(int index, const QString& netmask);
    void setGateway(int index, const QString& gateway);
    void setPrimDNS(int index, const QString& dns);
    void setSecDNS(int index, const QString& dns);

    // Tally (tallySlots.cpp): the mode, the mapping of channels to cameras, the lamps.
    int getSwitcherChannelNumber() const;
    int getCurrentTallyMode() const;
    void setTallyMode(int tmode);
    int saveTallyMapping(QList<int> map);
    void callTallyCheck();
    void updateTallyLight();
    void rollingTallyOnOff();
    void taskOnOffTally(int camnumber, int red, int green);
    void workerCatchTallyRed(int ch);
    void workerCatchTallyGreen(int ch);
    void isConnectedToSwitcher();

    // Keys, function keys, backlight and power.
    void setBtmTool(int tool);
    void do4KeyFunction(int func);
    void change4KeyColor(int index, int colour);
    void doBacklightScale(int onoff);
    void callTestLed(int n);

    // Factory tests of the test page (factorySlots.cpp): 1 bottom, 2 top, 99 verify; port pairs
    // 1 to 4; sticks 1 and 2.
    void callCalibration(int caliTarget);
    void callRS422Check(int testNumber);
    void callUSBCheck(int testNumber);
    void startScreenSaver(int mode);
    void shutdown();
    void reboot();
    void setCurrentSpeedFunction(int func);
    int getCurrentSpeedFunction() const;

    // The panel's own network settings: read at start-up, changed by the screens one by one,
    // written to the interfaces file by saveZEK710ANetConfig; they apply after a reboot.
    QString getZEK710AIPADDR() const;
    bool getZEK710ADHCPMODE() const;
    QString getZEK710AHOSTNAME() const;
    QString getZEK710AMACADD() const;
    QString getZEK710AGATEADD() const;
    QString getZEK710AMASKADD() const;
    QString getZEK710APRIDNS() const;
    QString getZEK710ASECDNS() const;
    void setZEK710AIPADDR(const QString& address);
    void setZEK710ADHCPMODE(bool on);
    void setZEK710AHOSTNAME(const QString& name);
    void setZEK710AMACADD(const QString& mac);
    void setZEK710AGATEADD(const QString& gateway);
    void setZEK710AMASKADD(const QString& netmask);
    void setZEK710APRIDNS(const QString& dns);
    void setZEK710ASECDNS(const QString& dns);
    // Writes the settings above to the interfaces file on the background thread (it syncs the
    // file system, which can take seconds); networkSaveFinished(ok) tells the outcome. ok is false
    // when nothing was written: a static setup with a value that is not an IPv4 address, or an
    // interfaces file that cannot be read or replaced. Returns false, and nothing starts, when
    // a setting is refused at once or another long operation is under way (the outcome is still
    // signalled).
    bool saveZEK710ANetConfig();
    // Puts the backup of the interfaces file back, on the background thread; then popMessage 98
    // "Please reboot ZEK710A", or code 0 with the reason when it could not be written.
    void resetZEK710Network();

    // Software update from the USB stick, on the background thread with the busy indicator up:
    // the check (its outcome comes with refreshNewVersion) and the install (its progress with
    // refreshProgress, its "OK" or "ERROR" with upgradeResult). Both return "" at once; "BUSY"
    // when another long operation is under way.
    QString getUpgradeVersion();
    QString callUpgrade();

    // Settings.
    void deviceSave();
    void deviceLoad();
    void setScreenSaver(int min);
    int getScreenSaver() const;

signals:
    void automationChanged();
    void camMWBSettingChanged();
    void camGainChanged();
    void camFocusChanged();
    void cam1PstNumberChanged();
    void cam2PstNumberChanged();
    void cam3PstNumberChanged();
    void cam4PstNumberChanged();
    void cam5PstNumberChanged();
    void cam6PstNumberChanged();
    void camVideoSharpenChanged();
    void camVideoSaturationChanged();
    void camVideoExposureChanged();
    void camVideoHueChanged();
    void camVideoAGCChanged();
    void camVideoGammaChanged();
    void camVideoHDRChanged();
    void camVersionChanged();
    void camAudioInChanged();
    void camAudioInputVolChanged();
    void camAudioOutputVolChanged();
    void camWBModeChanged();
    void camMWBBGainChanged();
    void camMWBRGainChanged();
    void camShutterChanged();
    void camVideoModeChanged();
    void camVideoVFlipChanged();
    void camVideoHFlipChanged();
    void cam1PstTitleChanged();
    void cam2PstTitleChanged();
    void cam3PstTitleChanged();
    void cam4PstTitleChanged();
    void cam5PstTitleChanged();
    void cam6PstTitleChanged();
    void cameraShiftChanged();
    void cameraPresetShiftChanged();
    void zek710ADHCPMODEChanged();
    void popMessage(int func, QString msg);
    void networkSaveFinished(bool ok);
    // A scan of the screens ended (hcipScan returns at once); `cameras` network cameras found.
    void scanFinished(int cameras);
    // The switch of the serial ports ended (setUseSerialPort returns at once).
    void serialPortsSwitched(bool on);
    void refreshNewVersion(bool upable, QString appver, QString mcuver);
    void upgradeResult(QString result);
    void refreshProgress(int percent);
    void refreshJoystickValue(bool dirX, int x, bool dirY, int y, bool dirZ, int z);
    void refreshTBarValue(int t);
    void refreshSliderValue(int s1, int s2, int s3, int s4);
    void refreshKeys(int index);
    void wakeupScreen();
    void keyStateSignal();
    void rotarySignal();
    void goTallyCheck();
    void goConnectSwitcher();
    void cameraCommandSignal();
    void refreshAutoScan(bool autoScan);
    void refreshSystemNetConfig(QString ipAddr, bool dhcpMode, QString hostName, QString macAddr,
                                QString maskAddr, QString gateAddr, QString primDns,
                                QString secDns);
    void screenSaverChanged(int min);
    void refreshCameraList(int index);
    void refreshCameraNetConfig(QString ipAddr, bool dhcpMode, QString hostName, QString modelname,
                                QString macAddr, QString maskAddr, QString gateAddr,
                                QString primDns, QString secDns);
    void refreshCameraExist(int cameraIndex, bool exist);
    void refreshListCameraMapping(QStringList camHostname, QStringList camIPAddr, int camcount,
                                  QList<int> map);
    void cameraConnectState(int index, QString msg, int time);
    // Network camera cameraIndex (1-based) went down (its connection was lost, or it stopped
    // answering) or is back. The camera page shows a down camera's tile as disconnected.
    void cameraLinkChanged(int cameraIndex, bool up);
    void refreshSwitcher(bool conn);
    // For the screens' shared dialogs: the busy indicator, the progress dialog, and the number of
    // tally channels of the switcher.
    void iAmBusy(bool busy);
    void showProgress(bool onoff);
    void sendProgress(int value);
    void refreshChannelCounts(int chnumbers);
    void refreshTallyRed(int index);
    void refreshTallyGreen(int index);
    // Factory test verdicts and notices, with the test's number.
    void refreshCaliMsg(QString msg, int index);
    void refreshRS422Msg(QString msg, int index);
    void refreshUSBMsg(QString msg, int index);
    void refreshUSBButtonText(QString msg, int index);
    void refreshSerialInfo(QString brate, QString csize, QString parity, QString stopbit,
                           QString flow);

private slots:
    // A lamp pass the switcher link asked for.
    void workerCatchTallyChanged();
    // The switcher the link tries becomes the one tried at the next start.
    void saveSwitcherTarget(QString address, QString name);

private:
    // The switcher link and the contact tally, started and ended as the tally mode changes.
    void startSwitcherLink();
    void stopSwitcherLink();
    void startGpiTally();
    void stopGpiTally();
    // Every camera mapped to a channel or lit by the last network pass gets its lamps switched off.
    void switchMappedLampsOff();
    // After a scan: a link to a switcher other than the one now filed ends, its lamps go off and
    // the link goes to the switcher filed.
    void followSwitcherRecord();
    // The mapping as the contact poll reads it.
    void publishGpiMapping();
    // viscaCommand for the control camera the caller has already read.
    void viscaCommandFor(int control);
    void initKeyTable();
    void openMcuLineUntilOpen();
    void exchangeMcuVersion();
    void createWorkers();
    // Start-up: the interfaces file and the MAC address of the boot command line.
    void readPanelNetworkSettings();
    // Sends by the on-screen routing rule: queued when the on-screen camera is the control
    // camera, else written at once.
    void routeToOnScreen(const QByteArray& message);
    // Raises the unreachable message for camera n and stops the round robin; once per loss of a
    // camera that has an address (see cameraLinks.cpp).
    void raiseUnreachable(int cameraNumber);

    // Network cameras that come back by themselves (cameraLinks.cpp). GUI thread only.
    // Watches every camera socket; called once the sockets exist.
    void watchCameraSockets();
    // Starts the background reconnect (sysInit, not in test mode).
    void startCameraLinkSupervisor();
    // One pass over the table: starts, ends and judges connection attempts.
    void superviseCameraLinks();
    // Whether slot holds an HCIP camera the panel keeps connected.
    bool keepsConnected(int slot) const;
    void setCameraDown(int slot, bool down);
    // Sends one VISCA message to a camera driven over UDP, by its protocol: with the header, a
    // sequence reset goes first when the camera is first used, answered with a sequence error,
    // or answered nothing the last time. Returns the answers; sent says whether it went out.
    // With resend, the stop it names goes again: with the header, the same datagram under the
    // same sequence number (the protocol's retransmission); the duplicate rule and cmdPrev are
    // left alone, since the message is not a new one.
    // verdictOut, when given, receives what the answer said of the message.
    QByteArray sendOverViscaUdp(int slot, const QByteArray& visca, bool& sent,
                                const pendingStops::stop* resend = nullptr,
                                visca::commandAnswer* verdictOut = nullptr);
    // Tells the screens of every camera whose existence changed since they last heard of it.
    void announceCameraExistence();
    std::atomic<bool> existenceCheckQueued_{false};
    std::array<bool, kUsedCameraSlots> existenceShown_{};
    // Sends again the oldest stop a network camera has not confirmed; false when none is due.
    bool resendNetworkStop();
    // A command a network camera refused with "buffer full" goes again at the next network step
    // while that camera is the controlled one, for at most commandWorker::kBusyBackoff.
    // takeBusyRetry hands it out (and forgets it) when it is for slot.
    bool takeBusyRetry(int slot, QByteArray& block);
    void keepBusyCommand(int slot, const QByteArray& block, bool wasRetry);
    struct busyCommand {
        int slot = -1;
        QByteArray block;
        std::chrono::steady_clock::time_point since;
    };
    busyCommand busyRetry_;
    bool sendingBusyRetry_ = false;
    void sendViscaSequenceReset(int slot);
    struct cameraLink {
        bool down = false;
        bool attempting = false;
        int failures = 0;
        std::chrono::steady_clock::time_point nextAttempt{};
        std::chrono::steady_clock::time_point attemptEnds{};
        // The unreachable message was shown for this loss.
        bool unreachableShown = false;
        // VISCA over IP: a sequence reset goes out before the next message.
        bool viscaResetDue = true;
    };
    std::array<cameraLink, kCameraSlots> cameraLinks{};
    QTimer* cameraLinkSupervisor = nullptr;
    // Writes an HCIP message on slot's TCP socket and collects the answer (empty when none).
    QByteArray hcipExchange(int slot, const QByteArray& message, int minimumAnswer);
    void connectNetworkSlot(int slot, const orb_camera_info& record, bool waitForIt = true);
    void finishSerialSwitch(bool onoff);
    serial_port_info openSerialProbe(int j);
    void askSerialProbe();
    void finishSerialProbe(int j, const serial_port_info& info);
    void finishSerialProbe(int j, const serial_port_info& info, const QByteArray& answer);
    void probeSerialPortsThen(int j, std::function<void()> done);
    bool serialSwitchUnderWay = false;
    void disconnectNetworkSlot(int slot);
    // Discovery steps: the broadcast scan, and the reading of its answers until the deadline.
    // The scan at start-up, waiting in place: the request, the answers within the scan window,
    // the found cameras' connections.
    void doScan();
    std::chrono::steady_clock::time_point sendScanRequest();
    // Reads the answers that came by `deadline`, fills the camera and switcher tables and starts
    // the cameras' connections; returns their slots.
    std::vector<int> takeScanAnswers(std::chrono::steady_clock::time_point deadline);
    void reportScanConnections(const std::vector<int>& started);
    void finishScan();
    void startScanWhenFree();
    bool scanUnderWay = false;
    bool scanWaiting = false;  // asked for, behind a setup request's answers
    // Setup requests to network cameras, one at a time: each waits for the answers to the one
    // before it, which are logged as they come, until `deadline` (moved on by each answer) or
    // `left` answers.
    struct setupRequest {
        const char* operation;
        QByteArray datagram;
        QHostAddress to;
        int answerSpacingMs;
    };
    std::deque<setupRequest> setupRequests;
    bool setupRequestInFlight = false;
    void sendNextSetupRequest();
    void logSetupAnswers(const char* operation, std::chrono::steady_clock::time_point deadline,
                         int answerSpacingMs, int left);
    bool robinBeforeScan = false;
    void bindHcipSockets(const QHostAddress& address);
    // The channel-mapping lists back to the serial cameras alone (empty without them).
    void resetMappingLists();
    // Sends one setup request for the camera in slot and logs the answers that come back. Returns
    // false when nothing was sent.
    bool sendSetupRequest(const char* operation, const QByteArray& datagram, const QHostAddress& to,
                          int answerSpacingMs);
    // The MAC of slot as bytes; nothing (and a log line) when the slot or its MAC is not valid.
    std::optional<std::array<quint8, 6>> slotMac(const char* operation, int index) const;
    // A unicast request carrying one dotted value, sent when the value and the slot are valid.
    void sendDottedValue(const char* operation, int index, const char* what, const QString& text,
                         QByteArray (*request)(const std::array<quint8, 4>&), int answerSpacingMs);
    // The discovery sockets that are bound.
    std::vector<QUdpSocket*> discoverySockets() const;

    std::array<QString, 6> m_pstTitle;
    std::array<QTcpSocket*, kCameraSlots> zek710aTcpsocket{};
    std::array<QUdpSocket*, kCameraSlots> viscaUdpSockets{};
    QUdpSocket* viscaUdpSocketsRcv = nullptr;
    // Discovery: scans and setup requests go out from zek710aUdpsocket; broadcast answers come
    // in on zek710aUdpsocketRcv, bound to the same port on every address.
    QUdpSocket* zek710aUdpsocket = nullptr;
    QUdpSocket* zek710aUdpsocketRcv = nullptr;
    QStringList networkCardList;
    QHostAddress udpsocketBindAddress;
    bool zek710ADHCPMODE = false;
    QString zek710AGATEADD;
    QString zek710AMASKADD;
    QString zek710APRIDNS;
    QString zek710ASECDNS;
    QString zek710AMACADD;
    QString zekOldIP;
    int prevScreen = 1;
    int lastTBarReported = 0;
    int channelNumber = 12;
    QList<int> tallyMapping;
    QStringList camMappingWorkNames;
    QStringList camMappingWorkIPs;
    QByteArray cmdTallyBuffer;
    QTimer* rollingTally = nullptr;
    // Tally lamp commands waiting to go out, one at a time, paced by the GUI thread's timer
    // rather than by sleeps in it: the pause after a lamp (its answer's time) runs on the timer,
    // and the answer is taken when it ends.
    struct pendingLamp {
        int camera = 0;  // 0: a pause only
        int red = 3;
        int green = 3;
        std::chrono::milliseconds pauseAfter{0};
    };
    std::deque<pendingLamp> pendingLamps;
    QTimer* lampPacer = nullptr;
    int lampAnswerSlot = -1;        // the network camera whose lamp answer is awaited
    bool lampAnswerOnLine = false;  // a serial camera's lamp answer to take from the line
    void queueLamp(int camera, int red, int green, std::chrono::milliseconds pauseAfter);
    // The VISCA-over-IP sequence numbers go to the settings file (flash on the board) at most
    // once a second and at exit, not with every message: a number older than the camera's does
    // no harm, since the first message after a start goes after a sequence reset.
    static constexpr std::chrono::milliseconds kViscaSerialSavePeriod{1000};
    std::map<QString, qint64> unsavedViscaSerials;
    std::chrono::steady_clock::time_point viscaSerialsSavedAt{};
    QTimer* viscaSerialSaver = nullptr;
    void keepViscaSerial(const QString& address, qint64 sequence);
    void saveViscaSerials();
    void sendNextLamp();
    void takeLampAnswer();
    // The two ports of the factory loop-back test, and the T-bar positions taken when the
    // calibration's ends were stored.
    ttyUSB* ttyUSB0 = nullptr;
    ttyUSB* ttyUSB1 = nullptr;
    int tbarCurrentMin = 0;
    int tbarCurrentMax = 0;
    // The line the serial tally lamps go out on, and the camera it is open for (99: none).
    std::unique_ptr<LibSerial::SerialStream> tallyLine;
    int currTallyIndex = 99;
    bool switcherLinkStarted = false;
    QString switcherLinkAddress;  // the switcher the running link was started for
    QString switcherLinkName;
    // The cameras whose lamps the last network tally pass left lit: a camera that no channel
    // reaches any more (mapping, channel count or switcher changed) is switched off by the next.
    std::set<int> networkLitCameras;
    QString rotaryDevicePath;
    int currentBtmtool = 1;
    std::array<int, 2> btmToolPrev{};

    // The automation interface: the state published to it every kAutomationPeriod while it
    // runs, and the hashes of its tokens, which the server's threads read.
    static constexpr std::chrono::milliseconds kAutomationPeriod{20};
    static constexpr int kAutomationPort = 8710;
    automation::panelSnapshot automationSnapshot() const;
    void automationTick();
    void stopAutomation();
    QString automationHash(bool control) const;
    std::unique_ptr<automation::eventLog> automationLog;
    std::unique_ptr<automation::automationServer> automationServer;
    QTimer* automationTimer = nullptr;
    QString automationBoundTo;  // the address the running server was started on
    std::chrono::steady_clock::time_point automationTriedAt{};
    mutable std::mutex automationHashMutex;
    QString automationReadHash;
    QString automationControlHash;
    // The lamps last sent to each camera (red, green), as the automation interface shows them.
    std::array<std::pair<bool, bool>, kUsedCameraSlots> lampsSent{};

    keyWorker* myKeyWorker = nullptr;
    rotaryWorker* myRotaryWorker = nullptr;
    tallyWorker* myTallyWorker = nullptr;
    commandWorker* myCommandWorker = nullptr;
    switcherWorker* mySwitcherWorker = nullptr;
    std::array<QThread*, 5> workerThreads{};
    // Last member: it is waited for before anything it uses goes.
    backgroundTask longOperation;
};
