// Serial camera lines: open with settings, write a message and collect the answer.
#pragma once

#include <QByteArray>
#include <QString>

#include <libserial/SerialStream.h>

#include "answerTracker.h"
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

// The settings saved for line cameraNumber (1..8), as the serial scan read them from the
// settings file; 38400 8N1 before the first scan. Callers hold cameraLinesMutex.
void rememberLineSettings(int cameraNumber, const serial_port_info& info);
serial_port_info savedLineSettings(int cameraNumber);

// USB serial adapters come and go while the panel runs. Before a line is used: a line whose
// device has gone is closed, and a line whose device is there but not open (it appeared, or
// came back as another device) is opened with the line's saved settings. Returns whether the
// line is open on its device now. Callers hold cameraLinesMutex.
bool followHotPlug(LibSerial::SerialStream& line, int cameraNumber);

// The answers of camera line cameraNumber (1..8), followed across exchanges; forgotten when the
// line is opened again. Callers hold cameraLinesMutex.
visca::answerTracker& lineAnswers(int cameraNumber);

// Writes message on the line of camera cameraNumber and waits up to waitMs for the answer it
// asks for. With answer pacing the wait ends as soon as that answer is complete; with fixed
// pacing it always lasts waitMs. Answers that arrived since the last exchange are taken first,
// so a late one is not read as this message's. Callers hold cameraLinesMutex.
visca::exchangeResult exchangeOnLine(LibSerial::SerialStream& line, int cameraNumber,
                                     const QByteArray& message,
                                     visca::answerTracker::waitingFor what, int waitMs);
