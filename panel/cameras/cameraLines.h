// Serial camera lines: open with settings, write a message and collect the answer.
#pragma once

#include <QByteArray>
#include <QString>

#include <libserial/SerialStream.h>

#include "cameraRecords.h"

// Opens camera line cameraNumber (1..8) at 38400 baud, 8N1, no flow control, or with the given
// settings. Closes the stream first. Returns false (and logs) when the line cannot be opened.
bool openCameraLine(LibSerial::SerialStream& line, int cameraNumber);
bool openCameraLine(LibSerial::SerialStream& line, int cameraNumber, const serial_port_info& info);
void closeCameraLine(LibSerial::SerialStream& line);

// Writes message; a closed line writes nothing and reports false.
bool writeCameraLine(LibSerial::SerialStream& line, const QByteArray& message);
// Every byte available now; nothing on a closed line.
QByteArray readAvailable(LibSerial::SerialStream& line);
