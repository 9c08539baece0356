// The recovery tool's one object, shown to its window as "mainObject": the function-key lamps,
// and the copy of the previous application over the current one.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Key codes of the panel keys as they reach the window.
constexpr int kFunctionKey1 = 0x10000A9;
constexpr int kFunctionKey2 = 0x10000AA;
constexpr int kFunctionKey3 = 0x10000AB;
constexpr int kFunctionKey4 = 0x10000AC;
constexpr int kFifthPanelKey = 0x10000F1;

class rescueControl : public QObject {
    Q_OBJECT
    // The recovery chord, for the window: function keys 1 and 4 with the fifth panel key.
    Q_PROPERTY(int chordKey1 READ chordKey1 CONSTANT)
    Q_PROPERTY(int chordKey2 READ chordKey2 CONSTANT)
    Q_PROPERTY(int chordKey3 READ chordKey3 CONSTANT)

public:
    // exitProgram ends the program with a status (the event loop's exit on the panel; tests
    // record it).
    explicit rescueControl(std::function<void(int)> exitProgram, QObject* parent = nullptr);

    int chordKey1() const { return kFunctionKey1; }
    int chordKey2() const { return kFunctionKey4; }
    int chordKey3() const { return kFifthPanelKey; }

    Q_INVOKABLE void prepareRescue();
    // Copies prev over current, syncs and reboots; the status of the copy (0 = success).
    Q_INVOKABLE int doRescue();
    // Sets the three lamp registers for a step of the chasing light; 99 switches them off and
    // ends the program with status 0.
    Q_INVOKABLE void callSteps(int type);
    // Lights the lamp of function key type (1 to 4).
    Q_INVOKABLE void keyLED(int type);

signals:
    void showMessage(QString msg);

private:
    std::function<void(int)> exitProgram_;
};
