// Camera values the screens see: the on-screen camera's properties and the indexed getters.
#include <QDebug>

#include "mainControl.h"
#include "panelState.h"
#include "viscaCommands.h"

namespace {

int onScreenSlot() {
    return std::max(0, currentStatusOnScreen.load() - 1);
}

orb_camera_info onScreenRecord() {
    return cameraDevice.camera(onScreenSlot());
}

}  // namespace

int mainControl::camMWBSetting() const {
    return cameraMirror.mwbSetting.load();
}
void mainControl::setCamMWBSetting(int value) {
    cameraMirror.mwbSetting = value;
    emit camMWBSettingChanged();
}

int mainControl::camGain() const {
    return cameraMirror.gain.load();
}
void mainControl::setCamGain(int value) {
    cameraMirror.gain = value;
    emit camGainChanged();
}

int mainControl::camFocus() const {
    return cameraMirror.focus.load();
}
void mainControl::setCamFocus(int value) {
    cameraMirror.focus = value;
    emit camFocusChanged();
}

int mainControl::cam1PstNumber() const {
    return cameraMirror.pstNumber[0].load();
}
void mainControl::setCam1PstNumber(int value) {
    cameraMirror.pstNumber[0] = value;
    emit cam1PstNumberChanged();
}

int mainControl::cam2PstNumber() const {
    return cameraMirror.pstNumber[1].load();
}
void mainControl::setCam2PstNumber(int value) {
    cameraMirror.pstNumber[1] = value;
    emit cam2PstNumberChanged();
}

int mainControl::cam3PstNumber() const {
    return cameraMirror.pstNumber[2].load();
}
void mainControl::setCam3PstNumber(int value) {
    cameraMirror.pstNumber[2] = value;
    emit cam3PstNumberChanged();
}

int mainControl::cam4PstNumber() const {
    return cameraMirror.pstNumber[3].load();
}
void mainControl::setCam4PstNumber(int value) {
    cameraMirror.pstNumber[3] = value;
    emit cam4PstNumberChanged();
}

int mainControl::cam5PstNumber() const {
    return cameraMirror.pstNumber[4].load();
}
void mainControl::setCam5PstNumber(int value) {
    cameraMirror.pstNumber[4] = value;
    emit cam5PstNumberChanged();
}

int mainControl::cam6PstNumber() const {
    return cameraMirror.pstNumber[5].load();
}
void mainControl::setCam6PstNumber(int value) {
    cameraMirror.pstNumber[5] = value;
    emit cam6PstNumberChanged();
}

int mainControl::camVideoSharpen() const {
    return cameraMirror.videoSharpen.load();
}
void mainControl::setCamVideoSharpen(int value) {
    cameraMirror.videoSharpen = value;
    emit camVideoSharpenChanged();
}

int mainControl::camVideoSaturation() const {
    return cameraMirror.videoSaturation.load();
}
void mainControl::setCamVideoSaturation(int value) {
    cameraMirror.videoSaturation = value;
    emit camVideoSaturationChanged();
}

int mainControl::camVideoExposure() const {
    return cameraMirror.videoExposure.load();
}
void mainControl::setCamVideoExposure(int value) {
    cameraMirror.videoExposure = value;
    emit camVideoExposureChanged();
}

int mainControl::camVideoHue() const {
    return cameraMirror.videoHue.load();
}
void mainControl::setCamVideoHue(int value) {
    cameraMirror.videoHue = value;
    emit camVideoHueChanged();
}

int mainControl::camVideoAGC() const {
    return cameraMirror.videoAGC.load();
}
void mainControl::setCamVideoAGC(int value) {
    cameraMirror.videoAGC = value;
    emit camVideoAGCChanged();
}

int mainControl::camVideoGamma() const {
    return cameraMirror.videoGamma.load();
}
void mainControl::setCamVideoGamma(int value) {
    cameraMirror.videoGamma = value;
    emit camVideoGammaChanged();
}

int mainControl::camVideoHDR() const {
    return cameraMirror.videoHDR.load();
}
void mainControl::setCamVideoHDR(int value) {
    cameraMirror.videoHDR = value;
    emit camVideoHDRChanged();
}

int mainControl::camVersion() const {
    return cameraMirror.version.load();
}
void mainControl::setCamVersion(int value) {
    cameraMirror.version = value;
    emit camVersionChanged();
}

int mainControl::camAudioIn() const {
    return cameraMirror.audioIn.load();
}
void mainControl::setCamAudioIn(int value) {
    cameraMirror.audioIn = value;
    emit camAudioInChanged();
}

int mainControl::camAudioInputVol() const {
    return cameraMirror.audioInputVol.load();
}
void mainControl::setCamAudioInputVol(int value) {
    cameraMirror.audioInputVol = value;
    emit camAudioInputVolChanged();
}

int mainControl::camAudioOutputVol() const {
    return cameraMirror.audioOutputVol.load();
}
void mainControl::setCamAudioOutputVol(int value) {
    cameraMirror.audioOutputVol = value;
    emit camAudioOutputVolChanged();
}

QString mainControl::cam1PstTitle() const {
    return m_pstTitle[0];
}
void mainControl::setCam1PstTitle(const QString& value) {
    m_pstTitle[0] = value;
    emit cam1PstTitleChanged();
}

QString mainControl::cam2PstTitle() const {
    return m_pstTitle[1];
}
void mainControl::setCam2PstTitle(const QString& value) {
    m_pstTitle[1] = value;
    emit cam2PstTitleChanged();
}

QString mainControl::cam3PstTitle() const {
    return m_pstTitle[2];
}
void mainControl::setCam3PstTitle(const QString& value) {
    m_pstTitle[2] = value;
    emit cam3PstTitleChanged();
}

QString mainControl::cam4PstTitle() const {
    return m_pstTitle[3];
}
void mainControl::setCam4PstTitle(const QString& value) {
    m_pstTitle[3] = value;
    emit cam4PstTitleChanged();
}

QString mainControl::cam5PstTitle() const {
    return m_pstTitle[4];
}
void mainControl::setCam5PstTitle(const QString& value) {
    m_pstTitle[4] = value;
    emit cam5PstTitleChanged();
}

QString mainControl::cam6PstTitle() const {
    return m_pstTitle[5];
}
void mainControl::setCam6PstTitle(const QString& value) {
    m_pstTitle[5] = value;
    emit cam6PstTitleChanged();
}
int mainControl::camWBMode() const {
    const int mode = onScreenRecord().wbmode;
    cameraMirror.wbMode = mode;
    return mode;
}
void mainControl::setCamWBMode(int value) {
    cameraMirror.wbMode = value;
    emit camWBModeChanged();
}

int mainControl::camMWBBGain() const {
    return onScreenRecord().bgain;
}
void mainControl::setCamMWBBGain(int value) {
    cameraMirror.mwbBGain = value;
    emit camMWBBGainChanged();
}

int mainControl::camMWBRGain() const {
    return onScreenRecord().rgain;
}
void mainControl::setCamMWBRGain(int value) {
    cameraMirror.mwbRGain = value;
    emit camMWBRGainChanged();
}

int mainControl::camShutter() const {
    qDebug() << onScreenRecord().hcipnetwork.modelname
             << "Camera Shutter:" << cameraMirror.shutter.load();
    return cameraMirror.shutter;
}
void mainControl::setCamShutter(int value) {
    cameraMirror.shutter = value;
    emit camShutterChanged();
}

int mainControl::camVideoMode() const {
    return onScreenRecord().videomode;
}
void mainControl::setCamVideoMode(int value) {
    if (value == 6 &&
        onScreenRecord().hcipnetwork.modelname.contains("orb270", Qt::CaseInsensitive)) {
        value = 2;
    }
    cameraMirror.videoMode = value;
    cameraDevice.update(onScreenSlot(),
                        [value](orb_camera_info& r) { r.videomode = static_cast<char>(value); });
    routeToOnScreen(visca::pictureFormat(value));
    emit camVideoModeChanged();
}

int mainControl::camVideoVFlip() const {
    return onScreenRecord().vflip ? 2 : 3;
}
void mainControl::setCamVideoVFlip(int value) {
    cameraMirror.videoVFlip = value;
    cameraDevice.update(onScreenSlot(), [value](orb_camera_info& r) { r.vflip = value == 2; });
    routeToOnScreen(visca::verticalFlip(value));
    emit camVideoVFlipChanged();
}

int mainControl::camVideoHFlip() const {
    return onScreenRecord().hflip ? 2 : 3;
}
void mainControl::setCamVideoHFlip(int value) {
    cameraMirror.videoHFlip = value;
    cameraDevice.update(onScreenSlot(), [value](orb_camera_info& r) { r.hflip = value == 2; });
    routeToOnScreen(visca::horizontalMirror(value));
    emit camVideoHFlipChanged();
}

bool mainControl::cameraShift() const {
    return camShift;
}
void mainControl::setCameraShift(bool value) {
    camShift = value;
    emit cameraShiftChanged();
}

bool mainControl::cameraPresetShift() const {
    return pstShift;
}
void mainControl::setCameraPresetShift(bool value) {
    pstShift = value;
    emit cameraPresetShiftChanged();
}

void mainControl::setRGain(int gain) {
    routeToOnScreen(visca::redGainDirect(gain));
}

void mainControl::setBGain(int gain) {
    routeToOnScreen(visca::blueGainDirect(gain));
}

void mainControl::currentCamDisplay(int curr) {
    if (curr < 1 || curr > kUsedCameraSlots) {
        qDebug() << "currentCamDisplay: no camera" << curr;
        return;
    }
    currentStatusOnScreen = curr;
    emit refreshCameraList(curr);
    const hcip_network_info n = cameraDevice.camera(curr - 1).hcipnetwork;
    emit refreshCameraNetConfig(n.ipadd, n.isdhcp, n.name, n.modelname, n.macadd, n.maskadd,
                                n.gatewayadd, n.primdnsadd, n.secdnsadd);
}

int mainControl::getCurrentOnScreen() const {
    return currentStatusOnScreen;
}

void mainControl::workerCatchCamlist() {
    emit refreshCameraList(currentStatusOnScreen);
}

void mainControl::refreshUICamStatus() {
    emit camVideoModeChanged();
    emit camVideoVFlipChanged();
    emit camVideoHFlipChanged();
    const orb_camera_info r = onScreenRecord();
    setCamWBMode(r.wbmode);
    setCamMWBRGain(r.rgain);
    setCamMWBBGain(r.bgain);
    setCamFocus(r.fmode);
    setCamShutter(r.shutter);
    setCamGain(r.gain);
}

QString mainControl::getCameraModel(int con_scn) const {
    const int camera = con_scn == 0 ? currentStatusOnScreen.load() : currentControl.load();
    return cameraDevice.camera(camera - 1).hcipnetwork.modelname;
}

bool mainControl::getCameraExist(int index) {
    const bool exist = cameraDevice.camera(index).exist;
    if (index >= 0 && index < kUsedCameraSlots) {
        existenceShown_[static_cast<std::size_t>(index)] = exist;
    }
    emit refreshCameraExist(index + 1, exist);
    return exist;
}

void mainControl::announceCameraExistence() {
    existenceCheckQueued_ = false;
    for (int slot = 0; slot < kUsedCameraSlots; ++slot) {
        const bool exist = cameraDevice.camera(slot).exist;
        if (existenceShown_[static_cast<std::size_t>(slot)] != exist) {
            existenceShown_[static_cast<std::size_t>(slot)] = exist;
            emit refreshCameraExist(slot + 1, exist);
        }
    }
}

bool mainControl::getCameraNetworkManual(int index) const {
    return cameraDevice.camera(index).hcipnetwork.manual;
}

void mainControl::setChannelMapping(int index, int channel) {
    cameraDevice.update(index, [channel](orb_camera_info& r) { r.channelMapping = channel; });
}

int mainControl::getChannelMapping(int index) const {
    if (index > cameraCount) {
        return 0;
    }
    return cameraDevice.camera(index).channelMapping;
}

void mainControl::setCameraVisca(int index, bool usage) {
    cameraDevice.update(index, [usage](orb_camera_info& r) { r.useVisca = usage; });
}

bool mainControl::getCameraVisca(int index) const {
    if (index > cameraCount) {
        return false;
    }
    return cameraDevice.camera(index).useVisca;
}

QString mainControl::getCameraDeviceIP(int cameraIndex) const {
    return cameraDevice.camera(cameraIndex).hcipnetwork.ipadd;
}

bool mainControl::getCameraDeviceDHCP() const {
    const bool value = onScreenRecord().hcipnetwork.isdhcp;
    qDebug() << "[getCameraDeviceDHCP]:" << value;
    return value;
}

QString mainControl::getCameraDeviceHostname() const {
    const QString value = onScreenRecord().hcipnetwork.name;
    qDebug() << "[getCameraDeviceHostname]:" << value;
    return value;
}

QString mainControl::getCameraDeviceMAC() const {
    const QString value = onScreenRecord().hcipnetwork.macadd;
    qDebug() << "[getCameraDeviceMAC]:" << value;
    return value;
}

QString mainControl::getCameraDeviceMASK() const {
    const QString value = onScreenRecord().hcipnetwork.maskadd;
    qDebug() << "[getCameraDeviceMASK]:" << value;
    return value;
}

QString mainControl::getCameraDeviceGATE() const {
    const QString value = onScreenRecord().hcipnetwork.gatewayadd;
    qDebug() << "[getCameraDeviceGATE]:" << value;
    return value;
}

QString mainControl::getCameraDevicePrimDNS() const {
    const QString value = onScreenRecord().hcipnetwork.primdnsadd;
    qDebug() << "[getCameraDevicePrimDNS]:" << value;
    return value;
}

QString mainControl::getCameraDeviceSecDNS() const {
    const QString value = onScreenRecord().hcipnetwork.secdnsadd;
    qDebug() << "[getCameraDeviceSecDNS]:" << value;
    return value;
}

void mainControl::doRefreshListCameraMapping() {
    emit refreshListCameraMapping(camMappingWorkNames, camMappingWorkIPs, kUsedCameraSlots,
                                  tallyMapping);
}
