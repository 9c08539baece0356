// The translations of the screens: every text of the documents has a finished translation in
// each of the five languages, and the compiled files give them to the application.
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

// The documents as they are now: a text added to a screen without a translation fails here.
TEST(Translations, TheFilesCoverEveryTextOfTheDocuments) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString extracted = scratch.filePath("extracted.ts");
    QProcess lupdate;
    lupdate.start(ZEK_LUPDATE,
                  {"-silent", "-locations", "none", ZEK_UI_SOURCE_DIR, "-ts", extracted});
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const QSet<QString> used = readTs(extracted).sources;
    ASSERT_FALSE(used.isEmpty());
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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
