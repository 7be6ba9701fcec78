#include "platform/XErrors.h"

#ifdef TARNEL_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <cstdio>
#endif

namespace platform {

#ifdef TARNEL_HAVE_X11
namespace {

// The X library's own error handler ends the program. The video library
// wakes a waiting event loop by sending an event to the program's window on
// a second connection; when the window has just been destroyed, that event
// fails as a stale window, and the error only arrives while the library
// shuts down, after it has put back the handler it found at start. This
// handler, installed first, takes that case and reports any other X error
// on stderr instead of ending the program.
int OnXError(Display* display, XErrorEvent* event) {
  if (event->error_code == BadWindow && event->request_code == X_SendEvent) {
    return 0;
  }
  char text[256] = {};
  XGetErrorText(display, event->error_code, text, sizeof text);
  std::fprintf(stderr, "X error: %s (request %d)\n", text, static_cast<int>(event->request_code));
  return 0;
}

}  // namespace

void InstallXErrorHandler() { XSetErrorHandler(OnXError); }
#else
void InstallXErrorHandler() {}
#endif

}  // namespace platform
