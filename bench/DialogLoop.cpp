// Opens and closes the Row Change dialog and Find Gear in turn, TARNWICK_CLOSINGS times in all (default 2000), in a
// program that starts as Tarnwick does (the same Main, so the same choice of Qt's platform), then closes the main
// window. The keys are Qt's own, sent to the dialog or the list itself (Find Gear opens through Ctrl+F's shortcut), so
// that the same loop runs on any platform and does not wait for the keyboard to come back.
// Prints the closings so far and Qt's platform after every hundred and at the end.
#include "core/modGeneral.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "ui/frmChooser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QShortcut>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include <cstdio>

namespace {

int g_wanted = 2000;
int g_closings = 0;
QString g_platform;

void Report()
{
    std::printf("%d dialog closings on %s\n", g_closings, qPrintable(g_platform));
    std::fflush(stdout);
}

QWidget *MainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("frmChooser") && w->isVisible())
            return w;
    }
    return nullptr;
}

// A dialog runs its own loop inside the key that opens it, so the key is sent from a timer of its own.
void Press(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTimer::singleShot(0, target, [target, key, modifiers] { QTest::keyClick(target, key, modifiers); });
}

// Every 5 ms: buys one item first; then, while no dialog is open, opens the next one; once the open one has the
// keyboard, closes it with Escape after 0 to 40 ms, so that closings meet the compositor's frames at every phase.
class Driver final : public QObject
{
public:
    Driver() : QObject(qApp) {}

protected:
    void timerEvent(QTimerEvent *) override
    {
        QWidget *form = MainWindow();
        QWidget *modal = QApplication::activeModalWidget(); // the main window is shown modally too
        if (modal == form)
            modal = nullptr;
        // The next dialog does not wait for the main window to get the keyboard back (weston takes a second for it).
        if (!form || (modal && QApplication::activeWindow() != modal))
            return;
        g_platform = QGuiApplication::platformName();
        if (modal) {
            m_asked.invalidate();
            if (!m_shown.isValid())
                m_shown.start();
            modal->update(); // painted again as while the user types, so that a frame is always on its way
            if (m_shown.elapsed() >= m_opened % 5 * 10) {
                m_shown.invalidate();
                QTest::keyClick(modal, Qt::Key_Escape);
                if (++g_closings % 100 == 0)
                    Report();
            }
            return;
        }
        if (m_asked.isValid() && !m_asked.hasExpired(2000))
            return; // the dialog asked for is on its way
        auto *tabs = form->findChild<TabStrip *>(QStringLiteral("tabMain"));
        auto *chosen = form->findChild<MultiColumnList *>(QStringLiteral("lstChosen"));
        if (!m_bought) {
            m_bought = true;
            auto *gear = form->findChild<MultiColumnList *>(QStringLiteral("lstGear"));
            tabs->setSelectedIndex(0);
            gear->setListIndex(0);
            gear->setFocus();
            QTest::keyClick(gear, Qt::Key_Return); // buys
        } else if (g_closings >= g_wanted) {
            killTimer(m_timer);
            form->close();
        } else if (m_asked.start(), ++m_opened % 2) {
            // Ctrl+F's own shortcut, which a key would reach only once the main window has the keyboard again.
            for (QShortcut *shortcut : form->findChildren<QShortcut *>()) {
                if (shortcut->keys().contains(QKeySequence(Qt::CTRL | Qt::Key_F)))
                    QTimer::singleShot(0, shortcut, &QShortcut::activated);
            }
        } else {
            tabs->setSelectedIndex(1);
            chosen->setListIndex(0);
            chosen->setFocus();
            Press(chosen, Qt::Key_Return);
        }
    }

private:
    int m_timer = startTimer(5);
    int m_opened = 0;
    bool m_bought = false;
    QElapsedTimer m_shown;
    QElapsedTimer m_asked;
};

} // namespace

int main(int argc, char *argv[])
{
    if (const int wanted = qEnvironmentVariableIntValue("TARNWICK_CLOSINGS"))
        g_wanted = wanted;
    const int code = Main(argc, argv, [] {
        new Driver; // the application exists once the main window is made
        return frmChooser::Create();
    });
    Report();
    return code == 0 && g_closings >= g_wanted ? 0 : 1;
}
