#include "panelWidgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

KeyButton::KeyButton(int key, const QString& label, QWidget* parent)
    : QPushButton(label, parent), key_(key) {
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(76, 40);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    restyle();
}

void KeyButton::setLamp(const QColor& colour, int index) {
    if (styled_ && colour == colour_ && index == index_) {
        return;
    }
    colour_ = colour;
    index_ = index;
    restyle();
}

void KeyButton::restyle() {
    styled_ = true;
    const bool known = colour_.isValid();
    const QColor face = known ? colour_ : QColor(0x55, 0x55, 0x55);
    const QColor text = face.lightness() > 140 ? Qt::black : Qt::white;
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: 2px solid "
                                 "#303030; border-radius: 4px; font-weight: bold; padding: 2px; }"
                                 "QPushButton:pressed { border: 3px solid #ffd000; }")
                      .arg(face.name(), text.name()));
    setToolTip(known ? QStringLiteral("key %1, colour index %2 = %3")
                           .arg(key_)
                           .arg(index_)
                           .arg(colour_.name())
                     : QStringLiteral("key %1, colour index %2, colour unknown")
                           .arg(key_)
                           .arg(index_ < 0 ? QStringLiteral("?") : QString::number(index_)));
}

JoystickPad::JoystickPad(QWidget* parent) : QWidget(parent) {
    setMinimumSize(160, 160);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setCursor(Qt::CrossCursor);
}

QRectF JoystickPad::field() const {
    const qreal side = std::min(width(), height()) - 2;
    return QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side);
}

void JoystickPad::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = field();
    painter.fillRect(square, QColor(0x2a, 0x2a, 0x2a));
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.drawRect(square);
    const QPointF centre = square.center();
    painter.drawLine(QPointF(square.left(), centre.y()), QPointF(square.right(), centre.y()));
    painter.drawLine(QPointF(centre.x(), square.top()), QPointF(centre.x(), square.bottom()));
    const qreal half = square.width() / 2.0;
    const QPointF knob(centre.x() + half * x_ / kFullScale, centre.y() - half * y_ / kFullScale);
    painter.setBrush(QColor(0xe0, 0xe0, 0xe0));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(knob, 10, 10);
    painter.setPen(Qt::white);
    painter.drawText(square.adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("X %1  Y %2").arg(x_).arg(y_));
}

void JoystickPad::moveTo(const QPointF& position) {
    const QRectF square = field();
    const qreal half = square.width() / 2.0;
    if (half <= 0) {
        return;
    }
    auto scale = [half](qreal offset) {
        const qreal ratio = std::clamp(offset / half, -1.0, 1.0);
        return static_cast<int>(std::lround(ratio * kFullScale));
    };
    const int x = scale(position.x() - square.center().x());
    const int y = scale(square.center().y() - position.y());
    if (x != x_ || y != y_) {
        x_ = x;
        y_ = y;
        update();
        emit deflected(x_, y_);
    }
}

void JoystickPad::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        moveTo(event->localPos());
    }
}

void JoystickPad::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        moveTo(event->localPos());
    }
}

void JoystickPad::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        moveTo(field().center());
    }
}

SpringSlider::SpringSlider(Qt::Orientation orientation, int limit, QWidget* parent)
    : QSlider(orientation, parent) {
    setRange(-limit, limit);
    setValue(0);
    setFocusPolicy(Qt::NoFocus);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(limit);
}

void SpringSlider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    setValue(0);
}

void SpringSlider::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

EncoderKnob::EncoderKnob(QWidget* parent) : QDial(parent) {
    setRange(0, kDetentsPerTurn - 1);
    setWrapping(true);
    setNotchesVisible(true);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("Drag round or roll the mouse wheel: clockwise is +1"));
    connect(this, &QDial::valueChanged, this, &EncoderKnob::follow);
}

void EncoderKnob::follow(int value) {
    int steps = value - lastValue_;
    // The knob wraps, so the shorter way round is the way it was turned.
    if (steps > kDetentsPerTurn / 2) {
        steps -= kDetentsPerTurn;
    } else if (steps < -kDetentsPerTurn / 2) {
        steps += kDetentsPerTurn;
    }
    lastValue_ = value;
    for (int i = 0; i < std::abs(steps); ++i) {
        emit turned(steps > 0 ? 1 : -1);
    }
}

void EncoderKnob::wheelEvent(QWheelEvent* event) {
    wheelAngle_ += event->angleDelta().y();
    // A notch is 120; finer wheels add up to it.
    while (std::abs(wheelAngle_) >= 120) {
        const int direction = wheelAngle_ > 0 ? 1 : -1;
        wheelAngle_ -= 120 * direction;
        // Moving the knob itself emits the detent through follow().
        setValue((value() + direction + kDetentsPerTurn) % kDetentsPerTurn);
    }
    event->accept();
}
