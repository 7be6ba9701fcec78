#include "platform/Window.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace platform {

SdlWindow::~SdlWindow() { Destroy(); }

bool SdlWindow::Create(const char* title, int clientWidth, int clientHeight, char* error, std::size_t errorSize) {
  Destroy();
  // The window surface is a plain software framebuffer. An accelerated one
  // makes SDL recreate the window when the surface is first used, which loses
  // the events sent to the first window.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  window_ = SDL_CreateWindow(title != nullptr ? title : "", 0, 0, clientWidth, clientHeight,
                             SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
  if (window_ == nullptr) {
    if (error != nullptr && errorSize > 0) {
      std::snprintf(error, errorSize, "SDL_CreateWindow: %s", SDL_GetError());
    }
    return false;
  }
  SDL_GetWindowSurface(window_);
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
  SDL_SetWindowIcon(window_, icon.Surface());
  return true;
}

void SdlWindow::Destroy() {
  if (window_ != nullptr) {
    SDL_DestroyWindow(window_);
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
  }
  return state != nullptr && code < count && state[code] != 0;
}

bool SdlWindow::HasKeyboardFocus() const { return SDL_GetKeyboardFocus() != nullptr; }

bool SdlWindow::IsMinimisedOrHidden() const {
  if (window_ == nullptr) {
    return true;
  }
  Uint32 flags = SDL_GetWindowFlags(window_);
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
  SDL_GetWindowPosition(window_, &x, &y);
  SDL_GetWindowSize(window_, &w, &h);
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) {
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
    SDL_GetWindowSize(window_, &rect.right, &rect.bottom);
  }
  return rect;
}

int SdlWindow::GetFrameWidth() const {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  if (window_ == nullptr || SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) {
    return 0;
  }
  return left;
}

void SdlWindow::SetTitle(const char* title) {
  if (window_ != nullptr && title != nullptr) {
    SDL_SetWindowTitle(window_, title);
  }
}

void SdlWindow::Present() {
  if (window_ != nullptr) {
    SDL_UpdateWindowSurface(window_);
  }
}

void ShowErrorBox(const char* title, const char* text) {
  const char* shownTitle = title != nullptr ? title : "";
  const char* shownText = text != nullptr ? text : "";
  std::fprintf(stderr, "%s: %s\n", shownTitle, shownText);
  std::fflush(stderr);
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) {
    return;
  }
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, shownTitle, shownText, nullptr);
}

}  // namespace platform
