#pragma once

#include <QString>

// The folder of the running executable, without a trailing separator.
QString AppPath();

// Points AppPath at another folder (tests); an empty text restores the executable's folder.
void SetAppPathForTesting(const QString &folder);
