// The screens' images as the application's resources hold them: every image the screens name is
// there, at its size, and has something drawn in it.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QImage>
#include <QString>

namespace {

struct namedImage {
    const char* path;
    int width;
    int height;
};

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

TEST(UiImages, NamedImagesAreThereAtTheirSize) {
    const namedImage images[] = {
        {":/images/img_bg_launch.png", 1280, 720},
        {":/images/img_bg_camera_list.png", 400, 250},
        {":/images/img_bg_select_camera_list.png", 400, 250},
        {":/images/img_disconnect_camera_list.png", 400, 250},
        {":/images/tally/btn_n_tally_map_1.png", 88, 72},
        {":/images/tally/btn_n_tally_map_12.png", 88, 72},
        {":/images/tally/btn_p_tally_map_1.png", 88, 72},
        {":/images/tally/btn_p_tally_map_12.png", 88, 72},
        {":/images/pst/img_pst1_camera.png", 84, 48},
        {":/images/pst/img_pst14_camera.png", 84, 48},
    };
    for (const namedImage& expected : images) {
        const QImage image(QString::fromLatin1(expected.path));
        ASSERT_FALSE(image.isNull()) << expected.path;
        EXPECT_EQ(image.width(), expected.width) << expected.path;
        EXPECT_EQ(image.height(), expected.height) << expected.path;
        EXPECT_TRUE(drawn(image)) << expected.path;
    }
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
