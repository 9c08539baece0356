// The loop-back test's serial port object over a real pseudo-terminal: its settings and their
// texts, open and close, and writes and reads with their waits.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "ttyUSB.h"

namespace {

class PseudoTerminal {
public:
    PseudoTerminal() {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            termios raw{};
            ::tcgetattr(slave, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
            // Kept open so the master never sees the line hang up between the port's opens.
            slave_ = slave;
            name_ = name;
        }
    }
    ~PseudoTerminal() {
        if (master_ >= 0) {
            ::close(master_);
        }
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    const std::string& name() const { return name_; }
    // The line's settings as the system holds them.
    termios settings() const {
        termios now{};
        ::tcgetattr(slave_, &now);
        return now;
    }
    void write(const std::string& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the port wrote, waiting up to a second for the first byte.
    std::string read() const {
        pollfd ready{master_, POLLIN, 0};
        std::string bytes;
        while (::poll(&ready, 1, bytes.empty() ? 1000 : 50) == 1) {
            char buffer[512];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string name_;
};

TEST(TtyUSB, SettingsKeepTheirValuesAndTextsAndIgnoreUnknownCodes) {
    ttyUSB port;
    EXPECT_EQ(port.getName(), "/dev/ttyUSB0");
    EXPECT_EQ(port.baudRateText(), "38400");
    EXPECT_EQ(port.dataBitsText(), "8");
    EXPECT_EQ(port.parityText(), "None");
    EXPECT_EQ(port.stopBitsText(), "1");
    EXPECT_EQ(port.flowControlText(), "None");

    port.setName("/dev/ttyUSB5");
    port.setBaudRate(9600);
    port.setDataBit(7);
    port.setParity(2);
    port.setStopBit(3);
    port.setFlowControl(1);
    EXPECT_EQ(port.getName(), "/dev/ttyUSB5");
    EXPECT_EQ(port.baudRateText(), "9600");
    EXPECT_EQ(port.dataBitsText(), "7");
    EXPECT_EQ(port.parityText(), "Even");
    EXPECT_EQ(port.stopBitsText(), "1.5");
    EXPECT_EQ(port.flowControlText(), "RTS/CTS");
    port.setParity(3);
    port.setStopBit(2);
    port.setFlowControl(2);
    EXPECT_EQ(port.parityText(), "Odd");
    EXPECT_EQ(port.stopBitsText(), "2");
    EXPECT_EQ(port.flowControlText(), "XON/XOFF");

    // Codes outside the tables change nothing.
    port.setParity(1);
    port.setStopBit(0);
    port.setFlowControl(7);
    port.setDataBit(9);
    port.setBaudRate(-5);
    EXPECT_EQ(port.parityText(), "Odd");
    EXPECT_EQ(port.stopBitsText(), "2");
    EXPECT_EQ(port.flowControlText(), "XON/XOFF");
    EXPECT_EQ(port.dataBitsText(), "7");
    EXPECT_EQ(port.baudRateText(), "9600");
}

// What the line holds once opened. A pseudo-terminal keeps 8 data bits without parity whatever is
// asked, so those two are left to the texts above.
TEST(TtyUSB, OpenedLineCarriesTheSettings) {
    PseudoTerminal line;
    ASSERT_FALSE(line.name().empty());
    ttyUSB plain;
    ASSERT_EQ(plain.openSerialPort(QString::fromStdString(line.name())), "OK");
    termios set = line.settings();
    EXPECT_EQ(::cfgetospeed(&set), static_cast<speed_t>(B38400));
    EXPECT_EQ(::cfgetispeed(&set), static_cast<speed_t>(B38400));
    EXPECT_EQ(set.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(set.c_cflag & PARENB);
    EXPECT_FALSE(set.c_cflag & CSTOPB);
    EXPECT_FALSE(set.c_cflag & CRTSCTS);
    EXPECT_FALSE(set.c_iflag & (IXON | IXOFF));
    plain.closeSerialPort();

    ttyUSB port;
    port.setBaudRate(9600);
    port.setStopBit(2);
    port.setFlowControl(2);
    ASSERT_EQ(port.openSerialPort(QString::fromStdString(line.name())), "OK");
    set = line.settings();
    EXPECT_EQ(::cfgetospeed(&set), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetispeed(&set), static_cast<speed_t>(B9600));
    EXPECT_TRUE(set.c_cflag & CSTOPB);
    EXPECT_FALSE(set.c_cflag & CRTSCTS);
    EXPECT_TRUE(set.c_iflag & IXON);
}

TEST(TtyUSB, OpensWritesReadsAndClosesOnALine) {
    PseudoTerminal line;
    ASSERT_FALSE(line.name().empty());
    ttyUSB port;
    ASSERT_EQ(port.openSerialPort(QString::fromStdString(line.name())), "OK");
    EXPECT_TRUE(port.isOpened());
    EXPECT_EQ(port.getName().toStdString(), line.name());

    const std::string bytes("\x55\xAA\x00\xFF\x0D\x0A\x11\x13", 8);
    EXPECT_TRUE(port.writeData(QByteArray(bytes.data(), static_cast<int>(bytes.size()))));
    EXPECT_EQ(line.read(), bytes) << "bytes pass unchanged, no line-ending or flow translation";

    line.write(bytes);
    QByteArray received;
    EXPECT_TRUE(port.readData(received));
    EXPECT_EQ(received.toStdString(), bytes);

    // readAtLeast gathers pieces until it has enough.
    received.clear();
    line.write("abc");
    line.write("defg");
    port.readAtLeast(received, 7, 1000);
    EXPECT_EQ(received, "abcdefg");

    port.closeSerialPort();
    EXPECT_FALSE(port.isOpened());
    port.closeSerialPort();  // closing twice is harmless
    EXPECT_FALSE(port.writeData("x"));
    received.clear();
    EXPECT_FALSE(port.readData(received));

    // And it opens again.
    ASSERT_EQ(port.openSerialPort(QString::fromStdString(line.name())), "OK");
    port.discardInput();
    EXPECT_TRUE(port.writeData("again"));
    EXPECT_EQ(line.read(), "again");
}

TEST(TtyUSB, WaitsEndAtTheirBudgets) {
    PseudoTerminal line;
    ttyUSB port;
    ASSERT_EQ(port.openSerialPort(QString::fromStdString(line.name())), "OK");
    QByteArray received;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.readData(received));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    EXPECT_TRUE(received.isEmpty());

    line.write("12");
    port.readAtLeast(received, 5, 200);
    EXPECT_EQ(received, "12") << "what came is kept when the budget ends first";
}

TEST(TtyUSB, AMissingPortGivesTheErrorTextAndStaysClosed) {
    ttyUSB port;
    const QString why = port.openSerialPort("/nonexistent/ttyUSB9");
    EXPECT_NE(why, "OK");
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(port.isOpened());
    QByteArray received;
    EXPECT_FALSE(port.readData(received));
    port.readAtLeast(received, 10, 100);
    EXPECT_TRUE(received.isEmpty());
}

}  // namespace
