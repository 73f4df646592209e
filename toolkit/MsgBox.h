#pragma once

#include <QString>

#include <functional>

// Message boxes with one OK button, as the program shows them.
namespace MsgBox {

enum class Icon
{
    Critical,
    Information
};

// Shows the box modally and returns when the user dismisses it.
void Show(const QString &text, const QString &title, Icon icon);

// The text as one line of a box: a box wraps a long line and grows with it, so a longer text is cut to a fixed
// width (some sixty characters of the box's font) and ends in an ellipsis.
QString OneLine(const QString &text);

// Replaces the boxes by a recorder (fuzzing and benchmarks run without a screen); an empty function restores them.
void SetInterceptor(std::function<void(const QString &text, const QString &title, Icon icon)> interceptor);

} // namespace MsgBox
