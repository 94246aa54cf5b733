#include "ui/twips.h"

#include <QFontMetricsF>
#include <QString>

namespace ui {
namespace {

// The average width of the 52 letters, as dialog units measure a font.
double AverageLetterWidth(const QFontMetricsF& metrics) {
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return metrics.horizontalAdvance(kLetters) / kLetters.size();
}

}  // namespace

Twips::Twips(const QFont& font)
    : form::Twips(form::Twips::ForCell(AverageLetterWidth(QFontMetricsF(font)),
                                       QFontMetricsF(font).height())) {}

QRect Twips::rect(int left, int top, int width, int height) const {
    return QRect(x(left), y(top), x(width), y(height));
}

QSize Twips::size(int width, int height) const {
    return QSize(x(width), y(height));
}

}  // namespace ui
