#pragma once

#include <QFont>

// The font the windows' twips geometry was drawn for: a narrow 7.5-point sans serif (the lists set their own 8.25
// points). Liberation Sans (or Arial) keeps the captions inside their design widths, where the desktop's usual wider
// face would cut them off.
QFont DesignFont(const QFont &base);

// The message boxes' font: the same face at the lists' 8.25 points. A platform's own message font may be missing
// (Wine's Tahoma is, without its fonts package), and the box would fall back to a serif face.
QFont MessageBoxFont();
