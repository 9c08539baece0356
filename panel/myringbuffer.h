// The camera command queue: a FIFO of byte blocks, one VISCA message per block.
//
// Keys, joystick, rotary encoder and screens append from their threads; the command loop and
// the GUI thread's network steps read. Every operation takes the queue's own lock, so a block is
// appended or taken whole and the order of appends is the order of reads.
#pragma once

#include <QByteArray>

#include <deque>
#include <mutex>

class MyRingBuffer {
public:
    void append(const QByteArray& block);
    // The oldest block, removed; an empty array when the queue is empty.
    QByteArray read();
    // Size of the oldest block; 0 when empty.
    int nextDataBlockSize() const;
    bool isEmpty() const;
    // Total bytes queued.
    int size() const;
    void clear();
    // Number of blocks queued.
    int blockCount() const;

private:
    mutable std::mutex mutex_;
    std::deque<QByteArray> blocks_;
    int bytes_ = 0;
};
