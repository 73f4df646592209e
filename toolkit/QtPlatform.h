#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

// The platform Qt is asked for before the application object exists, given the environment and the version of the Qt
// library at run time: XWayland first on a Wayland session that offers it, while Qt's Wayland client there can abort
// as a window closes; otherwise nothing (Qt chooses). A QT_QPA_PLATFORM of the user's own always stands.
QByteArray QtPlatformFor(const QProcessEnvironment &environment, const char *qtVersion);

// Sets QT_QPA_PLATFORM to that choice for this process (on Linux and the like; elsewhere it does nothing); called
// before the QApplication is made.
void ChooseQtPlatform();
