#include "toolkit/Twips.h"

#include <QWidget>
#include <cmath>

namespace {
int Scale(double value, double from, double to)
{
    return int(std::lround(value * to / from));
}
} // namespace

int Twips::ToPixelsX(int twips, const QWidget *w)
{
    return Scale(twips, PerInch, w->logicalDpiX());
}
int Twips::ToPixelsY(int twips, const QWidget *w)
{
    return Scale(twips, PerInch, w->logicalDpiY());
}
int Twips::FromPixelsX(int pixels, const QWidget *w)
{
    return Scale(pixels, w->logicalDpiX(), PerInch);
}
int Twips::FromPixelsY(int pixels, const QWidget *w)
{
    return Scale(pixels, w->logicalDpiY(), PerInch);
}

int Twips::PointsToPixels(double points, const QWidget *w)
{
    return int(std::lround(points * w->logicalDpiX() / 72.0));
}

void Twips::Move(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(ToPixelsX(left, w), ToPixelsY(top, w), ToPixelsX(std::max(width, 0), w),
                   ToPixelsY(std::max(height, 0), w));
}

QRect Twips::Geometry(const QWidget *w)
{
    const QRect g = w->geometry();
    return {FromPixelsX(g.x(), w), FromPixelsY(g.y(), w), FromPixelsX(g.width(), w), FromPixelsY(g.height(), w)};
}
