// The translations of the screens: every text of the documents, and every text the application
// makes for them, has a finished translation in each of the five languages, and the compiled
// files give them to the application.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

#include <map>

#include "cameraRules.h"

namespace {

const char* const kCodes[] = {"en_US", "zh_TW", "zh_CN", "es_ES", "pt_PT"};

struct translationFile {
    QSet<QString> sources;
    QStringList problems;  // unfinished, empty or obsolete entries
};

translationFile readTs(const QString& path) {
    translationFile file;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        file.problems << "cannot read " + path;
        return file;
    }
    QXmlStreamReader xml(&in);
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
            file.sources.insert(source);
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value("type").toString();
            const QString text = xml.readElementText();
            if (!type.isEmpty() || text.trimmed().isEmpty()) {
                file.problems << source + " (" + (type.isEmpty() ? "empty" : type) + ")";
            }
        }
    }
    if (xml.hasError()) {
        file.problems << xml.errorString();
    }
    return file;
}

QString tsPath(const char* code) {
    return QStringLiteral(ZEK_UI_SOURCE_DIR "/translations/app_%1.ts").arg(code);
}

TEST(Translations, EveryTextHasAFinishedTranslationInEveryLanguage) {
    const translationFile english = readTs(tsPath("en_US"));
    ASSERT_FALSE(english.sources.isEmpty());
    for (const char* code : kCodes) {
        const translationFile file = readTs(tsPath(code));
        EXPECT_TRUE(file.problems.isEmpty())
            << code << ": " << file.problems.join(", ").toStdString();
        EXPECT_EQ(file.sources, english.sources) << code;
    }
}

// The documents and the application's code as they are now: a text added to a screen, or made
// for one in C++, without a translation fails here.
TEST(Translations, TheFilesCoverEveryTextOfTheDocumentsAndTheApplication) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString extracted = scratch.filePath("extracted.ts");
    QProcess lupdate;
    lupdate.start(ZEK_LUPDATE, {"-silent", "-locations", "none", ZEK_UI_SOURCE_DIR,
                                ZEK_PANEL_SOURCE_DIR, "-ts", extracted});
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const QSet<QString> used = readTs(extracted).sources;
    ASSERT_FALSE(used.isEmpty());
    // One the application makes, so the code was read too.
    ASSERT_TRUE(used.contains("Please reboot ZEK710A"));
    ASSERT_TRUE(used.contains("The panel is busy.\nPlease try again."));
    const QSet<QString> translated = readTs(tsPath("zh_TW")).sources;
    for (const QString& text : used) {
        EXPECT_TRUE(translated.contains(text)) << "no translation for: " << text.toStdString();
    }
}

TEST(Translations, CompiledFilesTranslate) {
    const std::map<std::string, QString> system = {
        {"en_US", "System"},
        {"zh_TW", QString::fromUtf8("系統")},
        {"zh_CN", QString::fromUtf8("系统")},
        {"es_ES", "Sistema"},
        {"pt_PT", "Sistema"},
    };
    for (const auto& [code, expected] : system) {
        QTranslator translator;
        ASSERT_TRUE(translator.load(QString("app_%1").arg(code.c_str()), ZEK_TRANSLATION_DIR))
            << code;
        const QString text = translator.translate("main", "System");
        // An English file may leave the source as it is.
        EXPECT_EQ(text.isEmpty() ? QString("System") : text, expected) << code;
    }
}

// A message the application makes in C++ reaches the screen in the panel's language.
TEST(Translations, MessagesOfTheApplicationAreTranslated) {
    QTranslator translator;
    ASSERT_TRUE(translator.load("app_zh_TW", ZEK_TRANSLATION_DIR));
    QCoreApplication::installTranslator(&translator);
    EXPECT_EQ(unreachableMessage(7, "", "10.0.0.2"),
              QString::fromUtf8("攝影機 7 未連接裝置。\n請選擇其他攝影機。"));
    EXPECT_EQ(unreachableMessage(7, "192.168.5.20", "10.0.0.2"),
              QString::fromUtf8("攝影機 7 不在正確的網路中。\n請設定其 IP 位址後重新掃描。"));
    EXPECT_EQ(QCoreApplication::translate("mainControl", "Please reboot ZEK710A"),
              QString::fromUtf8("請重新啟動 ZEK710A"));
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(unreachableMessage(7, "10.0.0.9", "10.0.0.2"),
              "Cannot connect to Camera 7.\nPlease reboot that device then scan again.");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
