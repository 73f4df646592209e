#pragma once

#include "core/IMainForm.h"

#include <QWidget>

#include <array>
#include <memory>

class QEventLoop;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class DropDownList;
class MultiColumnList;
class TabStrip;
class ChosenHistory;
class clsCategory;
class clsGearList;
class clsSubCategory;
class frmFind;

// The main window: three tabs over the gear browser, the chosen-gear list and the help page.
class frmChooser final : public QWidget, public IMainForm
{
    Q_OBJECT
public:
    frmChooser();
    ~frmChooser() override;

    static std::unique_ptr<IMainForm> Create();

    clsGearList *Parent() const { return m_parent; }
    using QWidget::setParent;
    void setParent(clsGearList *parent) override;
    clsCategory *CurrentCat() const { return m_currentCat; }
    clsSubCategory *CurrentSubCat() const { return m_currentSubCat; }
    bool ChosenChanged() const { return m_chosenChanged; }
    bool UseGP() const { return m_useGP; }
    bool Loaded() const { return m_loaded; }

    void ShowModal() override;

    void Form_Load();
    void RefreshChosenList();
    QString ChosenHeaderText() const;
    QString ChosenLineText(int row) const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void SetupTabs();
    void tabMain_Change();
    void Form_Resize();
    void Form_Unload();
    void cboCat_Click();
    void cboSubCat_Click();
    void lstGear_Click();
    void lstGear_DblClick();
    void cmdChoose_Click();
    void lstChosen_DblClick();
    void cmdCopy_Click();

    // Keys that act on every page: undo and redo of chosen-list changes, and pasting an export back.
    void SetupEditKeys();
    void EditUndo();
    void EditRedo();
    void EditPaste();
    // Finds an item anywhere in the catalogue and shows it on the gear list as the user's picks would.
    void EditFind();
    // The chosen list changed without a purchase: the page on show follows at once, another at its tab change.
    void ChosenListChanged();

    // Outer size in twips, frame included.
    QSize outerSizeTwips() const;
    void setOuterSizeTwips(int width, int height);
    void setMinimumOuterSize();

    clsGearList *m_parent = nullptr;
    clsCategory *m_currentCat = nullptr;
    clsSubCategory *m_currentSubCat = nullptr;
    bool m_loaded = false;
    bool m_chosenChanged = false;
    bool m_useGP = false;
    std::unique_ptr<ChosenHistory> m_history;

    TabStrip *tabMain;
    QFrame *picHelp;
    QPlainTextEdit *txtInfo;
    QFrame *picSelect;
    QFrame *picChosen;
    MultiColumnList *lstChosen;
    MultiColumnList *lstGear;
    QPushButton *cmdCopy;
    QLabel *lblCostBP;
    QPushButton *cmdChoose;
    DropDownList *cboCurrency;
    DropDownList *cboCat;
    DropDownList *cboSubCat;
    QLabel *lblInstruct;
    std::array<QLabel *, 6> lblChosen{};
    std::array<QLabel *, 6> lblList{};

    frmFind *m_find = nullptr; // made at its first use; it keeps its text and results
    QEventLoop *m_modalLoop = nullptr;
    // The outer size asked for before the window had a frame; applied again once it is shown.
    QSize m_pendingOuterSize;
    // The frame around the window when its outer size was last kept (see event()).
    QSize m_frame{0, 0};
    bool m_inResize = false;
};
