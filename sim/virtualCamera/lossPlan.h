// Messages and answers the virtual camera loses on request, as a lossy network or a glitching
// line would: a message lost on its way in is neither applied nor answered; an answer lost on its
// way out leaves the message applied.
//
// Control commands:
//   lose in N [HH HH ..]    the next N messages that start with these bytes (any message when none
//                           are given) are lost on their way in
//   lose out N [HH HH ..]   the answers to the next N such messages are lost on their way out
//   loss IN OUT SEED        from now on each message is lost on its way in with IN percent
//                           chance, and each answer on its way out with OUT percent (0..100),
//                           drawn from a generator seeded with SEED; "loss 0 0 0" ends it
//   get lost                "in=N out=N": messages and answers lost so far
// The messages are VISCA bytes, their envelope taken off; VISCA-over-IP control messages (the
// sequence reset) are never lost.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

class LossPlan {
public:
    // The answer to a loss command, or nothing when words are not one.
    std::optional<std::string> control(const std::vector<std::string>& words);
    // Whether message is lost on its way in.
    bool loseIncoming(const std::string& message);
    // The answers to message that are not lost on their way out.
    std::vector<std::string> survivingAnswers(const std::string& message,
                                              std::vector<std::string> answers);

private:
    struct Rule {
        long count = 0;
        std::string prefix;
    };
    static bool matches(Rule& rule, const std::string& message);
    bool draw(int percent);

    Rule in_;
    Rule out_;
    int inPercent_ = 0;
    int outPercent_ = 0;
    std::mt19937 random_;
    long lostIn_ = 0;
    long lostOut_ = 0;
};
