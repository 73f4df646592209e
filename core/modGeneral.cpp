#include "core/modGeneral.h"

#include "toolkit/MsgBox.h"

#include <QAbstractEventDispatcher>
#include <QApplication>

#include <cstdlib>

namespace {

// Failures must not unwind through Qt's event dispatch: an escaping failure is reported as fatal here and the
// program ends, as it would had it reached Main.
class clsApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const clsError &e) {
            fatal(e.Number(), e.Description());
        } catch (const std::bad_alloc &) {
            fatal(7, QStringLiteral("Out of memory"));
        } catch (const std::exception &e) {
            fatal(-1, QString::fromLocal8Bit(e.what()));
        }
        return false;
    }

private:
    [[noreturn]] static void fatal(int code, const QString &description)
    {
        ShowFatalError(code, description);
        closeAllWindows();
        std::_Exit(EXIT_FAILURE);
    }
};

} // namespace

QString FatalErrorText(int code, const QString &description)
{
    return QStringLiteral("A fatal error occured in the application: ") + QString::number(code) +
           QStringLiteral(" - ") + description + QStringLiteral(".  ") +
           QStringLiteral("It will now close whether you like it or not.");
}

void ShowFatalError(int code, const QString &description)
{
    MsgBox::Show(FatalErrorText(code, description), ErrorTitle, MsgBox::Icon::Critical);
}

int Main(int argc, char *argv[], clsGearList::FormFactory createMainForm)
{
    // A test may already have made the application; the program itself makes its own.
    std::unique_ptr<QApplication> app;
    if (!QApplication::instance())
        app = std::make_unique<clsApplication>(argc, argv);
    try {
        auto gearList = std::make_unique<clsGearList>(createMainForm);
        gearList->ShowMainForm();
        while (!gearList->Finished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); // sleeps until there is an event
        gearList->ReleaseAll();
        gearList.reset();
    } catch (const clsError &e) {
        ShowFatalError(e.Number(), e.Description());
        QApplication::closeAllWindows();
        return EXIT_FAILURE;
    } catch (const std::bad_alloc &) {
        ShowFatalError(7, QStringLiteral("Out of memory"));
        QApplication::closeAllWindows();
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
