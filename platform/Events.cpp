#include "platform/Events.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>

#include "common/RevisionString.h"
#include "platform/TouchInput.h"
#include "platform/Window.h"
#include "platform/XErrors.h"

namespace platform {

namespace {

RevisionLines gRevisions("%Z% Events QX_P_0077_10 Events.cpp $Revision: 1.1 $",
                         "%Z% Events QX_P_0077_10 Events.h $Revision: 1.1 $");

Key KeyOf(SDL_Keycode code) {
  switch (code) {
    case SDLK_UP: return Key::Up;
    case SDLK_DOWN: return Key::Down;
    case SDLK_LEFT: return Key::Left;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_PAGEUP: return Key::PageUp;
    case SDLK_PAGEDOWN: return Key::PageDown;
    case SDLK_HOME: return Key::Home;
    case SDLK_F1: return Key::F1;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::Enter;
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_F2: return Key::F2;
    default: return Key::Other;
  }
}

MouseButton ButtonOf(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return MouseButton::Left;
    case SDL_BUTTON_RIGHT: return MouseButton::Right;
    default: return MouseButton::Other;
  }
}

// The touch screen's fingers, turned into mouse events (main thread only).
TouchInput gTouch;

// Feeds a finger to the touch state in the window's picture pixels. Finger
// positions are fractions of the window; a finger of no window of ours goes
// to the window with the keyboard focus.
void Touch(const SDL_TouchFingerEvent& finger) {
  if (finger.touchId == SDL_MOUSE_TOUCHID) {
    return;  // made by SDL from the mouse, which is handled as a mouse
  }
  SDL_Window* window = finger.windowID != 0 ? SDL_GetWindowFromID(finger.windowID) : SDL_GetKeyboardFocus();
  if (window == nullptr) {
    return;
  }
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window, &width, &height);
  auto fraction = [](float value) { return value >= 0.0f ? (value <= 1.0f ? value : 1.0f) : 0.0f; };  // NaN: 0
  auto pixel = [&](float value, int size) {
    const int at = static_cast<int>(fraction(value) * size);
    return at < size ? at : size - 1;
  };
  int x = 0;
  int y = 0;
  SdlWindow::ToPicture(SDL_GetWindowID(window), pixel(finger.x, width), pixel(finger.y, height), &x, &y);
  const uint64_t now = SDL_GetTicks64();
  gTouch.SetWindow(SDL_GetWindowID(window));
  switch (finger.type) {
    case SDL_FINGERDOWN:
      gTouch.FingerDown(finger.fingerId, x, y, now, SDL_GetNumTouchFingers(finger.touchId) == 1);
      break;
    case SDL_FINGERMOTION:
      gTouch.FingerMove(finger.fingerId, x, y, now);
      break;
    default:
      gTouch.FingerUp(finger.fingerId, x, y, now);
      break;
  }
}

Event Decode(const SDL_Event& in) {
  Event out;
  switch (in.type) {
    case SDL_QUIT:
      out.type = EventType::Quit;
      break;
    case SDL_WINDOWEVENT:
      out.window = in.window.windowID;
      if (in.window.event == SDL_WINDOWEVENT_CLOSE) {
        out.type = EventType::Close;
      } else if (in.window.event == SDL_WINDOWEVENT_LEAVE) {
        out.type = EventType::Leave;
      } else if (in.window.event == SDL_WINDOWEVENT_EXPOSED || in.window.event == SDL_WINDOWEVENT_SHOWN ||
                 in.window.event == SDL_WINDOWEVENT_RESTORED || in.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        out.type = EventType::Expose;
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      // The mouse events SDL or the window system make from a touch would
      // click a second time.
      if (in.button.which != SDL_TOUCH_MOUSEID && !gTouch.InUse(SDL_GetTicks64())) {
        out.type = in.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseDown : EventType::MouseUp;
        out.window = in.button.windowID;
        out.button = ButtonOf(in.button.button);
        SdlWindow::ToPicture(in.button.windowID, in.button.x, in.button.y, &out.x, &out.y);
      }
      break;
    case SDL_MOUSEMOTION:
      if (in.motion.which != SDL_TOUCH_MOUSEID && !gTouch.InUse(SDL_GetTicks64())) {
        out.type = EventType::MouseMove;
        out.window = in.motion.windowID;
        SdlWindow::ToPicture(in.motion.windowID, in.motion.x, in.motion.y, &out.x, &out.y);
      }
      break;
    case SDL_MOUSEWHEEL:
      if (in.wheel.which == SDL_TOUCH_MOUSEID) {
        break;
      }
      // A sideways wheel is not a wheel turn.
      if (in.wheel.y != 0) {
        out.type = EventType::Wheel;
        out.window = in.wheel.windowID;
        out.wheel = in.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -in.wheel.y : in.wheel.y;
        out.shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      out.type = in.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
      out.window = in.key.windowID;
      out.key = KeyOf(in.key.keysym.sym);
      out.repeat = in.key.repeat != 0;
      break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
      Touch(in.tfinger);
      break;
    case SDL_USEREVENT:
      out.type = EventType::Wake;
      out.data = static_cast<int64_t>(reinterpret_cast<intptr_t>(in.user.data1));
      break;
    default:
      break;
  }
  return out;
}

// The next mouse event made from the fingers, if one is due.
bool NextTouchEvent(Event* event) {
  gTouch.Tick(SDL_GetTicks64());
  return gTouch.Next(event);
}

// Decodes an event; a finger's event gives the mouse event it made, if any.
void Deliver(const SDL_Event& in, Event* event) {
  Event decoded = Decode(in);
  if (decoded.type == EventType::None) {
    gTouch.Next(&decoded);
  }
  if (event != nullptr) {
    *event = decoded;
  }
}

}  // namespace

bool StartVideo(bool ownSignalHandlers, char* error, std::size_t errorSize) {
  gRevisions.RegisterOnce();
  InstallXErrorHandler();
  if (ownSignalHandlers) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  }
  // A click that gives a window the focus also clicks: otherwise SDL drops a
  // press handled just after the focus came, and an operator's (or a
  // kiosk's first) click is lost.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    if (error != nullptr && errorSize > 0) {
      std::snprintf(error, errorSize, "%s", SDL_GetError());
    }
    return false;
  }
  return true;
}

bool StartEvents(char* error, std::size_t errorSize) {
  gRevisions.RegisterOnce();
  if (SDL_Init(SDL_INIT_EVENTS) != 0) {
    if (error != nullptr && errorSize > 0) {
      std::snprintf(error, errorSize, "%s", SDL_GetError());
    }
    return false;
  }
  return true;
}

void StopVideo() {
  gTouch.Reset();
  SDL_Quit();
}

bool WaitEvent(Event* event, int32_t timeoutMs) {
  if (NextTouchEvent(event)) {
    return true;
  }
  // A waiting finger becomes a press in time even when nothing else comes.
  const int64_t due = gTouch.MsUntilDue(SDL_GetTicks64());
  if (due >= 0 && (timeoutMs < 0 || due < timeoutMs)) {
    timeoutMs = static_cast<int32_t>(due);
  }
  SDL_Event in;
  const int got = timeoutMs < 0 ? SDL_WaitEvent(&in) : SDL_WaitEventTimeout(&in, timeoutMs);
  if (got == 0) {
    return NextTouchEvent(event);
  }
  Deliver(in, event);
  return true;
}

bool PollEvent(Event* event) {
  if (NextTouchEvent(event)) {
    return true;
  }
  SDL_Event in;
  if (SDL_PollEvent(&in) == 0) {
    return false;
  }
  Deliver(in, event);
  return true;
}

int64_t PendingInputDueMs() {
  if (gTouch.HasQueued()) {
    return 0;
  }
  return gTouch.MsUntilDue(SDL_GetTicks64());
}

bool PostFinger(FingerAction action, int64_t finger, float x, float y, uint32_t window) {
  SDL_Event touch{};
  touch.type = action == FingerAction::Down ? SDL_FINGERDOWN : (action == FingerAction::Up ? SDL_FINGERUP : SDL_FINGERMOTION);
  touch.tfinger.touchId = 1;
  touch.tfinger.fingerId = finger;
  touch.tfinger.x = x;
  touch.tfinger.y = y;
  touch.tfinger.pressure = action == FingerAction::Up ? 0.0f : 1.0f;
  touch.tfinger.windowID = window;
  return SDL_PushEvent(&touch) == 1;
}

bool PostQuit() {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  return SDL_PushEvent(&quit) == 1;
}

bool PostWake(int64_t data) {
  SDL_Event wake{};
  wake.type = SDL_USEREVENT;
  wake.user.data1 = reinterpret_cast<void*>(static_cast<intptr_t>(data));
  return SDL_PushEvent(&wake) == 1;
}

uint64_t Ticks() { return SDL_GetTicks64(); }

}  // namespace platform
