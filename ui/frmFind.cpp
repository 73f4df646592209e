#include "ui/frmFind.h"

#include "core/GearSearchThread.h"
#include "toolkit/CommandButton.h"
#include "toolkit/DesignFont.h"
#include "toolkit/ModalKeyboard.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/Twips.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QShortcut>

#include <utility>

namespace {

// The design, in twips: the client area, the smallest one that shows every control and every column, and the
// columns' widths in points.
constexpr int DesignWidth = 8400;
constexpr int DesignHeight = 4800;
constexpr int MinWidth = 8000;
constexpr int MinHeight = 2400;
constexpr int Columns = 4;
constexpr double ColumnPoints[Columns] = {160, 75, 75, 60};

} // namespace

frmFind::frmFind(const GearCatalogue &categories, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      lblFind(new QLabel(QStringLiteral("&Find:"), this)), txtFind(new QLineEdit(this)),
      lstFind(new MultiColumnList(Columns, this)), lblCount(new QLabel(this)),
      cmdGoTo(new CommandButton(QStringLiteral("&Go To"), this)),
      cmdClose(new CommandButton(QStringLiteral("Close"), this)),
      m_goToKey(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_G), this))
{
    setWindowTitle(QStringLiteral("Find Gear"));
    setObjectName(QStringLiteral("frmFind"));
    setFont(DesignFont(font()));
    lblFind->setObjectName(QStringLiteral("lblFind"));
    txtFind->setObjectName(QStringLiteral("txtFind"));
    lstFind->setObjectName(QStringLiteral("lstFind"));
    lblCount->setObjectName(QStringLiteral("lblCount"));
    cmdGoTo->setObjectName(QStringLiteral("cmdGoTo"));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    // Headings over the list's columns, as the main window's lists have them.
    const QString headings[Columns] = {QStringLiteral("Item"), QStringLiteral("Category"),
                                       QStringLiteral("Sub Category"), QStringLiteral("Reference")};
    for (int c = 0; c < Columns; ++c) {
        lblColumn[c] = new QLabel(headings[c], this);
        lblColumn[c]->setObjectName(QStringLiteral("lblColumn%1").arg(c));
    }
    lstFind->SetColumnWidths({ColumnPoints[0], ColumnPoints[1], ColumnPoints[2], ColumnPoints[3]});
    resize(Twips::ToPixelsX(DesignWidth, this), Twips::ToPixelsY(DesignHeight, this));
    setMinimumSize(Twips::ToPixelsX(MinWidth, this), Twips::ToPixelsY(MinHeight, this));

    lblFind->setBuddy(txtFind);
    lstFind->setAccessibleName(QStringLiteral("Items found"));
    lstFind->setAccessibleDescription(QStringLiteral("Enter or a double-click goes to the selected item"));
    setTabOrder(txtFind, lstFind);
    setTabOrder(lstFind, cmdGoTo);
    setTabOrder(cmdGoTo, cmdClose);
    txtFind->installEventFilter(this);

    // Go To takes Enter wherever the focus is, except on Close, which takes it itself.
    cmdGoTo->setDefault(true);
    // A disabled button's access key would fall through to the text box and type a "g" into the search. While
    // results are coming it goes to the first of them, as Enter does; with nothing found it does nothing.
    m_goToKey->setAutoRepeat(false);
    connect(m_goToKey, &QShortcut::activated, this, [this] {
        if (m_searching)
            cmdGoTo_Click();
    });
    SetGoToEnabled(false);
    connect(txtFind, &QLineEdit::textChanged, this, &frmFind::txtFind_Change);
    connect(cmdGoTo, &QPushButton::clicked, this, &frmFind::cmdGoTo_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmFind::reject);
    connect(lstFind, &MultiColumnList::DblClick, this, &frmFind::lstFind_DblClick);

    m_search = std::make_unique<GearSearchThread>(
        categories, MostRows, [this](std::uint64_t request, GearSearch::Result result) {
            QMetaObject::invokeMethod(
                this, [this, request, result = std::move(result)] { SearchDone(request, result); },
                Qt::QueuedConnection);
        });
}

// The search thread ends before the dialog it reports to; a result already on its way is dropped with the dialog.
frmFind::~frmFind()
{
    m_search.reset();
}

std::optional<GearSearch::Found> frmFind::ShowModal()
{
    m_target.reset();
    m_goWhenDone = false;
    txtFind->selectAll();
    txtFind->setFocus();
    ModalKeyboard::Exec(*this);
    return m_target;
}

void frmFind::txtFind_Change()
{
    // The list keeps the last results until the new ones come.
    m_request = m_search->Find(txtFind->text());
    m_searching = true;
}

void frmFind::SearchDone(std::uint64_t request, const GearSearch::Result &result)
{
    if (request != m_request)
        return; // a later search is on its way
    m_searching = false;
    m_found = result.Listed;
    ListRows rows;
    rows.Columns = Columns;
    rows.Cells.reserve(m_found.size() * Columns);
    // The cells view the catalogue's texts, which the rows keep alive.
    if (!m_found.empty())
        rows.Texts = m_found.front().SubCategory->TextsOwner();
    for (const GearSearch::Found &found : m_found) {
        const int r = rows.AddRow();
        rows.At(r, 0) = found.Item->Name();
        rows.At(r, 1) = found.SubCategory->Parent->Name;
        rows.At(r, 2) = found.SubCategory->Name;
        rows.At(r, 3) = found.Item->Reference();
    }
    lstFind->SetRows(std::move(rows));
    lstFind->setListIndex(0);
    // A label without a name of its own tells screen readers that its name changed.
    lblCount->setText(GearSearch::CountText(result));
    SetGoToEnabled(!m_found.empty());
    if (std::exchange(m_goWhenDone, false))
        GoTo(lstFind->ListIndex());
}

void frmFind::cmdGoTo_Click()
{
    // Asked for before the text's results came: they are what the user means.
    if (m_searching) {
        m_goWhenDone = true;
        return;
    }
    GoTo(lstFind->ListIndex());
}

void frmFind::lstFind_DblClick()
{
    GoTo(lstFind->ListIndex());
}

void frmFind::GoTo(int row)
{
    if (row < 0 || std::size_t(row) >= m_found.size())
        return;
    m_target = m_found[std::size_t(row)];
    accept();
}

void frmFind::SetGoToEnabled(bool enabled)
{
    cmdGoTo->setEnabled(enabled);
    m_goToKey->setEnabled(!enabled); // the button's own access key takes over
}

void frmFind::keyPressEvent(QKeyEvent *event)
{
    // Enter that reaches the dialog clicks Go To even while the button waits for results; a held Enter acts once.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
        if (!event->isAutoRepeat() && (m_searching || cmdGoTo->isEnabled()))
            cmdGoTo_Click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmFind::eventFilter(QObject *watched, QEvent *event)
{
    // The keys that move through a list move through the results, and the text box keeps the keyboard.
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (plain) {
                QCoreApplication::sendEvent(lstFind, event);
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmFind::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmFind::Form_Resize()
{
    const int W = Twips::FromPixelsX(width(), this);
    const int H = Twips::FromPixelsY(height(), this);
    Twips::Move(lblFind, 120, 150, 555, 255);
    Twips::Move(txtFind, 720, 120, W - 840, 285);
    int left = 120;
    for (int c = 0; c < Columns; ++c) {
        const int width = int(ColumnPoints[c] * Twips::PerInch / 72);
        Twips::Move(lblColumn[c], left + 60, 540, width - 120, 255);
        left += width;
    }
    Twips::Move(lstFind, 120, 810, W - 240, H - 810 - 615);
    Twips::Move(lblCount, 120, H - 435, W - 2430, 255);
    Twips::Move(cmdGoTo, W - 2190, H - 495, 975, 375);
    Twips::Move(cmdClose, W - 1095, H - 495, 975, 375);
}
