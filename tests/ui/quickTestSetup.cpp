// Runs the Qt Quick tests of one folder (QUICK_TEST_SOURCE_DIR) against test doubles of the two
// objects the screens talk to: `mainObject` and `qmlTranslator`. Both doubles are QML documents of
// tests/ui (MainObjectDouble.qml, TranslatorDouble.qml): they record the calls the screens make
// and emit the signals the tests ask for. The screens themselves come from the application's
// resources, as the program loads them ("qrc:/...").
#include <QCoreApplication>
#include <QDirIterator>
#include <QFont>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlError>
#include <QTranslator>
#include <QWindow>
#include <QtQuickTest>

#include <cstdio>
#include <cstdlib>

// Switches the screens' language with the compiled translations, as the application does, so
// tests can measure the translated texts: `translations.load("zh_TW")`, `translations.load("")`
// for the source texts.
class translationSwitch : public QObject {
    Q_OBJECT
public:
    explicit translationSwitch(QQmlEngine* engine) : QObject(engine), engine_(engine) {}
    Q_INVOKABLE bool load(const QString& code) {
        QCoreApplication::removeTranslator(&translator_);
        bool loaded = true;
        if (!code.isEmpty()) {
            loaded = translator_.load(QStringLiteral("app_%1").arg(code), ZEK_TRANSLATION_DIR);
            QCoreApplication::installTranslator(&translator_);
        }
        engine_->retranslate();
        return loaded;
    }
    // The documents of the screens in one folder of the resources ("system", "camera", ...).
    Q_INVOKABLE QStringList documents(const QString& folder) const {
        QStringList found;
        for (QDirIterator it(":/" + folder, {"*.qml"}, QDir::Files); it.hasNext();) {
            found << "qrc" + it.next();
        }
        found.sort();
        return found;
    }

private:
    QQmlEngine* engine_;
    QTranslator translator_;
};

// Qt's entry for key events from the window system, which the test library itself uses.
extern Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* window, QEvent::Type type, int key,
                                           Qt::KeyboardModifiers modifiers, const QString& text,
                                           bool autorepeat, ushort count);

// Real key events with any key code, through the window system as the panel's keyboard sends them
// (so shortcuts see them): `keys.click(0x10000A9)`. The test library's own keyClick stops at key
// codes it has no character for, which the panel's function keys are.
class keySender : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    Q_INVOKABLE bool click(int code) {
        QWindow* window = QGuiApplication::focusWindow();
        if (window == nullptr) {
            return false;
        }
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            qt_handleKeyEvent(window, type, code, Qt::NoModifier, QString(), false, 1);
            QCoreApplication::processEvents();
        }
        return true;
    }
};

// A warning of the QML engine (a binding loop, an undefined property, a document that did not
// load) is a fault of the screens: the run fails at exit, naming each.
QStringList& qmlWarnings() {
    // Never destroyed: it is read at exit.
    static auto* warnings = new QStringList;
    return *warnings;
}

void failOnQmlWarnings() {
    if (qmlWarnings().isEmpty()) {
        return;
    }
    std::fprintf(stderr, "FAIL!  : %d warning(s) of the QML engine:\n",
                 static_cast<int>(qmlWarnings().size()));
    for (const QString& warning : qmlWarnings()) {
        std::fprintf(stderr, "  %s\n", qPrintable(warning));
    }
    std::fflush(stderr);
    std::_Exit(1);
}

class quickTestSetup : public QObject {
    Q_OBJECT
public slots:
    void applicationAvailable() {
        std::atexit(failOnQmlWarnings);
        // The panel's substitutes for the screens' font, so text widths are the panel's.
        QFont::insertSubstitutions(
            QStringLiteral("Calibri"),
            {QStringLiteral("Carlito"), QStringLiteral("WenQuanYi Micro Hei")});
    }
    void qmlEngineAvailable(QQmlEngine* engine) {
        QObject::connect(engine, &QQmlEngine::warnings, [](const QList<QQmlError>& warnings) {
            for (const QQmlError& warning : warnings) {
                qmlWarnings() << warning.toString();
            }
        });
        engine->rootContext()->setContextProperty("mainObject",
                                                  make(engine, "MainObjectDouble.qml"));
        engine->rootContext()->setContextProperty("qmlTranslator",
                                                  make(engine, "TranslatorDouble.qml"));
        engine->rootContext()->setContextProperty("translations", new translationSwitch(engine));
        engine->rootContext()->setContextProperty("keys", new keySender(engine));
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
