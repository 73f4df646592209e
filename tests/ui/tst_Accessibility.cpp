#include "TestSupport.h"
#include "toolkit/Clipboard.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "ui/frmChooser.h"
#include "ui/frmLine.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QTabBar>
#include <QtTest>

using TestSupport::Chooser;

namespace {

const QString MainTitle = QStringLiteral("Quellvane Gear Chooser [v1.02]");

template <typename T = QWidget> T *Child(const QWidget *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qFatal("control %s not found", qPrintable(name));
    return w;
}

QTabBar *Tabs(const Chooser &c)
{
    return Child<TabStrip>(c.form, QStringLiteral("tabMain"))->Bar();
}

// The focused control by its design name; the tab strip's bar stands for the strip.
QString FocusName(const Chooser &c)
{
    QWidget *w = QApplication::focusWidget();
    if (!w)
        return QStringLiteral("(none)");
    if (w == Tabs(c))
        return QStringLiteral("tabMain");
    return w->objectName();
}

std::unique_ptr<Chooser> OpenActiveChooser()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    if (!c->loaded)
        qFatal("the sample catalogue did not load");
    QApplication::setActiveWindow(c->form);
    if (!TestSupport::WaitForActive(c->form))
        qFatal("the main window did not become active");
    return c;
}

// A key as the user presses it: to whatever has the focus.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    QTest::keyClick(target, key, modifiers);
}

// Tabs until the named control has the focus; false when it is not in the focus chain.
bool TabTo(const std::function<QString()> &focusName, const QString &name)
{
    for (int i = 0; i < 12 && focusName() != name; ++i)
        Press(Qt::Key_Tab);
    return focusName() == name;
}

// The user switches pages from the tab strip: focus it and step with the arrow keys.
bool ShowPageByKeyboard(const Chooser &c, int page)
{
    if (!TabTo([&c] { return FocusName(c); }, QStringLiteral("tabMain")))
        return false;
    for (int i = 0; i < Tabs(c)->count() && Tabs(c)->currentIndex() != page; ++i)
        Press(Tabs(c)->currentIndex() < page ? Qt::Key_Right : Qt::Key_Left);
    return Tabs(c)->currentIndex() == page;
}

QStringList ChosenNames(const Chooser &c)
{
    QStringList names;
    for (const clsChosenItem *line : *c.app->ChosenGear())
        names.append(line->Item()->Name());
    return names;
}

QString Cell(QWidget *list, int row, int column)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(list);
    QAccessibleTableInterface *table = iface ? iface->tableInterface() : nullptr;
    if (!table)
        return QStringLiteral("(no table interface)");
    QAccessibleInterface *cell = table->cellAt(row, column);
    return cell ? cell->text(QAccessible::Name) : QStringLiteral("(no cell)");
}

// Buys Service Pistol with points and Pocket Derringer with dollars, by keyboard alone. An access key animates
// its button, so each purchase is waited for.
bool BuyTwoByKeyboard(const Chooser &c)
{
    const auto bought = [&c](qsizetype n) {
        return QTest::qWaitFor([&] { return c.app->ChosenGear()->Count() == n; });
    };
    Child(c.form, QStringLiteral("cboCat"))->setFocus();
    Press(Qt::Key_P, Qt::AltModifier); // row 0, BP/GP
    if (!bought(1))
        return false;
    Press(Qt::Key_Down); // the purchase left the focus on the gear list
    Press(Qt::Key_Down);
    if (!TabTo([&c] { return FocusName(c); }, QStringLiteral("cboCurrency")))
        return false;
    Press(Qt::Key_Down); // "$"
    Press(Qt::Key_P, Qt::AltModifier);
    return bought(2);
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    // Names
    void mainWindowNames_data();
    void mainWindowNames();
    void windowNames();
    void dropDownLabels_data();
    void dropDownLabels();
    void tabNames();
    void listDescriptions_data();
    void listDescriptions();
    void rowChangeNames_data();
    void rowChangeNames();

    // List cells
    void gearListCells_data();
    void gearListCells();
    void chosenListCells_data();
    void chosenListCells();

    // Keyboard
    void mainTabOrder_data();
    void mainTabOrder();
    void purchaseAccessKey();
    void enterBuysOnGearList();
    void copyAccessKey();
    void rowChangeTabOrder();
    void rowChangeByKeyboard_data();
    void rowChangeByKeyboard();
};

void tst_Accessibility::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QAccessible::setActive(true);
}

void tst_Accessibility::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            w->close();
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
}

// Names

void tst_Accessibility::mainWindowNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");

    QTest::newRow("purchase button, ampersand dropped") << "cmdChoose"
                                                        << "Purchase" << int(QAccessible::Button);
    QTest::newRow("gear list") << "lstGear"
                               << "Gear list" << int(QAccessible::Tree);
    QTest::newRow("points cost heading") << "lblCostBP"
                                         << "Cost (BP)" << int(QAccessible::StaticText);
    QTest::newRow("chosen list") << "lstChosen"
                                 << "Chosen gear" << int(QAccessible::Tree);
    QTest::newRow("copy button, ampersand dropped") << "cmdCopy"
                                                    << "Copy all to Clipboard" << int(QAccessible::Button);
    QTest::newRow("instruction") << "lblInstruct"
                                 << "NB: Doubleclick on a selected line to change quantity, move row or delete."
                                 << int(QAccessible::StaticText);
    QTest::newRow("help text") << "txtInfo"
                               << "Help and about" << int(QAccessible::EditableText);
}

void tst_Accessibility::mainWindowNames()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);

    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(Child(c->form, control));
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(int(iface->role()), role);
}

void tst_Accessibility::windowNames()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    QCOMPARE(QAccessible::queryAccessibleInterface(c->form)->text(QAccessible::Name), MainTitle);
    frmLine dialog;
    QCOMPARE(QAccessible::queryAccessibleInterface(&dialog)->text(QAccessible::Name), QStringLiteral("Row Change"));
    QCOMPARE(int(QAccessible::queryAccessibleInterface(&dialog)->role()), int(QAccessible::Dialog));
}

void tst_Accessibility::dropDownLabels_data()
{
    QTest::addColumn<bool>("inDialog");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("label");

    QTest::newRow("category") << false << "cboCat"
                              << "Category";
    QTest::newRow("sub-category") << false << "cboSubCat"
                                  << "Sub Category";
    QTest::newRow("currency") << false << "cboCurrency"
                              << "Currency";
    QTest::newRow("target row") << true << "cboRow"
                                << "Target row";
}

void tst_Accessibility::dropDownLabels()
{
    QFETCH(bool, inDialog);
    QFETCH(QString, control);
    QFETCH(QString, label);

    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    frmLine dialog;
    dialog.SetLine(1, 1, 2);
    QWidget *w = Child(inDialog ? static_cast<QWidget *>(&dialog) : c->form, control);
    QCOMPARE(w->accessibleName(), label);
    // On Linux Qt reports a drop-down's entry as its name; what it is comes from a labelling buddy or from the
    // description, so one of them must say it.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    QVERIFY(iface);
    QCOMPARE(int(iface->role()), int(QAccessible::ComboBox));
    QStringList said;
    for (const auto &relation : iface->relations(QAccessible::Label))
        said.append(relation.first->text(QAccessible::Name));
    said.append(iface->text(QAccessible::Description));
    QVERIFY2(std::any_of(said.cbegin(), said.cend(), [&](const QString &s) { return s.startsWith(label); }),
             qPrintable(said.join(QLatin1String(" | "))));
}

void tst_Accessibility::tabNames()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(Tabs(*c));
    QVERIFY(bar);
    QCOMPARE(int(bar->role()), int(QAccessible::PageTabList));
    const QStringList expected = {QStringLiteral("Gear List"), QStringLiteral("Chosen Gear"),
                                  QStringLiteral("Help / About")};
    QStringList names;
    for (int i = 0; i < bar->childCount(); ++i) {
        QAccessibleInterface *tab = bar->child(i);
        if (tab->role() == QAccessible::PageTab)
            names.append(tab->text(QAccessible::Name));
    }
    QCOMPARE(names, expected);
}

void tst_Accessibility::listDescriptions_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("gear list says what Enter does") << "lstGear"
                                                    << "Enter";
    QTest::newRow("chosen list says what Enter does") << "lstChosen"
                                                      << "Enter";
}

void tst_Accessibility::listDescriptions()
{
    QFETCH(QString, control);
    QFETCH(QString, mentions);

    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(Child(c->form, control));
    QVERIFY(iface);
    QVERIFY2(iface->text(QAccessible::Description).contains(mentions),
             qPrintable(iface->text(QAccessible::Description)));
}

void tst_Accessibility::rowChangeNames_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");

    QTest::newRow("quantity option") << "optOption1"
                                     << "Change Quantity to" << int(QAccessible::RadioButton);
    QTest::newRow("quantity box") << "txtQuantity"
                                  << "Quantity" << int(QAccessible::EditableText);
    QTest::newRow("move option") << "optOption2"
                                 << "Move to Row" << int(QAccessible::RadioButton);
    QTest::newRow("remove option") << "optOption3"
                                   << "Remove this Item" << int(QAccessible::RadioButton);
    QTest::newRow("ok") << "cmdOk"
                        << "OK" << int(QAccessible::Button);
    QTest::newRow("cancel") << "cmdCancel"
                            << "Cancel" << int(QAccessible::Button);
}

void tst_Accessibility::rowChangeNames()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);

    frmLine dialog;
    dialog.SetLine(1, 1, 2);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(Child(&dialog, control));
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(int(iface->role()), role);
}

// List cells

void tst_Accessibility::gearListCells_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    // The first sub-category of the sample, Weapons / Pistols, in points (BP).
    QTest::newRow("first item's name") << 0 << 0 << "Service Pistol";
    QTest::newRow("name with a comma") << 1 << 0 << "Pistol, Silenced";
    QTest::newRow("two-page reference") << 1 << 1 << "BLK 53/54";
    QTest::newRow("points cost") << 1 << 2 << "4";
    QTest::newRow("dollar cost") << 2 << 3 << "95";
    QTest::newRow("weight with one decimal") << 2 << 4 << "0.5";
}

void tst_Accessibility::gearListCells()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);

    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    auto *list = Child<MultiColumnList>(c->form, QStringLiteral("lstGear"));
    QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(list)->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->columnCount(), 5);
    QCOMPARE(Cell(list, row, column), text);
}

void tst_Accessibility::chosenListCells_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    QTest::newRow("line 1 item") << 0 << 0 << "Service Pistol";
    QTest::newRow("line 1 sub-category") << 0 << 1 << "Pistols";
    QTest::newRow("line 1 BP") << 0 << 5 << "3";
    QTest::newRow("line 1 dollars, paid in points") << 0 << 6 << "0";
    QTest::newRow("line 2 dollars") << 1 << 6 << "95";
    QTest::newRow("separator") << 2 << 0 << "------";
    QTest::newRow("totals caption") << 3 << 0 << "Totals";
    QTest::newRow("total BP") << 3 << 5 << "3";
    QTest::newRow("total weight") << 3 << 7 << "2.6";
}

void tst_Accessibility::chosenListCells()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);

    auto c = OpenActiveChooser();
    QVERIFY(BuyTwoByKeyboard(*c));
    QVERIFY(ShowPageByKeyboard(*c, 1));
    auto *list = Child<MultiColumnList>(c->form, QStringLiteral("lstChosen"));
    QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(list)->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 4); // two lines, the separator and the totals
    QCOMPARE(Cell(list, row, column), text);
}

// Keyboard

void tst_Accessibility::mainTabOrder_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("buyFirst");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QStringList>("chain");

    // The design order is tabMain, txtInfo, lstChosen, lstGear, cmdCopy, cmdChoose, cboCurrency, cboCat, cboSubCat;
    // controls on hidden pages, and disabled ones, are passed over.
    QTest::newRow("gear list page") << 0 << false << false << QStringList{"lstGear", "cmdChoose", "cboCurrency",
                                                                          "cboCat",  "cboSubCat", "tabMain"};
    QTest::newRow("gear list page, backwards")
        << 0 << false << true << QStringList{"cboSubCat", "cboCat", "cboCurrency", "cmdChoose", "lstGear", "tabMain"};
    QTest::newRow("chosen page, empty: nothing to copy") << 1 << false << false << QStringList{"lstChosen", "tabMain"};
    QTest::newRow("chosen page with gear") << 1 << true << false << QStringList{"lstChosen", "cmdCopy", "tabMain"};
    QTest::newRow("chosen page with gear, backwards")
        << 1 << true << true << QStringList{"cmdCopy", "lstChosen", "tabMain"};
    QTest::newRow("help page") << 2 << false << false << QStringList{"txtInfo", "tabMain"};
}

void tst_Accessibility::mainTabOrder()
{
    QFETCH(int, page);
    QFETCH(bool, buyFirst);
    QFETCH(bool, backwards);
    QFETCH(QStringList, chain);

    auto c = OpenActiveChooser();
    if (buyFirst)
        QVERIFY(BuyTwoByKeyboard(*c));
    QVERIFY(ShowPageByKeyboard(*c, page));
    QCOMPARE(FocusName(*c), QStringLiteral("tabMain"));
    QStringList seen;
    for (int i = 0; i < chain.size(); ++i) {
        Press(backwards ? Qt::Key_Backtab : Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        seen.append(FocusName(*c));
    }
    QCOMPARE(seen, chain);
}

void tst_Accessibility::purchaseAccessKey()
{
    auto c = OpenActiveChooser();
    Child(c->form, QStringLiteral("cboSubCat"))->setFocus();
    Press(Qt::Key_P, Qt::AltModifier);
    // An access key animates the button: the click follows a moment later.
    QTRY_COMPARE(ChosenNames(*c), QStringList{QStringLiteral("Service Pistol")});
    // Back on the list, ready to pick the next item.
    QCOMPARE(FocusName(*c), QStringLiteral("lstGear"));
}

void tst_Accessibility::enterBuysOnGearList()
{
    auto c = OpenActiveChooser();
    QVERIFY(TabTo([&c] { return FocusName(*c); }, QStringLiteral("lstGear")));
    Press(Qt::Key_Down);
    Press(Qt::Key_Return);
    QCOMPARE(ChosenNames(*c), QStringList{QStringLiteral("Pistol, Silenced")});
}

void tst_Accessibility::copyAccessKey()
{
    auto c = OpenActiveChooser();
    QVERIFY(BuyTwoByKeyboard(*c));
    QVERIFY(ShowPageByKeyboard(*c, 1));
    Clipboard::Clear();
    auto box = TestSupport::OnNextModal();
    Press(Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(box->seen);
    QCOMPARE(box->title, MainTitle);
    QCOMPARE(box->icon, QMessageBox::Information);
    // Two lines, the separator and the totals.
    QCOMPARE(box->text, QStringLiteral("4 rows were successfully copied to the clipboard."));
    QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("Pocket Derringer")));
}

void tst_Accessibility::rowChangeTabOrder()
{
    auto c = OpenActiveChooser();
    QVERIFY(BuyTwoByKeyboard(*c));
    QVERIFY(ShowPageByKeyboard(*c, 1));
    QVERIFY(TabTo([&c] { return FocusName(*c); }, QStringLiteral("lstChosen")));
    QStringList seen;
    QString first;
    auto box = TestSupport::OnNextModal([&](QWidget *dialog) {
        if (!TestSupport::WaitForActive(dialog))
            qWarning("the dialog did not become active");
        first = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        for (int i = 0; i < 6; ++i) {
            Press(Qt::Key_Tab);
            seen.append(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
        }
        dialog->close();
    });
    Press(Qt::Key_Return);
    QTRY_VERIFY(box->seen);
    QCOMPARE(box->title, QStringLiteral("Row Change"));
    QCOMPARE(first, QStringLiteral("optOption1"));
    // The options are one stop (the arrow keys move between them) and the row list is disabled while the quantity
    // option is chosen.
    const QStringList expected = {"cmdOk", "cmdCancel", "txtQuantity", "optOption1", "cmdOk", "cmdCancel"};
    QCOMPARE(seen, expected);
}

void tst_Accessibility::rowChangeByKeyboard_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<int>>("quantities");

    // Keys: a key name, "Alt+<letter>", "type:<text>", "tab:<control>" (Tab until it has the focus) or
    // "checked:<option>" (an access key animates its button: wait until the option is set).
    QTest::newRow("new quantity, Enter confirms")
        << QStringList{"tab:txtQuantity", "Ctrl+A", "type:4", "Return"}
        << QStringList{"Service Pistol", "Pocket Derringer"} << QList<int>{4, 1};
    QTest::newRow("move by arrow key and row list")
        << QStringList{"Down", "tab:cboRow", "Down", "Return"} << QStringList{"Pocket Derringer", "Service Pistol"}
        << QList<int>{1, 1};
    QTest::newRow("remove by access key")
        << QStringList{"Alt+R", "checked:optOption3", "Return"} << QStringList{"Pocket Derringer"} << QList<int>{1};
    QTest::newRow("Escape cancels") << QStringList{"tab:txtQuantity", "Ctrl+A", "type:7", "Escape"}
                                    << QStringList{"Service Pistol", "Pocket Derringer"} << QList<int>{1, 1};
}

void tst_Accessibility::rowChangeByKeyboard()
{
    QFETCH(QStringList, keys);
    QFETCH(QStringList, items);
    QFETCH(QList<int>, quantities);

    auto c = OpenActiveChooser();
    QVERIFY(BuyTwoByKeyboard(*c));
    QVERIFY(ShowPageByKeyboard(*c, 1));
    QVERIFY(TabTo([&c] { return FocusName(*c); }, QStringLiteral("lstChosen")));
    QString failure;
    auto box = TestSupport::OnNextModal([&](QWidget *dialog) {
        if (!TestSupport::WaitForActive(dialog))
            qWarning("the dialog did not become active");
        const auto focusName = [] {
            return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        };
        for (const QString &key : keys) {
            if (key.startsWith(QLatin1String("tab:"))) {
                if (!TabTo(focusName, key.mid(4)))
                    failure = QStringLiteral("could not tab to ") + key.mid(4);
            } else if (key.startsWith(QLatin1String("checked:"))) {
                auto *option = Child<QAbstractButton>(dialog, key.mid(8));
                if (!QTest::qWaitFor([option] { return option->isChecked(); }))
                    failure = key.mid(8) + QStringLiteral(" was not set");
            } else if (key.startsWith(QLatin1String("type:"))) {
                QTest::keyClicks(QApplication::focusWidget(), key.mid(5));
            } else if (key == QLatin1String("Ctrl+A")) {
                Press(Qt::Key_A, Qt::ControlModifier);
            } else if (key == QLatin1String("Alt+R")) {
                Press(Qt::Key_R, Qt::AltModifier);
            } else if (key == QLatin1String("Down")) {
                Press(Qt::Key_Down);
            } else if (key == QLatin1String("Return")) {
                Press(Qt::Key_Return);
            } else if (key == QLatin1String("Escape")) {
                Press(Qt::Key_Escape);
            } else {
                failure = QStringLiteral("unknown key ") + key;
            }
        }
        if (dialog->isVisible()) {
            failure += QStringLiteral(" the dialog is still open");
            dialog->close();
        }
    });
    Press(Qt::Key_Return);
    QTRY_VERIFY(box->seen);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));

    QList<int> seenQuantities;
    for (const clsChosenItem *line : *c->app->ChosenGear())
        seenQuantities.append(line->Quantity());
    QCOMPARE(ChosenNames(*c), items);
    QCOMPARE(seenQuantities, quantities);
    // The list shown follows the change, and the window's focus is back on it.
    auto *list = Child<MultiColumnList>(c->form, QStringLiteral("lstChosen"));
    QCOMPARE(Cell(list, 0, 0), items.first());
    QCOMPARE(c->form->focusWidget(), list);
}

TARNWICK_TEST_MAIN(tst_Accessibility)
#include "tst_Accessibility.moc"
