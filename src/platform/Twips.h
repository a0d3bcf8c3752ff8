#pragma once

#include <QRect>

// Layouts are given in twips, 1/1440 inch: 15 twips make one pixel at 96 dpi.
constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}

inline QRect rectFromTwips(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}
