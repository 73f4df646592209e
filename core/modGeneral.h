#pragma once

#include "core/clsGearList.h"

#include <QString>

// The start-up routine: creates the application object, shows the main window, waits until the object is
// finished, releases everything and ends. Returns the process exit code.
int Main(int argc, char *argv[], clsGearList::FormFactory createMainForm);

// "A fatal error occured in the application: <code> - <description>.  It will now close whether you like it or not."
QString FatalErrorText(int code, const QString &description);

// Shows the fatal-error message box.
void ShowFatalError(int code, const QString &description);
