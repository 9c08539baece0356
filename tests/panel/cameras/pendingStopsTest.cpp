#include "pendingStops.h"

#include "answerTracker.h"

#include <QList>

#include <vector>

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

using visca::commandAnswer;

TEST(StopMessages, AxesStoppedAndSetMoving) {
    const struct {
        const char* message;
        unsigned stops;
        unsigned moves;
    } rows[] = {
        {"81 01 06 01 01 01 03 03 FF", visca::axisPanTilt, 0},
        {"81 01 06 01 09 07 03 03 FF", visca::axisPanTilt, 0},  // any speeds
        {"81 01 06 01 09 07 02 03 FF", 0, visca::axisPanTilt},
        {"81 01 06 01 09 07 03 01 FF", 0, visca::axisPanTilt},
        {"81 01 04 07 00 FF", visca::axisZoom, 0},
        {"81 01 04 07 23 FF", 0, visca::axisZoom},
        {"81 01 04 08 00 FF", visca::axisFocus, 0},
        {"81 01 04 08 02 FF", 0, visca::axisFocus},
        {"81 01 04 3F 02 05 FF", 0, visca::axisPanTilt | visca::axisZoom | visca::axisFocus},
        {"81 01 04 3F 01 05 FF", 0, 0},  // a preset store moves nothing
        {"81 01 04 0B 02 FF", 0, 0},
        {"81 09 04 07 00 FF", 0, 0},  // an inquiry
        {"81 01 06 01 01 01 03 03", 0, 0},
        {"", 0, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(visca::stopAxes(hex(row.message)), row.stops) << row.message;
        EXPECT_EQ(visca::moveAxes(hex(row.message)), row.moves) << row.message;
    }
}

TEST(StopAnswers, JudgedFromTheCameraBytes) {
    const struct {
        const char* answers;
        commandAnswer expected;
    } rows[] = {
        {"90 41 FF", commandAnswer::confirmed},
        {"90 51 FF", commandAnswer::confirmed},
        {"90 42 FF 90 52 FF", commandAnswer::confirmed},
        {"A0 41 FF", commandAnswer::confirmed},  // another camera address
        {"90 60 03 FF", commandAnswer::busy},
        {"90 61 41 FF", commandAnswer::refused},  // not executable
        {"90 60 02 FF", commandAnswer::refused},  // syntax error
        {"90 60 03 FF 90 41 FF", commandAnswer::confirmed},
        {"90 50 00 00 00 FF", commandAnswer::silent},  // an inquiry's answer
        {"90 41", commandAnswer::silent},
        {"41 FF", commandAnswer::silent},
        {"00 05 90 41 FF", commandAnswer::silent},  // still in its HCIP envelope
        {"", commandAnswer::silent},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(visca::judgeCommandAnswer(hex(row.answers)), row.expected) << row.answers;
    }
    // VISCA over IP: only the reply to the number sent counts.
    const QList<QByteArray> toOther{hex("01 11 00 03 00 00 00 29 90 41 FF")};
    EXPECT_EQ(visca::judgeViscaOverIpAnswer(toOther, 0x2A), commandAnswer::silent);
    const QList<QByteArray> toThis{hex("01 11 00 03 00 00 00 2A 90 41 FF")};
    EXPECT_EQ(visca::judgeViscaOverIpAnswer(toThis, 0x2A), commandAnswer::confirmed);
    const QList<QByteArray> refusedNumber{hex("02 01 00 02 00 00 00 2A 0F 01")};
    EXPECT_EQ(visca::judgeViscaOverIpAnswer(refusedNumber, 0x2A), commandAnswer::silent);
    const QList<QByteArray> busy{hex("01 11 00 04 00 00 00 2A 90 60 03 FF")};
    EXPECT_EQ(visca::judgeViscaOverIpAnswer(busy, 0x2A), commandAnswer::busy);
}

TEST(PendingStops, KeptUntilConfirmedWithinTheBudget) {
    pendingStops book;
    const QByteArray xyStop = hex("81 01 06 01 01 01 03 03 FF");
    const QByteArray zStop = hex("81 01 04 07 00 FF");
    // Confirmed at once: nothing kept. Moves and other commands are never kept.
    book.sent(3, xyStop, commandAnswer::confirmed);
    book.sent(3, hex("81 01 06 01 09 07 02 03 FF"), commandAnswer::silent);
    book.sent(3, hex("81 01 04 0B 02 FF"), commandAnswer::silent);
    EXPECT_TRUE(book.empty());

    // Unanswered: kept; a busy camera did not take it either. The first send and seven more,
    // then it is given up and handed back once.
    book.sent(3, xyStop, commandAnswer::silent);
    for (int send = 2; send <= 7; ++send) {
        EXPECT_FALSE(book.sent(3, xyStop, send == 4 ? commandAnswer::busy : commandAnswer::silent))
            << send;
        ASSERT_EQ(book.all().size(), 1u);
        EXPECT_EQ(book.all()[0].sends, send);
    }
    const auto spent = book.sent(3, xyStop, commandAnswer::silent);
    ASSERT_TRUE(spent);
    EXPECT_EQ(spent->sends, 8);
    EXPECT_EQ(spent->slot, 3);
    EXPECT_TRUE(book.empty());

    // A newer stop of another axis joins; a refused stop is settled (the camera heard it).
    book.sent(3, xyStop, commandAnswer::silent);
    book.sent(3, zStop, commandAnswer::silent);
    book.sent(5, xyStop, commandAnswer::silent);
    EXPECT_EQ(book.all().size(), 3u);
    book.sent(3, zStop, commandAnswer::refused);
    EXPECT_EQ(book.all().size(), 2u);
    // A newer move of the axis replaces it, on that camera only; a preset recall moves all.
    book.sent(3, hex("81 01 06 01 09 07 01 03 FF"), commandAnswer::silent);
    ASSERT_EQ(book.all().size(), 1u);
    EXPECT_EQ(book.all()[0].slot, 5);
    book.add(5, zStop);
    book.add(5, hex("81 01 04 0B 02 FF"));  // not a stop: ignored
    EXPECT_EQ(book.all().size(), 2u);
    EXPECT_EQ(book.next([](int slot) { return slot == 5; })->message, xyStop);
    // A stop kept while a move waited for its answer is newer than the move and stays.
    const auto moveSentAt = pendingStops::clock::now() - std::chrono::milliseconds(50);
    book.sent(5, hex("81 01 04 3F 02 01 FF"), commandAnswer::confirmed, moveSentAt);
    EXPECT_EQ(book.all().size(), 2u);
    book.sent(5, hex("81 01 04 3F 02 01 FF"), commandAnswer::confirmed);
    EXPECT_TRUE(book.empty());
}

TEST(PendingStops, AStopWaitsForItsConnectionForABoundedTime) {
    pendingStops book;
    book.add(8, hex("81 01 06 01 01 01 03 03 FF"));
    book.add(9, hex("81 01 06 01 01 01 03 03 FF"));
    const auto now = pendingStops::clock::now();
    EXPECT_TRUE(book.expire(now + kConnectionWait - std::chrono::seconds(1), {8, 9}).empty());
    const auto expired = book.expire(now + kConnectionWait + std::chrono::seconds(1), {8});
    ASSERT_EQ(expired.size(), 1u);
    EXPECT_EQ(expired[0].slot, 8);
    ASSERT_EQ(book.all().size(), 1u);
    EXPECT_EQ(book.all()[0].slot, 9);
}

}  // namespace

namespace {

using visca::answerTracker;
using waitingFor = answerTracker::waitingFor;

// Each row: what came before the message (answers to earlier messages), then what came after it
// in the pieces the line delivered, and what the exchange made of it.
TEST(AnswerTracker, AnswersOfThePresentMessageEndTheWait) {
    const struct {
        const char* name;
        waitingFor what;
        const char* before;
        std::vector<const char*> after;
        bool over;
        const char* answer;
        bool bufferFull;
    } rows[] = {
        {"acknowledged", waitingFor::commandAnswer, "", {"90 41 FF"}, true, "90 41 FF", false},
        {"ack and completion in pieces",
         waitingFor::commandAnswer,
         "",
         {"90", "42 FF 90", "52 FF"},
         true,
         "90 42 FF 90 52 FF",
         false},
        {"cut before its FF", waitingFor::commandAnswer, "", {"90 41"}, false, "", false},
        {"completed without ack",
         waitingFor::commandAnswer,
         "",
         {"90 51 FF"},
         true,
         "90 51 FF",
         false},
        {"late completion of an earlier command",
         waitingFor::commandAnswer,
         "90 41 FF",
         {"90 51 FF"},
         false,
         "",
         false},
        {"late completion, then own ack",
         waitingFor::commandAnswer,
         "90 41 FF",
         {"90 51 FF 90 42 FF"},
         true,
         "90 42 FF",
         false},
        {"buffer full",
         waitingFor::commandAnswer,
         "90 41 FF 90 42 FF",
         {"90 60 03 FF"},
         true,
         "90 60 03 FF",
         true},
        {"not executable",
         waitingFor::commandAnswer,
         "",
         {"90 61 41 FF"},
         true,
         "90 61 41 FF",
         false},
        {"status block",
         waitingFor::inquiryAnswer,
         "90 41 FF",
         {"90 51 FF 90 50 00 01 02 03 04 05 06 07 08 09 0A 01 FF"},
         true,
         "90 50 00 01 02 03 04 05 06 07 08 09 0A 01 FF",
         false},
        {"an inquiry is not answered by an ack",
         waitingFor::inquiryAnswer,
         "",
         {"90 41 FF"},
         false,
         "",
         false},
        {"noise and another device",
         waitingFor::commandAnswer,
         "",
         {"00 41 FF 81 01 FF 91 41 FF"},
         false,
         "",
         false},
        {"address B", waitingFor::commandAnswer, "", {"B0 41 FF"}, true, "B0 41 FF", false},
    };
    for (const auto& row : rows) {
        answerTracker tracker;
        tracker.begin(waitingFor::commandAnswer);
        tracker.feed(hex(row.before));
        tracker.begin(row.what);
        for (const char* piece : row.after) {
            tracker.feed(hex(piece));
        }
        EXPECT_EQ(tracker.over(), row.over) << row.name;
        EXPECT_EQ(tracker.answer(), hex(row.answer)) << row.name;
        EXPECT_EQ(tracker.bufferFull(), row.bufferFull) << row.name;
    }
}

TEST(AnswerTracker, NoiseWithoutAnEndIsDroppedAndTheLineRecovers) {
    answerTracker tracker;
    tracker.begin(waitingFor::commandAnswer);
    tracker.feed(QByteArray(10000, '\x90'));
    tracker.feed(hex("90 41 FF"));
    EXPECT_TRUE(tracker.over());
    EXPECT_EQ(tracker.answer(), hex("90 41 FF"));
}

}  // namespace

namespace {

TEST(AnswerTracker, SocketsAreTakenByAcknowledgementsAndFreedByCompletionsAndErrors) {
    visca::answerTracker tracker;
    const struct {
        const char* bytes;
        int inUse;
    } steps[] = {{"90 41 FF", 1},
                 {"90 42 FF", 2},
                 {"90 51 FF", 1},
                 {"90 62 04 FF", 0},  // cancelled
                 {"90 41 FF", 1}};
    for (const auto& step : steps) {
        tracker.begin(visca::answerTracker::waitingFor::commandAnswer);
        tracker.feed(hex(step.bytes));
        EXPECT_EQ(tracker.socketsInUse(), step.inUse) << step.bytes;
    }
    tracker.reset();
    EXPECT_EQ(tracker.socketsInUse(), 0);
}

}  // namespace
