#include "TestSupport.h"
#include "toolkit/DropDownList.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "ui/frmChooser.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

using TestSupport::Chooser;

namespace {

template <typename T = QWidget> T *Child(const QWidget *parent, const char *name)
{
    T *w = parent->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("control %s not found", name);
    return w;
}

// The browser as the user sees it: the page, the category, the sub-category, the selected item and the focus.
QStringList Browser(const Chooser &c)
{
    auto *gear = Child<MultiColumnList>(c.form, "lstGear");
    QWidget *focus = c.form->focusWidget(); // the window's, which it has again once it is active
    return {QString::number(Child<TabStrip>(c.form, "tabMain")->SelectedIndex()),
            Child<DropDownList>(c.form, "cboCat")->currentText(),
            Child<DropDownList>(c.form, "cboSubCat")->currentText(), gear->ListText(gear->ListIndex(), 0),
            focus ? focus->objectName() : QString()};
}

// Presses Ctrl+F in the main window and runs `act` on the dialog once it is active.
bool Find(const Chooser &c, const std::function<void(QWidget *)> &act)
{
    if (!TestSupport::WaitForActive(c.form))
        return false;
    auto seen = TestSupport::OnNextModal([&act](QWidget *d) {
        if (TestSupport::WaitForActive(d))
            act(d);
        d->close(); // after a failed check too
    });
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : c.form, Qt::Key_F, Qt::ControlModifier);
    return seen->seen && seen->title == QLatin1String("Find Gear");
}

} // namespace

class tst_frmFind : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup()
    {
        const QStringList left = TestSupport::CloseTopLevelWindows();
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
    }

    void goTo_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("keys");  // "wait" waits for the count to change
        QTest::addColumn<QStringList>("shown"); // category, sub-category and item; none: nothing changes

        const QStringList cufflinks = {"Gadgets", "Escape Gadgets", "Exploding Cufflinks"};
        QTest::newRow("Enter before the results come") << "cuff" << QStringList{"Return"} << cufflinks;
        QTest::newRow("Go To") << "cuff" << QStringList{"wait", "Alt+G"} << cufflinks;
        QTest::newRow("Alt+G before the first results come") << "cuff" << QStringList{"Alt+G"} << cufflinks;
        QTest::newRow("Down twice in the text box, then Enter")
            << "qcr" << QStringList{"wait", "Down", "Down", "Return"}
            << QStringList{"Medical", "First Aid", "Field Dressing"};
        QTest::newRow("Enter on the list")
            << "rope" << QStringList{"wait", "Tab", "Return"} << QStringList{"Gadgets", "Escape Gadgets", "Rope Belt"};
        QTest::newRow("Escape") << "cuff" << QStringList{"wait", "Escape"} << QStringList{};
        QTest::newRow("Close") << "cuff" << QStringList{"wait", "Tab", "Tab", "Tab", "Space"} << QStringList{};
        QTest::newRow("Enter before nothing is found")
            << "cuff" << QStringList{"wait", "Z", "Return", "wait", "Escape"} << QStringList{};
    }

    void goTo()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, shown);
        auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
        QVERIFY(c->loaded);
        Child<TabStrip>(c->form, "tabMain")->setSelectedIndex(1);
        const QStringList before = Browser(*c);

        QStringList focusAtEnter;
        QVERIFY(Find(*c, [&](QWidget *d) {
            auto *count = Child<QLabel>(d, "lblCount");
            QString counted = count->text();
            QTest::keyClicks(Child<QLineEdit>(d, "txtFind"), text);
            for (const QString &key : keys) {
                if (key == QLatin1String("wait")) {
                    QVERIFY(QTest::qWaitFor([&] { return count->text() != counted; }));
                    continue;
                }
                counted = count->text();
                if (key == QLatin1String("Return"))
                    focusAtEnter << QApplication::focusWidget()->objectName();
                const QKeySequence sequence(key);
                QTest::keyClick(QApplication::focusWidget(), sequence[0].key(), sequence[0].keyboardModifiers());
            }
            QTRY_VERIFY(!d->isVisible());
        }));
        // The arrow keys leave the keyboard with the text box.
        for (const QString &focus : focusAtEnter)
            QCOMPARE(focus, keys.contains(QStringLiteral("Tab")) ? "lstFind" : "txtFind");
        QCOMPARE(Browser(*c), shown.isEmpty() ? before : QStringList{"0"} + shown + QStringList{"lstGear"});
        QCOMPARE(c->app->ChosenGear()->Count(), 0);
    }

    void reopenKeepsSearch()
    {
        auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
        QVERIFY(c->loaded && TestSupport::WaitForActive(c->form));
        QVERIFY(Find(*c, [](QWidget *d) {
            QTest::keyClicks(Child<QLineEdit>(d, "txtFind"), QStringLiteral("pistol"));
            QTRY_COMPARE(Child<QLabel>(d, "lblCount")->text(), QStringLiteral("2 items"));
            QTest::keyClick(d, Qt::Key_Escape);
        }));
        QString selected, count;
        int rows = 0;
        QVERIFY(Find(*c, [&](QWidget *d) {
            selected = Child<QLineEdit>(d, "txtFind")->selectedText();
            count = Child<QLabel>(d, "lblCount")->text();
            rows = Child<MultiColumnList>(d, "lstFind")->ListCount();
            d->close();
        }));
        QCOMPARE(selected, QStringLiteral("pistol"));
        QCOMPARE(count, QStringLiteral("2 items"));
        QCOMPARE(rows, 2);
    }

    // The program torn down just after a key in Find Gear, with the search of a large catalogue still running:
    // the window, and the search thread with it, go before the catalogue that the thread reads. AddressSanitizer's
    // build is where reading the freed catalogue would show.
    void teardownWhileSearching()
    {
        QByteArray csv;
        for (int i = 0; i < 140000; ++i)
            csv += QStringLiteral("Category %1,Sub %2,Item %3,1,1,1,QCR,%3,\r\n")
                       .arg(i % 500)
                       .arg(i % 7)
                       .arg(i)
                       .toLatin1();
        auto c = TestSupport::OpenChooser(csv);
        QVERIFY(c->loaded && TestSupport::WaitForActive(c->form));
        auto seen = TestSupport::OnNextModal([](QWidget *d) {
            QTest::keyClick(Child<QLineEdit>(d, "txtFind"), Qt::Key_I); // in every item's name
            d->close();
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(seen->seen);
        QTest::qWait(40); // the index is still being built, or the search still running
        c.reset();
    }

    // Real keys through the X server, as xdotool sends them (XTest): Ctrl+F, a few letters of an item in another
    // category and a key. Enter goes to the item, and Enter again buys it; Alt+G with nothing found does nothing
    // (a key typed after it shows the text as it was).
    void realInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("goes");
        QTest::newRow("Enter goes to the item found, Enter buys it") << "cuffl"
                                                                     << "Return" << true;
        QTest::newRow("Alt+G with nothing found") << "cuffz"
                                                  << "alt+g" << false;
    }
    void realInput()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(bool, goes);
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("real input is sent through an X server");
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        QVERIFY2(!xdotool.isEmpty(), "xdotool is missing");
        auto send = [&xdotool](const QStringList &args) { return QProcess::execute(xdotool, args) == 0; };
        auto c = TestSupport::OpenChooser(TestSupport::SampleCsv());
        QVERIFY(c->loaded && TestSupport::WaitForActive(c->form));

        bool typed = false;
        QString stayed; // the text once a full stop typed after the key shows, where the dialog stays
        auto seen = TestSupport::OnNextModal([&](QWidget *d) {
            typed = TestSupport::WaitForActive(d) && send({"type", "--delay", "30", text}) && send({"key", key});
            if (typed && !goes) {
                auto *box = Child<QLineEdit>(d, "txtFind");
                typed = send({"key", "period"}) && QTest::qWaitFor([box] { return box->text().endsWith('.'); });
                stayed = box->text();
            }
            if (!typed || !goes)
                d->close();
        });
        QVERIFY(send({"key", "ctrl+f"}));
        QTRY_VERIFY(seen->seen);
        QVERIFY(typed);
        QCOMPARE(seen->title, QStringLiteral("Find Gear"));
        if (!goes) {
            QCOMPARE(stayed, text + '.');
            return;
        }
        QTRY_COMPARE(Browser(*c), (QStringList{"0", "Gadgets", "Escape Gadgets", "Exploding Cufflinks", "lstGear"}));
        QVERIFY(TestSupport::WaitForActive(c->form));
        QVERIFY(send({"key", "Return"}));
        QTRY_COMPARE(c->app->ChosenGear()->Count(), 1);
        QCOMPARE((*c->app->ChosenGear()->begin())->Item()->Name(), QStringLiteral("Exploding Cufflinks"));
    }
};

QTEST_MAIN(tst_frmFind)
#include "tst_frmFind.moc"
