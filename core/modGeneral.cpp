#include "core/modGeneral.h"

#include "toolkit/MsgBox.h"
#include "toolkit/QtPlatform.h"

#include <QAbstractEventDispatcher>
#include <QApplication>

#include <cstdlib>
#include <exception>
#include <new>
#include <utility>

namespace {

// The code and description of the failure being handled, whatever its kind: the program's own, out of memory, any
// other standard failure, or something else thrown.
std::pair<int, QString> CurrentFailure()
{
    try {
        throw;
    } catch (const clsError &e) {
        return {e.Number(), e.Description()};
    } catch (const std::bad_alloc &) {
        return {7, QStringLiteral("Out of memory")};
    } catch (const std::exception &e) {
        return {-1, QString::fromLocal8Bit(e.what())};
    } catch (...) {
        return {-1, QStringLiteral("Unknown failure")};
    }
}

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
        } catch (...) {
            const auto [code, description] = CurrentFailure();
            ShowFatalError(code, description);
            closeAllWindows();
            std::_Exit(EXIT_FAILURE);
        }
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
    // The program takes no arguments, so Qt gets none of its own options either ("-reverse" would mirror the lists
    // under headers placed in twips); only the program's name. Qt keeps referring to these, so they outlive it.
    static char fallbackName[] = "Tarnwick";
    static int qtArgc = 1;
    static char *qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};

    // A test may already have made the application; the program itself makes its own.
    std::unique_ptr<QApplication> app;
    if (!QApplication::instance()) {
        ChooseQtPlatform();
        app = std::make_unique<clsApplication>(qtArgc, qtArgv);
    }
    try {
        auto gearList = std::make_unique<clsGearList>(createMainForm);
        gearList->ShowMainForm();
        while (!gearList->Finished())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); // sleeps until there is an event
        gearList->ReleaseAll();
        gearList.reset();
    } catch (...) {
        const auto [code, description] = CurrentFailure();
        ShowFatalError(code, description);
        QApplication::closeAllWindows();
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
