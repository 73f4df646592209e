#pragma once

#include "core/KeyedCollection.h"
#include "core/clsChosenItem.h"
#include "toolkit/ListCell.h"

#include <QString>
#include <QStringList>

// The chosen-gear view: one row per line, then "------" and "Totals"; no rows at all for an empty list.
namespace ChosenView {

inline constexpr int Columns = 8;
inline const QString SeparatorText = QStringLiteral("------");
inline const QString TotalsText = QStringLiteral("Totals");

// Cost totals are summed in 64 bits, so no list is too long or too costly to total exactly.
ListRows Rows(const KeyedCollection<clsChosenItem> &chosenGear);

// The clipboard export of the view's rows: tab-separated lines ended by CR LF, behind a header line.
QString HeaderLine();
QString Line(const ListRows &rows, int row);
QString Text(const ListRows &rows);
// The same rows as an HTML table, every cell escaped, for programs that paste tables.
QString Html(const ListRows &rows);

} // namespace ChosenView
