// The drawn pictures: the sizes the windows lay out for, and the one difference that matters to
// a user, the lamp lit red or dark grey.
#include "common/Pictures.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <gtest/gtest.h>

using corvin::Pictures;

namespace {

TEST(Pictures, HaveTheirLayoutSizes) {
    EXPECT_EQ(Pictures::channelOn().size(), QSize(37, 40));
    EXPECT_EQ(Pictures::channelOff().size(), QSize(37, 40));
    EXPECT_EQ(Pictures::printButton().size(), QSize(32, 32));
    EXPECT_EQ(Pictures::probe().size(), QSize(120, 90));
    EXPECT_EQ(Pictures::applicationIcon().size(), QSize(64, 64));
}

TEST(Pictures, CornersAreTransparentSoTheWindowShowsThrough) {
    for (const QImage& image : {Pictures::channelOn(), Pictures::channelOff(), Pictures::probe()}) {
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, 0)), 0);
    }
}

TEST(Pictures, TheLampIsRedWhenOnAndGreyWhenOff) {
    const QColor on = Pictures::channelOn().pixelColor(21, 23);
    const QColor off = Pictures::channelOff().pixelColor(21, 23);
    EXPECT_GT(on.red(), 150);
    EXPECT_LT(on.green(), 60);
    EXPECT_LT(std::abs(off.red() - off.green()), 12);
    EXPECT_LT(std::abs(off.green() - off.blue()), 12);
}

// The window icon comes in the sizes desktops ask for; at 16 and 24 px its bars sit on whole
// pixels: the first (red) bar is pure colour with the tile's own colour beside it.
TEST(Pictures, TheWindowIconIsSharpAtItsSmallSizes) {
    const QIcon icon = Pictures::applicationWindowIcon();
    EXPECT_EQ(icon.availableSizes(),
              (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    struct Case {
        int size;
        QPoint inBar;
        QPoint besideBar;
    };
    for (const Case& c : {Case{16, {2, 8}, {3, 8}}, Case{24, {3, 12}, {4, 12}}}) {
        const QImage image = icon.pixmap(c.size).toImage();
        EXPECT_EQ(image.pixelColor(c.inBar), QColor(0xf0, 0x46, 0x3c)) << c.size;
        EXPECT_LT(image.pixelColor(c.besideBar).red(), 0x40) << c.size;
    }
}

} // namespace
