#include "platform/Window.h"

#include <SDL.h>

#include <cstdio>

#include "platform/ViewCopy.h"

namespace platform {

namespace {

// The opaque handles of Window.h and Graphics.h are SDL's window and surface.
SDL_Window* Sdl(NativeWindow* window) { return reinterpret_cast<SDL_Window*>(window); }
SDL_Surface* Sdl(NativeSurface* surface) { return reinterpret_cast<SDL_Surface*>(surface); }

}  // namespace

SdlWindow::~SdlWindow() { Destroy(); }

bool SdlWindow::Create(const char* title, int clientWidth, int clientHeight, char* error, std::size_t errorSize,
                       Frame frame) {
  Destroy();
  // The window surface is a plain software framebuffer. An accelerated one
  // makes SDL recreate the window when the surface is first used, which loses
  // the events sent to the first window.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  const Uint32 flags = SDL_WINDOW_SHOWN | (frame == Frame::Sizable ? SDL_WINDOW_RESIZABLE : 0);
  SDL_Window* created = SDL_CreateWindow(title != nullptr ? title : "", 0, 0, clientWidth, clientHeight, flags);
  window_ = reinterpret_cast<NativeWindow*>(created);
  if (created == nullptr) {
    if (error != nullptr && errorSize > 0) {
      std::snprintf(error, errorSize, "SDL_CreateWindow: %s", SDL_GetError());
    }
    return false;
  }
  SDL_GetWindowSurface(created);
  return true;
}

bool SdlWindow::SetIconFromFile(const char* path) {
  if (window_ == nullptr) {
    return false;
  }
  Bitmap icon;
  char error[512];
  if (!icon.Load(path, error, sizeof error)) {
    return false;
  }
  SetIcon(icon);
  return true;
}

void SdlWindow::SetIcon(const Bitmap& icon) {
  if (window_ != nullptr && icon.IsLoaded()) {
    SDL_SetWindowIcon(Sdl(window_), Sdl(icon.Native()));
  }
}

uint32_t SdlWindow::Id() const { return window_ != nullptr ? SDL_GetWindowID(Sdl(window_)) : 0; }

void SdlWindow::Destroy() {
  if (window_ != nullptr) {
    SDL_DestroyWindow(Sdl(window_));
    window_ = nullptr;
  }
}

bool SdlWindow::IsKeyHeld(Key key) const {
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  SDL_Scancode code = SDL_SCANCODE_UNKNOWN;
  switch (key) {
    case Key::Up: code = SDL_SCANCODE_UP; break;
    case Key::Down: code = SDL_SCANCODE_DOWN; break;
    case Key::Left: code = SDL_SCANCODE_LEFT; break;
    case Key::Right: code = SDL_SCANCODE_RIGHT; break;
    case Key::PageUp: code = SDL_SCANCODE_PAGEUP; break;
    case Key::PageDown: code = SDL_SCANCODE_PAGEDOWN; break;
    case Key::Home: code = SDL_SCANCODE_HOME; break;
    case Key::F1: code = SDL_SCANCODE_F1; break;
    case Key::Enter: code = SDL_SCANCODE_RETURN; break;
    case Key::Escape: code = SDL_SCANCODE_ESCAPE; break;
    case Key::Other: break;
  }
  return state != nullptr && code < count && state[code] != 0;
}

bool SdlWindow::HasKeyboardFocus() const { return SDL_GetKeyboardFocus() != nullptr; }

bool SdlWindow::IsMinimisedOrHidden() const {
  if (window_ == nullptr) {
    return true;
  }
  Uint32 flags = SDL_GetWindowFlags(Sdl(window_));
  return (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
}

Rect SdlWindow::GetWindowRect() const {
  Rect rect;
  if (window_ == nullptr) {
    return rect;
  }
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  SDL_GetWindowPosition(Sdl(window_), &x, &y);
  SDL_GetWindowSize(Sdl(window_), &w, &h);
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  if (SDL_GetWindowBordersSize(Sdl(window_), &top, &left, &bottom, &right) != 0) {
    top = left = bottom = right = 0;
  }
  rect.left = x - left;
  rect.top = y - top;
  rect.right = x + w + right;
  rect.bottom = y + h + bottom;
  return rect;
}

Rect SdlWindow::GetClientRect() const {
  Rect rect;
  if (window_ != nullptr) {
    SDL_GetWindowSize(Sdl(window_), &rect.right, &rect.bottom);
  }
  return rect;
}

int SdlWindow::GetFrameWidth() const {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  if (window_ == nullptr || SDL_GetWindowBordersSize(Sdl(window_), &top, &left, &bottom, &right) != 0) {
    return 0;
  }
  return left;
}

void SdlWindow::SetTitle(const char* title) {
  if (window_ != nullptr && title != nullptr) {
    SDL_SetWindowTitle(Sdl(window_), title);
  }
}

void SdlWindow::ShowPicture(const DrawSurface& picture, const Rect& source, int destX, int destY,
                            uint32_t background) {
  if (window_ == nullptr) {
    return;
  }
  SDL_Surface* target = SDL_GetWindowSurface(Sdl(window_));
  if (target == nullptr) {
    return;
  }
  CopyView(target, picture, source, destX, destY, background);
  SDL_UpdateWindowSurface(Sdl(window_));
  shownOn_ = target;
  shownWidth_ = target->w;
  shownHeight_ = target->h;
  shownBackground_ = background;
}

void SdlWindow::ShowPictureParts(const DrawSurface& picture, const Rect& source, int destX, int destY,
                                 const Rect* parts, int count) {
  if (window_ == nullptr || count <= 0) {
    return;
  }
  SDL_Surface* target = SDL_GetWindowSurface(Sdl(window_));
  if (target == nullptr) {
    return;
  }
  if (target != shownOn_ || target->w != shownWidth_ || target->h != shownHeight_ || count > DamageList::kCapacity) {
    ShowPicture(picture, source, destX, destY, shownBackground_);
    return;
  }
  SDL_Rect changed[DamageList::kCapacity];
  const int shown = CopyViewParts(target, picture, source, destX, destY, parts, count, changed);
  if (shown > 0) {
    SDL_UpdateWindowSurfaceRects(Sdl(window_), changed, shown);
  }
}

}  // namespace platform
