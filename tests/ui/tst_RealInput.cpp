#include "TestSupport.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "ui/frmChooser.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <functional>

// Keys as a keyboard gives them: sent to the X server (XTest, through xdotool), which repeats a held key and hands
// the keyboard to a window as it would a user's. Runs on an X11 desktop, with a window manager or without
// (tests/display/window_tests.sh). On Wayland, where no client can type into another, the keys are Qt's own and
// only where the compositor puts the keyboard after a dialog is checked; elsewhere it skips.
namespace {

bool OnX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

QString Xdo(const QStringList &arguments)
{
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), arguments);
    xdo.waitForFinished();
    return QString::fromLatin1(xdo.readAllStandardOutput()).trimmed();
}

// A key pressed and released: through the X server, or on Wayland sent to the widget with the keyboard.
void Key(const QString &name)
{
    if (OnX11()) {
        Xdo({QStringLiteral("key"), name});
        return;
    }
    const QKeySequence key(name);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key[0].key()), key[0].keyboardModifiers());
}

QWidget *OpenModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : nullptr;
}

// Whether a dialog or a box is open and has the keyboard.
bool ModalActive()
{
    return OpenModal() && QApplication::activeWindow() == OpenModal();
}

// Starts another program's window (xmessage) and gives it the keyboard as a user would: a click where a window
// manager runs, otherwise the focus set on it. Returns the window that then has the keyboard, or nothing when it
// stayed with one of `ours`.
QString TakeKeyboard(QProcess &other, const QList<WId> &ours)
{
    other.start(QStringLiteral("xmessage"),
                {QStringLiteral("-name"), QStringLiteral("tarnwick-other"), QStringLiteral("-geometry"),
                 QStringLiteral("+1100+900"), QStringLiteral("another program")});
    const QString window = Xdo({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--classname"),
                                QStringLiteral("tarnwick-other")})
                               .section(QLatin1Char('\n'), 0, 0);
    if (qgetenv("TARNWICK_TEST_DESKTOP") == "bare")
        Xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    else
        Xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("20"),
             QStringLiteral("10"), QStringLiteral("click"), QStringLiteral("1")});
    QString focus;
    const bool moved = QTest::qWaitFor([&] {
        focus = Xdo({QStringLiteral("getwindowfocus")});
        return !focus.isEmpty() && !ours.contains(WId(focus.toULongLong()));
    });
    return moved ? focus : QString();
}

// Runs `action` once `ready` holds (for at most 10 s). A dialog that a key opens runs its own loop inside whatever
// wait is running then, so what comes after it runs from timers rather than from the test's code.
void When(const std::function<bool()> &ready, const std::function<void()> &action)
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, ready, action, tries = 500]() mutable {
        if (!ready() && --tries > 0)
            return;
        timer->stop();
        timer->deleteLater();
        if (tries > 0)
            action();
    });
    timer->start(20);
}

} // namespace

class tst_RealInput : public QObject
{
    Q_OBJECT

    // The sample catalogue with `lines` purchases, on the page given, its list holding the keyboard.
    static bool Open(std::unique_ptr<TestSupport::Chooser> &c, int page, int lines)
    {
        c = TestSupport::OpenChooser(TestSupport::SampleCsv());
        if (!c->loaded || !TestSupport::WaitForActive(c->form))
            return false;
        clsItem &pistol = c->app->Categories()
                              ->Item(QStringLiteral("Weapons"))
                              .SubCategories->Item(QStringLiteral("Pistols"))
                              .Items->Item(QStringLiteral("Service Pistol"));
        for (int i = 0; i < lines; ++i)
            c->app->AddChosenItem(&pistol, 1, false);
        c->form->RefreshChosenList();
        c->form->findChild<TabStrip *>(QStringLiteral("tabMain"))->setSelectedIndex(page);
        auto *list = c->form->findChild<MultiColumnList *>(page == 0 ? "lstGear" : "lstChosen");
        list->setListIndex(0);
        list->setFocus();
        return QTest::qWaitFor([list] { return QApplication::focusWidget() == list; });
    }

private slots:
    void initTestCase()
    {
        const QString platform = QGuiApplication::platformName();
        if (platform != QLatin1String("xcb") && platform != QLatin1String("wayland"))
            QSKIP("a real desktop is needed");
        if (OnX11() && QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is missing");
    }

    // A key held for 1.5 s, with a spinning process on every core (under load X11 sends some repeats unflagged),
    // acts once; a dialog or a box it opens is still open once the key is up.
    void heldKey_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("dialogFirst"); // the Row Change dialog is opened by a press first
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("open");

        QTest::newRow("Enter on a gear row") << 0 << false << "Return" << 1 << false;
        QTest::newRow("keypad Enter on a gear row") << 0 << false << "KP_Enter" << 1 << false;
        QTest::newRow("Alt+P") << 0 << false << "alt+p" << 1 << false;
        QTest::newRow("Enter on a chosen line") << 1 << false << "Return" << 1 << true;
        QTest::newRow("Alt+C") << 1 << false << "alt+c" << 1 << true;
        QTest::newRow("Enter in the Row Change dialog") << 1 << true << "Return" << 1 << false;
    }
    void heldKey()
    {
        QFETCH(int, page);
        QFETCH(bool, dialogFirst);
        QFETCH(QString, key);
        QFETCH(int, lines);
        QFETCH(bool, open);
        if (!OnX11())
            QSKIP("a Wayland client makes the repeats itself and flags them all");

        std::unique_ptr<TestSupport::Chooser> c;
        QVERIFY(Open(c, page, page)); // on the chosen-gear page, one line to act on
        bool finished = false;
        bool openAtEnd = false;
        // Held while every core spins: under load X11 sends some repeats unflagged.
        const auto hold = [&] {
            for (int i = 0; i < QThread::idealThreadCount(); ++i)
                QProcess::startDetached(QStringLiteral("timeout"),
                                        {QStringLiteral("1.6"), QStringLiteral("sh"), QStringLiteral("-c"),
                                         QStringLiteral("while :; do :; done")});
            Xdo({QStringLiteral("keydown"), key});
            QTimer::singleShot(1500, qApp, [&] {
                Xdo({QStringLiteral("keyup"), key});
                QTimer::singleShot(300, qApp, [&] {
                    openAtEnd = OpenModal() != nullptr;
                    if (QWidget *modal = OpenModal())
                        modal->close();
                    finished = true;
                });
            });
        };
        if (dialogFirst) {
            When(ModalActive, hold);
            Key(QStringLiteral("Return"));
        } else {
            hold();
        }
        QTRY_VERIFY_WITH_TIMEOUT(finished, 20000);
        QCOMPARE(c->app->ChosenGear()->Count(), lines);
        QCOMPARE(openAtEnd, open);
    }

    // A click with the pointer below a list's last row changes nothing: the selected row stays, and with it
    // Purchase.
    void clickBelowRows_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("gear list") << 0;
        QTest::newRow("chosen list") << 1;
    }
    void clickBelowRows()
    {
        QFETCH(int, page);
        if (!OnX11())
            QSKIP("the pointer is moved through an X server");
        std::unique_ptr<TestSupport::Chooser> c;
        QVERIFY(Open(c, page, 2));
        auto *list = c->form->findChild<MultiColumnList *>(page == 0 ? "lstGear" : "lstChosen");
        list->setListIndex(1);
        c->form->findChild<TabStrip *>(QStringLiteral("tabMain"))->Bar()->setFocus(); // the click takes it back
        QWidget *viewport = list->viewport();
        const QRect last = list->visualRect(list->Model()->index(list->ListCount() - 1, 0));
        const QPoint below = viewport->mapTo(c->form, QPoint(last.center().x(), viewport->height() - 4));
        QVERIFY(below.y() > viewport->mapTo(c->form, last.bottomLeft()).y());
        Xdo({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(c->form->winId()),
             QString::number(below.x()), QString::number(below.y()), QStringLiteral("click"), QStringLiteral("1")});
        QTRY_VERIFY(list->hasFocus()); // the click arrived
        QCOMPARE(list->ListIndex(), 1);
        QVERIFY(c->form->findChild<QWidget *>(QStringLiteral("cmdChoose"))->isEnabled());
    }

    // Once a dialog or a box closes, the keyboard is back in the main window: a real Ctrl+Z undoes a purchase. But
    // where the user gave the keyboard to another program while it was open (a click there, or the focus set
    // without a window manager), and a key sent to its window then closes it, the keyboard stays with that program.
    void keyboardAfterDialog_data()
    {
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("close");
        QTest::addColumn<bool>("elsewhere");
        QTest::newRow("Row Change dialog, Escape") << "Return"
                                                   << "Escape" << false;
        QTest::newRow("Row Change dialog, Enter") << "Return"
                                                  << "Return" << false;
        QTest::newRow("message box, Enter") << "alt+c"
                                            << "Return" << false;
        QTest::newRow("Row Change dialog, keyboard in another program") << "Return"
                                                                        << "Escape" << true;
        QTest::newRow("message box, keyboard in another program") << "alt+c"
                                                                  << "Escape" << true;
        QTest::newRow("Find Gear, keyboard in another program") << "ctrl+f"
                                                                << "Escape" << true;
    }
    void keyboardAfterDialog()
    {
        QFETCH(QString, open);
        QFETCH(QString, close);
        QFETCH(bool, elsewhere);
        if (elsewhere && !OnX11())
            QSKIP("keys are sent to a window through an X server");

        std::unique_ptr<TestSupport::Chooser> c;
        QVERIFY(Open(c, 0, 0));
        Key(QStringLiteral("Return")); // a purchase, to undo
        QTRY_COMPARE(c->app->ChosenGear()->Count(), 1);
        c->form->findChild<TabStrip *>(QStringLiteral("tabMain"))->setSelectedIndex(1);
        auto *chosen = c->form->findChild<MultiColumnList *>(QStringLiteral("lstChosen"));
        chosen->setListIndex(0);
        chosen->setFocus();
        QProcess other;
        const auto stopOther = qScopeGuard([&other] {
            other.kill();
            other.waitForFinished();
        });
        QString otherFocus;
        bool active = false;
        When(ModalActive, [&] {
            active = true;
            if (!elsewhere) {
                Key(close);
                return;
            }
            const QString dialog = QString::number(OpenModal()->winId());
            otherFocus = TakeKeyboard(other, {c->form->winId(), OpenModal()->winId()});
            Xdo({QStringLiteral("key"), QStringLiteral("--window"), dialog, close});
        });
        Key(open);
        QTRY_VERIFY_WITH_TIMEOUT(active, 10000);
        QTRY_VERIFY(!OpenModal());
        if (elsewhere) {
            QVERIFY2(!otherFocus.isEmpty(), "the other program did not get the keyboard");
            QTest::qWait(500); // time for a window manager to hand the keyboard over, were it asked to
            QCOMPARE(Xdo({QStringLiteral("getwindowfocus")}), otherFocus);
            return;
        }
        if (OnX11())
            QTRY_COMPARE(Xdo({QStringLiteral("getwindowfocus")}), QString::number(c->form->winId()));
        QTRY_VERIFY(QApplication::activeWindow() == c->form);
        Key(QStringLiteral("ctrl+z"));
        QTRY_COMPARE(c->app->ChosenGear()->Count(), 0);
    }
};

QTEST_MAIN(tst_RealInput)
#include "tst_RealInput.moc"
