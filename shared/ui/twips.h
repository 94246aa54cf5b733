#pragma once
// Window geometry is given in twips; 15 twips make one pixel at 96 dots per inch.

#include <QRect>
#include <QSize>

namespace ui {

constexpr int Px(int twips) { return (twips * 2 + 15) / 30; }  // rounded to the nearest pixel

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

inline QSize TwipsSize(int width, int height) { return QSize(Px(width), Px(height)); }

}  // namespace ui
