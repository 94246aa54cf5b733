#include "ui/twips.h"

#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>

namespace ui {
namespace {

constexpr double kTwipsPerPixel = 15.0;

int Scaled(int twips, double ratio) {
    return static_cast<int>(std::floor(twips * ratio / kTwipsPerPixel + 0.5));
}

// The average width of the 52 letters, as dialog units measure a font.
double AverageLetterWidth(const QFontMetricsF& metrics) {
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return metrics.horizontalAdvance(kLetters) / kLetters.size();
}

}  // namespace

Twips::Twips(double xRatio, double yRatio) : x_(std::max(1.0, xRatio)), y_(std::max(1.0, yRatio)) {}

Twips::Twips(const QFont& font)
    : Twips(AverageLetterWidth(QFontMetricsF(font)) / kCellWidth,
            QFontMetricsF(font).height() / kCellHeight) {}

int Twips::x(int twips) const {
    return Scaled(twips, x_);
}
int Twips::y(int twips) const {
    return Scaled(twips, y_);
}

QRect Twips::rect(int left, int top, int width, int height) const {
    return QRect(x(left), y(top), x(width), y(height));
}

QSize Twips::size(int width, int height) const {
    return QSize(x(width), y(height));
}

}  // namespace ui
