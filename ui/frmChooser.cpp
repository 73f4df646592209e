#include "ui/frmChooser.h"

#include "chosen/ChosenHistory.h"
#include "chosen/ChosenPaste.h"
#include "chosen/ChosenView.h"
#include "core/GearRows.h"
#include "core/clsGearList.h"
#include "toolkit/AppPath.h"
#include "toolkit/Clipboard.h"
#include "toolkit/CommandButton.h"
#include "toolkit/DesignFont.h"
#include "toolkit/DropDownList.h"
#include "toolkit/HeldKeys.h"
#include "toolkit/MsgBox.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "toolkit/Twips.h"
#include "ui/frmFind.h"
#include "ui/frmLine.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QWindow>

namespace {
const QString MainTitle = QStringLiteral("Quellvane Gear Chooser [v1.02]");
constexpr int MinOuterWidth = 8500;
constexpr int MinOuterHeight = 4000;

QFrame *Page(QWidget *parent, const char *name)
{
    auto *page = new QFrame(parent);
    page->setObjectName(QLatin1String(name));
    page->setFrameShape(QFrame::NoFrame);
    return page;
}

QLabel *Label(QWidget *parent, const QString &caption, const QString &name)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}
} // namespace

std::unique_ptr<IMainForm> frmChooser::Create()
{
    return std::make_unique<frmChooser>();
}

frmChooser::frmChooser()
    : QWidget(nullptr, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      tabMain(new TabStrip(this)), picHelp(Page(this, "picHelp")), txtInfo(new QPlainTextEdit(picHelp)),
      picSelect(Page(this, "picSelect")), picChosen(Page(this, "picChosen")),
      lstChosen(new MultiColumnList(ChosenView::Columns, picChosen)),
      lstGear(new MultiColumnList(GearRows::Columns, picSelect)),
      cmdCopy(new CommandButton(QStringLiteral("&Copy all to Clipboard"), picChosen)),
      lblCostBP(Label(picSelect, QStringLiteral("Cost (BP)"), QStringLiteral("lblCostBP"))),
      cmdChoose(new CommandButton(QStringLiteral("&Purchase"), picSelect)), cboCurrency(new DropDownList(picSelect)),
      cboCat(new DropDownList(picSelect)), cboSubCat(new DropDownList(picSelect)),
      lblInstruct(Label(picChosen,
                        QStringLiteral("NB: Doubleclick on a selected line to change quantity, move row or delete."),
                        QStringLiteral("lblInstruct")))
{
    setObjectName(QStringLiteral("frmChooser"));
    HeldKeys::Install(); // a held Enter, Alt+P or Alt+C acts once
    setWindowTitle(MainTitle);
    setFont(DesignFont(font()));
    tabMain->setObjectName(QStringLiteral("tabMain"));
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    lstChosen->setObjectName(QStringLiteral("lstChosen"));
    lstGear->setObjectName(QStringLiteral("lstGear"));
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdChoose->setObjectName(QStringLiteral("cmdChoose"));
    cboCurrency->setObjectName(QStringLiteral("cboCurrency"));
    cboCat->setObjectName(QStringLiteral("cboCat"));
    cboSubCat->setObjectName(QStringLiteral("cboSubCat"));

    const QString chosenHeaders[] = {QStringLiteral("Reference"), QStringLiteral("Qty"), QStringLiteral("GP"),
                                     QStringLiteral("BP"),        QStringLiteral("$"),   QStringLiteral("lbs")};
    const QString listHeaders[] = {QStringLiteral("Category"), QStringLiteral("Sub Category"),
                                   QStringLiteral("with"),     QStringLiteral("Reference"),
                                   QStringLiteral("Cost ($)"), QStringLiteral("Wht (lb)")};
    for (int i = 0; i < 6; ++i) {
        lblChosen[i] = Label(picChosen, chosenHeaders[i], QStringLiteral("lblChosen%1").arg(i));
        lblList[i] = Label(picSelect, listHeaders[i], QStringLiteral("lblList%1").arg(i));
    }

    // The design geometry, in twips; the resize handler lays out the controls marked for it.
    Twips::Move(tabMain, 120, 120, 3495, 1215);
    Twips::Move(picHelp, 4170, 90, 2055, 1185);
    Twips::Move(txtInfo, 60, 60, 975, 975);
    Twips::Move(picSelect, 120, 1380, 8625, 2205);
    Twips::Move(picChosen, 240, 3840, 8475, 1605);
    Twips::Move(lstChosen, 0, 360, 8415, 735);
    Twips::Move(lstGear, 120, 990, 8415, 1575);
    Twips::Move(cmdCopy, 5400, 1200, 1815, 375);
    Twips::Move(lblCostBP, 5880, 720, 735, 255);
    Twips::Move(cmdChoose, 5640, 90, 975, 375);
    Twips::Move(cboCurrency, 7080, 120, 975, 315);
    Twips::Move(cboCat, 1320, 120, 2775, 315);
    Twips::Move(cboSubCat, 1320, 480, 2775, 315);
    Twips::Move(lblInstruct, 120, 1200, 5400, 255);
    const int chosenLabels[6][4] = {{4320, 90, 855, 255}, {5520, 90, 375, 255}, {6000, 90, 255, 255},
                                    {6360, 90, 255, 255}, {6840, 90, 255, 255}, {7560, 90, 375, 255}};
    const int listLabels[6][4] = {{120, 150, 1095, 255}, {120, 510, 1095, 255}, {6720, 180, 285, 195},
                                  {4560, 720, 855, 255}, {6720, 720, 615, 255}, {7440, 720, 615, 255}};
    for (int i = 0; i < 6; ++i) {
        Twips::Move(lblChosen[i], chosenLabels[i][0], chosenLabels[i][1], chosenLabels[i][2], chosenLabels[i][3]);
        Twips::Move(lblList[i], listLabels[i][0], listLabels[i][1], listLabels[i][2], listLabels[i][3]);
    }
    resize(Twips::ToPixelsX(8820, this), Twips::ToPixelsY(5940, this));

    // The pages lie over the tab strip's body.
    picHelp->raise();
    picSelect->raise();
    picChosen->raise();

    txtInfo->setReadOnly(true);
    txtInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtInfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette info = txtInfo->palette();
    info.setColor(QPalette::Base, info.color(QPalette::ToolTipBase));
    info.setColor(QPalette::Text, info.color(QPalette::ToolTipText));
    txtInfo->setPalette(info);

    lstGear->SetColumnWidths({210, 70, 40, 40, 40});
    lstChosen->SetColumnWidths({120, 90, 60, 20, 20, 20, 40, 30});
    lstGear->setAccessibleName(QStringLiteral("Gear list"));
    lstChosen->setAccessibleName(QStringLiteral("Chosen gear"));
    cboCat->setAccessibleName(QStringLiteral("Category"));
    cboSubCat->setAccessibleName(QStringLiteral("Sub Category"));
    cboCurrency->setAccessibleName(QStringLiteral("Currency"));
    // Qt on Linux names a drop-down after its entry and takes the label from a buddy; the currency has none.
    cboCurrency->setAccessibleDescription(QStringLiteral("Currency: pay in points or in dollars"));
    lstGear->setAccessibleDescription(QStringLiteral("Enter or a double-click buys the selected item"));
    lstChosen->setAccessibleDescription(
        QStringLiteral("Enter or a double-click changes the quantity or row of the selected line, or removes it"));
    txtInfo->setAccessibleName(QStringLiteral("Help and about"));
    lblList[0]->setBuddy(cboCat);
    lblList[1]->setBuddy(cboSubCat);

    // Keyboard focus follows the design's tab order.
    QWidget *order[] = {tabMain->Bar(), txtInfo,     lstChosen, lstGear,  cmdCopy,
                        cmdChoose,      cboCurrency, cboCat,    cboSubCat};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    cmdCopy->setEnabled(false); // nothing to copy before the chosen list is first built

    connect(tabMain, &TabStrip::Change, this, &frmChooser::tabMain_Change);
    connect(cboCat, &DropDownList::Click, this, &frmChooser::cboCat_Click);
    connect(cboSubCat, &DropDownList::Click, this, &frmChooser::cboSubCat_Click);
    connect(lstGear, &MultiColumnList::Click, this, &frmChooser::lstGear_Click);
    connect(lstGear, &MultiColumnList::DblClick, this, &frmChooser::lstGear_DblClick);
    connect(cmdChoose, &QPushButton::clicked, this, &frmChooser::cmdChoose_Click);
    connect(lstChosen, &MultiColumnList::DblClick, this, &frmChooser::lstChosen_DblClick);
    connect(cmdCopy, &QPushButton::clicked, this, &frmChooser::cmdCopy_Click);
    SetupEditKeys();
}

frmChooser::~frmChooser()
{
    // Form_Terminate: the references are released again (harmless when already released).
    m_parent = nullptr;
    m_currentCat = nullptr;
    m_currentSubCat = nullptr;
}

void frmChooser::ShowModal()
{
    setWindowModality(Qt::ApplicationModal);
    Form_Load();
    if (!m_parent || m_parent->Finished())
        return; // the load failed and the window closed itself before it was ever shown
    show();
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec();
    m_modalLoop = nullptr;
}

void frmChooser::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    cmdChoose->setEnabled(false);
    cboCurrency->AddItem(QStringLiteral("BP/GP"));
    cboCurrency->AddItem(QStringLiteral("$"));
    cboCurrency->setListIndex(0);
    SetupTabs();

    txtInfo->setPlainText(m_parent->HelpText());
    // Select the title: the second line, after the line break that opens the text.
    QTextCursor cursor = txtInfo->textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    txtInfo->setTextCursor(cursor);

    if (!m_parent->LoadGearFile(AppPath())) {
        hide();
        close();
        return;
    }
    QStringList names;
    for (const clsCategory *category : *m_parent->Categories())
        names.append(category->Name);
    cboCat->AddItems(names);
    if (cboCat->ListCount() > 0)
        cboCat->setListIndex(0);
    setOuterSizeTwips(8500, 6000);
    if (!isVisible())
        m_pendingOuterSize = QSize(8500, 6000);
}

void frmChooser::SetupTabs()
{
    tabMain->Clear();
    tabMain->Add(QStringLiteral("tabList"), QStringLiteral("Gear List"), 0);
    tabMain->Add(QStringLiteral("tabChosen"), QStringLiteral("Chosen Gear"), 1);
    tabMain->Add(QStringLiteral("tabHelp"), QStringLiteral("Help / About"), 2);
}

void frmChooser::tabMain_Change()
{
    if (m_chosenChanged)
        RefreshChosenList();
    const int index = tabMain->SelectedIndex();
    if (index < 0 || index > 2)
        return;
    picSelect->setVisible(index == 0);
    picChosen->setVisible(index == 1);
    picHelp->setVisible(index == 2);
}

QSize frmChooser::outerSizeTwips() const
{
    const QSize outer = frameGeometry().size();
    return {Twips::FromPixelsX(outer.width(), this), Twips::FromPixelsY(outer.height(), this)};
}

void frmChooser::setOuterSizeTwips(int width, int height)
{
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(Twips::ToPixelsX(width, this) - frame.width(), Twips::ToPixelsY(height, this) - frame.height());
}

void frmChooser::setMinimumOuterSize()
{
    // Told to the window manager or compositor as well, so that a drag stops there: a Wayland client may not grow
    // past the size the compositor gives it while the user drags an edge.
    const QSize frame = frameGeometry().size() - geometry().size();
    setMinimumSize(Twips::ToPixelsX(MinOuterWidth, this) - frame.width(),
                   Twips::ToPixelsY(MinOuterHeight, this) - frame.height());
}

void frmChooser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

bool frmChooser::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // Until the window is on screen its frame is unknown, so the outer size set by the load was the inner one.
    // ShowToParent comes after the platform window is shown: a Wayland client draws its own frame, which exists
    // only from then on, where the show event comes too early.
    if (event->type() == QEvent::ShowToParent && m_pendingOuterSize.isValid()) {
        m_frame = frameGeometry().size() - geometry().size();
        setMinimumOuterSize();
        setOuterSizeTwips(m_pendingOuterSize.width(), m_pendingOuterSize.height());
        m_pendingOuterSize = QSize();
    }
    // An X11 window manager puts its frame around the window a moment after it is shown, and tells it with the
    // first move; a frame may change later too (another theme). The outer size stays what it was, and so does the
    // smallest one.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible() &&
        !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QSize frame = frameGeometry().size() - geometry().size();
        if (frame != m_frame) {
            const QSize outer = size() + m_frame;
            m_frame = frame;
            setMinimumOuterSize();
            resize(outer - frame);
        }
    }
    return handled;
}

void frmChooser::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Restoring from the taskbar lays everything out again.
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        Form_Resize();
}

void frmChooser::Form_Resize()
{
    if (isMinimized() || (width() == 0 && height() == 0))
        return;
    setMinimumOuterSize();
    const QSize outer = outerSizeTwips();
    // Each change raises a further resize, which lays the window out again; a window manager may also refuse
    // it, so the layout below still runs for the size the window has now.
    if (outer.width() < MinOuterWidth || outer.height() < MinOuterHeight)
        setOuterSizeTwips(std::max(outer.width(), MinOuterWidth), std::max(outer.height(), MinOuterHeight));
    const int W = Twips::FromPixelsX(width(), this);
    const int H = Twips::FromPixelsY(height(), this);
    Twips::Move(tabMain, 60, 60, W - 120, H - 120);
    for (QFrame *page : {picSelect, picChosen, picHelp})
        Twips::Move(page, 150, 450, W - 300, H - 600);

    auto innerW = [](const QWidget *w) { return Twips::FromPixelsX(w->contentsRect().width(), w); };
    auto innerH = [](const QWidget *w) { return Twips::FromPixelsY(w->contentsRect().height(), w); };

    int top = Twips::Geometry(lstGear).top();
    Twips::Move(lstGear, 0, top, innerW(picSelect), innerH(picSelect) - top);

    top = Twips::Geometry(lstChosen).top();
    Twips::Move(lstChosen, 0, top, innerW(picChosen), int(innerH(picChosen) - 2.5 * top));
    const QRect chosen = Twips::Geometry(lstChosen);
    const QRect copy = Twips::Geometry(cmdCopy);
    Twips::Move(cmdCopy, innerW(picChosen) - copy.width() - 60, chosen.top() + chosen.height() + 60, copy.width(),
                copy.height());
    Twips::Move(lblInstruct, 30, Twips::Geometry(cmdCopy).top() + 30, 5400, 255);
    Twips::Move(txtInfo, 0, 0, innerW(picHelp), innerH(picHelp));
}

void frmChooser::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmChooser::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Minimising hides the window spontaneously; only a real hide or close ends the modal show.
    if (!event->spontaneous() && m_modalLoop)
        m_modalLoop->quit();
}

void frmChooser::Form_Unload()
{
    if (m_parent)
        m_parent->setFinished(true);
    m_parent = nullptr;
    m_currentCat = nullptr;
    m_currentSubCat = nullptr;
}

void frmChooser::cboCat_Click()
{
    if (cboCat->ListIndex() == -1)
        return;
    const QString name = cboCat->List(cboCat->ListIndex());
    m_useGP = IsGadgetCategory(name);
    lblCostBP->setText(m_useGP ? QStringLiteral("Cost (GP)") : QStringLiteral("Cost (BP)"));
    m_currentCat = &m_parent->Categories()->Item(name);
    cboSubCat->Clear();
    QStringList names;
    for (const clsSubCategory *sub : *m_currentCat->SubCategories)
        names.append(sub->Name);
    cboSubCat->AddItems(names);
    cboSubCat->setListIndex(0);
}

void frmChooser::cboSubCat_Click()
{
    if (cboSubCat->ListIndex() == -1 || !m_currentCat)
        return;
    m_currentSubCat = &m_currentCat->SubCategories->Item(cboSubCat->List(cboSubCat->ListIndex()));
    lstGear->SetRows(GearRows::Rows(*m_currentSubCat, m_useGP));
    lstGear->setListIndex(0);
    if (lstGear->ListIndex() == -1)
        lstGear_Click(); // nothing to select in an empty list: the button still follows it
}

void frmChooser::lstGear_Click()
{
    cmdChoose->setEnabled(lstGear->ListIndex() != -1);
}

void frmChooser::lstGear_DblClick()
{
    cmdChoose_Click();
}

void frmChooser::cmdChoose_Click()
{
    // The button is disabled without a selected row; a double-click on an empty list lands here too.
    const int row = lstGear->ListIndex();
    if (row == -1 || !m_currentSubCat)
        return;
    const bool paidInDollars = cboCurrency->ListIndex() == 1;
    clsItem &item = m_currentSubCat->Items->Item(lstGear->ListText(row, 0));
    m_history->Purchase(&item, paidInDollars);
    m_chosenChanged = true;
    lstGear->setFocus();
}

void frmChooser::RefreshChosenList()
{
    lstChosen->Clear();
    lstChosen->SetRows(ChosenView::Rows(*m_parent->ChosenGear()));
    if (lstChosen->ListCount() > 0) {
        cmdCopy->setEnabled(true);
        lstChosen->setListIndex(0);
    } else {
        cmdCopy->setEnabled(false);
    }
    m_chosenChanged = false;
}

void frmChooser::lstChosen_DblClick()
{
    const int selected = lstChosen->ListIndex();
    if (selected == -1 || selected >= lstChosen->ListCount() - 2)
        return;
    const std::int32_t n = selected + 1;
    const std::int32_t count = lstChosen->ListCount() - 2;
    const ListCell quantityCell = lstChosen->List(selected, 3);
    const auto *quantity = std::get_if<std::int64_t>(&quantityCell);
    const std::int16_t q = quantity ? std::int16_t(*quantity) : std::int16_t(1);

    // Tied to this window for the window manager or compositor (a Wayland one keeps it over the window it
    // blocks), but not a child widget of it: Qt centres a child dialog on its parent, and this one opens where
    // the system puts new windows.
    frmLine dialog;
    dialog.winId();
    if (dialog.windowHandle())
        dialog.windowHandle()->setTransientParent(windowHandle());
    dialog.SetLine(q, n, count);
    dialog.ShowModal();
    const std::int16_t action = dialog.Action();
    if (action == frmLine::NoAction)
        return;
    switch (action) {
    case frmLine::ChangeQuantity:
        m_history->ChangeQuantity(n, dialog.Quantity());
        break;
    case frmLine::MoveToRow:
        m_history->MoveLine(n, dialog.Row());
        break;
    case frmLine::RemoveLine:
        m_history->RemoveLine(n);
        break;
    default:
        break;
    }
    RefreshChosenList();
}

QString frmChooser::ChosenHeaderText() const
{
    return ChosenView::HeaderLine();
}

QString frmChooser::ChosenLineText(int row) const
{
    return ChosenView::Line(lstChosen->Rows(), row);
}

void frmChooser::cmdCopy_Click()
{
    Clipboard::Clear();
    QString text = ChosenHeaderText();
    int r = 0;
    for (; r < lstChosen->ListCount(); ++r)
        text += ChosenLineText(r);
    Clipboard::SetText(text, ChosenView::Html(lstChosen->Rows()));
    MsgBox::Show(QString::number(r) + QStringLiteral(" rows were successfully copied to the clipboard."), windowTitle(),
                 MsgBox::Icon::Information);
}

void frmChooser::setParent(clsGearList *parent)
{
    m_parent = parent;
    m_history = parent ? std::make_unique<ChosenHistory>(*parent) : nullptr;
}

void frmChooser::SetupEditKeys()
{
    // The platform's own keys for each action, and the ones users of other systems expect.
    auto keys = [](QKeySequence::StandardKey standard, std::initializer_list<QKeyCombination> more) {
        QList<QKeySequence> list = QKeySequence::keyBindings(standard);
        for (QKeyCombination key : more) {
            if (!list.contains(QKeySequence(key)))
                list.append(QKeySequence(key));
        }
        return list;
    };
    // Window shortcuts: they act wherever this window has the focus, and not while a dialog of its own is open.
    auto *undo = new QShortcut(this);
    undo->setKeys(keys(QKeySequence::Undo, {Qt::CTRL | Qt::Key_Z}));
    connect(undo, &QShortcut::activated, this, &frmChooser::EditUndo);
    auto *redo = new QShortcut(this);
    redo->setKeys(keys(QKeySequence::Redo, {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}));
    connect(redo, &QShortcut::activated, this, &frmChooser::EditRedo);
    auto *paste = new QShortcut(this);
    paste->setKeys(keys(QKeySequence::Paste, {Qt::CTRL | Qt::Key_V}));
    paste->setAutoRepeat(false); // one paste for one press, like a purchase
    connect(paste, &QShortcut::activated, this, &frmChooser::EditPaste);
    auto *find = new QShortcut(this);
    find->setKeys(keys(QKeySequence::Find, {Qt::CTRL | Qt::Key_F}));
    find->setAutoRepeat(false);
    connect(find, &QShortcut::activated, this, &frmChooser::EditFind);
}

void frmChooser::ChosenListChanged()
{
    if (tabMain->SelectedIndex() == 1)
        RefreshChosenList();
    else
        m_chosenChanged = true;
}

void frmChooser::EditUndo()
{
    if (m_history && m_history->Undo())
        ChosenListChanged();
}

void frmChooser::EditRedo()
{
    if (m_history && m_history->Redo())
        ChosenListChanged();
}

void frmChooser::EditPaste()
{
    if (!m_parent || !m_history)
        return;
    const std::optional<ChosenPaste::Result> pasted = ChosenPaste::Parse(Clipboard::Text(), *m_parent->Categories());
    if (!pasted)
        return; // not an export: the key does nothing
    if (m_history->AddLines(pasted->Lines))
        ChosenListChanged();
    MsgBox::Show(ChosenPaste::Message(*pasted, MsgBox::OneLine), windowTitle(), MsgBox::Icon::Information);
}

void frmChooser::EditFind()
{
    if (!m_parent)
        return;
    if (!m_find)
        m_find = new frmFind(*m_parent->Categories(), this);
    const std::optional<GearSearch::Found> found = m_find->ShowModal();
    if (!found)
        return;
    tabMain->setSelectedIndex(0);
    cboCat->Pick(found->CategoryIndex);
    cboSubCat->Pick(found->SubCategoryIndex);
    lstGear->setListIndex(found->Row);
    lstGear->setFocus();
}
