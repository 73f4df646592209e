#include "toolkit/AppPath.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &Override()
{
    static QString folder;
    return folder;
}
} // namespace

QString AppPath()
{
    if (!Override().isEmpty())
        return Override();
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

void SetAppPathForTesting(const QString &folder)
{
    Override() = folder;
}
