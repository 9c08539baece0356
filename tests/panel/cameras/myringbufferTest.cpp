#include "myringbuffer.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {

TEST(CommandQueue, BlocksComeOutWholeAndInOrder) {
    MyRingBuffer queue;
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.read(), QByteArray());
    EXPECT_EQ(queue.nextDataBlockSize(), 0);
    queue.append(QByteArray::fromHex("8101040700ff"));
    queue.append(QByteArray::fromHex("81010601010103 03ff"));
    queue.append(QByteArray());
    EXPECT_EQ(queue.size(), 15);
    EXPECT_EQ(queue.blockCount(), 3);
    EXPECT_EQ(queue.nextDataBlockSize(), 6);
    EXPECT_EQ(queue.read(), QByteArray::fromHex("8101040700ff"));
    EXPECT_EQ(queue.read().size(), 9);
    EXPECT_FALSE(queue.isEmpty());  // an empty block is still a block
    EXPECT_EQ(queue.read(), QByteArray());
    EXPECT_TRUE(queue.isEmpty());
    queue.append("x");
    queue.clear();
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.size(), 0);
}

TEST(CommandQueue, ConcurrentProducersAndOneConsumerLoseNothing) {
    MyRingBuffer queue;
    constexpr int kProducers = 3;
    constexpr int kPerProducer = 2000;
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&queue, p] {
            for (int i = 0; i < kPerProducer; ++i) {
                // producer, sequence (two bytes), terminator
                queue.append(QByteArray(1, char(p)) + char(i >> 8) + char(i & 0xFF) + '\xFF');
            }
        });
    }
    std::vector<int> lastSeen(kProducers, -1);
    int received = 0;
    bool inOrder = true;
    bool whole = true;
    while (received < kProducers * kPerProducer) {
        const QByteArray block = queue.read();
        if (block.isEmpty()) {
            std::this_thread::yield();
            continue;
        }
        whole = whole && block.size() == 4 && block.at(3) == '\xFF';
        const int producer = block.at(0);
        const int sequence =
            (static_cast<quint8>(block.at(1)) << 8) | static_cast<quint8>(block.at(2));
        inOrder = inOrder && sequence == lastSeen[producer] + 1;
        lastSeen[producer] = sequence;
        ++received;
    }
    for (auto& t : producers) {
        t.join();
    }
    EXPECT_TRUE(whole);
    EXPECT_TRUE(inOrder);
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.size(), 0);
}

}  // namespace
