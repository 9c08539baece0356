// The joystick's three axes turned into pan-tilt, zoom and stop commands for the control camera.
//
// Each axis is a magnitude 0..4095 with a direction flag. Magnitudes fall into a rest zone and
// four speed zones; a command is queued only when the stick enters another zone or direction, so
// a held stick sends one command, not a stream. These run in the key thread only, which owns the
// motion state below.
#pragma once

#include <QByteArray>

constexpr int JOY_STOPBOUND = 500;
constexpr int JOY_LOWBOUND = 900;
constexpr int JOY_MIDBOUND = 1300;
constexpr int JOY_HIGHBOUND = 1700;
// Zoom magnitudes from this on are taken as rest.
constexpr int kZoomCeiling = 5000;

// Pan/tilt speed bytes and zoom speed nibbles, by speed function (0..4), speed mode - 1 (slow,
// mid, fast) and zone - 1.
extern const int speedTrans[5][3][4];
extern const int zSpeedTrans[5][3][4];

// Zone of a magnitude: 0 rest, 1..4.
int joystickZone(int value);

// Motion state: the cell of the last pan/tilt and zoom command queued (0 = stopped) and the last
// motion command handled.
struct joystickState {
    int joyState = 0;
    int joyZState = 0;
    QByteArray cmdPreviousPTZ;
    long long dupCmdCount = 0;
};
extern joystickState joystick;

// Pan/tilt handler: 0 when it handled the reading, 99 when the reading falls in the cell already
// sent.
int zekJoystickControl(bool dirX, int valueX, bool dirY, int valueY);
int zekJoystickXYStop();
int zekJoystickZControl(bool dirZ, int valueZ);
int zekJoystickZStop();

// Pan/tilt cell of a reading (1..80), as the handler numbers it.
int panTiltCell(bool dirX, int zoneX, bool dirY, int zoneY);
