// Who may use the automation interface, and how often: access tokens and their roles, and the
// limits per client address. Pure: the clock is passed in, nothing is read or written.
#pragma once
#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstddef>
#include <map>

namespace automation {

enum class role { none, readOnly, control };

// A new access token: 32 random bytes from the system, as 64 lower-case hex digits. Empty when
// the system gives no random bytes (the caller then makes none).
QString newToken();
// What is stored of a token: its SHA-256, hex. The token itself is shown once and kept nowhere.
QString tokenHash(const QString& token);
// Compares two byte strings in a time that depends on their length only, not on where they differ.
bool sameInConstantTime(const QByteArray& a, const QByteArray& b);
// The role of a presented token against the stored hashes (an empty hash grants nothing).
role roleOf(const QString& presented, const QString& readOnlyHash, const QString& controlHash);
// The token of an "Authorization: Bearer TOKEN" header value; empty for any other form.
QString bearerToken(const QByteArray& header);

using clock = std::chrono::steady_clock;

// Failed authentications per client address. After kFreeFailures failures within kWindow, each
// further request from that address waits before it is answered, twice as long each time, up to
// kLongestWait; a success from the address forgets its failures.
class failureBrake {
public:
    static constexpr int kFreeFailures = 3;
    static constexpr std::chrono::seconds kWindow{60};
    static constexpr std::chrono::milliseconds kFirstWait{250};
    static constexpr std::chrono::milliseconds kLongestWait{8000};
    static constexpr std::size_t kAddressesKept = 256;

    // How long a request from address waits before it is looked at.
    std::chrono::milliseconds waitFor(const QString& address, clock::time_point now) const;
    void failed(const QString& address, clock::time_point now);
    void succeeded(const QString& address);

private:
    struct record {
        int failures = 0;
        clock::time_point first;
    };
    std::map<QString, record> records_;
};

// Requests per client address: a bucket of kBurst requests, filled again at kPerSecond a
// second. A request that finds it empty is refused (429).
class requestRate {
public:
    static constexpr double kPerSecond = 20.0;
    static constexpr double kBurst = 40.0;
    static constexpr std::size_t kAddressesKept = 256;

    bool admit(const QString& address, clock::time_point now);

private:
    struct bucket {
        double tokens = kBurst;
        clock::time_point last;
    };
    std::map<QString, bucket> buckets_;
};

}  // namespace automation
