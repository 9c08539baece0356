// Follows a camera's answers on one line or connection, so that an exchange can end as soon as
// the answer it waits for is complete, and so that a late answer to an earlier message is not
// taken for the present one's.
//
// A command is acknowledged (y0 4z FF, z the socket the camera gave it) and later completed
// (y0 5z FF); an inquiry gets one answer (y0 50 ... FF); either may get an error (y0 6z EE FF),
// 03 being "buffer full": the camera did not take the message. y is the camera's address, 9 to F.
#pragma once
#include <QByteArray>

#include <chrono>

namespace visca {

class answerTracker {
public:
    enum class waitingFor { nothing, commandAnswer, inquiryAnswer };

    // A message is about to be written; what came before belongs to earlier messages.
    void begin(waitingFor what);
    // Bare VISCA bytes as they arrived, cut anywhere.
    void feed(const QByteArray& bytes);
    // The answer waited for is there: an acknowledgement, completion or error for a command; the
    // answer or an error for an inquiry.
    bool over() const { return over_; }
    // The answers that belong to the present message, whole, in the order they came.
    const QByteArray& answer() const { return answer_; }
    // The present message was refused with "buffer full".
    bool bufferFull() const { return bufferFull_; }
    // Commands the camera acknowledged and has not completed: with both of a camera's sockets
    // taken, a further command would be refused as "buffer full".
    int socketsInUse() const;
    // The line was opened again: what the camera was doing is forgotten.
    void reset();

private:
    void take(const QByteArray& message);

    waitingFor waiting_ = waitingFor::nothing;
    bool over_ = false;
    bool bufferFull_ = false;
    int presentSocket_ = -1;     // the socket the camera gave the present command
    unsigned socketsInUse_ = 0;  // bit z: a command acknowledged in socket z, not completed yet
    QByteArray partial_;
    QByteArray answer_;
};

// What an exchange on a camera line or connection came to.
struct exchangeResult {
    QByteArray answer;         // the answers that belong to the message sent, whole
    bool answered = false;     // the answer waited for came
    bool bufferFull = false;   // the camera refused the message with "buffer full"
    bool socketsFull = false;  // both command sockets of the camera are taken now
    // When the message was on the line (serial exchanges): fixed pacing counts from here.
    std::chrono::steady_clock::time_point writtenAt{};
};

// The camera's command sockets (VISCA cameras have two).
constexpr int kCommandSockets = 2;

}  // namespace visca
