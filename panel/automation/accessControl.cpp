#include "accessControl.h"

#include <QCryptographicHash>

#include <sys/random.h>

#include <algorithm>
#include <cerrno>

namespace automation {

QString newToken() {
    unsigned char bytes[32];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return {};
        }
        got += static_cast<std::size_t>(n);
    }
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes).toHex());
}

QString tokenHash(const QString& token) {
    return QString::fromLatin1(
        QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256).toHex());
}

bool sameInConstantTime(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (int i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return difference == 0;
}

role roleOf(const QString& presented, const QString& readOnlyHash, const QString& controlHash) {
    if (presented.isEmpty()) {
        return role::none;
    }
    const QByteArray hash = tokenHash(presented).toLatin1();
    // Both are compared whatever the first gave, so the time says nothing of the role.
    const bool control = !controlHash.isEmpty() && sameInConstantTime(hash, controlHash.toLatin1());
    const bool readOnly =
        !readOnlyHash.isEmpty() && sameInConstantTime(hash, readOnlyHash.toLatin1());
    return control ? role::control : readOnly ? role::readOnly : role::none;
}

QString bearerToken(const QByteArray& header) {
    const QByteArray value = header.trimmed();
    static const QByteArray kScheme("Bearer ");
    if (value.size() <= kScheme.size() || !value.startsWith(kScheme)) {
        return {};
    }
    const QByteArray token = value.mid(kScheme.size()).trimmed();
    // Tokens are hex; anything else is not one of ours.
    for (const char c : token) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return {};
        }
    }
    return QString::fromLatin1(token);
}

std::chrono::milliseconds failureBrake::waitFor(const QString& address,
                                                clock::time_point now) const {
    const auto found = records_.find(address);
    if (found == records_.end() || now - found->second.first > kWindow ||
        found->second.failures < kFreeFailures) {
        return std::chrono::milliseconds(0);
    }
    const int doublings = std::min(found->second.failures - kFreeFailures, 16);
    return std::min(kFirstWait * (1 << doublings), std::chrono::milliseconds(kLongestWait));
}

void failureBrake::failed(const QString& address, clock::time_point now) {
    auto found = records_.find(address);
    if (found == records_.end()) {
        if (records_.size() >= kAddressesKept) {
            // The oldest spell makes room: a flood of addresses cannot grow the table.
            records_.erase(std::min_element(
                records_.begin(), records_.end(),
                [](const auto& a, const auto& b) { return a.second.first < b.second.first; }));
        }
        found = records_.emplace(address, record{0, now}).first;
    } else if (now - found->second.first > kWindow) {
        found->second = record{0, now};
    }
    ++found->second.failures;
}

void failureBrake::succeeded(const QString& address) {
    records_.erase(address);
}

bool requestRate::admit(const QString& address, clock::time_point now) {
    auto found = buckets_.find(address);
    if (found == buckets_.end()) {
        if (buckets_.size() >= kAddressesKept) {
            buckets_.erase(std::min_element(
                buckets_.begin(), buckets_.end(),
                [](const auto& a, const auto& b) { return a.second.last < b.second.last; }));
        }
        found = buckets_.emplace(address, bucket{kBurst, now}).first;
    }
    bucket& b = found->second;
    const double seconds = std::chrono::duration<double>(now - b.last).count();
    b.tokens = std::min(kBurst, b.tokens + std::max(0.0, seconds) * kPerSecond);
    b.last = now;
    if (b.tokens < 1.0) {
        return false;
    }
    b.tokens -= 1.0;
    return true;
}

}  // namespace automation
