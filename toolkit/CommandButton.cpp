#include "toolkit/CommandButton.h"

#include <QShortcutEvent>

CommandButton::CommandButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent) {}

bool CommandButton::event(QEvent *event)
{
    // The button keeps its shortcut's id to itself, but the first press names it: from then on the shortcut map
    // drops the repeats of a held key, and the first press still clicks.
    if (event->type() == QEvent::Shortcut)
        setShortcutAutoRepeat(static_cast<QShortcutEvent *>(event)->shortcutId(), false);
    return QPushButton::event(event);
}
