#pragma once

class QDialog;

// Where the keyboard goes once a modal dialog closes. A window manager (or a Wayland compositor) gives it back to
// the window below the dialog itself. Without one, on a bare X server (a kiosk, a remote session), the server hands
// it to the root window when the focused dialog goes, and keys would reach no window until a click: there the
// keyboard is given back to the window that had it before. Only if the dialog still had it as it closed, though: a
// keyboard the user gave another program stays with that program.
namespace ModalKeyboard {

// Runs the dialog modally (QDialog::exec), with held keys acting once (HeldKeys), and returns its result.
int Exec(QDialog &dialog);

// Whether a window manager runs on the X server: it names its own check window on the root window, and that
// window names itself. Always false off X11.
bool WindowManagerRunning();

} // namespace ModalKeyboard
