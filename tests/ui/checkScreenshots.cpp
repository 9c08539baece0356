// Checks the pictures of the screen tour: each is a whole 1280 x 720 window with something on it
// (more than a handful of colours), every folder holds the pictures expected, no two pictures of a
// folder are the same (a screen the tour could not open would leave the one before on the
// picture), and a picture of the first folder differs from the one of the same name in the second
// (the other language's texts are on it).
//   checkScreenshots FOLDER MIN_PICTURES [FOLDER MIN_PICTURES ...]
#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QSet>

#include <cstdio>
#include <cstdlib>

namespace {

int distinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            colours.insert(image.pixel(x, y));
            if (colours.size() > 64) {
                return colours.size();
            }
        }
    }
    return colours.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: checkScreenshots FOLDER MIN_PICTURES ...\n");
        return 2;
    }
    int failures = 0;
    QHash<QString, QImage> firstFolder;
    for (int i = 1; i + 1 < argc; i += 2) {
        QHash<QByteArray, QString> seen;  // picture's pixels -> its name
        const QDir folder(QString::fromLocal8Bit(argv[i]));
        const int expected = std::atoi(argv[i + 1]);
        const QStringList pictures = folder.entryList({"*.png"}, QDir::Files, QDir::Name);
        if (pictures.size() < expected) {
            std::printf("%s: %d pictures, %d expected\n", argv[i],
                        static_cast<int>(pictures.size()), expected);
            ++failures;
        }
        for (const QString& name : pictures) {
            const QImage image(folder.filePath(name));
            if (image.size() != QSize(1280, 720)) {
                std::printf("%s/%s: %dx%d\n", argv[i], qPrintable(name), image.width(),
                            image.height());
                ++failures;
            } else if (distinctColours(image) < 8) {
                std::printf("%s/%s: blank\n", argv[i], qPrintable(name));
                ++failures;
            }
            const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
            const QByteArray key(reinterpret_cast<const char*>(pixels.constBits()),
                                 static_cast<int>(pixels.sizeInBytes()));
            if (seen.contains(key)) {
                std::printf("%s/%s: the same picture as %s\n", argv[i], qPrintable(name),
                            qPrintable(seen.value(key)));
                ++failures;
            }
            seen.insert(key, name);
            if (i == 1) {
                firstFolder.insert(name, pixels);
            } else if (i == 3 && firstFolder.value(name) == pixels) {
                std::printf("%s/%s: the same as in the first folder\n", argv[i], qPrintable(name));
                ++failures;
            }
        }
        std::printf("%s: %d pictures checked\n", argv[i], static_cast<int>(pictures.size()));
    }
    return failures == 0 ? 0 : 1;
}
