// panelRescue: started before the panel application; for about seven seconds it offers to put
// the previous application back (hold function keys 1 and 4 with the fifth panel key), then
// switches the function-key lamps off and ends.
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

#include <cstdio>
#include <cstring>

#include "rescueControl.h"

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "-v") == 0) {
        std::printf("panelRescue v1.0\n");
        return 0;
    }
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    rescueControl mainObject([](int status) { QCoreApplication::exit(status); });
    engine.rootContext()->setContextProperty("mainObject", &mainObject);
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    if (engine.rootObjects().isEmpty()) {
        return -1;
    }
    return app.exec();
}
