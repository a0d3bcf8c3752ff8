#pragma once

#include <QRect>
#include <QString>

// Layouts are given in twips, 1/1440 inch: 15 twips make one pixel at 96 dpi.
constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}

inline QRect rectFromTwips(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

// A control of a fixed layout, named so that tests and tools find it.
template<typename Control>
Control *place(Control *control, const char *objectName, const QRect &geometry)
{
    control->setObjectName(QString::fromLatin1(objectName));
    control->setGeometry(geometry);
    return control;
}
