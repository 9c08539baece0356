#include "frontPanelWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "functionKeySender.h"
#include "keyTable.h"
#include "panelWidgets.h"

namespace {

constexpr int kLampPollMs = 200;

struct FunctionKey {
    const char* label;
    const char* keysym;
};

// The four rotary-function keys in lamp order, then the fifth key, which has no lamp. The panel
// application expects Qt's Key_Launch7 to Key_LaunchA; Qt 5 on X11 turns keysym XF86LaunchN into
// Key_Launch(N+2) (XF86Launch0 is its Key_Launch2), so those codes come from XF86Launch5 to 8.
const std::array<FunctionKey, 5> kFunctionKeyTable = {{{"SHUTTER", "XF86Launch5"},
                                                       {"FOCUS", "XF86Launch6"},
                                                       {"IRIS", "XF86Launch7"},
                                                       {"GAIN", "XF86Launch8"},
                                                       {"MENU", "XF86Tools"}}};

QString lampStyle(const frontpanel::LampColour& lamp) {
    if (!lamp.known) {
        return QStringLiteral("background-color: #555555; color: #dddddd;");
    }
    const QColor face(lamp.red ? 255 : 0, lamp.green ? 255 : 0, lamp.blue ? 255 : 0);
    const QColor text = face.lightness() > 140 ? Qt::black : Qt::white;
    return QStringLiteral("background-color: %1; color: %2;").arg(face.name(), text.name());
}

QString lampText(const frontpanel::LampColour& lamp) {
    if (!lamp.known) {
        return QStringLiteral("?");
    }
    if (!lamp.red && !lamp.green && !lamp.blue) {
        return QStringLiteral("off");
    }
    if (lamp.red && lamp.green && lamp.blue) {
        return QStringLiteral("white");
    }
    QStringList parts;
    if (lamp.red) {
        parts << QStringLiteral("R");
    }
    if (lamp.green) {
        parts << QStringLiteral("G");
    }
    if (lamp.blue) {
        parts << QStringLiteral("B");
    }
    return parts.join('+');
}

QLabel* valueLabel(QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(48);
    return label;
}

}  // namespace

FrontPanelWindow::FrontPanelWindow(const QString& root, QWidget* parent)
    : QWidget(parent),
      rotary_(root.toStdString()),
      lampLog_((root + QStringLiteral("/commands.log")).toStdString()) {
    // The panel application's window is found by a title starting "ZEK-710A"; this one must not.
    setWindowTitle(QStringLiteral("Virtual front panel (ZEK-710A)"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildKeys());
    auto* controls = new QHBoxLayout;
    controls->addWidget(buildJoystick());
    controls->addWidget(buildLevers());
    controls->addWidget(buildEncoder());
    controls->addStretch();
    layout->addLayout(controls);
    statusLine_ = new QLabel(this);
    statusLine_->setWordWrap(true);
    statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusLine_->setMinimumHeight(40);
    layout->addWidget(statusLine_);
    setStatus(QString(), QString());

    std::string error;
    if (!rotary_.open(error)) {
        setStatus(QStringLiteral("encoder"), QString::fromStdString(error));
    }
    connect(&lampTimer_, &QTimer::timeout, this, &FrontPanelWindow::pollLampLog);
    lampTimer_.start(kLampPollMs);
    pollLampLog();
}

QWidget* FrontPanelWindow::buildKeys() {
    auto* area = new QWidget(this);
    auto* rows = new QVBoxLayout(area);
    rows->setContentsMargins(0, 0, 0, 0);
    // Groups by row, as they sit on the panel: function keys, then exposure and presets, then
    // the camera row with the switcher keys.
    const std::vector<std::vector<std::size_t>> rowGroups = {{0, 1, 2, 3, 4, 5}, {6, 7}, {8, 9}};
    const auto& groups = frontpanel::keyGroups();
    for (const auto& rowIndices : rowGroups) {
        auto* row = new QHBoxLayout;
        for (std::size_t g : rowIndices) {
            const frontpanel::KeyGroup& group = groups[g];
            auto* box = new QGroupBox(QString::fromStdString(group.title), area);
            auto* boxLayout = new QHBoxLayout(box);
            boxLayout->setSpacing(4);
            for (int k : group.keys) {
                auto* key = new KeyButton(k, QString::fromStdString(frontpanel::keyLabel(k)), box);
                keys_[static_cast<std::size_t>(k)] = key;
                boxLayout->addWidget(key);
                connect(key, &QPushButton::pressed, this, [this, k] {
                    emit controlChanged(QStringLiteral("press %1").arg(k), QString());
                });
                connect(key, &QPushButton::released, this, [this, k] {
                    emit controlChanged(QStringLiteral("release %1").arg(k), QString());
                });
            }
            row->addWidget(box);
        }
        row->addStretch();
        rows->addLayout(row);
    }
    return area;
}

void FrontPanelWindow::sendAxis(const QString& axis, int signedValue) {
    // Magnitude and direction travel apart; the direction of a centred axis is 0.
    const int magnitude = std::abs(signedValue);
    emit controlChanged(
        QStringLiteral("joy %1 %2 %3").arg(axis).arg(magnitude).arg(signedValue > 0 ? 1 : 0),
        QStringLiteral("joy ") + axis);
}

QWidget* FrontPanelWindow::buildJoystick() {
    auto* box = new QGroupBox(QStringLiteral("Joystick"), this);
    auto* layout = new QVBoxLayout(box);
    auto* pad = new JoystickPad(box);
    pad->setFixedSize(220, 220);
    layout->addWidget(pad, 0, Qt::AlignHCenter);
    auto lastX = std::make_shared<int>(0);
    auto lastY = std::make_shared<int>(0);
    connect(pad, &JoystickPad::deflected, this, [this, lastX, lastY](int x, int y) {
        if (x != *lastX) {
            *lastX = x;
            sendAxis(QStringLiteral("x"), x);
        }
        if (y != *lastY) {
            *lastY = y;
            sendAxis(QStringLiteral("y"), y);
        }
    });
    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(new QLabel(QStringLiteral("WIDE"), box));
    auto* zoom = new SpringSlider(Qt::Horizontal, JoystickPad::kFullScale, box);
    zoom->setToolTip(QStringLiteral("Zoom twist: right is tele; springs back to the centre"));
    zoomRow->addWidget(zoom, 1);
    zoomRow->addWidget(new QLabel(QStringLiteral("TELE"), box));
    layout->addWidget(new QLabel(QStringLiteral("Zoom twist"), box));
    layout->addLayout(zoomRow);
    connect(zoom, &QSlider::valueChanged, this,
            [this](int value) { sendAxis(QStringLiteral("z"), value); });
    return box;
}

QWidget* FrontPanelWindow::buildLevers() {
    auto* box = new QGroupBox(QStringLiteral("T-bar, sliders, shuttle / jog"), this);
    auto* layout = new QGridLayout(box);
    auto addVertical = [this, box, layout](const QString& name, int column, int maximum,
                                           const QString& command) {
        auto* slider = new QSlider(Qt::Vertical, box);
        slider->setRange(0, maximum);
        slider->setPageStep(std::max(1, maximum / 16));
        slider->setMinimumHeight(160);
        auto* value = valueLabel(box);
        layout->addWidget(new QLabel(name, box), 0, column, Qt::AlignHCenter);
        layout->addWidget(slider, 1, column, Qt::AlignHCenter);
        layout->addWidget(value, 2, column, Qt::AlignHCenter);
        connect(slider, &QSlider::valueChanged, this, [this, value, command](int v) {
            value->setNum(v);
            emit controlChanged(command.arg(v), command);
        });
    };
    addVertical(QStringLiteral("T-bar"), 0, 65535, QStringLiteral("tbar %1"));
    for (int n = 1; n <= 4; ++n) {
        addVertical(QStringLiteral("Slider %1").arg(n), n, 255,
                    QStringLiteral("slider %1 %2").arg(n).arg(QStringLiteral("%1")));
    }
    auto addSpring = [this, box, layout](const QString& name, int row, const QString& verb) {
        auto* slider = new SpringSlider(Qt::Horizontal, 127, box);
        slider->setToolTip(name + QStringLiteral(": right is direction 1; springs back"));
        auto* value = valueLabel(box);
        layout->addWidget(new QLabel(name, box), row, 0);
        layout->addWidget(slider, row, 1, 1, 3);
        layout->addWidget(value, row, 4);
        connect(slider, &QSlider::valueChanged, this, [this, value, verb](int v) {
            value->setNum(v);
            emit controlChanged(
                QStringLiteral("%1 %2 %3").arg(verb).arg(std::abs(v)).arg(v > 0 ? 1 : 0), verb);
        });
    };
    addSpring(QStringLiteral("Shuttle"), 3, QStringLiteral("shuttle"));
    addSpring(QStringLiteral("Jog"), 4, QStringLiteral("jog"));
    auto* lock = new QPushButton(QStringLiteral("Lock button: off"), box);
    lock->setCheckable(true);
    lock->setFocusPolicy(Qt::NoFocus);
    lock->setToolTip(QStringLiteral("The panel's lock button (not the LOCK key); click to toggle"));
    layout->addWidget(lock, 5, 0, 1, 5);
    connect(lock, &QPushButton::toggled, this, [this, lock](bool on) {
        lock->setText(on ? QStringLiteral("Lock button: ON") : QStringLiteral("Lock button: off"));
        emit controlChanged(QStringLiteral("lock %1").arg(on ? 1 : 0), QStringLiteral("lock"));
    });
    return box;
}

QWidget* FrontPanelWindow::buildEncoder() {
    auto* box = new QGroupBox(QStringLiteral("Rotary encoder and function keys"), this);
    auto* layout = new QGridLayout(box);

    auto* left = new QPushButton(QStringLiteral("\u25c0 Turn left (-1)"), box);
    auto* right = new QPushButton(QStringLiteral("Turn right (+1) \u25b6"), box);
    for (QPushButton* b : {left, right}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(400);
        b->setAutoRepeatInterval(150);
    }
    connect(left, &QPushButton::clicked, this, [this] { turnEncoder(-1); });
    connect(right, &QPushButton::clicked, this, [this] { turnEncoder(+1); });

    encoderDial_ = new EncoderKnob(box);
    encoderDial_->setFixedSize(110, 110);
    connect(encoderDial_, &EncoderKnob::turned, this, &FrontPanelWindow::turnEncoder);
    encoderCount_ = new QLabel(QStringLiteral("detents written: 0"), box);

    layout->addWidget(left, 0, 0);
    layout->addWidget(encoderDial_, 0, 1, 2, 1, Qt::AlignCenter);
    layout->addWidget(right, 0, 2);
    layout->addWidget(encoderCount_, 1, 0, 1, 1);

    auto* lampRow = new QHBoxLayout;
    auto* keyRow = new QHBoxLayout;
    functionKeys_ = new FunctionKeySender(this);
    connect(functionKeys_, &FunctionKeySender::status, this,
            [this](const QString& text) { setStatus(QStringLiteral("function keys"), text); });
    for (std::size_t i = 0; i < kFunctionKeyTable.size(); ++i) {
        const QString label = QString::fromLatin1(kFunctionKeyTable[i].label);
        const QString keysym = QString::fromLatin1(kFunctionKeyTable[i].keysym);
        auto* button = new QPushButton(label, box);
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumSize(76, 40);
        button->setToolTip(
            QStringLiteral("Types %1 into the panel application's window").arg(keysym));
        connect(button, &QPushButton::clicked, this,
                [this, keysym, label] { functionKeys_->send(keysym, label); });
        keyRow->addWidget(button);
        if (i < lamps_.size()) {
            functionButtons_[i] = button;
            auto* lamp = new QLabel(box);
            lamp->setAlignment(Qt::AlignCenter);
            lamp->setMinimumWidth(76);
            lamp->setFixedHeight(24);
            lamp->setToolTip(
                QStringLiteral("%1 lamp, from the i2cset commands the panel ran").arg(label));
            lamps_[i] = lamp;
            lampRow->addWidget(lamp);
        } else {
            lampRow->addStretch();
        }
    }
    layout->addWidget(new QLabel(QStringLiteral("Function key lamps"), box), 2, 0, 1, 3);
    layout->addLayout(lampRow, 3, 0, 1, 3);
    layout->addLayout(keyRow, 4, 0, 1, 3);
    refreshFunctionLamps();
    return box;
}

void FrontPanelWindow::turnEncoder(int direction) {
    std::string error;
    if (!rotary_.turn(direction, error)) {
        setStatus(QStringLiteral("encoder"), QString::fromStdString(error));
        return;
    }
    ++detents_;
    encoderCount_->setText(QStringLiteral("detents written: %1 (last %2)")
                               .arg(detents_)
                               .arg(direction > 0 ? QStringLiteral("+1") : QStringLiteral("-1")));
    setStatus(QStringLiteral("encoder"), QString());
}

void FrontPanelWindow::pollLampLog() {
    std::vector<std::string> lines;
    std::string error;
    switch (lampLog_.poll(lines, error)) {
        case frontpanel::LineFollower::Result::missing:
            setStatus(QStringLiteral("lamps"), QString());
            return;
        case frontpanel::LineFollower::Result::failed:
            setStatus(QStringLiteral("lamps"), QString::fromStdString(error));
            return;
        case frontpanel::LineFollower::Result::lines:
            break;
    }
    if (!error.empty()) {
        // Kept until the file fails or goes away: a skipped line is worth noticing.
        setStatus(QStringLiteral("lamps"), QString::fromStdString(error));
    }
    bool changed = false;
    for (const std::string& line : lines) {
        if (const auto write = frontpanel::parseLampCommand(line)) {
            auto& slot = lampRegisters_[static_cast<std::size_t>(write->reg -
                                                                 frontpanel::kFirstLampRegister)];
            changed = changed || slot != write->value;
            slot = write->value;
        }
    }
    if (changed) {
        refreshFunctionLamps();
    }
}

void FrontPanelWindow::refreshFunctionLamps() {
    for (int j = 0; j < frontpanel::kFunctionKeys; ++j) {
        const frontpanel::LampColour lamp = frontpanel::lampColour(lampRegisters_, j);
        QLabel* label = lamps_[static_cast<std::size_t>(j)];
        label->setText(lampText(lamp));
        label->setStyleSheet(lampStyle(lamp) + QStringLiteral(" border: 1px solid #303030;"));
        functionButtons_[static_cast<std::size_t>(j)]->setStyleSheet(
            QStringLiteral(
                "QPushButton { %1 border: 2px solid #303030; border-radius: 4px; "
                "font-weight: bold; } QPushButton:pressed { border: 3px solid #ffd000; }")
                .arg(lampStyle(lamp)));
    }
}

void FrontPanelWindow::showLeds(const frontpanel::LedIndices& leds) {
    leds_ = leds;
    haveLeds_ = true;
    refreshKeyLamps();
}

void FrontPanelWindow::showColours(const frontpanel::ColourTable& table) {
    colours_ = table;
    refreshKeyLamps();
}

void FrontPanelWindow::refreshKeyLamps() {
    for (int k = 0; k < frontpanel::kKeyCount; ++k) {
        const int index = haveLeds_ ? leds_[static_cast<std::size_t>(k)] : -1;
        QColor colour;
        if (index >= 0 && static_cast<std::size_t>(index) < colours_.entries.size()) {
            const frontpanel::Rgb& rgb = colours_.entries[static_cast<std::size_t>(index)];
            colour = QColor(rgb.r, rgb.g, rgb.b);
        }
        keys_[static_cast<std::size_t>(k)]->setLamp(colour, index);
    }
}

void FrontPanelWindow::setStatus(const QString& source, const QString& text) {
    if (!source.isEmpty()) {
        if (statuses_.value(source) == text) {
            return;
        }
        if (text.isEmpty()) {
            statuses_.remove(source);
        } else {
            statuses_.insert(source, text);
            std::fprintf(stderr, "virtualFrontPanel: %s: %s\n", qPrintable(source),
                         qPrintable(text));
        }
    }
    if (statuses_.isEmpty()) {
        statusLine_->setStyleSheet(QStringLiteral("color: #206020;"));
        statusLine_->setText(QStringLiteral("All connections fine."));
        return;
    }
    QStringList parts;
    for (auto it = statuses_.constBegin(); it != statuses_.constEnd(); ++it) {
        parts << it.key() + QStringLiteral(": ") + it.value();
    }
    statusLine_->setStyleSheet(QStringLiteral("color: #b00000;"));
    statusLine_->setText(parts.join(QStringLiteral("\n")));
}

bool FrontPanelWindow::saveScreenshot(const QString& file) {
    return grab().save(file);
}
