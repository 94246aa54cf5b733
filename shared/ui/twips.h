#pragma once
// Window geometry is given in twips, drawn for an 8 pt sans-serif desktop font whose average
// character cell is 6 x 13 pixels at 96 dots per inch; there 15 twips make one pixel. With a
// larger desktop font every position and size grows by the ratio of the font's cell to that one,
// as dialog units do, so that the texts still fit their boxes and the proportions stay.

#include <QFont>
#include <QRect>
#include <QSize>

namespace ui {

class Twips {
  public:
    // The cell the geometry was drawn for, in pixels.
    static constexpr double kCellWidth = 6.0;
    static constexpr double kCellHeight = 13.0;

    // Scales by the cell of `font`: its average letter width and its height. Never shrinks.
    explicit Twips(const QFont& font);
    // Scales by the given ratios, each at least 1.
    Twips(double xRatio, double yRatio);

    double xRatio() const { return x_; }
    double yRatio() const { return y_; }

    // Rounded to the nearest pixel.
    int x(int twips) const;
    int y(int twips) const;
    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const;

  private:
    double x_;
    double y_;
};

}  // namespace ui
