#include "linkLog.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>

namespace {

std::atomic<LinkProgram> g_program{LinkProgram::panel};

// Guards the sink itself and serialises writes so lines of two threads do not interleave.
std::mutex g_sinkMutex;
LinkLogSink g_sink;

bool categoryListed(const char* list, const char* category) {
    std::istringstream names(list);
    std::string name;
    while (std::getline(names, name, ',')) {
        if (name == "all" || name == category) {
            return true;
        }
    }
    return false;
}

}  // namespace

void setLinkProgram(LinkProgram program) {
    g_program.store(program);
}

LinkProgram linkProgram() {
    return g_program.load();
}

void linkLog(const char* category, const std::string& text) {
    std::string line = text;
    if (line.empty() || line.back() != '\n') {
        line.push_back('\n');
    }
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    if (g_sink) {
        g_sink(category, line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

void setLinkLogSink(LinkLogSink sink) {
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    g_sink = std::move(sink);
}

bool linkTraceEnabled(const char* category) {
    const char* list = std::getenv("ZEK_TRACE");
    return list != nullptr && *list != '\0' && categoryListed(list, category);
}

void linkTrace(const char* category, const std::string& text) {
    if (linkTraceEnabled(category)) {
        linkLog(category, std::string("[") + category + "] " + text);
    }
}
