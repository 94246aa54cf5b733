#pragma once
// Window geometry is given in twips, drawn for an 8 pt sans-serif desktop font whose average
// character cell is 6 x 13 pixels at 96 dots per inch; there 15 twips make one pixel. With a
// larger desktop font (or more dots per inch) every position and size grows by the ratio of the
// font's cell to that one, as dialog units do, so that the texts still fit their boxes and the
// proportions stay. Every toolkit's builder scales by this.

#include <algorithm>
#include <cmath>

namespace form {

class Twips {
  public:
    // The cell the geometry was drawn for, in pixels.
    static constexpr double kCellWidth = 6.0;
    static constexpr double kCellHeight = 13.0;
    static constexpr double kTwipsPerPixel = 15.0;

    // Scales by the given ratios, each at least 1.
    Twips(double xRatio, double yRatio) : x_(std::max(1.0, xRatio)), y_(std::max(1.0, yRatio)) {}
    // Scales by a font's cell: the average width of its letters and its height, in pixels.
    static Twips ForCell(double averageLetterWidth, double height) {
        return Twips(averageLetterWidth / kCellWidth, height / kCellHeight);
    }

    double xRatio() const { return x_; }
    double yRatio() const { return y_; }

    // Rounded to the nearest pixel.
    int x(int twips) const { return Scaled(twips, x_); }
    int y(int twips) const { return Scaled(twips, y_); }

  private:
    static int Scaled(int twips, double ratio) {
        return static_cast<int>(std::floor(twips * ratio / kTwipsPerPixel + 0.5));
    }

    double x_;
    double y_;
};

}  // namespace form
