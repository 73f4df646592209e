#pragma once

#include <QString>

namespace Clipboard {
void Clear();
// Puts the plain text on the clipboard, with an HTML rendering of the same content beside it when given.
void SetText(const QString &text, const QString &html = {});
// The clipboard's plain text; empty when it holds none.
QString Text();
} // namespace Clipboard
