#include "TestSupport.h"
#include "toolkit/AppPath.h"
#include "toolkit/DropDownList.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "ui/frmChooser.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QToolTip>
#include <QtTest>

#include <memory>

using TestSupport::Chooser;

namespace {

const char *const Header = "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2";

// Two categories with two sub-categories each, of different lengths.
QByteArray TwoCategoryCsv()
{
    return TestSupport::Csv({
        Header,
        "Weapons,Pistols,Service Pistol,3,2,320,QCR,88,",
        "Weapons,Pistols,Heavy Revolver,4,3,410,QCR,89,",
        "Weapons,Pistols,Pocket Derringer,1,0.5,95,QCR,90,",
        "Weapons,Knives,Boot Knife,1,0.5,30,FM,12,",
        "Weapons,Knives,Throwing Knives,2,1,60,FM,13,",
        "Surveillance,Audio,Parabolic Microphone,4,6,1200,WS,3,",
        "Surveillance,Audio,Wall Contact Mike,2,1,300,WS,4,",
        "Surveillance,Optics,Pocket Binoculars,1,0.5,150,QCR,101,",
    });
}

struct Controls
{
    DropDownList *cat;
    DropDownList *subCat;
    DropDownList *currency;
    MultiColumnList *gear;
    MultiColumnList *chosen;
    QPushButton *choose;
    QLabel *costLabel;
};

Controls Find(const Chooser &c)
{
    const Controls w{c.form->findChild<DropDownList *>(QStringLiteral("cboCat")),
                     c.form->findChild<DropDownList *>(QStringLiteral("cboSubCat")),
                     c.form->findChild<DropDownList *>(QStringLiteral("cboCurrency")),
                     c.form->findChild<MultiColumnList *>(QStringLiteral("lstGear")),
                     c.form->findChild<MultiColumnList *>(QStringLiteral("lstChosen")),
                     c.form->findChild<QPushButton *>(QStringLiteral("cmdChoose")),
                     c.form->findChild<QLabel *>(QStringLiteral("lblCostBP"))};
    if (!w.cat || !w.subCat || !w.currency || !w.gear || !w.chosen || !w.choose || !w.costLabel)
        qFatal("a control of the gear browser is missing");
    return w;
}

QPoint RowCentre(const MultiColumnList *list, int row, int column = 0)
{
    return list->visualRect(list->model()->index(row, column)).center();
}

QString Shown(const MultiColumnList *list, int row, int column)
{
    return list->model()->index(row, column).data().toString();
}

QStringList ShownRows(const MultiColumnList *list)
{
    QStringList out;
    for (int r = 0; r < list->model()->rowCount(); ++r) {
        QStringList cells;
        for (int col = 0; col < list->model()->columnCount(); ++col)
            cells << Shown(list, r, col);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

clsItem *CatalogueItem(const Chooser &c, const QString &cat, const QString &sub, const QString &name)
{
    return &c.app->Categories()->Item(cat).SubCategories->Item(sub).Items->Item(name);
}

clsChosenItem *ChosenLine(const Chooser &c, qsizetype n)
{
    return &c.app->ChosenGear()->Item(QLatin1Char('k') + QString::number(n));
}

enum class Way
{
    Button,
    AltP,
    DoubleClick,
    Return,
    KeypadEnter
};

} // namespace

Q_DECLARE_METATYPE(Way)

class tst_Browser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    // Category and cost column
    void costColumnFollowsCategory_data();
    void costColumnFollowsCategory();
    void categoryChangeResetsSubCategoryAndRow();
    void subCategoryChangeFillsList();
    void repickFromOpenList_data();
    void repickFromOpenList();
    void rowTexts_data();
    void rowTexts();

    // Purchases
    void purchase_data();
    void purchase();
    void purchasesAppendInOrder();
    void currencyChangeAltersNothing_data();
    void currencyChangeAltersNothing();

    // Empty lists
    void subCategoryWithoutItems();
    void catalogueWithoutCategories();

    // Selection events
    void codeSelectionRaisesClickOnce_data();
    void codeSelectionRaisesClickOnce();
    void userSelectionRaisesClickOnce();

    // Tooltips
    void longNameShowsTooltip();
};

void tst_Browser::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void tst_Browser::cleanup()
{
    QToolTip::hideText();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            w->hide();
    }
    SetAppPathForTesting({});
}

void tst_Browser::costColumnFollowsCategory_data()
{
    QTest::addColumn<QByteArray>("category");
    QTest::addColumn<QString>("label");
    QTest::newRow("Gadget") << QByteArray("Gadget") << "Cost (GP)";
    QTest::newRow("Gadgets") << QByteArray("Gadgets") << "Cost (GP)";
    QTest::newRow("lower case") << QByteArray("gadgets") << "Cost (GP)";
    QTest::newRow("longer word") << QByteArray("GADGETRY") << "Cost (GP)";
    QTest::newRow("leading spaces") << QByteArray("\"  Gadget Kit\"") << "Cost (GP)";
    QTest::newRow("five letters") << QByteArray("Gadge") << "Cost (BP)";
    QTest::newRow("other word") << QByteArray("Gizmos") << "Cost (BP)";
}

void tst_Browser::costColumnFollowsCategory()
{
    QFETCH(QByteArray, category);
    QFETCH(QString, label);
    const QByteArray record = category + ",Kit,Widget,7,1,40,GAL,5,";
    auto c = TestSupport::OpenChooser(
        TestSupport::Csv({Header, "Weapons,Pistols,Service Pistol,3,2,320,QCR,88,", record.constData()}));
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    QCOMPARE(w.cat->ListCount(), 2);
    QCOMPARE(w.costLabel->text(), QStringLiteral("Cost (BP)"));
    QCOMPARE(Shown(w.gear, 0, 2), QStringLiteral("3"));

    QTest::keyClick(w.cat, Qt::Key_Down);
    QCOMPARE(w.cat->ListIndex(), 1);
    QCOMPARE(w.costLabel->text(), label);
    QCOMPARE(c->form->UseGP(), label == QLatin1String("Cost (GP)"));
    QCOMPARE(Shown(w.gear, 0, 0), QStringLiteral("Widget"));
    // The loader files the cost as GP or BP by the same rule, so the column shows the file's cost either way.
    QCOMPARE(Shown(w.gear, 0, 2), QStringLiteral("7"));

    QTest::keyClick(w.cat, Qt::Key_Up);
    QCOMPARE(w.cat->ListIndex(), 0);
    QCOMPARE(w.costLabel->text(), QStringLiteral("Cost (BP)"));
    QVERIFY(!c->form->UseGP());
    QCOMPARE(Shown(w.gear, 0, 2), QStringLiteral("3"));
}

void tst_Browser::categoryChangeResetsSubCategoryAndRow()
{
    auto c = TestSupport::OpenChooser(TwoCategoryCsv());
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    w.subCat->setListIndex(1);
    QTest::mouseClick(w.gear->viewport(), Qt::LeftButton, {}, RowCentre(w.gear, 1));
    QCOMPARE(w.gear->ListIndex(), 1);

    QTest::keyClick(w.cat, Qt::Key_Down);
    QCOMPARE(w.cat->ListIndex(), 1);
    QCOMPARE(w.subCat->ListCount(), 2);
    QCOMPARE(w.subCat->List(0), QStringLiteral("Audio"));
    QCOMPARE(w.subCat->List(1), QStringLiteral("Optics"));
    QCOMPARE(w.subCat->ListIndex(), 0);
    QCOMPARE(w.gear->ListCount(), 2);
    QCOMPARE(Shown(w.gear, 0, 0), QStringLiteral("Parabolic Microphone"));
    QCOMPARE(w.gear->ListIndex(), 0);
    QVERIFY(w.choose->isEnabled());
    QCOMPARE(c->form->CurrentSubCat()->Name, QStringLiteral("Audio"));

    QTest::keyClick(w.cat, Qt::Key_Up);
    QCOMPARE(w.subCat->ListIndex(), 0);
    QCOMPARE(w.subCat->List(0), QStringLiteral("Pistols"));
    QCOMPARE(w.gear->ListCount(), 3);
    QCOMPARE(Shown(w.gear, 2, 0), QStringLiteral("Pocket Derringer"));
    QCOMPARE(w.gear->ListIndex(), 0);
}

// A pick from the open list is a selection even when it is the entry already shown.
void tst_Browser::repickFromOpenList_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("subCategory");
    QTest::newRow("category") << "cboCat" << 0;
    QTest::newRow("sub-category") << "cboSubCat" << 1;
}

void tst_Browser::repickFromOpenList()
{
    QFETCH(QString, list);
    QFETCH(int, subCategory);
    auto c = TestSupport::OpenChooser(TwoCategoryCsv());
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    w.subCat->setListIndex(1);
    QTest::mouseClick(w.gear->viewport(), Qt::LeftButton, {}, RowCentre(w.gear, 1));
    QCOMPARE(w.gear->ListIndex(), 1);

    DropDownList *drop = list == QLatin1String("cboCat") ? w.cat : w.subCat;
    const int shown = drop->ListIndex();
    drop->showPopup();
    QTRY_VERIFY(drop->view()->isVisible());
    QCOMPARE(drop->view()->currentIndex().row(), shown);
    QTest::keyClick(drop->view(), Qt::Key_Return);
    QTRY_VERIFY(!drop->view()->isVisible());
    QCOMPARE(drop->ListIndex(), shown);
    QCOMPARE(w.subCat->ListIndex(), subCategory);
    QCOMPARE(w.gear->ListIndex(), 0);
}

void tst_Browser::subCategoryChangeFillsList()
{
    auto c = TestSupport::OpenChooser(TwoCategoryCsv());
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    QTest::mouseClick(w.gear->viewport(), Qt::LeftButton, {}, RowCentre(w.gear, 2));
    QCOMPARE(w.gear->ListIndex(), 2);

    QTest::keyClick(w.subCat, Qt::Key_Down);
    QCOMPARE(w.subCat->ListIndex(), 1);
    QCOMPARE(ShownRows(w.gear), QStringList({QStringLiteral("Boot Knife|FM 12|1|30|0.5"),
                                             QStringLiteral("Throwing Knives|FM 13|2|60|1.0")}));
    QCOMPARE(w.gear->ListIndex(), 0);
    QVERIFY(w.choose->isEnabled());
    QCOMPARE(c->form->CurrentSubCat()->Name, QStringLiteral("Knives"));
}

void tst_Browser::rowTexts_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("whole pounds") << QByteArray("Weapons,Pistols,Service Pistol,3,2,320,QCR,88,")
                                  << QStringList{"Service Pistol", "QCR 88", "3", "320", "2.0"};
    QTest::newRow("two digit pounds") << QByteArray("Weapons,Pistols,Heavy Revolver,4,12,410,BLK,53,54")
                                      << QStringList{"Heavy Revolver", "BLK 53/54", "4", "410", "12.0"};
    QTest::newRow("half a pound") << QByteArray("Weapons,Pistols,Pocket Derringer,1,0.5,95,FM,,")
                                  << QStringList{"Pocket Derringer", "FM", "1", "95", "0.5"};
    QTest::newRow("free in dollars") << QByteArray("Weapons,Pistols,Issued Sidearm,2,1.5,0,QCR,91,")
                                     << QStringList{"Issued Sidearm", "QCR 91", "2", "0", "1.5"};
    QTest::newRow("weightless gadget") << QByteArray("Gadgets,Pens,Dart Pen,5,0,0,GAL,9,")
                                       << QStringList{"Dart Pen", "GAL 9", "5", "0", "0.0"};
    // Drawn cut, with an ellipsis; the lists and the lookups by name still have every character.
    const QByteArray longName(ShownTextLimit + 10, 'W');
    QTest::newRow("names too long to draw")
        << QByteArray(longName + "," + longName + "," + longName + ",5,0,0,GAL,9,")
        << QStringList{QString(ShownTextLimit - 1, u'W') + QChar(0x2026), "GAL 9", "5", "0", "0.0"};
}

void tst_Browser::rowTexts()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, cells);
    auto c = TestSupport::OpenChooser(TestSupport::Csv({Header, record.constData()}));
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    QCOMPARE(w.gear->ListCount(), 1);
    QCOMPARE(ShownRows(w.gear), QStringList{cells.join(QLatin1Char('|'))});
    const QList<QByteArray> fields = record.split(',');
    QCOMPARE(w.cat->List(0), QString::fromLatin1(fields[0]));
    QCOMPARE(w.subCat->List(0), QString::fromLatin1(fields[1]));
    QCOMPARE(w.gear->ListText(0, 0), QString::fromLatin1(fields[2]));
    QCOMPARE(CatalogueItem(*c, w.cat->List(0), w.subCat->List(0), w.gear->ListText(0, 0))->Name().size(),
             fields[2].size());
}

void tst_Browser::purchase_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<int>("currency");
    const struct
    {
        const char *name;
        Way way;
    } ways[] = {{"button", Way::Button},
                {"Alt+P", Way::AltP},
                {"double-click", Way::DoubleClick},
                {"Return", Way::Return},
                {"keypad Enter", Way::KeypadEnter}};
    for (const auto &way : ways) {
        QTest::addRow("%s, points", way.name) << way.way << 0;
        QTest::addRow("%s, dollars", way.name) << way.way << 1;
    }
}

void tst_Browser::purchase()
{
    QFETCH(Way, way);
    QFETCH(int, currency);
    auto c = TestSupport::OpenChooser(TwoCategoryCsv());
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    c->form->activateWindow();
    QVERIFY(TestSupport::WaitForActive(c->form));
    w.currency->setListIndex(currency);
    // Row 1 is chosen first; a double-click picks row 2 itself.
    QTest::mouseClick(w.gear->viewport(), Qt::LeftButton, {}, RowCentre(w.gear, 1));
    QCOMPARE(w.gear->ListIndex(), 1);
    int expectedRow = 1;
    QVERIFY(!c->form->ChosenChanged());
    // Somewhere else first, so that the return of the focus shows.
    w.cat->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), w.cat);

    switch (way) {
    case Way::Button:
        QTest::mouseClick(w.choose, Qt::LeftButton);
        break;
    case Way::AltP:
        QTest::keyClick(c->form, Qt::Key_P, Qt::AltModifier);
        break;
    case Way::DoubleClick:
        QTest::mouseDClick(w.gear->viewport(), Qt::LeftButton, {}, RowCentre(w.gear, 2, 1));
        expectedRow = 2;
        break;
    case Way::Return:
        w.gear->setFocus();
        QTest::keyClick(w.gear, Qt::Key_Return);
        break;
    case Way::KeypadEnter:
        w.gear->setFocus();
        QTest::keyClick(w.gear, Qt::Key_Enter, Qt::KeypadModifier);
        break;
    }

    // A mnemonic clicks its button with a short animation, after the key event has returned; the rest is at once.
    if (way == Way::AltP)
        QTRY_COMPARE(c->app->ChosenGear()->Count(), 1);
    QCOMPARE(c->app->ChosenGear()->Count(), 1);
    const clsChosenItem *line = ChosenLine(*c, 1);
    const QString name = expectedRow == 1 ? QStringLiteral("Heavy Revolver") : QStringLiteral("Pocket Derringer");
    QCOMPARE(line->Item(), CatalogueItem(*c, QStringLiteral("Weapons"), QStringLiteral("Pistols"), name));
    QCOMPARE(line->Quantity(), 1);
    QCOMPARE(line->PaidInDollars(), currency == 1);
    QVERIFY(c->form->ChosenChanged());
    QCOMPARE(QApplication::focusWidget(), w.gear);
    QCOMPARE(w.gear->ListIndex(), expectedRow);
    QCOMPARE(w.chosen->ListCount(), 0);
}

void tst_Browser::purchasesAppendInOrder()
{
    auto c = TestSupport::OpenChooser(TwoCategoryCsv());
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    QTest::mouseClick(w.gear->viewport(), Qt::LeftButton, {}, RowCentre(w.gear, 2));
    QTest::mouseClick(w.choose, Qt::LeftButton);
    QTest::mouseClick(w.choose, Qt::LeftButton);
    QTest::keyClick(w.cat, Qt::Key_Down);
    QTest::keyClick(w.subCat, Qt::Key_Down);
    w.currency->setListIndex(1);
    QTest::mouseClick(w.choose, Qt::LeftButton);

    QCOMPARE(c->app->ChosenGear()->Count(), 3);
    const QString weapons = QStringLiteral("Weapons"), pistols = QStringLiteral("Pistols");
    QCOMPARE(ChosenLine(*c, 1)->Item(), CatalogueItem(*c, weapons, pistols, QStringLiteral("Pocket Derringer")));
    QCOMPARE(ChosenLine(*c, 2)->Item(), CatalogueItem(*c, weapons, pistols, QStringLiteral("Pocket Derringer")));
    QCOMPARE(ChosenLine(*c, 3)->Item(), CatalogueItem(*c, QStringLiteral("Surveillance"), QStringLiteral("Optics"),
                                                      QStringLiteral("Pocket Binoculars")));
    QVERIFY(!ChosenLine(*c, 1)->PaidInDollars());
    QVERIFY(!ChosenLine(*c, 2)->PaidInDollars());
    QVERIFY(ChosenLine(*c, 3)->PaidInDollars());
    for (qsizetype n = 1; n <= 3; ++n)
        QCOMPARE(ChosenLine(*c, n)->Quantity(), 1);
}

void tst_Browser::currencyChangeAltersNothing_data()
{
    QTest::addColumn<int>("category");
    QTest::newRow("points category") << 0;
    QTest::newRow("gadget category") << 1;
}

void tst_Browser::currencyChangeAltersNothing()
{
    QFETCH(int, category);
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    w.cat->setListIndex(category);
    w.gear->setListIndex(w.gear->ListCount() - 1);
    const QStringList rows = ShownRows(w.gear);
    const QString label = w.costLabel->text();
    const int row = w.gear->ListIndex();
    const int sub = w.subCat->ListIndex();
    QSignalSpy gearClicks(w.gear, &MultiColumnList::Click);
    QSignalSpy subClicks(w.subCat, &DropDownList::Click);

    QTest::keyClick(w.currency, Qt::Key_Down);
    QCOMPARE(w.currency->ListIndex(), 1);
    QTest::keyClick(w.currency, Qt::Key_Up);
    QCOMPARE(w.currency->ListIndex(), 0);
    QTest::keyClick(w.currency, Qt::Key_Down);

    QCOMPARE(ShownRows(w.gear), rows);
    QCOMPARE(w.costLabel->text(), label);
    QCOMPARE(w.gear->ListIndex(), row);
    QCOMPARE(w.subCat->ListIndex(), sub);
    QCOMPARE(w.cat->ListIndex(), category);
    QCOMPARE(gearClicks.count(), 0);
    QCOMPARE(subClicks.count(), 0);
    QVERIFY(w.choose->isEnabled());
    QCOMPARE(c->app->ChosenGear()->Count(), 0);
    QVERIFY(!c->form->ChosenChanged());
}

void tst_Browser::subCategoryWithoutItems()
{
    auto c = TestSupport::OpenChooser(TestSupport::Csv({
        Header,
        "Weapons,Pistols,,3,1,10,QCR,1,",
        "Weapons,Rifles,Hunting Rifle,5,7.5,900,FM,12,",
    }));
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    c->form->activateWindow();
    QVERIFY(TestSupport::WaitForActive(c->form));
    QCOMPARE(w.subCat->ListCount(), 2);
    QCOMPARE(w.subCat->List(0), QStringLiteral("Pistols"));
    QCOMPARE(w.gear->ListCount(), 0);
    QCOMPARE(w.gear->ListIndex(), -1);
    QVERIFY(!w.choose->isEnabled());

    QTest::mouseDClick(w.gear->viewport(), Qt::LeftButton, {}, w.gear->viewport()->rect().center());
    QTest::keyClick(w.gear, Qt::Key_Return);
    QCOMPARE(c->app->ChosenGear()->Count(), 0);
    QVERIFY(!c->form->ChosenChanged());

    QTest::keyClick(w.subCat, Qt::Key_Down);
    QCOMPARE(w.gear->ListCount(), 1);
    QVERIFY(w.choose->isEnabled());
    // Back to the empty one: the button follows the list again.
    QTest::keyClick(w.subCat, Qt::Key_Up);
    QCOMPARE(w.gear->ListCount(), 0);
    QVERIFY(!w.choose->isEnabled());
}

void tst_Browser::catalogueWithoutCategories()
{
    auto c = TestSupport::OpenChooser(TestSupport::Csv({Header}));
    QVERIFY(c->loaded);
    QVERIFY(c->form->isVisible());
    const Controls w = Find(*c);
    c->form->activateWindow();
    QVERIFY(TestSupport::WaitForActive(c->form));
    QCOMPARE(w.cat->ListCount(), 0);
    QCOMPARE(w.cat->ListIndex(), -1);
    QCOMPARE(w.subCat->ListCount(), 0);
    QCOMPARE(w.gear->ListCount(), 0);
    QVERIFY(!w.choose->isEnabled());

    QTest::mouseDClick(w.gear->viewport(), Qt::LeftButton, {}, w.gear->viewport()->rect().center());
    QTest::keyClick(w.gear, Qt::Key_Return);
    QTest::keyClick(w.cat, Qt::Key_Down);
    QCOMPARE(w.cat->ListIndex(), -1);
    QCOMPARE(c->app->ChosenGear()->Count(), 0);
    QVERIFY(!c->form->ChosenChanged());

    auto *tabs = c->form->findChild<TabStrip *>(QStringLiteral("tabMain"));
    QTest::mouseClick(tabs->Bar(), Qt::LeftButton, {}, tabs->Bar()->tabRect(2).center());
    QCOMPARE(tabs->SelectedIndex(), 2);
    QVERIFY(c->form->findChild<QFrame *>(QStringLiteral("picHelp"))->isVisible());
    QTest::mouseClick(tabs->Bar(), Qt::LeftButton, {}, tabs->Bar()->tabRect(1).center());
    QCOMPARE(w.chosen->ListCount(), 0);
    QVERIFY(c->form->isVisible());
    QVERIFY(!c->app->Finished());
}

void tst_Browser::codeSelectionRaisesClickOnce_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("index");
    QTest::newRow("category") << "cboCat" << 1;
    QTest::newRow("sub-category") << "cboSubCat" << 1;
    QTest::newRow("gear row") << "lstGear" << 2;
    QTest::newRow("currency") << "cboCurrency" << 1;
}

void tst_Browser::codeSelectionRaisesClickOnce()
{
    QFETCH(QString, control);
    QFETCH(int, index);
    auto c = TestSupport::OpenChooser(TwoCategoryCsv());
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    QWidget *target = c->form->findChild<QWidget *>(control);
    QVERIFY(target);
    auto *drop = qobject_cast<DropDownList *>(target);
    auto *list = qobject_cast<MultiColumnList *>(target);
    const auto clicks = drop ? std::make_unique<QSignalSpy>(drop, &DropDownList::Click)
                             : std::make_unique<QSignalSpy>(list, &MultiColumnList::Click);
    // The choose button is switched off, so the row handler's effect shows.
    w.choose->setEnabled(false);

    if (drop)
        drop->setListIndex(index);
    else
        list->setListIndex(index);
    QCOMPARE(clicks->count(), 1);
    if (control == QLatin1String("cboCat"))
        QCOMPARE(w.subCat->List(0), QStringLiteral("Audio"));
    else if (control == QLatin1String("cboSubCat"))
        QCOMPARE(Shown(w.gear, 0, 0), QStringLiteral("Boot Knife"));
    if (control != QLatin1String("cboCurrency"))
        QVERIFY(w.choose->isEnabled());

    // The same entry again is no change.
    if (drop)
        drop->setListIndex(index);
    else
        list->setListIndex(index);
    QCOMPARE(clicks->count(), 1);
}

void tst_Browser::userSelectionRaisesClickOnce()
{
    auto c = TestSupport::OpenChooser(TwoCategoryCsv());
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    QSignalSpy clicks(w.gear, &MultiColumnList::Click);
    QTest::mouseClick(w.gear->viewport(), Qt::LeftButton, {}, RowCentre(w.gear, 2));
    QCOMPARE(w.gear->ListIndex(), 2);
    QCOMPARE(clicks.count(), 1);
    QTest::keyClick(w.gear, Qt::Key_Up);
    QCOMPARE(w.gear->ListIndex(), 1);
    QCOMPARE(clicks.count(), 2);
    QTest::mouseClick(w.gear->viewport(), Qt::LeftButton, {}, RowCentre(w.gear, 1));
    QCOMPARE(clicks.count(), 2);
}

void tst_Browser::longNameShowsTooltip()
{
    const QByteArray longName = "Collapsible Sniper Rifle with Folding Stock and Night Scope and Spare Magazines";
    const QByteArray record = "Weapons,Rifles," + longName + ",8,9,2500,FM,30,";
    auto c = TestSupport::OpenChooser(
        TestSupport::Csv({Header, "Weapons,Rifles,Rifle,5,7.5,900,FM,12,", record.constData()}));
    QVERIFY(c->loaded);
    const Controls w = Find(*c);
    QCOMPARE(Shown(w.gear, 1, 0), QString::fromLatin1(longName));
    QVERIFY(w.gear->fontMetrics().horizontalAdvance(QString::fromLatin1(longName)) > w.gear->columnWidth(0));
    auto help = [&](int row) {
        const QPoint pos = RowCentre(w.gear, row);
        QHelpEvent event(QEvent::ToolTip, pos, w.gear->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(w.gear->viewport(), &event);
    };
    help(0);
    QVERIFY(!QToolTip::isVisible());
    help(1);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QString::fromLatin1(longName));
}

TARNWICK_TEST_MAIN(tst_Browser)
#include "tst_Browser.moc"
