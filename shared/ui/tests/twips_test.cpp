#include "ui/twips.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>

namespace {

TEST(Twips, ScalesByTheFontsCellAndNeverShrinks) {
    struct Case {
        double x, y;
        QRect expected;
    };
    const Case cases[] = {
        {1.0, 1.0, QRect(128, 208, 217, 73)},  // the cell drawn for: 15 twips to the pixel
        {0.5, 0.8, QRect(128, 208, 217, 73)},  // a smaller font keeps that size
        {2.0, 1.5, QRect(256, 312, 434, 110)},
        {1.5, 1.0, QRect(192, 208, 326, 73)},
    };
    for (const Case& c : cases) {
        const ui::Twips twips(c.x, c.y);
        EXPECT_EQ(twips.rect(1920, 3120, 3255, 1095), c.expected) << c.x << " " << c.y;
    }
    // A font's cell: the average width of the 52 letters and the height of a line.
    QFont large;
    large.setPixelSize(26);
    const QFontMetricsF metrics(large);
    const ui::Twips fromFont(large);
    EXPECT_DOUBLE_EQ(fromFont.xRatio(),
                     metrics.horizontalAdvance(
                         QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                         52 / 6);
    EXPECT_DOUBLE_EQ(fromFont.yRatio(), metrics.height() / 13);
}

}  // namespace
