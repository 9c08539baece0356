// The camera's control channel: one command line in, one answer line out ("ok", a value, or
// "error ..."). The commands are listed at the top of main.cpp.
#pragma once

#include <string>

#include "cameraModel.h"

std::string cameraControlCommand(CameraModel& camera, const std::string& line);

// "key=value ..." of every state field, in a fixed order.
std::string cameraStateLine(const CameraModel& camera);

// A decimal or 0x... number within [low, high].
bool parseInRange(const std::string& text, long low, long high, int& out);
