#pragma once
// Twips (form/twips.h) scaled by a Qt font, giving Qt's rectangles and sizes.

#include <QFont>
#include <QRect>
#include <QSize>

#include "form/twips.h"

namespace ui {

class Twips : public form::Twips {
  public:
    // Scales by the cell of `font`: its average letter width and its height. Never shrinks.
    explicit Twips(const QFont& font);
    // Scales by the given ratios, each at least 1.
    Twips(double xRatio, double yRatio) : form::Twips(xRatio, yRatio) {}

    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const;
};

}  // namespace ui
