#include "toolkit/MultiColumnList.h"

#include "toolkit/Twips.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>

MultiColumnListModel::MultiColumnListModel(int columns, QObject *parent) : QAbstractTableModel(parent)
{
    m_rows.Columns = columns;
}

int MultiColumnListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.RowCount();
}

int MultiColumnListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.Columns;
}

QVariant MultiColumnListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ListCell &cell = m_rows.At(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return CellShownText(cell);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (IsNumber(cell) ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

void MultiColumnListModel::Clear()
{
    if (m_rows.Cells.empty())
        return;
    beginResetModel();
    m_rows.Cells.clear();
    m_rows.Texts.reset();
    endResetModel();
}

void MultiColumnListModel::SetRows(ListRows rows)
{
    Q_ASSERT(rows.Columns == m_rows.Columns);
    beginResetModel();
    m_rows.Cells = std::move(rows.Cells);
    m_rows.Texts = std::move(rows.Texts);
    endResetModel();
}

int MultiColumnListModel::AddItem(const QString &text)
{
    const int row = m_rows.RowCount();
    beginInsertRows({}, row, row);
    m_rows.AddRow();
    m_rows.At(row, 0) = OwnedText(text);
    endInsertRows();
    return row;
}

void MultiColumnListModel::SetCell(int row, int column, ListCell value)
{
    if (row < 0 || row >= m_rows.RowCount() || column < 0 || column >= m_rows.Columns)
        return;
    if (auto *text = std::get_if<QString>(&value))
        *text = OwnedText(*text);
    m_rows.At(row, column) = std::move(value);
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::TextAlignmentRole});
}

MultiColumnList::MultiColumnList(int columns, QWidget *parent)
    : QTreeView(parent), m_model(new MultiColumnListModel(columns, this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    QFont f = font();
    f.setPointSizeF(8.25);
    setFont(f);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &MultiColumnList::selectionMaybeChanged);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &MultiColumnList::selectionMaybeChanged);
}

void MultiColumnList::SetColumnWidths(std::initializer_list<double> points)
{
    m_widthsPt.assign(points.begin(), points.end());
    applyColumnWidths();
}

void MultiColumnList::applyColumnWidths()
{
    for (int c = 0; c < int(m_widthsPt.size()); ++c)
        header()->resizeSection(c, Twips::PointsToPixels(m_widthsPt[std::size_t(c)], this));
}

void MultiColumnList::Clear()
{
    m_model->Clear();
    m_lastIndex = -1;
}

void MultiColumnList::SetRows(ListRows rows)
{
    m_model->SetRows(std::move(rows));
    m_lastIndex = -1;
    applyColumnWidths(); // a model reset may forget section sizes
}

void MultiColumnList::AddItem(const QString &text)
{
    m_model->AddItem(text);
}

ListCell MultiColumnList::List(int row, int column) const
{
    const ListRows &rows = m_model->Rows();
    if (row < 0 || row >= rows.RowCount() || column < 0 || column >= rows.Columns)
        return {};
    const ListCell &cell = rows.At(row, column);
    if (const auto *text = std::get_if<QString>(&cell))
        return OwnedText(*text); // the cell may view the rows' texts, which the caller may outlive
    return cell;
}

QString MultiColumnList::ListText(int row, int column) const
{
    return CellText(List(row, column));
}

void MultiColumnList::SetList(int row, int column, ListCell value)
{
    m_model->SetCell(row, column, std::move(value));
}

int MultiColumnList::ListCount() const
{
    return m_model->Rows().RowCount();
}

int MultiColumnList::ListIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void MultiColumnList::setListIndex(int row)
{
    if (row == -1) {
        selectionModel()->clear();
        return;
    }
    if (row < 0 || row >= ListCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void MultiColumnList::selectionMaybeChanged()
{
    const int now = ListIndex();
    if (now == m_lastIndex)
        return;
    m_lastIndex = now;
    emit Click();
}

QItemSelectionModel::SelectionFlags MultiColumnList::selectionCommand(const QModelIndex &index,
                                                                      const QEvent *event) const
{
    // Single selection lets Ctrl+click or Ctrl+Space deselect the selected row, which would leave a list with rows
    // and nothing to buy or edit; such a command selects the row instead.
    // A click where there is no row (below the last one) changes nothing, as a list box's does.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    QItemSelectionModel::SelectionFlags flags = QTreeView::selectionCommand(index, event);
    if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return flags;
}

void MultiColumnList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void MultiColumnList::keyPressEvent(QKeyEvent *event)
{
    // The keypad's Enter carries the keypad modifier.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
        // A held Enter repeats its press: one purchase or one dialog per press, not per repeat.
        if (ListIndex() >= 0 && !event->isAutoRepeat())
            emit DblClick();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

bool MultiColumnList::viewportEvent(QEvent *event)
{
    // A cell whose text does not fit its column shows the whole text as a tooltip (as much of it as is drawn).
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid()) {
            const QString text = CellShownText(m_model->Rows().At(index.row(), index.column()));
            const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 2;
            if (fontMetrics().horizontalAdvance(text) + margin > columnWidth(index.column())) {
                QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QTreeView::viewportEvent(event);
}
