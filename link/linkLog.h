// Console output of the panel-link code.
//
// The same link code runs in two programs that print differently: the panel application writes
// through Qt's debug stream, the link daemon prints to standard output. Each program says once,
// at start-up, which one it is; the link code then picks that program's texts and formats.
#pragma once

#include <functional>
#include <string>

enum class LinkProgram {
    panel,   // zek710amgrgui
    daemon,  // linkDaemon
};

void setLinkProgram(LinkProgram program);
LinkProgram linkProgram();

// Writes one log text. Texts that do not end in a newline get one, as Qt's debug stream does.
// The category ("zek.mcu", "zek.link", ...) is for the sink and for tracing; it is not printed
// by the default sink, so the system's own log lines stand exactly as they are.
void linkLog(const char* category, const std::string& text);

// Replaces the sink (the panel application routes the link code's lines into Qt's message
// handler). An empty function restores the default sink, which writes to standard output.
using LinkLogSink = std::function<void(const char* category, const std::string& line)>;
void setLinkLogSink(LinkLogSink sink);

// Frame traces in hex are off unless the environment variable ZEK_TRACE names the category
// (comma separated, or "all").
bool linkTraceEnabled(const char* category);
void linkTrace(const char* category, const std::string& text);
