#include "platform/Events.h"

#include <SDL.h>

#include <cstdio>

#include "common/RevisionString.h"
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
      } else if (in.window.event == SDL_WINDOWEVENT_EXPOSED || in.window.event == SDL_WINDOWEVENT_SHOWN ||
                 in.window.event == SDL_WINDOWEVENT_RESTORED || in.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        out.type = EventType::Expose;
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      out.type = in.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseDown : EventType::MouseUp;
      out.window = in.button.windowID;
      out.button = ButtonOf(in.button.button);
      out.x = in.button.x;
      out.y = in.button.y;
      break;
    case SDL_MOUSEMOTION:
      out.type = EventType::MouseMove;
      out.window = in.motion.windowID;
      out.x = in.motion.x;
      out.y = in.motion.y;
      break;
    case SDL_MOUSEWHEEL:
      // A sideways wheel is not a wheel turn.
      if (in.wheel.y != 0) {
        out.type = EventType::Wheel;
        out.window = in.wheel.windowID;
        out.wheel = in.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -in.wheel.y : in.wheel.y;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      out.type = in.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
      out.window = in.key.windowID;
      out.key = KeyOf(in.key.keysym.sym);
      out.repeat = in.key.repeat != 0;
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


}  // namespace

bool StartVideo(bool ownSignalHandlers, char* error, std::size_t errorSize) {
  gRevisions.RegisterOnce();
  InstallXErrorHandler();
  if (ownSignalHandlers) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  }
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

void StopVideo() { SDL_Quit(); }

bool WaitEvent(Event* event, int32_t timeoutMs) {
  SDL_Event in;
  const int got = timeoutMs < 0 ? SDL_WaitEvent(&in) : SDL_WaitEventTimeout(&in, timeoutMs);
  if (got == 0) {
    return false;
  }
  if (event != nullptr) {
    *event = Decode(in);
  }
  return true;
}

bool PollEvent(Event* event) {
  SDL_Event in;
  if (SDL_PollEvent(&in) == 0) {
    return false;
  }
  if (event != nullptr) {
    *event = Decode(in);
  }
  return true;
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
