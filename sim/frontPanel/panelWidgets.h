// The controls of the front panel that plain Qt widgets do not model: a lit key, the joystick
// pad and self-centring levers.
#pragma once

#include <QColor>
#include <QDial>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

// A key whose face shows the LED colour; press and release follow the mouse button (dragging off
// the key releases it, as lifting a finger would).
class KeyButton : public QPushButton {
    Q_OBJECT
public:
    KeyButton(int key, const QString& label, QWidget* parent = nullptr);

    int key() const { return key_; }
    // An invalid colour means unknown (no colour table yet, or the index has no entry).
    void setLamp(const QColor& colour, int index);

private:
    void restyle();

    int key_;
    QColor colour_;
    int index_ = -1;
    bool styled_ = false;
};

// A square pad: the offset of the mouse from the centre gives the X and Y deflection, -4095 to
// 4095 on each axis (right and up positive). Lets go back to the centre.
class JoystickPad : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFullScale = 4095;

    explicit JoystickPad(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {200, 200}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width; }

signals:
    void deflected(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRectF field() const;
    void moveTo(const QPointF& position);

    int x_ = 0;
    int y_ = 0;
};

// A lever that returns to 0 when let go (zoom twist, shuttle, jog). The wheel and the keyboard
// are ignored: they would leave the lever deflected with nothing to bring it back.
class SpringSlider : public QSlider {
    Q_OBJECT
public:
    SpringSlider(Qt::Orientation orientation, int limit, QWidget* parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

// The encoder knob: dragging it round or rolling the mouse wheel gives detents, clockwise and
// wheel-away being +1. One wheel notch is one detent, not the three lines Qt would scroll.
class EncoderKnob : public QDial {
    Q_OBJECT
public:
    static constexpr int kDetentsPerTurn = 24;

    explicit EncoderKnob(QWidget* parent = nullptr);

signals:
    void turned(int direction);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void follow(int value);

    int lastValue_ = 0;
    int wheelAngle_ = 0;
};
