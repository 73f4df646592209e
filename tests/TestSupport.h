#pragma once

#include "core/clsGearList.h"
#include "toolkit/QtPlatform.h"

#include <QByteArray>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// QTEST_MAIN for the window tests: Qt's platform is chosen as the program chooses it.
#define TARNWICK_TEST_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, ChooseQtPlatform(); QTEST_MAIN_SETUP())

class QWidget;
class frmChooser;

namespace TestSupport {

// A temporary program folder holding a data file with the given bytes.
class CatalogueDir
{
public:
    explicit CatalogueDir(const QByteArray &bytes);
    QString Path() const { return m_dir.path(); }
    // The path as the loader composes it and shows it in its messages.
    QString FilePath() const;

private:
    QTemporaryDir m_dir;
};

// Lines joined with CR LF, each line ended by CR LF.
QByteArray Csv(std::initializer_list<const char *> lines);

// What a modal box showed before it was accepted.
struct SeenBox
{
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QFont font; // the text's
};

// Arms a zero-delay timer that waits for the next modal widget, records it when it is a message box, runs
// `act` on it (default: accept it) and stops. Check `seen` afterwards with QTRY_VERIFY.
std::shared_ptr<SeenBox> OnNextModal(std::function<void(QWidget *)> act = {});

// An application object with a main window, loaded from a temporary folder and shown (not modally), as the
// program would be after start-up.
struct Chooser
{
    std::unique_ptr<CatalogueDir> dir;
    std::unique_ptr<clsGearList> app;
    frmChooser *form = nullptr;
    bool loaded = false;
};
std::unique_ptr<Chooser> OpenChooser(const QByteArray &csv, bool show = true);

// Waits until the window is shown and active (on X11: has the X server's keyboard focus). Wayland lets no client
// activate itself: there the compositor activates a window it has just mapped, and this waits for that.
bool WaitForActive(QWidget *window);

// Puts the text on the clipboard and waits until it is there. On the Wayland desktop, through XWayland, a long text
// is given time to reach the compositor's clipboard manager too: weston 10 crashes when the clipboard changes hands
// while it still copies one, and nothing tells an X client when it is done.
bool SetClipboardText(const QString &text);

// Closes every top-level window and returns the object names of those still visible afterwards.
QStringList CloseTopLevelWindows();

// A small catalogue: a weapons category, a gadget category and a medical category.
QByteArray SampleCsv();

} // namespace TestSupport
