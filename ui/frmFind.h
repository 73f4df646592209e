#pragma once

#include "core/GearSearch.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;
class GearSearchThread;
class MultiColumnList;

// "Find Gear": finds items anywhere in the catalogue by words of their names and references, as the user types.
// It changes nothing itself; ShowModal returns the item to go to. It keeps its text and results from one showing to
// the next.
class frmFind final : public QDialog
{
    Q_OBJECT
public:
    // At most this many rows are listed.
    static constexpr std::size_t MostRows = 500;

    // The catalogue must outlive the dialog and never change.
    frmFind(const GearCatalogue &categories, QWidget *parent);
    ~frmFind() override;

    // Shows the dialog modally with its text selected; the item chosen with Go To, or none.
    std::optional<GearSearch::Found> ShowModal();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void txtFind_Change();
    void cmdGoTo_Click();
    void lstFind_DblClick();
    void SearchDone(std::uint64_t request, const GearSearch::Result &result);
    void GoTo(int row);
    void SetGoToEnabled(bool enabled);
    void Form_Resize();

    QLabel *lblFind;
    QLineEdit *txtFind;
    std::array<QLabel *, 4> lblColumn{};
    MultiColumnList *lstFind;
    QLabel *lblCount;
    QPushButton *cmdGoTo;
    QPushButton *cmdClose;
    QShortcut *m_goToKey; // Alt+G while Go To is disabled

    std::vector<GearSearch::Found> m_found; // the listed rows' items
    std::optional<GearSearch::Found> m_target;
    std::uint64_t m_request = 0; // the latest search asked for
    bool m_searching = false;    // until its result is listed
    bool m_goWhenDone = false;   // Go To was asked for while it ran
    std::unique_ptr<GearSearchThread> m_search;
};
