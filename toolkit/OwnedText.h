#pragma once

#include <QString>

// A catalogue keeps its texts in large blocks of its own, and a text made from them by QString::fromRawData views
// the block: so does every copy of it, so none may outlive the catalogue. Whatever can (a list cell handed out, the
// clipboard, an accessible text) takes an OwnedText copy.

// Whether the text has an allocation of its own. One made by fromRawData has none, so no capacity (nor has a literal).
inline bool HasOwnCharacters(const QString &text)
{
    return text.capacity() > 0;
}

// The text with characters of its own: a copy when it only views them, otherwise itself (a literal is copied too,
// cheaply).
inline QString OwnedText(const QString &text)
{
    if (text.isEmpty() || HasOwnCharacters(text))
        return text;
    return QString(text.constData(), text.size());
}
