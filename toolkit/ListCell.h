#pragma once

#include "toolkit/OwnedText.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

// A number shown with the "0.0" format. Formatting waits until the cell is shown or read as text, so filling a
// long list formats only the rows on screen.
struct OneDecimal
{
    double Value = 0;
    friend bool operator==(const OneDecimal &, const OneDecimal &) = default;
};

// One cell of a multi-column list: unset, a text, a number shown in plain decimal, or one shown as "0.0".
using ListCell = std::variant<std::monostate, QString, std::int64_t, double, OneDecimal>;

// The cell as the list shows it (a text with characters of its own, see OwnedText): texts as they are, numbers in plain
// decimal (whole doubles without a point), "0.0" numbers with one decimal, unset cells empty.
QString CellText(const ListCell &cell);

// At most this many UTF-16 units of a text are drawn, shown in a tooltip or announced: far more than any column
// shows, while laying out a name of millions of characters would take seconds at every paint.
inline constexpr qsizetype ShownTextLimit = 4096;

// A text as it is drawn or announced: a longer one cut to ShownTextLimit units (never inside a surrogate pair) and
// ended with an ellipsis. The text itself, its export and the lookups by it keep every character.
QString ShownText(const QString &text);

// CellText(cell), as ShownText cuts it.
QString CellShownText(const ListCell &cell);

// Appends CellText(cell) to `out`, making no text of its own for texts and whole numbers (long exports).
void AppendCellText(QString &out, const ListCell &cell);

bool IsNumber(const ListCell &cell);

// Rows of a list, flattened: row r, column c is cells[r * columns + c].
struct ListRows
{
    int Columns = 0;
    std::vector<ListCell> Cells;
    // Keeps alive the storage that the cells' texts view (see OwnedText), as long as the rows or a copy of them
    // live. Whatever takes a text out of the rows takes an owned copy (see CellText).
    std::shared_ptr<const void> Texts;

    int RowCount() const { return Columns ? int(Cells.size() / std::size_t(Columns)) : 0; }
    const ListCell &At(int row, int column) const { return Cells[std::size_t(row) * std::size_t(Columns) + column]; }
    ListCell &At(int row, int column) { return Cells[std::size_t(row) * std::size_t(Columns) + column]; }
    // Appends a row of unset cells and returns its index.
    int AddRow()
    {
        Cells.resize(Cells.size() + std::size_t(Columns));
        return RowCount() - 1;
    }
};
