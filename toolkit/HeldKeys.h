#pragma once

// One press of a key is one action, however long it is held. A held key repeats its press: a Wayland client makes
// the repeats itself and flags them all, but on X11 each repeat comes as a release and a press with the same
// timestamp, and Qt flags the pair only when the press is already queued as it reads the release, so under load
// some repeats come unflagged. Installed on the application, HeldKeys flags those too (a press is a repeat when it
// is flagged or has the timestamp of the last release of its key), so that shortcuts and lists that do not repeat
// see them as repeats, and drops every repeat of Enter, which acts wherever it is pressed: a purchase, the Row
// Change dialog, a dialog's default button (which would take a repeat as a press).
namespace HeldKeys {

// Installs the filter on the application, once.
void Install();

} // namespace HeldKeys
