#pragma once

#include <QRect>

class QWidget;

// Window geometry is designed in twips (1/1440 inch). Converting with the screen's logical resolution keeps the
// design's proportions at any scale factor.
namespace Twips {

inline constexpr int PerInch = 1440;

int ToPixelsX(int twips, const QWidget *w);
int ToPixelsY(int twips, const QWidget *w);
int FromPixelsX(int pixels, const QWidget *w);
int FromPixelsY(int pixels, const QWidget *w);

// Points (1/72 inch) to pixels, for list column widths.
int PointsToPixels(double points, const QWidget *w);

// Moves and sizes a child control, all four values in twips.
void Move(QWidget *w, int left, int top, int width, int height);
// The control's geometry in twips.
QRect Geometry(const QWidget *w);

} // namespace Twips
