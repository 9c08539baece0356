// Renders the screens' images from their SVG sources, as the manifest lists them, and writes the
// resource file that puts them under qrc:/images/.
//
// usage: renderImages MANIFEST SOURCE_DIR OUTPUT_DIR QRC
// Manifest lines: OUTPUT WIDTH HEIGHT SOURCE [KEY=VALUE ...] [N=FROM..TO]; '#' at the start of a
// line or after a blank starts a comment.
// {KEY} in the source becomes VALUE; N=FROM..TO makes one image per number with {N} replaced in
// the output name and the source. A placeholder left unreplaced, a source that does not render or
// an image that comes out empty is an error: the build stops rather than ship a broken screen.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>

namespace {

struct job {
    QString output;
    int width = 0;
    int height = 0;
    QString source;
    QList<QPair<QString, QString>> values;
};

bool fail(const QString& why) {
    std::fprintf(stderr, "renderImages: %s\n", qPrintable(why));
    return false;
}

bool parseManifest(const QString& path, QList<job>& jobs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return fail("cannot read " + path);
    }
    int lineNumber = 0;
    QTextStream in(&file);
    while (!in.atEnd()) {
        ++lineNumber;
        // '#' starts a comment at the start of a line or after a blank; colours keep theirs.
        const QString line = in.readLine().remove(QRegularExpression("(^|\\s)#.*$")).trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QStringList words = line.split(QRegularExpression("\\s+"));
        job base;
        bool widthOk = false;
        bool heightOk = false;
        if (words.size() < 4) {
            return fail(QStringLiteral("%1:%2: too few words").arg(path).arg(lineNumber));
        }
        base.output = words[0];
        base.width = words[1].toInt(&widthOk);
        base.height = words[2].toInt(&heightOk);
        base.source = words[3];
        if (!widthOk || !heightOk || base.width <= 0 || base.height <= 0) {
            return fail(QStringLiteral("%1:%2: bad size").arg(path).arg(lineNumber));
        }
        int from = 0;
        int to = -1;
        for (const QString& word : words.mid(4)) {
            const QRegularExpressionMatch range =
                QRegularExpression("^N=(\\d+)\\.\\.(\\d+)$").match(word);
            if (range.hasMatch()) {
                from = range.captured(1).toInt();
                to = range.captured(2).toInt();
                continue;
            }
            const int at = word.indexOf('=');
            if (at <= 0) {
                return fail(
                    QStringLiteral("%1:%2: not KEY=VALUE: %3").arg(path).arg(lineNumber).arg(word));
            }
            base.values.append({word.left(at), word.mid(at + 1)});
        }
        if (to < 0) {
            jobs.append(base);
            continue;
        }
        for (int n = from; n <= to; ++n) {
            job one = base;
            one.output.replace("{N}", QString::number(n));
            one.values.append({"N", QString::number(n)});
            jobs.append(one);
        }
    }
    return true;
}

bool render(const job& j, const QString& sourceDir, const QString& outputDir) {
    QFile file(sourceDir + "/" + j.source);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail("cannot read " + file.fileName());
    }
    QString svg = QString::fromUtf8(file.readAll());
    for (const auto& [key, value] : j.values) {
        svg.replace("{" + key + "}", value.toHtmlEscaped());
    }
    const QRegularExpressionMatch left = QRegularExpression("\\{[A-Z]+\\}").match(svg);
    if (left.hasMatch()) {
        return fail(j.output + ": " + left.captured(0) + " left in " + j.source);
    }
    QSvgRenderer renderer(svg.toUtf8());
    if (!renderer.isValid()) {
        return fail(j.output + ": " + j.source + " does not render");
    }
    QImage image(j.width, j.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        renderer.render(&painter);
    }
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y) {
        for (int x = 0; x < image.width() && !drawn; ++x) {
            drawn = qAlpha(image.pixel(x, y)) != 0;
        }
    }
    if (!drawn) {
        return fail(j.output + ": nothing drawn");
    }
    const QString path = outputDir + "/" + j.output;
    QDir().mkpath(QFileInfo(path).path());
    if (!image.save(path, "PNG")) {
        return fail("cannot write " + path);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Text in the sources needs fonts, and fonts need a GUI application; no display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: renderImages MANIFEST SOURCE_DIR OUTPUT_DIR QRC\n");
        return 2;
    }
    const QString manifest = QString::fromLocal8Bit(argv[1]);
    const QString sourceDir = QString::fromLocal8Bit(argv[2]);
    const QString outputDir = QString::fromLocal8Bit(argv[3]);
    QList<job> jobs;
    if (!parseManifest(manifest, jobs)) {
        return 1;
    }
    QString qrc = "<RCC>\n    <qresource prefix=\"/images\">\n";
    for (const job& j : jobs) {
        if (!render(j, sourceDir, outputDir)) {
            return 1;
        }
        qrc += "        <file>" + j.output + "</file>\n";
    }
    qrc += "    </qresource>\n</RCC>\n";
    QFile out(QString::fromLocal8Bit(argv[4]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(qrc.toUtf8()) < 0) {
        return fail("cannot write " + out.fileName()) ? 0 : 1;
    }
    std::printf("renderImages: %d images\n", static_cast<int>(jobs.size()));
    return 0;
}
