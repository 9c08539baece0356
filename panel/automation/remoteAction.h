// The actions the automation interface may ask of the panel, and the reading of a request's body
// into one. Pure: bytes in, an action or the reason it is refused out.
#pragma once
#include <QByteArray>
#include <QString>

#include <optional>

namespace automation {

enum class actionKind { selectCamera, recallPreset, storePreset, stopAll };

struct remoteAction {
    actionKind kind = actionKind::stopAll;
    int camera = 0;  // 1..24; 0: the controlled camera
    int preset = 0;  // 1..128 (the panel's PST 1 is preset 1, VISCA memory 0)
};

constexpr int kFirstPreset = 1;
constexpr int kLastPreset = 128;

// What became of an action handed to the panel.
enum class actionOutcome {
    done,      // run, as the keys would have
    testMode,  // the panel is in its test mode, where the keys do nothing
    busy,      // the key loop did not take it in time; nothing was done
};

struct parsedAction {
    std::optional<remoteAction> action;
    QString error;  // why the body was refused, for the 400 answer
};

// The action named by the last part of its path ("select", "recall", "store", "stop") with the
// request's JSON body. Refused: a body that is not one JSON object, a field the action does not
// take, a missing field, a camera outside 1..24, a preset outside 1..128, a number that is not a
// whole one. "stop" takes an empty body too.
parsedAction parseAction(const QString& name, const QByteArray& body);

// The name of an action, as in its path and in the log.
QString actionName(actionKind kind);

}  // namespace automation
