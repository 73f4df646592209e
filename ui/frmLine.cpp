#include "ui/frmLine.h"

#include "toolkit/DesignFont.h"
#include "toolkit/DropDownList.h"
#include "toolkit/ModalKeyboard.h"
#include "toolkit/NumberText.h"
#include "toolkit/Twips.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

frmLine::frmLine(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      optOption1(new QRadioButton(QStringLiteral("&Change Quantity to"), this)), txtQuantity(new QLineEdit(this)),
      optOption2(new QRadioButton(QStringLiteral("&Move to Row"), this)), cboRow(new DropDownList(this)),
      optOption3(new QRadioButton(QStringLiteral("&Remove this Item"), this)),
      cmdOk(new QPushButton(QStringLiteral("&OK"), this)), cmdCancel(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setWindowTitle(QStringLiteral("Row Change"));
    setFont(DesignFont(font()));
    setObjectName(QStringLiteral("frmLine"));
    setFixedSize(Twips::ToPixelsX(2535, this), Twips::ToPixelsY(1815, this));

    struct Placement
    {
        QWidget *control;
        const char *name;
        int left, top, width, height;
    };
    const Placement placements[] = {
        {optOption1, "optOption1", 120, 120, 1695, 255}, {txtQuantity, "txtQuantity", 1920, 120, 495, 285},
        {optOption2, "optOption2", 120, 480, 1695, 255}, {cboRow, "cboRow", 1440, 480, 975, 315},
        {optOption3, "optOption3", 120, 840, 1695, 255}, {cmdOk, "cmdOk", 360, 1320, 975, 375},
        {cmdCancel, "cmdCancel", 1440, 1320, 975, 375},
    };
    for (const Placement &p : placements) {
        p.control->setObjectName(QLatin1String(p.name));
        Twips::Move(p.control, p.left, p.top, p.width, p.height);
    }
    setTabOrder(optOption1, optOption2);
    setTabOrder(optOption2, optOption3);
    setTabOrder(optOption3, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
    setTabOrder(cmdCancel, txtQuantity);
    setTabOrder(txtQuantity, cboRow);

    // One group, so that the arrow keys move between the three options as well.
    auto *group = new QButtonGroup(this);
    group->addButton(optOption1, ChangeQuantity);
    group->addButton(optOption2, MoveToRow);
    group->addButton(optOption3, RemoveLine);
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            optOption_Click(std::int16_t(id));
    });

    txtQuantity->setMaxLength(2);
    txtQuantity->installEventFilter(this);
    txtQuantity->setAccessibleName(QStringLiteral("Quantity"));
    cboRow->setAccessibleName(QStringLiteral("Target row"));
    // Qt on Linux names a drop-down after its entry; the description tells what the number is.
    cboRow->setAccessibleDescription(QStringLiteral("Target row: the row to move the line to"));
    connect(cboRow, &DropDownList::Click, this, &frmLine::cboRow_Click);

    // OK takes Enter wherever the focus is, except on Cancel: a focused button takes Enter itself, so that Enter
    // on Cancel never confirms a removal.
    cmdOk->setDefault(true);
    cmdOk->setAutoDefault(true);
    cmdCancel->setAutoDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, &frmLine::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLine::reject);
}

void frmLine::SetLine(std::int16_t quantity, std::int32_t row, std::int32_t rowCount)
{
    m_quantity = quantity;
    txtQuantity->setText(QString::number(quantity));
    m_row = row;
    cboRow->Clear();
    QStringList rows;
    rows.reserve(rowCount > 0 ? rowCount : 0);
    for (std::int32_t i = 1; i <= rowCount; ++i)
        rows.append(QString::number(i));
    cboRow->AddItems(rows);
    cboRow->setListIndex(row - 1);
    m_action = ChangeQuantity;
    txtQuantity->setEnabled(true);
    cboRow->setEnabled(false);
}

int frmLine::ShowModal()
{
    optOption1->setChecked(true);
    optOption_Click(ChangeQuantity); // the selection handler runs even though the option may already be set
    optOption1->setFocus();
    return ModalKeyboard::Exec(*this);
}

void frmLine::optOption_Click(std::int16_t action)
{
    m_action = action;
    txtQuantity->setEnabled(action == ChangeQuantity);
    cboRow->setEnabled(action == MoveToRow);
}

void frmLine::cboRow_Click()
{
    if (cboRow->ListIndex() >= 0)
        m_row = cboRow->ListIndex() + 1;
}

void frmLine::txtQuantity_KeyDown()
{
    const QString text = txtQuantity->text();
    if (text.trimmed().isEmpty()) {
        m_quantity = -1;
        return;
    }
    if (const auto value = NumberText::ToInt16(text))
        m_quantity = *value;
}

void frmLine::txtQuantity_KeyUp()
{
    const QString text = txtQuantity->text();
    if (text.trimmed().isEmpty()) {
        m_quantity = -1;
        txtQuantity->clear();
        return;
    }
    const auto value = NumberText::ToInt16(text);
    if (value && *value >= 1) {
        m_quantity = *value;
        // Rewriting text that is already plain would drop the selection and the caret the user just placed.
        const QString plain = QString::number(*value);
        if (text != plain)
            txtQuantity->setText(plain);
        return;
    }
    // Undo the keystroke; with the box last emptied there is nothing to show, never "-1".
    txtQuantity->setText(m_quantity == -1 ? QString() : QString::number(m_quantity));
}

void frmLine::cmdOk_Click()
{
    accept();
}

void frmLine::reject()
{
    m_action = NoAction;
    QDialog::reject();
}

bool frmLine::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtQuantity) {
        if (event->type() == QEvent::KeyPress)
            txtQuantity_KeyDown();
        else if (event->type() == QEvent::KeyRelease)
            txtQuantity_KeyUp();
    }
    return QDialog::eventFilter(watched, event);
}
