// The camera command queue: a FIFO of byte blocks, one VISCA message per block.
//
// Keys, joystick, rotary encoder and screens append from their threads; the command loop and
// the GUI thread's network steps read. Every operation takes the queue's own lock, so a block is
// appended or taken whole and the order of appends is the order of reads.
#pragma once

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

class MyRingBuffer {
public:
    void append(const QByteArray& block);
    // The oldest block, removed; an empty array when the queue is empty.
    QByteArray read();
    // Takes the oldest block into block in one step; false, and block untouched, when the queue
    // is empty. Readers use it rather than isEmpty() then read(): a clear from another thread
    // between the two would hand them an empty block to send.
    bool take(QByteArray& block);
    // Takes the oldest block when accept(block) says so, in one step.
    template <typename Accept>
    bool takeIf(QByteArray& block, Accept accept) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (blocks_.empty() || !accept(blocks_.front())) {
            return false;
        }
        block = std::move(blocks_.front());
        blocks_.pop_front();
        bytes_ -= block.size();
        return true;
    }
    // Size of the oldest block; 0 when empty.
    int nextDataBlockSize() const;
    bool isEmpty() const;
    // Total bytes queued.
    int size() const;
    void clear();
    // Empties the queue and returns what it held, oldest first.
    std::deque<QByteArray> takeAll();
    // Number of blocks queued.
    int blockCount() const;
    // Waits until a block is queued or the time is up; true when a block is there.
    bool waitForBlock(std::chrono::milliseconds limit) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable appended_;
    std::deque<QByteArray> blocks_;
    int bytes_ = 0;
};
