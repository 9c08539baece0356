#include "tempRoot.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempRoot::TempRoot(bool exportToEnvironment) : exported_(exportToEnvironment) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zekroot.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
    std::filesystem::create_directories(path_ + "/dev");
    std::filesystem::create_directories(path_ + "/run");
    if (exported_) {
        ::setenv("ZEK_ROOT", path_.c_str(), 1);
        ::setenv("ZEK_SIMULATION", "1", 1);
    }
}

TempRoot::~TempRoot() {
    if (exported_) {
        ::unsetenv("ZEK_ROOT");
        ::unsetenv("ZEK_SIMULATION");
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempRoot::writeFile(const std::string& relative, const std::string& content) const {
    const std::filesystem::path file = path_ + "/" + relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

std::string TempRoot::readFile(const std::string& relative) const {
    std::ifstream in(path_ + "/" + relative, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> TempRoot::recordedCommands() const {
    std::vector<std::string> lines;
    const std::string all = readFile("commands.log");
    std::size_t start = 0;
    for (std::size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = all.substr(start, end - start);
        for (std::size_t at; (at = line.find(path_)) != std::string::npos;) {
            line.erase(at, path_.size());
        }
        lines.push_back(line);
    }
    return lines;
}
