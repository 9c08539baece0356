#include "linkLog.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <sstream>

namespace {

std::atomic<LinkProgram> g_program{LinkProgram::panel};

// The sink and the lock that guards the pointer to it (lines are written outside the lock). Both
// live until the process is gone: a detached thread (the configuration service) may still log
// while the program's static objects are being destroyed at exit.
struct sinkSlot {
    std::mutex mutex;
    std::shared_ptr<const LinkLogSink> sink;
};

sinkSlot& theSink() {
    static sinkSlot* const slot = new sinkSlot;
    return *slot;
}

std::shared_ptr<const LinkLogSink> currentSink() {
    sinkSlot& slot = theSink();
    std::lock_guard<std::mutex> lock(slot.mutex);
    return slot.sink;
}

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
    if (const std::shared_ptr<const LinkLogSink> sink = currentSink()) {
        (*sink)(category, line);
        return;
    }
    // One fwrite per line: stdio locks the stream for it, so lines of two threads never mix.
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

void setLinkLogSink(LinkLogSink sink) {
    std::shared_ptr<const LinkLogSink> replacement;
    if (sink) {
        replacement = std::make_shared<const LinkLogSink>(std::move(sink));
    }
    sinkSlot& slot = theSink();
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.sink = std::move(replacement);
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
