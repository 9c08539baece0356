// The virtual front panel: the keys, joystick, levers, encoder and function keys of the panel,
// wired to the virtual MCU's control channel, the encoder pipe and the panel application's window.
#pragma once

#include <QMap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>

#include "controlAnswers.h"
#include "functionLamps.h"
#include "rotaryFifo.h"

class FunctionKeySender;
class KeyButton;
class EncoderKnob;
class QLabel;
class QPushButton;

class FrontPanelWindow : public QWidget {
    Q_OBJECT
public:
    explicit FrontPanelWindow(const QString& root, QWidget* parent = nullptr);

    bool saveScreenshot(const QString& file);

public slots:
    void showLeds(const frontpanel::LedIndices& leds);
    void showColours(const frontpanel::ColourTable& table);
    void setStatus(const QString& source, const QString& text);

signals:
    // A change for the MCU; see McuChannel::send.
    void controlChanged(const QString& command, const QString& coalesceKey);

private:
    QWidget* buildKeys();
    QWidget* buildJoystick();
    QWidget* buildLevers();
    QWidget* buildEncoder();
    void sendAxis(const QString& axis, int signedValue);
    void turnEncoder(int direction);
    void pollLampLog();
    void refreshKeyLamps();
    void refreshFunctionLamps();

    std::array<KeyButton*, frontpanel::kKeyCount> keys_{};
    frontpanel::LedIndices leds_{};
    bool haveLeds_ = false;
    frontpanel::ColourTable colours_;

    frontpanel::RotaryFifo rotary_;
    EncoderKnob* encoderDial_ = nullptr;
    QLabel* encoderCount_ = nullptr;
    long detents_ = 0;

    frontpanel::LineFollower lampLog_;
    frontpanel::LampRegisters lampRegisters_{-1, -1, -1};
    QTimer lampTimer_;
    std::array<QLabel*, frontpanel::kFunctionKeys> lamps_{};
    std::array<QPushButton*, frontpanel::kFunctionKeys> functionButtons_{};
    FunctionKeySender* functionKeys_ = nullptr;

    QMap<QString, QString> statuses_;
    QLabel* statusLine_ = nullptr;
};
