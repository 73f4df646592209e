#include "TestSupport.h"
#include "toolkit/AppPath.h"
#include "toolkit/DropDownList.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "toolkit/Twips.h"
#include "ui/frmChooser.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QtTest>

#include <map>

using TestSupport::Chooser;

namespace {

const QString MainTitle = QStringLiteral("Quellvane Gear Chooser [v1.02]");

// Categories and sub-categories interleaved and out of alphabetical order, so catalogue order is visible.
QByteArray OrderedCsv()
{
    return TestSupport::Csv({
        "Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2",
        "Vehicles,Motorcycles,Scrambler,6,300,2400,FM,40,",
        "Vehicles,Cars,Roadster,9,2000,9000,FM,41,",
        "Apparel,Coats,Armoured Trenchcoat,3,6,700,QCR,77,",
        "Vehicles,Motorcycles,Scooter,2,180,900,FM,42,",
        "Gadgets,Pens,Dart Pen,4,0.1,0,GAL,9,",
    });
}

template <typename T> T *Child(const Chooser &c, const char *name)
{
    T *w = c.form->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("control %s not found", name);
    return w;
}

// Twips per pixel times two: the rounding slack of a value converted to pixels and back.
int Slack(const QWidget *w)
{
    return 2 * Twips::PerInch / w->logicalDpiX() + 1;
}

bool Near(int actual, int expected, int slack)
{
    return qAbs(actual - expected) <= slack;
}

QString Describe(const QRect &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

// Compares a control's geometry in twips with the expected one, allowing for pixel rounding.
bool SameTwips(const QWidget *w, const QRect &expected, QString *why)
{
    const QRect actual = Twips::Geometry(w);
    const int s = Slack(w);
    if (Near(actual.left(), expected.left(), s) && Near(actual.top(), expected.top(), s) &&
        Near(actual.width(), expected.width(), s) && Near(actual.height(), expected.height(), s))
        return true;
    *why = w->objectName() + QStringLiteral(" is ") + Describe(actual) + QStringLiteral(", expected ") +
           Describe(expected);
    return false;
}

QSize OuterTwips(const QWidget *form)
{
    const QSize outer = form->frameGeometry().size();
    return {Twips::FromPixelsX(outer.width(), form), Twips::FromPixelsY(outer.height(), form)};
}

void ResizeOuterTwips(QWidget *form, int width, int height)
{
    const QSize frame = form->frameGeometry().size() - form->geometry().size();
    form->resize(Twips::ToPixelsX(width, form) - frame.width(), Twips::ToPixelsY(height, form) - frame.height());
}

const char *const ControlNames[] = {
    "tabMain",     "picSelect",  "picChosen",  "picHelp",    "lstGear",     "lstChosen",  "cmdCopy",
    "lblInstruct", "txtInfo",    "cboCat",     "cboSubCat",  "cboCurrency", "cmdChoose",  "lblCostBP",
    "lblChosen0",  "lblChosen1", "lblChosen2", "lblChosen3", "lblChosen4",  "lblChosen5", "lblList0",
    "lblList1",    "lblList2",   "lblList3",   "lblList4",   "lblList5"};

// Every control's geometry, by object name.
std::map<QString, QRect> Geometries(const QWidget *form)
{
    std::map<QString, QRect> out;
    for (const char *name : ControlNames)
        out[QLatin1String(name)] = form->findChild<QWidget *>(QLatin1String(name))->geometry();
    return out;
}

// The resize rules, worked from the client size alone.
bool LaidOutFor(const Chooser &c, QString *why)
{
    const int W = Twips::FromPixelsX(c.form->width(), c.form);
    const int H = Twips::FromPixelsY(c.form->height(), c.form);
    const int pageW = W - 300;
    const int pageH = H - 600;
    const int chosenH = pageH - 900;
    const int copyTop = 360 + chosenH + 60;
    const struct
    {
        const char *name;
        QRect expected;
    } rules[] = {
        {"tabMain", {60, 60, W - 120, H - 120}},
        {"picSelect", {150, 450, pageW, pageH}},
        {"picChosen", {150, 450, pageW, pageH}},
        {"picHelp", {150, 450, pageW, pageH}},
        {"lstGear", {0, 990, pageW, pageH - 990}},
        {"lstChosen", {0, 360, pageW, chosenH}},
        {"cmdCopy", {pageW - 1815 - 60, copyTop, 1815, 375}},
        {"lblInstruct", {30, copyTop + 30, 5400, 255}},
        {"txtInfo", {0, 0, pageW, pageH}},
    };
    for (const auto &rule : rules) {
        if (!SameTwips(Child<QWidget>(c, rule.name), rule.expected, why))
            return false;
    }
    return true;
}

void ClickTab(const Chooser &c, int index)
{
    QTabBar *bar = Child<TabStrip>(c, "tabMain")->Bar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// Counts the times a window is shown.
struct ShowCounter : QObject
{
    int shows = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

} // namespace

class tst_frmChooser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    // Loading
    void titleAndTabs_data();
    void titleAndTabs();
    void loadFillsControls();
    void loadKeepsCatalogueOrder();
    void loadSelectsHelpTitle();
    void loadSetsOuterSize();
    void secondLoadChangesNothing();
    void failedLoadNeverShows_data();
    void failedLoadNeverShows();
    void showMainFormRunsUntilClosed();

    // Tabs
    void tabShowsItsPageOnly_data();
    void tabShowsItsPageOnly();
    void tabChangeRebuildsChosenOnce_data();
    void tabChangeRebuildsChosenOnce();

    // Layout
    void layoutFollowsClientSize_data();
    void layoutFollowsClientSize();
    void minimumSizeSnapsBack_data();
    void minimumSizeSnapsBack();
    void minimizeKeepsGeometry();
    void closeFinishes();
};

void tst_frmChooser::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void tst_frmChooser::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            w->hide();
    }
    SetAppPathForTesting({});
}

void tst_frmChooser::titleAndTabs_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("caption");
    QTest::newRow("gear list") << 0 << QStringLiteral("tabList") << QStringLiteral("Gear List");
    QTest::newRow("chosen gear") << 1 << QStringLiteral("tabChosen") << QStringLiteral("Chosen Gear");
    QTest::newRow("help") << 2 << QStringLiteral("tabHelp") << QStringLiteral("Help / About");
}

void tst_frmChooser::titleAndTabs()
{
    QFETCH(int, index);
    QFETCH(QString, key);
    QFETCH(QString, caption);
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    QCOMPARE(c->form->windowTitle(), MainTitle);
    auto *tabs = Child<TabStrip>(*c, "tabMain");
    QCOMPARE(tabs->Count(), 3);
    QCOMPARE(tabs->Key(index), key);
    QCOMPARE(tabs->Bar()->tabText(index), caption);
}

void tst_frmChooser::loadFillsControls()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    QVERIFY(c->form->isVisible());

    auto *currency = Child<DropDownList>(*c, "cboCurrency");
    QCOMPARE(currency->ListCount(), 2);
    QCOMPARE(currency->List(0), QStringLiteral("BP/GP"));
    QCOMPARE(currency->List(1), QStringLiteral("$"));
    QCOMPARE(currency->ListIndex(), 0);

    QCOMPARE(Child<TabStrip>(*c, "tabMain")->SelectedIndex(), 0);
    QVERIFY(Child<QFrame>(*c, "picSelect")->isVisible());
    QVERIFY(!Child<QFrame>(*c, "picChosen")->isVisible());
    QVERIFY(!Child<QFrame>(*c, "picHelp")->isVisible());

    auto *cat = Child<DropDownList>(*c, "cboCat");
    QCOMPARE(cat->ListCount(), 3);
    QCOMPARE(cat->ListIndex(), 0);
    auto *sub = Child<DropDownList>(*c, "cboSubCat");
    QCOMPARE(sub->ListCount(), 2);
    QCOMPARE(sub->List(0), QStringLiteral("Pistols"));
    QCOMPARE(sub->List(1), QStringLiteral("Rifles"));
    QCOMPARE(sub->ListIndex(), 0);
    auto *gear = Child<MultiColumnList>(*c, "lstGear");
    QCOMPARE(gear->ListCount(), 3);
    QCOMPARE(gear->ListText(0, 0), QStringLiteral("Service Pistol"));
    QCOMPARE(gear->ListText(1, 0), QStringLiteral("Pistol, Silenced"));
    QCOMPARE(gear->ListText(2, 0), QStringLiteral("Pocket Derringer"));
    QCOMPARE(gear->ListIndex(), 0);
    QVERIFY(Child<QPushButton>(*c, "cmdChoose")->isEnabled());
    QCOMPARE(c->form->CurrentSubCat()->Name, QStringLiteral("Pistols"));
}

void tst_frmChooser::loadKeepsCatalogueOrder()
{
    auto c = TestSupport::OpenChooser(OrderedCsv());
    QVERIFY(c->loaded);
    auto *cat = Child<DropDownList>(*c, "cboCat");
    QCOMPARE(cat->ListCount(), 3);
    QCOMPARE(cat->List(0), QStringLiteral("Vehicles"));
    QCOMPARE(cat->List(1), QStringLiteral("Apparel"));
    QCOMPARE(cat->List(2), QStringLiteral("Gadgets"));
    auto *sub = Child<DropDownList>(*c, "cboSubCat");
    QCOMPARE(sub->ListCount(), 2);
    QCOMPARE(sub->List(0), QStringLiteral("Motorcycles"));
    QCOMPARE(sub->List(1), QStringLiteral("Cars"));
    auto *gear = Child<MultiColumnList>(*c, "lstGear");
    QCOMPARE(gear->ListCount(), 2);
    QCOMPARE(gear->ListText(0, 0), QStringLiteral("Scrambler"));
    QCOMPARE(gear->ListText(1, 0), QStringLiteral("Scooter"));
}

void tst_frmChooser::loadSelectsHelpTitle()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    auto *info = Child<QPlainTextEdit>(*c, "txtInfo");
    QVERIFY(info->isReadOnly());
    QCOMPARE(info->textCursor().selectedText(), MainTitle);
    QVERIFY(info->toPlainText().contains(QStringLiteral("MATERIAL REFERENCE ABBREVIATIONS:")));
}

void tst_frmChooser::loadSetsOuterSize()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    // The outer size includes the frame, which the window only has once it is on screen; an X11 window manager puts
    // it around the window a moment after the show.
    QVERIFY(QTest::qWaitForWindowExposed(c->form));
    if (qgetenv("TARNWICK_TEST_DESKTOP") == "x11")
        QTRY_VERIFY(c->form->frameGeometry().height() > c->form->geometry().height());
    const QSize outer = OuterTwips(c->form);
    const int slack = Slack(c->form);
    const QString size = QStringLiteral("outer size %1 x %2 twips").arg(outer.width()).arg(outer.height());
    QVERIFY2(Near(outer.width(), 8500, slack) && Near(outer.height(), 6000, slack), qPrintable(size));
    QString why;
    QVERIFY2(LaidOutFor(*c, &why), qPrintable(why));
}

void tst_frmChooser::secondLoadChangesNothing()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    auto *cat = Child<DropDownList>(*c, "cboCat");
    auto *currency = Child<DropDownList>(*c, "cboCurrency");
    auto *gear = Child<MultiColumnList>(*c, "lstGear");
    cat->setListIndex(2);
    currency->setListIndex(1);
    gear->setListIndex(0);
    ClickTab(*c, 2);
    auto *info = Child<QPlainTextEdit>(*c, "txtInfo");
    QTextCursor cursor = info->textCursor();
    cursor.clearSelection();
    info->setTextCursor(cursor);

    c->form->Form_Load();

    QCOMPARE(currency->ListCount(), 2);
    QCOMPARE(currency->ListIndex(), 1);
    QCOMPARE(cat->ListCount(), 3);
    QCOMPARE(cat->ListIndex(), 2);
    QCOMPARE(Child<DropDownList>(*c, "cboSubCat")->List(0), QStringLiteral("First Aid"));
    QCOMPARE(gear->ListCount(), 1);
    QCOMPARE(Child<TabStrip>(*c, "tabMain")->Count(), 3);
    QCOMPARE(Child<TabStrip>(*c, "tabMain")->SelectedIndex(), 2);
    QVERIFY(Child<QFrame>(*c, "picHelp")->isVisible());
    QCOMPARE(info->textCursor().selectedText(), QString());
    QCOMPARE(c->app->Categories()->Count(), 3);
    QVERIFY(!c->app->Finished());
}

void tst_frmChooser::failedLoadNeverShows_data()
{
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("badLine");
    QTest::newRow("no data file") << false << QByteArray() << 0;
    QTest::newRow("unterminated quote") << true
                                        << TestSupport::Csv({"Category,Sub,Item,C,W,D,S,R1,R2",
                                                             "Weapons,Pistols,Pistol,3,2,320,QCR,88,",
                                                             "Weapons,Pistols,\"Broken,3,2,320,QCR,88,"})
                                        << 3;
    QTest::newRow("record cut short") << true
                                      << TestSupport::Csv(
                                             {"Weapons,Pistols,Pistol,3,2,320,QCR,88,", "Weapons,Rifles,Rifle,5,7"})
                                      << 2;
}

void tst_frmChooser::failedLoadNeverShows()
{
    QFETCH(bool, withFile);
    QFETCH(QByteArray, csv);
    QFETCH(int, badLine);
    TestSupport::CatalogueDir dir(csv);
    if (!withFile)
        QVERIFY(QFile::remove(dir.FilePath()));
    SetAppPathForTesting(dir.Path());
    clsGearList app(&frmChooser::Create);
    auto *form = static_cast<frmChooser *>(app.MainForm());
    form->setParent(&app);
    ShowCounter counter;
    form->installEventFilter(&counter);

    auto seen = TestSupport::OnNextModal();
    form->Form_Load();

    QVERIFY(seen->seen);
    QCOMPARE(seen->title, QStringLiteral("Quellvane Gear Chooser [v1.01]"));
    QCOMPARE(seen->icon, QMessageBox::Critical);
    const QString expected =
        withFile ? QStringLiteral("An error occured reading the data file %1 on line %2.  Ensure the data is in the "
                                  "correct format.")
                       .arg(dir.FilePath())
                       .arg(badLine)
                 : QStringLiteral("The data file %1 could not be opened.  Ensure the file exists and is not being "
                                  "used by any other applications or programs.")
                       .arg(dir.FilePath());
    QCOMPARE(seen->text, expected);
    // The design's face at the lists' size, not the platform's message font (missing under Wine: a serif face).
    QCOMPARE(QFontInfo(seen->font).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(seen->font.pointSizeF(), 8.25);
    QVERIFY(app.Finished());
    QVERIFY(!form->isVisible());
    QCOMPARE(counter.shows, 0);
    form->removeEventFilter(&counter);
}

void tst_frmChooser::showMainFormRunsUntilClosed()
{
    TestSupport::CatalogueDir dir(TestSupport::SampleCsv());
    SetAppPathForTesting(dir.Path());
    clsGearList app(&frmChooser::Create);
    auto *form = static_cast<frmChooser *>(app.MainForm());
    // The timer finds the window as the modal widget, records it and closes it, which ends the modal show.
    auto seen = TestSupport::OnNextModal();
    app.ShowMainForm();
    QVERIFY(seen->seen);
    QCOMPARE(seen->title, MainTitle);
    QVERIFY(form->Loaded());
    QVERIFY(!form->isVisible());
    QVERIFY(app.Finished());
}

void tst_frmChooser::tabShowsItsPageOnly_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("page");
    QTest::newRow("help to gear list") << 2 << 0 << "picSelect";
    QTest::newRow("chosen to gear list") << 1 << 0 << "picSelect";
    QTest::newRow("gear list to chosen") << 0 << 1 << "picChosen";
    QTest::newRow("help to chosen") << 2 << 1 << "picChosen";
    QTest::newRow("gear list to help") << 0 << 2 << "picHelp";
    QTest::newRow("chosen to help") << 1 << 2 << "picHelp";
}

void tst_frmChooser::tabShowsItsPageOnly()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, page);
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    auto *tabs = Child<TabStrip>(*c, "tabMain");
    if (from != 0)
        ClickTab(*c, from);
    QCOMPARE(tabs->SelectedIndex(), from);
    ClickTab(*c, to);
    QCOMPARE(tabs->SelectedIndex(), to);
    for (const char *name : {"picSelect", "picChosen", "picHelp"})
        QCOMPARE(Child<QFrame>(*c, name)->isVisible(), page == QLatin1String(name));
}

void tst_frmChooser::tabChangeRebuildsChosenOnce_data()
{
    QTest::addColumn<int>("target");
    QTest::newRow("to chosen gear") << 1;
    QTest::newRow("to help") << 2;
}

void tst_frmChooser::tabChangeRebuildsChosenOnce()
{
    QFETCH(int, target);
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    auto *chosen = Child<MultiColumnList>(*c, "lstChosen");
    auto *choose = Child<QPushButton>(*c, "cmdChoose");
    QSignalSpy rebuilds(chosen->model(), &QAbstractItemModel::modelReset);

    // Without a purchase nothing is rebuilt.
    ClickTab(*c, target);
    ClickTab(*c, 0);
    QCOMPARE(rebuilds.count(), 0);
    QCOMPARE(chosen->ListCount(), 0);

    QTest::mouseClick(choose, Qt::LeftButton);
    QVERIFY(c->form->ChosenChanged());
    QCOMPARE(rebuilds.count(), 0);
    ClickTab(*c, target);
    QVERIFY(rebuilds.count() > 0);
    QVERIFY(!c->form->ChosenChanged());
    // One line, the separator and the totals.
    QCOMPARE(chosen->ListCount(), 3);
    QCOMPARE(chosen->ListText(0, 0), QStringLiteral("Service Pistol"));
    QVERIFY(Child<QPushButton>(*c, "cmdCopy")->isEnabled());

    rebuilds.clear();
    ClickTab(*c, 0);
    ClickTab(*c, target == 1 ? 2 : 1);
    ClickTab(*c, target);
    QCOMPARE(rebuilds.count(), 0);
    QCOMPARE(chosen->ListCount(), 3);

    ClickTab(*c, 0);
    Child<MultiColumnList>(*c, "lstGear")->setListIndex(2);
    QTest::mouseClick(choose, Qt::LeftButton);
    QCOMPARE(rebuilds.count(), 0);
    ClickTab(*c, target);
    QVERIFY(rebuilds.count() > 0);
    QCOMPARE(chosen->ListCount(), 4);
    QCOMPARE(chosen->ListText(1, 0), QStringLiteral("Pocket Derringer"));
}

void tst_frmChooser::layoutFollowsClientSize_data()
{
    QTest::addColumn<int>("outerWidth");
    QTest::addColumn<int>("outerHeight");
    QTest::newRow("load size") << 8500 << 6000;
    QTest::newRow("minimum") << 8500 << 4000;
    QTest::newRow("wider") << 14000 << 6000;
    QTest::newRow("taller") << 8500 << 11000;
    QTest::newRow("large") << 16000 << 11500;
    QTest::newRow("uneven") << 9013 << 6547;
}

void tst_frmChooser::layoutFollowsClientSize()
{
    QFETCH(int, outerWidth);
    QFETCH(int, outerHeight);
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    std::map<QString, QRect> headers;
    QStringList fixed = {QStringLiteral("lblCostBP")};
    for (int i = 0; i < 6; ++i)
        fixed << QStringLiteral("lblChosen%1").arg(i) << QStringLiteral("lblList%1").arg(i);
    for (const QString &name : fixed)
        headers[name] = c->form->findChild<QLabel *>(name)->geometry();

    // Through a different size first, so that every row really changes the layout.
    ResizeOuterTwips(c->form, outerWidth + 1500, outerHeight + 1000);
    ResizeOuterTwips(c->form, outerWidth, outerHeight);

    const QSize outer = OuterTwips(c->form);
    QVERIFY(Near(outer.width(), outerWidth, Slack(c->form)));
    QVERIFY(Near(outer.height(), outerHeight, Slack(c->form)));
    QString why;
    QVERIFY2(LaidOutFor(*c, &why), qPrintable(why));
    for (const QString &name : fixed)
        QCOMPARE(c->form->findChild<QLabel *>(name)->geometry(), headers[name]);
}

void tst_frmChooser::minimumSizeSnapsBack_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("too narrow") << QSize(6000, 7000) << QSize(8500, 7000);
    QTest::newRow("too low") << QSize(9500, 2500) << QSize(9500, 4000);
    QTest::newRow("too small both ways") << QSize(3000, 1500) << QSize(8500, 4000);
    QTest::newRow("just too narrow") << QSize(8400, 5000) << QSize(8500, 5000);
    QTest::newRow("just too low") << QSize(10000, 3900) << QSize(10000, 4000);
}

void tst_frmChooser::minimumSizeSnapsBack()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    ResizeOuterTwips(c->form, requested.width(), requested.height());
    const int slack = Slack(c->form);
    QTRY_VERIFY2(
        Near(OuterTwips(c->form).width(), expected.width(), slack) &&
            Near(OuterTwips(c->form).height(), expected.height(), slack),
        qPrintable(QStringLiteral("%1 x %2").arg(OuterTwips(c->form).width()).arg(OuterTwips(c->form).height())));
    QString why;
    QVERIFY2(LaidOutFor(*c, &why), qPrintable(why));
}

void tst_frmChooser::minimizeKeepsGeometry()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    const std::map<QString, QRect> before = Geometries(c->form);

    c->form->showMinimized();
    QTRY_VERIFY(c->form->isMinimized());
    // The window's size changes while it is minimised (as when it is restored to another size).
    ResizeOuterTwips(c->form, 12000, 9000);
    QVERIFY(Near(OuterTwips(c->form).width(), 12000, Slack(c->form)));
    for (const auto &[name, rect] : Geometries(c->form))
        QVERIFY2(before.at(name) == rect, qPrintable(name));

    c->form->showNormal();
    QTRY_VERIFY(!c->form->isMinimized());
    QString why;
    QVERIFY2(LaidOutFor(*c, &why), qPrintable(why));
}

void tst_frmChooser::closeFinishes()
{
    auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
    QVERIFY(c->loaded);
    QVERIFY(!c->app->Finished());
    QVERIFY(c->form->close());
    QVERIFY(c->app->Finished());
    QVERIFY(!c->form->isVisible());
}

QTEST_MAIN(tst_frmChooser)
#include "tst_frmChooser.moc"
