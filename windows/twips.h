#pragma once

#include <QRect>
#include <QSize>

// Window layouts are given in twips, 1/1440 inch: 15 twips to a pixel at
// 96 dots per inch. This is the one place that converts them.
namespace Twips {

constexpr int perPixel = 15;

// Rounds to the nearest pixel, halves away from zero.
constexpr int toPixels(int twips)
{
    return twips >= 0 ? (twips + perPixel / 2) / perPixel : -((-twips + perPixel / 2) / perPixel);
}

struct Rect
{
    int left;
    int top;
    int width;
    int height;

    constexpr QRect toPixels() const
    {
        return QRect(Twips::toPixels(left), Twips::toPixels(top), Twips::toPixels(width),
                     Twips::toPixels(height));
    }
};

constexpr QSize size(int width, int height)
{
    return QSize(toPixels(width), toPixels(height));
}

} // namespace Twips
