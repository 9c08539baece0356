// Camera records: how each camera is reached and what the panel last learned about it.
//
// Camera number n (1 to 24, as the screens and the current-camera variables count) is slot n - 1.
// While serial cameras are in use, slots 0 to 7 are the serial lines "/dev/ttyUSB0" to
// "/dev/ttyUSB7" and network cameras follow from slot 8; otherwise network cameras start at 0.
#pragma once

#include <QString>
#include <QtGlobal>

// Serial line settings of a slot, as Linux termios codes.
struct serial_port_info {
    QString openName;
    int baudRate = 15;      // 13 = 9600, 14 = 19200, 15 = 38400, 4097 = 57600, 4098 = 115200
    int charSize = 48;      // 0 = 5 bits, 16 = 6, 32 = 7, 48 = 8
    int stopBits = 1;       // 1 or 2
    int parity = 2;         // 0 even, 1 odd, 2 none
    int flowControl = 2;    // 0 hardware, 1 software, 2 none
    bool isOpened = false;  // stored and saved only
};

// Network identity of a device.
struct hcip_network_info {
    bool manual = false;  // entered by hand rather than found by discovery
    bool isdhcp = false;
    QString name;
    QString ipadd;
    QString macadd;
    QString maskadd;
    QString gatewayadd;
    QString primdnsadd;
    QString secdnsadd;
    QString vid;
    QString pid;
    QString modelname;  // for a serial camera: its version answer's model bytes in hex
};

// Network protocol of a camera slot.
enum cameraProtocol {
    protocolHcip = 0,
    protocolViscaOverIp = 1,  // VISCA with the 8-byte message header
    protocolSimpleVisca = 2,  // bare VISCA in UDP datagrams
    protocolNdi = 3,          // driven like HCIP
};

// One camera. The state fields are overwritten from the camera's status answers.
struct orb_camera_info {
    serial_port_info serialinfo;
    hcip_network_info hcipnetwork;
    int mapping = 0;  // kept for the saved layout; nothing reads it
    bool exist = false;
    int speed = 2;  // pan/tilt speed mode: 1 slow, 2 mid, 3 fast
    bool vflip = false;
    bool hflip = false;
    int wbmode = 0;  // 0 auto, 1 indoor, 2 outdoor, 3 one-push, 4 auto-tracking, 5 manual, 8 lamp
    int rgain = 0;
    int bgain = 0;
    int fmode = 2;  // 2 auto, 3 manual
    int shutter = 0;
    int irismode = 0;  // 0 auto, 3 manual, 10 shutter prio, 11 iris prio, 13 bright
    int gain = 0;
    bool osdon = false;
    bool colorbaron = false;
    bool tallyon = false;
    bool useVisca = false;  // driven by VISCA over UDP instead of HCIP over TCP
    int protocolIndex = protocolHcip;
    qint64 viscaSerial = 0;  // sequence number of the next VISCA-over-IP message
    int channelMapping = 0;  // switcher channel mapped to the camera
    char videomode = 0;      // picture format code, low 5 bits of the status answer
    int ptdir = 0;           // 1 when pan/tilt direction is reversed
    QString cameraModel;
};

struct switcher_info {
    hcip_network_info hcipnetwork;
    QString projectname;
    QString devicename;
    QString deviceversion;
};

// One device of any kind: 1 switcher, 2 camera, 3 other.
struct hcip_device_info {
    orb_camera_info orb;
    switcher_info switcher;
    hcip_network_info zek710;
    quint8 series = 0;  // sort key of discovered cameras
    int type = 0;
};

constexpr int kCameraSlots = 32;      // entries of the camera table
constexpr int kUsedCameraSlots = 24;  // cameras 1 to 24
constexpr int kSerialCameras = 8;     // cameras 1 to 8 on "/dev/ttyUSB0" .. "/dev/ttyUSB7"
constexpr int kAllHcipDevices = 100;
constexpr int kSwitcherDevices = 10;
