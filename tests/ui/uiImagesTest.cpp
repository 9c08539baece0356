// The screens' images as the application's resources hold them: every image the screens name is
// there, at its size, and has something drawn in it.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QString>

namespace {

bool drawn(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return true;
            }
        }
    }
    return false;
}

void expectImage(const QString& path, int width, int height) {
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_EQ(image.width(), width) << path.toStdString();
    EXPECT_EQ(image.height(), height) << path.toStdString();
    EXPECT_TRUE(drawn(image)) << path.toStdString();
}

// The images the screens are described with: the splash, the camera tile backgrounds, the
// channel buttons of the tally mapping and the preset badges of the tiles.
TEST(UiImages, ImagesOfTheScreensAreThereAtTheirSize) {
    expectImage(":/images/img_bg_launch.png", 1280, 720);
    for (const char* tile :
         {":/images/img_bg_camera_list.png", ":/images/img_bg_select_camera_list.png",
          ":/images/img_disconnect_camera_list.png"}) {
        expectImage(tile, 400, 250);
    }
    for (int channel = 1; channel <= 12; ++channel) {
        expectImage(QStringLiteral(":/images/tally/btn_n_tally_map_%1.png").arg(channel), 88, 72);
        expectImage(QStringLiteral(":/images/tally/btn_p_tally_map_%1.png").arg(channel), 88, 72);
    }
    for (int preset = 1; preset <= 14; ++preset) {
        expectImage(QStringLiteral(":/images/pst/img_pst%1_camera.png").arg(preset), 84, 48);
    }
}

// Every image a document names whole is in the resources.
TEST(UiImages, EveryImageTheDocumentsNameIsThere) {
    const QRegularExpression named(QStringLiteral("qrc(:/images/[A-Za-z0-9_/]+\\.png)"));
    int documents = 0;
    int names = 0;
    for (QDirIterator it(":/", QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        if (!path.endsWith(".qml") && !path.endsWith(".js")) {
            continue;
        }
        QFile document(path);
        ASSERT_TRUE(document.open(QIODevice::ReadOnly)) << path.toStdString();
        ++documents;
        const QString text = QString::fromUtf8(document.readAll());
        for (auto match = named.globalMatch(text); match.hasNext();) {
            const QString image = match.next().captured(1);
            ++names;
            EXPECT_FALSE(QImage(image).isNull())
                << image.toStdString() << " named in " << path.toStdString();
        }
    }
    EXPECT_GE(documents, 20);
    EXPECT_GE(names, 25);
}

TEST(UiImages, EveryImageLoadsAndNumberedOnesDiffer) {
    int count = 0;
    for (QDirIterator it(":/images", QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        if (!path.endsWith(".png")) {
            continue;
        }
        ++count;
        const QImage image(path);
        EXPECT_FALSE(image.isNull()) << path.toStdString();
        EXPECT_TRUE(drawn(image)) << path.toStdString();
    }
    EXPECT_GE(count, 60);
    // The channel number is drawn into each button.
    EXPECT_NE(QImage(":/images/tally/btn_n_tally_map_1.png"),
              QImage(":/images/tally/btn_n_tally_map_2.png"));
    EXPECT_NE(QImage(":/images/tally/btn_n_tally_map_3.png"),
              QImage(":/images/tally/btn_p_tally_map_3.png"));
}

}  // namespace
