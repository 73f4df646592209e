#pragma once

#include "toolkit/ListCell.h"

#include <QAbstractTableModel>
#include <QTreeView>

#include <initializer_list>

// The rows of a MultiColumnList: a flat store of cells behind a table model.
class MultiColumnListModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit MultiColumnListModel(int columns, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const ListRows &Rows() const { return m_rows; }
    void Clear();
    void SetRows(ListRows rows);
    int AddItem(const QString &text);
    void SetCell(int row, int column, ListCell value);

private:
    ListRows m_rows;
};

// A list box with fixed columns and no header row: single selection, cells read and written as text or number.
// Selecting a row, by the user or by code, raises Click once and at once; a double-click of the primary button
// anywhere on the list, or a press of Enter (not its auto-repeat) on a selected row, raises DblClick. Once a row is
// selected, the user can move the selection but not clear it: a click below the last row changes nothing.
class MultiColumnList final : public QTreeView
{
    Q_OBJECT
public:
    explicit MultiColumnList(int columns, QWidget *parent = nullptr);

    // Fixed column widths in points; nothing changes them afterwards.
    void SetColumnWidths(std::initializer_list<double> points);

    void Clear();
    void SetRows(ListRows rows);
    void AddItem(const QString &text);
    ListCell List(int row, int column) const;
    QString ListText(int row, int column) const;
    void SetList(int row, int column, ListCell value);
    int ListCount() const;
    int ListIndex() const;
    // -1 clears the selection; a row that does not exist is ignored.
    void setListIndex(int row);

    const ListRows &Rows() const { return m_model->Rows(); }
    MultiColumnListModel *Model() const { return m_model; }

signals:
    void Click();
    void DblClick();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void selectionMaybeChanged();
    void applyColumnWidths();

    MultiColumnListModel *m_model;
    std::vector<double> m_widthsPt;
    int m_lastIndex = -1;
};
