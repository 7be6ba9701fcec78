#include "platform/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>

#include "platform/ViewCopy.h"

namespace platform {

namespace {

// Names the window object among the window's data, for the event decoder.
constexpr char kWindowData[] = "tarnel.window";

// A picture-pixel size from a window-system one, at least 1.
int PictureSize(int pixels, double scale) {
  const int size = static_cast<int>(pixels / scale);
  return size > 0 ? size : 1;
}

// Reads a decimal number, after a '+' when offset; false when there is none.
bool ReadNumber(const char*& p, bool offset, long* value) {
  if (offset && *p++ != '+') {
    return false;
  }
  if (*p < '0' || *p > '9') {
    return false;
  }
  char* end = nullptr;
  *value = std::strtol(p, &end, 10);
  p = end;
  return *value < 100000;
}

// The opaque handles of Window.h and Graphics.h are SDL's window and surface.
SDL_Window* Sdl(NativeWindow* window) { return reinterpret_cast<SDL_Window*>(window); }
SDL_Surface* Sdl(NativeSurface* surface) { return reinterpret_cast<SDL_Surface*>(surface); }

constexpr const char* kOverlayFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kOverlayFontSize = 13;
constexpr int kBandPadding = 4;
constexpr int kBandMaxWidth = 4096;
constexpr int kOutlineWidth = 2;
// The status line wraps onto at most this many lines; the last is cut with "...".
constexpr int kStatusLines = 3;
constexpr int kWrapSpans = 32;

}  // namespace

bool ParseGeometry(const char* text, WindowPlacement* placement) {
  if (text == nullptr || placement == nullptr) {
    return false;
  }
  WindowPlacement read = *placement;
  const char* p = text;
  long value = 0;
  if (*p != '+') {
    long width = 0;
    if (!ReadNumber(p, false, &width) || *p++ != 'x' || !ReadNumber(p, false, &value) || width < 1 ||
        value < 1) {
      return false;
    }
    read.fixedSize = true;
    read.width = static_cast<int>(width);
    read.height = static_cast<int>(value);
  }
  if (*p != '\0') {
    long x = 0;
    if (!ReadNumber(p, true, &x) || !ReadNumber(p, true, &value) || *p != '\0') {
      return false;
    }
    read.x = static_cast<int>(x);
    read.y = static_cast<int>(value);
  }
  *placement = read;
  return true;
}

void SdlWindow::ToPicture(uint32_t windowId, int x, int y, int* pictureX, int* pictureY) {
  SDL_Window* window = windowId != 0 ? SDL_GetWindowFromID(windowId) : nullptr;
  const auto* shown = window != nullptr ? static_cast<const SdlWindow*>(SDL_GetWindowData(window, kWindowData)) : nullptr;
  if (shown == nullptr) {
    *pictureX = x;
    *pictureY = y;
    return;
  }
  shown->Arrange();
  if (shown->scale_ == 1.0 && !shown->fit_) {
    *pictureX = x;
    *pictureY = y;
    return;
  }
  // Present stretches the client area to its size times the scale; the
  // stretch samples source pixel ((i + 1/2) * step) for target pixel i, with
  // the step in 16.16 fixed point.
  const Rect client = shown->GetClientRect();
  auto map = [&](int at, int offset, int size) {
    const int64_t target = std::lround(size * shown->scale_);
    const int64_t i = at - offset;
    if (target <= 0 || i < 0) {
      return static_cast<int>(std::floor((i + 0.5) / shown->scale_));
    }
    const int64_t step = (int64_t{size} << 16) / target;
    return static_cast<int>((i * step + step / 2) >> 16);
  };
  *pictureX = map(x, shown->offsetX_, client.right);
  *pictureY = map(y, shown->offsetY_, client.bottom);
}

void SdlWindow::Arrange() const {
  if (!fit_ || window_ == nullptr) {
    return;
  }
  int w = 0;
  int h = 0;
  SDL_GetWindowSize(Sdl(window_), &w, &h);
  double scale = std::min(static_cast<double>(w) / fitWidth_, static_cast<double>(h) / fitHeight_);
  scale = std::clamp(scale, WindowPlacement::kMinScale, WindowPlacement::kMaxScale);
  scale_ = scale;
  offsetX_ = std::max(0, (w - static_cast<int>(std::lround(fitWidth_ * scale))) / 2);
  offsetY_ = std::max(0, (h - static_cast<int>(std::lround(fitHeight_ * scale))) / 2);
}

SdlWindow::~SdlWindow() { Destroy(); }

bool SdlWindow::Create(const char* title, int clientWidth, int clientHeight, char* error, std::size_t errorSize,
                       Frame frame, const WindowPlacement& placement) {
  Destroy();
  auto fail = [&](const char* format, auto... values) {
    if (error != nullptr && errorSize > 0) {
      std::snprintf(error, errorSize, format, values...);
    }
    return false;
  };
  const int displays = SDL_GetNumVideoDisplays();
  if (placement.display < 0 || placement.display >= displays) {
    return fail("there is no monitor %d: the display has %d (numbered from 0)", placement.display, displays);
  }
  SDL_Rect monitor{0, 0, 0, 0};
  if (SDL_GetDisplayBounds(placement.display, &monitor) != 0) {
    return fail("monitor %d: %s", placement.display, SDL_GetError());
  }
  // NaN and out-of-range scales are refused by the caller; here they are 1.
  const bool scaleUsable = placement.scale >= WindowPlacement::kMinScale && placement.scale <= WindowPlacement::kMaxScale;
  scale_ = scaleUsable ? placement.scale : 1.0;
  offsetX_ = 0;
  offsetY_ = 0;
  fit_ = placement.fit && placement.fitWidth > 0 && placement.fitHeight > 0;
  fitWidth_ = placement.fitWidth;
  fitHeight_ = placement.fitHeight;
  if (fit_) {
    scale_ = 1.0;  // until the window's size is known
  }
  int width = static_cast<int>(std::lround(clientWidth * scale_));
  int height = static_cast<int>(std::lround(clientHeight * scale_));
  if (placement.fixedSize) {
    width = placement.width;
    height = placement.height;
  }
  int x = monitor.x + placement.x;
  int y = monitor.y + placement.y;
  Uint32 flags = SDL_WINDOW_SHOWN | (frame == Frame::Sizable ? SDL_WINDOW_RESIZABLE : 0);
  if (placement.fullscreen) {
    // Made at the monitor's place and size, so that it covers the monitor
    // even where no window manager handles the full-screen request.
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    x = monitor.x;
    y = monitor.y;
    width = monitor.w;
    height = monitor.h;
  }
  // The window surface is a plain software framebuffer. An accelerated one
  // makes SDL recreate the window when the surface is first used, which loses
  // the events sent to the first window.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Window* created = SDL_CreateWindow(title != nullptr ? title : "", x, y, width, height, flags);
  window_ = reinterpret_cast<NativeWindow*>(created);
  if (created == nullptr) {
    return fail("SDL_CreateWindow: %s", SDL_GetError());
  }
  SDL_SetWindowData(created, kWindowData, this);
  Arrange();
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
  if (scaled_ != nullptr) {
    SDL_FreeSurface(Sdl(scaled_));
    scaled_ = nullptr;
  }
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
    case Key::F2: code = SDL_SCANCODE_F2; break;
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
  const Rect client = GetClientRect();
  w = client.right;
  h = client.bottom;
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
  if (window_ != nullptr && fit_) {
    // The fitted picture pixels (more where the scale's limit leaves room).
    Arrange();
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(Sdl(window_), &w, &h);
    rect.right = std::max(fitWidth_, PictureSize(w - 2 * offsetX_, scale_));
    rect.bottom = std::max(fitHeight_, PictureSize(h - 2 * offsetY_, scale_));
  } else if (window_ != nullptr) {
    SDL_GetWindowSize(Sdl(window_), &rect.right, &rect.bottom);
    rect.right = PictureSize(rect.right, scale_);
    rect.bottom = PictureSize(rect.bottom, scale_);
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

void SdlWindow::TakeFocus() {
  if (window_ != nullptr) {
    SDL_RaiseWindow(Sdl(window_));
    SDL_SetWindowInputFocus(Sdl(window_));
  }
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
  SDL_Surface* target = Sdl(DrawTarget());
  if (target == nullptr) {
    return;
  }
  CopyView(target, picture, source, destX, destY, background);
  // While an overlay is on, the whole client area is presented.
  DrawOverlay(reinterpret_cast<NativeSurface*>(target));
  Present();
  shownOn_ = target;
  shownWidth_ = target->w;
  shownHeight_ = target->h;
  shownBackground_ = background;
}

NativeSurface* SdlWindow::DrawTarget() {
  SDL_Surface* shown = SDL_GetWindowSurface(Sdl(window_));
  if (shown == nullptr || (scale_ == 1.0 && !fit_)) {
    return reinterpret_cast<NativeSurface*>(shown);
  }
  const Rect client = GetClientRect();
  const int width = client.right;
  const int height = client.bottom;
  if (scaled_ == nullptr || Sdl(scaled_)->w != width || Sdl(scaled_)->h != height) {
    if (scaled_ != nullptr) {
      SDL_FreeSurface(Sdl(scaled_));
    }
    // Made again only when the window's size changes.
    scaled_ = reinterpret_cast<NativeSurface*>(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, shown->format->format));
  }
  return scaled_;
}

void SdlWindow::Present() {
  SDL_Surface* shown = SDL_GetWindowSurface(Sdl(window_));
  if (shown != nullptr && scaled_ != nullptr && (scale_ != 1.0 || fit_)) {
    // Stretched to the picture's size times the scale at the offset,
    // sampling at each window pixel's centre, as the event decoder maps the
    // pointer back.
    SDL_Surface* source = Sdl(scaled_);
    SDL_Rect dest{offsetX_, offsetY_, static_cast<int>(std::lround(source->w * scale_)),
                  static_cast<int>(std::lround(source->h * scale_))};
    SDL_BlitScaled(source, nullptr, shown, &dest);
    const int right = dest.x + dest.w;
    const int bottom = dest.y + dest.h;
    const SDL_Rect rest[] = {{0, 0, shown->w, dest.y},
                             {0, bottom, shown->w, shown->h - bottom},
                             {0, dest.y, dest.x, dest.h},
                             {right, dest.y, shown->w - right, dest.h}};
    for (const SDL_Rect& strip : rest) {
      if (strip.w > 0 && strip.h > 0) {
        SDL_FillRect(shown, &strip, SDL_MapRGB(shown->format, 0, 0, 0));
      }
    }
  }
  SDL_UpdateWindowSurface(Sdl(window_));
}

void SdlWindow::ShowPictureParts(const DrawSurface& picture, const Rect& source, int destX, int destY,
                                 const Rect* parts, int count) {
  if (window_ == nullptr) {
    return;
  }
  SDL_Surface* target = Sdl(DrawTarget());
  if (target == nullptr) {
    return;
  }
  // A view on a new surface (nothing of it is shown) is shown whole.
  if (target != shownOn_ || target->w != shownWidth_ || target->h != shownHeight_ || count > DamageList::kCapacity) {
    ShowPicture(picture, source, destX, destY, shownBackground_);
    return;
  }
  if (count <= 0) {
    return;
  }
  SDL_Rect changed[DamageList::kCapacity + 4];
  int shown = CopyViewParts(target, picture, source, destX, destY, parts, count, changed);
  if (shown <= 0) {
    return;
  }
  // An outline over a changed part is drawn again (texts are shown whole).
  if (overlay_.outlined) {
    Rect sides[4];
    const int drawn = DrawOutline(reinterpret_cast<NativeSurface*>(target), sides);
    for (int i = 0; i < drawn; i++) {
      changed[shown++] = SDL_Rect{sides[i].left, sides[i].top, sides[i].Width(), sides[i].Height()};
    }
  }
  if (scale_ != 1.0 || fit_) {
    Present();  // stretched whole, so the parts show no seams
  } else {
    SDL_UpdateWindowSurfaceRects(Sdl(window_), changed, shown);
  }
}

void SdlWindow::DrawOverlay(NativeSurface* native) {
  SDL_Surface* target = Sdl(native);
  if (overlay_.IsEmpty() || target == nullptr) {
    return;
  }
  if (overlay_.outlined) {
    Rect sides[4];
    DrawOutline(native, sides);
  }
  if (overlay_.notice[0] == '\0' && overlay_.status[0] == '\0') {
    return;
  }
  if (!fontTried_) {
    fontTried_ = true;
    char error[512];
    if (!font_.Open(kOverlayFont, kOverlayFontSize, error, sizeof error)) {
      std::fprintf(stderr, "overlay text: %s\n", error);
    } else {
      band_.Create(kBandMaxWidth, font_.LineHeight() + 2 * kBandPadding);
    }
  }
  if (!font_.IsOpen() || !band_.IsValid()) {
    return;
  }
  const int bandHeight = band_.Height();
  if (overlay_.notice[0] != '\0') {
    const int width = font_.MeasureText(overlay_.notice, sizeof overlay_.notice) + 4 * kBandPadding;
    DrawBand(native, overlay_.notice, (target->w - width) / 2, (target->h - bandHeight) / 2, width);
  }
  if (overlay_.status[0] != '\0') {
    DrawStatus(native, bandHeight);
  }
}

int SdlWindow::DrawOutline(NativeSurface* native, Rect* drawn) {
  SDL_Surface* target = Sdl(native);
  const Rect& r = overlay_.outline;
  const Uint32 colour = SDL_MapRGB(target->format, 0xFF, 0x30, 0xC0);
  const int w = overlay_.thin ? 1 : kOutlineWidth;
  const SDL_Rect sides[] = {{r.left - w, r.top - w, r.Width() + 2 * w, w},
                            {r.left - w, r.bottom, r.Width() + 2 * w, w},
                            {r.left - w, r.top, w, r.Height()},
                            {r.right, r.top, w, r.Height()}};
  int count = 0;
  for (const SDL_Rect& side : sides) {
    SDL_Rect clipped;
    const SDL_Rect all{0, 0, target->w, target->h};
    if (side.w > 0 && side.h > 0 && SDL_IntersectRect(&side, &all, &clipped) == SDL_TRUE) {
      SDL_FillRect(target, &clipped, colour);
      drawn[count++] = Rect{clipped.x, clipped.y, clipped.x + clipped.w, clipped.y + clipped.h};
    }
  }
  return count;
}

void SdlWindow::DrawStatus(NativeSurface* target, int bandHeight) {
  const int width = Sdl(target)->w;
  TextSpan spans[kWrapSpans];
  const int inner = width - 4 * kBandPadding;
  const int count = font_.WrapTail(overlay_.status, inner > 1 ? inner : 1, spans, kWrapSpans);
  const int lines = count < kStatusLines ? count : kStatusLines;
  char line[sizeof overlay_.status + 4];
  for (int i = 0; i < lines; i++) {
    std::size_t length = spans[i].length < sizeof line - 4 ? spans[i].length : sizeof line - 4;
    std::memcpy(line, overlay_.status + spans[i].start, length);
    if (i == lines - 1 && count > lines) {
      // Cut so that the "..." still fits the width.
      const int dots = font_.MeasureText("...", 3);
      while (length > 0 && font_.MeasureText(line, length) + dots > inner) {
        length--;
      }
      std::memcpy(line + length, "...", 3);
      length += 3;
    }
    line[length] = '\0';
    DrawBand(target, line, 0, Sdl(target)->h - (lines - i) * bandHeight, width);
  }
}

void SdlWindow::DrawBand(NativeSurface* target, const char* text, int x, int y, int width) {
  const int w = width < band_.Width() ? width : band_.Width();
  if (w <= 0) {
    return;
  }
  const Rect band{0, 0, w, band_.Height()};
  band_.FillRect(band, 0x20, 0x20, 0x28);
  font_.DrawText(band_, 2 * kBandPadding, kBandPadding, text, std::strlen(text), band, 0xFF, 0xF0, 0xA0);
  SDL_Rect source{0, 0, w, band_.Height()};
  SDL_Rect dest{x, y, w, band_.Height()};
  SDL_BlitSurface(Sdl(band_.Native()), &source, Sdl(target), &dest);
}

}  // namespace platform
