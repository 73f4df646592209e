#pragma once

#include <QString>

namespace Clipboard {
void Clear();
// Puts the plain text on the clipboard, with an HTML rendering of the same content beside it when given.
void SetText(const QString &text, const QString &html = {});
} // namespace Clipboard
