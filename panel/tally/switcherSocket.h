// One TCP connection to the video switcher: connect, write, wait and read, each bounded by a
// deadline. Every wait also watches a wake descriptor, so the link can be ended at once from
// another thread (a tally mode change, the end of the program) whatever it is waiting for.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>

class switcherSocket {
public:
    using clock = std::chrono::steady_clock;

    explicit switcherSocket(int wakeFd) : wakeFd_(wakeFd) {}
    ~switcherSocket() { close(); }
    switcherSocket(const switcherSocket&) = delete;
    switcherSocket& operator=(const switcherSocket&) = delete;

    // Starts connecting to address:port with the low-delay (no Nagle) option; the connection
    // completes in the background. False when no socket could be made for the address.
    bool connectTo(const QString& address, std::uint16_t port);
    // Waits for the connection; false when it failed, the deadline passed or the wait was woken.
    bool waitForConnected(clock::time_point deadline);
    // Writes all of data, first waiting for the connection; false when that did not happen by the
    // deadline.
    bool write(const QByteArray& data, clock::time_point deadline);
    // Waits until bytes (or the end of the stream) can be read; false on failure, time-out or wake.
    bool waitForReadyRead(clock::time_point deadline);
    // Everything that can be read now, up to limit bytes. The end of the stream or an error leaves
    // the connected state (the bytes before it are still returned).
    QByteArray readAvailable(int limit);
    void close();

    bool isConnected() const { return state_ == state::connected; }
    // The state in the words of the log lines: "UnconnectedState", "ConnectingState",
    // "ConnectedState".
    const char* stateName() const;

private:
    enum class state { unconnected, connecting, connected };
    // Polls the socket for events and the wake descriptor until the deadline: the socket's
    // returned events, 0 on time-out, -1 when woken or on a poll error.
    int waitFor(short events, clock::time_point deadline);
    bool finishConnect();
    void fail();

    int wakeFd_;
    int fd_ = -1;
    state state_ = state::unconnected;
};
