#pragma once

#include "chosen/ChosenLine.h"
#include "core/GearCatalogue.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

// Reading the clipboard export back into chosen lines: the export itself, or the same cells copied from a
// spreadsheet or a table it was pasted into.
namespace ChosenPaste {

inline constexpr int MaxQuantity = 99;
inline constexpr int MaxNamesShown = 20;

struct Result
{
    std::vector<ChosenLine> Lines; // the lines that matched, in the order of the text
    QStringList NotAdded;          // the Item of each data line that did not
};

// Empty when the text's first line is not the export's header line. The data lines follow it up to the export's
// own tail: its separator or totals line with nothing after it but those and lines of empty cells (a line that
// only looks like one, with other lines after it, is a data line). Lines of empty cells are passed over. A line
// matches the catalogue item of its Item name in a sub-category of its Type name (names compared as the catalogue
// compares them); where several categories hold one, the one of the same Reference. Its Qty must be a whole number
// from 1 to MaxQuantity. It is paid in dollars when both point costs are zero and either its dollar cost or the
// item's points cost is not. A data line that does not match is named in NotAdded. Takes time by the text's lines,
// whatever the catalogue's size, but for finding its items by name the first time.
std::optional<Result> Parse(QStringView text, const GearCatalogue &catalogue);

// "N rows were added from the clipboard.", then, when some were not, "Not added:" and their Items, one a line, each
// as `asShown` gives it.
QString Message(const Result &result, const std::function<QString(const QString &)> &asShown = {});

} // namespace ChosenPaste
