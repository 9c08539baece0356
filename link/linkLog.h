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
// handler). An empty function restores the default sink, which writes to standard output. The
// sink is called without any lock of the link code held, so it may itself log; a sink that is
// replaced while a line is being written finishes that line.
using LinkLogSink = std::function<void(const char* category, const std::string& line)>;
void setLinkLogSink(LinkLogSink sink);

// Frame traces in hex are off unless the environment variable ZEK_TRACE names the category
// (comma separated, or "all").
bool linkTraceEnabled(const char* category);
void linkTrace(const char* category, const std::string& text);

// Builds the trace text only when the category is traced: exchanges run hundreds of times a
// second, and a hex rendering of every frame would cost an allocation each for nothing.
template <typename TextBuilder>
void linkTrace(const char* category, const TextBuilder& buildText) {
    if (linkTraceEnabled(category)) {
        linkTrace(category, std::string(buildText()));
    }
}
