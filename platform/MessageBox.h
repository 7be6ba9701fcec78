// Modal message boxes: a text with an OK button. The system's message box is
// tried first, except on X11; when it cannot be shown, and always on X11
// (where a bare X server without a window manager, as on a kiosk, may never
// show it), a window of our own shows the text and closes with its OK button,
// Enter, Escape or its close box.
#pragma once

namespace platform {

enum class BoxKind { Information, Error };
enum class BoxShown { None, System, OwnWindow };

// Shows the box and returns when it has been closed. Nothing is shown while
// the display is a headless one (dummy or offscreen driver) or none is open.
BoxShown ShowMessageBox(BoxKind kind, const char* title, const char* text);

// Writes "title: text" to stderr, then shows the text in an error box.
void ShowErrorBox(const char* title, const char* text);

// An unattended program's boxes close by themselves after timeoutMs (as if
// OK was pressed), so that nothing waits for an operator who is not there.
// 0 or less: boxes wait for the operator (the default). Such boxes are always
// windows of our own, since the system's box cannot be closed by the program.
void SetUnattendedBoxTimeout(int timeoutMs);

}  // namespace platform
