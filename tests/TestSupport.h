#pragma once

#include "core/clsGearList.h"

#include <QByteArray>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

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

// Waits until the window is shown and active. Wayland lets no client activate itself: there the compositor
// activates a window it has just mapped, and this waits for that.
bool WaitForActive(QWidget *window);

// Closes every top-level window and returns the object names of those still visible afterwards.
QStringList CloseTopLevelWindows();

// A small catalogue: a weapons category, a gadget category and a medical category.
QByteArray SampleCsv();

} // namespace TestSupport
