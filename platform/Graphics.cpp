#include "platform/Graphics.h"

#include <SDL.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/FilePath.h"

namespace platform {

namespace {

// Every bitmap and the drawing surface share one pixel format, so copies are
// plain block copies.
constexpr Uint32 kDrawingFormat = SDL_PIXELFORMAT_XRGB8888;

void SetError(char* error, std::size_t size, const char* path, const char* reason) {
  if (error != nullptr && size > 0) {
    std::snprintf(error, size, "%s : %s", path != nullptr ? path : "(null)", reason);
  }
}

// Loads and converts a .bmp file; null with the error text on failure.
SDL_Surface* LoadConverted(const char* path, char* error, std::size_t errorSize) {
  if (path == nullptr || path[0] == '\0') {
    SetError(error, errorSize, path, "No file name");
    return nullptr;
  }
  char resolved[4096];
  if (!ResolvePath(path, resolved, sizeof resolved)) {
    SetError(error, errorSize, path, std::strerror(ENOENT));
    return nullptr;
  }
  struct stat st;
  if (::stat(resolved, &st) != 0) {
    SetError(error, errorSize, path, std::strerror(errno));
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    SetError(error, errorSize, path, S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "Not a regular file");
    return nullptr;
  }
  SDL_Surface* raw = SDL_LoadBMP(resolved);
  if (raw == nullptr) {
    SetError(error, errorSize, path, SDL_GetError());
    return nullptr;
  }
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(raw, kDrawingFormat, 0);
  SDL_FreeSurface(raw);
  if (converted == nullptr) {
    SetError(error, errorSize, path, SDL_GetError());
    return nullptr;
  }
  SDL_SetSurfaceBlendMode(converted, SDL_BLENDMODE_NONE);
  return converted;
}

}  // namespace

Bitmap::~Bitmap() { Release(); }

Bitmap::Bitmap(Bitmap&& other) noexcept : surface_(other.surface_) { other.surface_ = nullptr; }

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this != &other) {
    Release();
    surface_ = other.surface_;
    other.surface_ = nullptr;
  }
  return *this;
}

bool Bitmap::Load(const char* path, char* error, std::size_t errorSize) {
  Release();
  surface_ = LoadConverted(path, error, errorSize);
  return surface_ != nullptr;
}

bool Bitmap::Adopt(SDL_Surface* surface) {
  Release();
  if (surface == nullptr) {
    return false;
  }
  surface_ = SDL_ConvertSurfaceFormat(surface, kDrawingFormat, 0);
  SDL_FreeSurface(surface);
  if (surface_ != nullptr) {
    SDL_SetSurfaceBlendMode(surface_, SDL_BLENDMODE_NONE);
  }
  return surface_ != nullptr;
}

void Bitmap::Release() {
  if (surface_ != nullptr) {
    SDL_FreeSurface(surface_);
    surface_ = nullptr;
  }
}

int Bitmap::Width() const { return surface_ != nullptr ? surface_->w : 0; }
int Bitmap::Height() const { return surface_ != nullptr ? surface_->h : 0; }

DrawSurface::~DrawSurface() { Release(); }

bool DrawSurface::Create(int width, int height) {
  Release();
  if (width <= 0 || height <= 0) {
    return false;
  }
  surface_ = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, kDrawingFormat);
  if (surface_ != nullptr) {
    SDL_SetSurfaceBlendMode(surface_, SDL_BLENDMODE_NONE);
    SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
  }
  return surface_ != nullptr;
}

bool DrawSurface::LoadPicture(const char* path, char* error, std::size_t errorSize) {
  SDL_Surface* picture = LoadConverted(path, error, errorSize);
  if (picture == nullptr) {
    return false;
  }
  Release();
  surface_ = picture;
  return true;
}

void DrawSurface::Release() {
  if (surface_ != nullptr) {
    SDL_FreeSurface(surface_);
    surface_ = nullptr;
  }
}

int DrawSurface::Width() const { return surface_ != nullptr ? surface_->w : 0; }
int DrawSurface::Height() const { return surface_ != nullptr ? surface_->h : 0; }

void DrawSurface::DrawBitmap(const Bitmap& bitmap, int x, int y) {
  if (surface_ == nullptr || !bitmap.IsLoaded()) {
    return;
  }
  SDL_Rect dest{x, y, bitmap.Width(), bitmap.Height()};
  SDL_BlitSurface(bitmap.Surface(), nullptr, surface_, &dest);
}

void DrawSurface::DrawBitmapPart(const Bitmap& bitmap, const Rect& source, int x, int y) {
  if (surface_ == nullptr || !bitmap.IsLoaded() || source.Width() <= 0 || source.Height() <= 0) {
    return;
  }
  SDL_Rect src{source.left, source.top, source.Width(), source.Height()};
  SDL_Rect dest{x, y, source.Width(), source.Height()};
  SDL_BlitSurface(bitmap.Surface(), &src, surface_, &dest);
}

void DrawSurface::DrawFocusFrame(const Rect& rect) {
  if (surface_ == nullptr || rect.Width() <= 0 || rect.Height() <= 0) {
    return;
  }
  // Alternate pixels in inverted colour, like a focus rectangle.
  auto invert = [this](int x, int y) {
    if (x < 0 || y < 0 || x >= surface_->w || y >= surface_->h) {
      return;
    }
    auto* row = static_cast<Uint8*>(surface_->pixels) + y * surface_->pitch;
    auto* pixel = reinterpret_cast<Uint32*>(row) + x;
    *pixel ^= 0x00FFFFFFu;
  };
  if (SDL_MUSTLOCK(surface_)) {
    SDL_LockSurface(surface_);
  }
  for (int x = rect.left; x < rect.right; x += 2) {
    invert(x, rect.top);
    invert(x, rect.bottom - 1);
  }
  for (int y = rect.top + 2; y < rect.bottom - 1; y += 2) {
    invert(rect.left, y);
    invert(rect.right - 1, y);
  }
  if (SDL_MUSTLOCK(surface_)) {
    SDL_UnlockSurface(surface_);
  }
}

void DrawSurface::FillRect(const Rect& rect, uint8_t r, uint8_t g, uint8_t b) {
  if (surface_ == nullptr) {
    return;
  }
  SDL_Rect dest{rect.left, rect.top, rect.Width(), rect.Height()};
  SDL_FillRect(surface_, &dest, SDL_MapRGB(surface_->format, r, g, b));
}

uint32_t DrawSurface::PixelAt(int x, int y) const {
  if (surface_ == nullptr || x < 0 || y < 0 || x >= surface_->w || y >= surface_->h) {
    return 0;
  }
  const auto* row = static_cast<const Uint8*>(surface_->pixels) + y * surface_->pitch;
  Uint32 pixel = reinterpret_cast<const Uint32*>(row)[x];
  Uint8 r = 0;
  Uint8 g = 0;
  Uint8 b = 0;
  SDL_GetRGB(pixel, surface_->format, &r, &g, &b);
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

bool DrawSurface::CopyToWindow(SDL_Window* window, const Rect& source, int destX, int destY) const {
  if (surface_ == nullptr || window == nullptr) {
    return false;
  }
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (target == nullptr) {
    return false;
  }
  SDL_Rect src{source.left, source.top, source.Width(), source.Height()};
  SDL_Rect dest{destX, destY, source.Width(), source.Height()};
  return SDL_BlitSurface(surface_, &src, target, &dest) == 0;
}

bool SaveBitmapFile(SDL_Surface* surface, const char* path, char* error, std::size_t errorSize) {
  if (surface == nullptr || path == nullptr) {
    SetError(error, errorSize, path, "Nothing to save");
    return false;
  }
  char native[4096];
  ToNativePath(path, native, sizeof native);
  if (SDL_SaveBMP(surface, native) != 0) {
    SetError(error, errorSize, path, SDL_GetError());
    return false;
  }
  return true;
}

}  // namespace platform
