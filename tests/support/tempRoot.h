// A temporary directory standing in for "/" (ZEK_ROOT), removed with everything in it.
#pragma once

#include <string>
#include <vector>

class TempRoot {
public:
    // Creates the directory with dev/ and run/ inside; sets ZEK_ROOT and ZEK_SIMULATION while
    // the object lives when exportToEnvironment is true.
    explicit TempRoot(bool exportToEnvironment = true);
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

    void writeFile(const std::string& relative, const std::string& content) const;
    std::string readFile(const std::string& relative) const;
    // The commands the runner recorded in commands.log, with the root taken out of every path,
    // so they read as on the panel. Empty when nothing was recorded.
    std::vector<std::string> recordedCommands() const;

private:
    std::string path_;
    bool exported_;
};
