#include "remoteAction.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>

#include <cmath>

namespace automation {

namespace {

constexpr int kCameras = 24;

struct actionShape {
    const char* name;
    actionKind kind;
    bool takesCamera;
    bool needsCamera;
    bool takesPreset;
};

constexpr actionShape kShapes[] = {
    {"select", actionKind::selectCamera, true, true, false},
    {"recall", actionKind::recallPreset, true, false, true},
    {"store", actionKind::storePreset, true, false, true},
    {"stop", actionKind::stopAll, false, false, false},
};

// A whole number within first..last, or the reason it is not.
std::optional<int> wholeNumber(const QJsonValue& value, int first, int last, const char* field,
                               QString& error) {
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || std::floor(number) != number || number < first || number > last) {
        error = QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                    .arg(QLatin1String(field))
                    .arg(first)
                    .arg(last);
        return std::nullopt;
    }
    return static_cast<int>(number);
}

}  // namespace

QString actionName(actionKind kind) {
    for (const actionShape& shape : kShapes) {
        if (shape.kind == kind) {
            return QLatin1String(shape.name);
        }
    }
    return {};
}

parsedAction parseAction(const QString& name, const QByteArray& body) {
    const actionShape* shape = nullptr;
    for (const actionShape& s : kShapes) {
        if (name == QLatin1String(s.name)) {
            shape = &s;
        }
    }
    if (shape == nullptr) {
        return {std::nullopt, QStringLiteral("no such action")};
    }
    QJsonObject fields;
    if (!(shape->kind == actionKind::stopAll && body.trimmed().isEmpty())) {
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
            return {std::nullopt, QStringLiteral("the body must be one JSON object")};
        }
        fields = document.object();
    }
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
        const bool known = (it.key() == QLatin1String("camera") && shape->takesCamera) ||
                           (it.key() == QLatin1String("preset") && shape->takesPreset);
        if (!known) {
            return {std::nullopt, QStringLiteral("unknown field \"%1\"").arg(it.key().left(64))};
        }
    }
    remoteAction action;
    action.kind = shape->kind;
    QString error;
    if (fields.contains(QLatin1String("camera"))) {
        const auto camera =
            wholeNumber(fields.value(QLatin1String("camera")), 1, kCameras, "camera", error);
        if (!camera) {
            return {std::nullopt, error};
        }
        action.camera = *camera;
    } else if (shape->needsCamera) {
        return {std::nullopt, QStringLiteral("\"camera\" is missing")};
    }
    if (shape->takesPreset) {
        if (!fields.contains(QLatin1String("preset"))) {
            return {std::nullopt, QStringLiteral("\"preset\" is missing")};
        }
        const auto preset = wholeNumber(fields.value(QLatin1String("preset")), kFirstPreset,
                                        kLastPreset, "preset", error);
        if (!preset) {
            return {std::nullopt, error};
        }
        action.preset = *preset;
    }
    return {action, {}};
}

}  // namespace automation
