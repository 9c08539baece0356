// Runs the Qt Quick tests of one folder (QUICK_TEST_SOURCE_DIR) against test doubles of the two
// objects the screens talk to: `mainObject` and `qmlTranslator`. Both doubles are QML documents of
// tests/ui (MainObjectDouble.qml, TranslatorDouble.qml): they record the calls the screens make
// and emit the signals the tests ask for. The screens themselves come from the application's
// resources, as the program loads them ("qrc:/...").
#include <QFont>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

#include <cstdio>

class quickTestSetup : public QObject {
    Q_OBJECT
public slots:
    void applicationAvailable() {
        // The panel's substitutes for the screens' font, so text widths are the panel's.
        QFont::insertSubstitutions(
            QStringLiteral("Calibri"),
            {QStringLiteral("Carlito"), QStringLiteral("WenQuanYi Micro Hei")});
    }
    void qmlEngineAvailable(QQmlEngine* engine) {
        engine->rootContext()->setContextProperty("mainObject",
                                                  make(engine, "MainObjectDouble.qml"));
        engine->rootContext()->setContextProperty("qmlTranslator",
                                                  make(engine, "TranslatorDouble.qml"));
    }

private:
    static QObject* make(QQmlEngine* engine, const char* file) {
        QQmlComponent component(engine,
                                QUrl::fromLocalFile(QStringLiteral(ZEK_DOUBLES_DIR "/") + file));
        QObject* object = component.create();
        if (object == nullptr) {
            std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
            std::abort();
        }
        object->setParent(engine);
        return object;
    }
};

QUICK_TEST_MAIN_WITH_SETUP(zekScreens, quickTestSetup)

#include "quickTestSetup.moc"
