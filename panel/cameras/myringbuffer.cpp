#include "myringbuffer.h"

void MyRingBuffer::append(const QByteArray& block) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        blocks_.push_back(block);
        bytes_ += block.size();
    }
    appended_.notify_all();
}

QByteArray MyRingBuffer::read() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (blocks_.empty()) {
        return {};
    }
    QByteArray block = std::move(blocks_.front());
    blocks_.pop_front();
    bytes_ -= block.size();
    return block;
}

bool MyRingBuffer::take(QByteArray& block) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (blocks_.empty()) {
        return false;
    }
    block = std::move(blocks_.front());
    blocks_.pop_front();
    bytes_ -= block.size();
    return true;
}

int MyRingBuffer::nextDataBlockSize() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_.empty() ? 0 : blocks_.front().size();
}

bool MyRingBuffer::isEmpty() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_.empty();
}

int MyRingBuffer::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
}

void MyRingBuffer::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    blocks_.clear();
    bytes_ = 0;
}

std::deque<QByteArray> MyRingBuffer::takeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::deque<QByteArray> taken;
    taken.swap(blocks_);
    bytes_ = 0;
    return taken;
}

int MyRingBuffer::blockCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(blocks_.size());
}

bool MyRingBuffer::waitForBlock(std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return appended_.wait_for(lock, limit, [this] { return !blocks_.empty(); });
}
