#include "toolkit/QtPlatform.h"

#include <QVersionNumber>

QByteArray QtPlatformFor(const QProcessEnvironment &environment, const char *qtVersion)
{
    // Qt's Wayland client destroys a closing window's frame callback without its frame thread's lock in 6.4.2, and
    // libwayland aborts when both threads destroy it. 6.8.2 takes the lock; the releases between are unchecked.
    static const QVersionNumber fixed(6, 8, 2);
    const auto value = [&environment](const char *name) { return environment.value(QLatin1String(name)); };
    // Where Qt itself would try Wayland first.
    const bool wayland = !value("WAYLAND_DISPLAY").isEmpty() || value("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (!value("QT_QPA_PLATFORM").isEmpty() || !wayland || value("DISPLAY").isEmpty() ||
        QVersionNumber::fromString(QLatin1String(qtVersion)) >= fixed)
        return {};
    return "xcb;wayland"; // Wayland all the same should XWayland not answer
}

void ChooseQtPlatform()
{
    // Elsewhere Qt has neither platform, though a Windows build under Wine sees a Linux session's variables too.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QByteArray platform = QtPlatformFor(QProcessEnvironment::systemEnvironment(), qVersion());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
#endif
}
