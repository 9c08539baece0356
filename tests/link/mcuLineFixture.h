// A virtual panel MCU in a temporary root with the product's line opened on it.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include <libserial/SerialStream.h>

#include "linkLog.h"
#include "mcuExchange.h"
#include "simProcess.h"
#include "tempRoot.h"

class McuLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        setLinkProgram(LinkProgram::panel);
        setLinkLogSink([this](const char*, const std::string& line) {
            std::lock_guard<std::mutex> lock(logMutex_);
            log_.push_back(line);
        });
        ASSERT_TRUE(mcu_.started()) << "virtual MCU did not start";
        ASSERT_TRUE(openMcuLine(line_, mcu_.linePath()));
    }
    void TearDown() override {
        setLinkLogSink({});
        setLinkProgram(LinkProgram::panel);
    }

    void sim(const std::string& command) { ASSERT_EQ(mcu_.command(command), "ok") << command; }
    std::string simValue(const std::string& command) { return mcu_.command(command); }

    std::vector<std::string> log() {
        std::lock_guard<std::mutex> lock(logMutex_);
        return log_;
    }
    bool logged(const std::string& line) {
        for (const std::string& l : log()) {
            if (l == line) {
                return true;
            }
        }
        return false;
    }

    TempRoot root_;
    VirtualMcu mcu_{root_.path()};
    LibSerial::SerialStream line_;

private:
    std::mutex logMutex_;
    std::vector<std::string> log_;
};
