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

// The opaque picture handle of Graphics.h is an SDL surface.
SDL_Surface* Sdl(NativeSurface* surface) { return reinterpret_cast<SDL_Surface*>(surface); }
NativeSurface* Opaque(SDL_Surface* surface) { return reinterpret_cast<NativeSurface*>(surface); }

void SetError(char* error, std::size_t size, const char* path, const char* reason) {
  if (error != nullptr && size > 0) {
    std::snprintf(error, size, "%s : %s", path != nullptr ? path : "(null)", reason);
  }
}

uint32_t ReadLe(const unsigned char* p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; i--) {
    value = (value << 8) | p[i];
  }
  return value;
}

// Checks the headers of a .bmp file before SDL reads it: a damaged or hostile
// header must not make the loader allocate a huge picture or read past the
// file, whatever its compression and bit depth (a small run-length file or a
// sparse one can claim any size). Null when the file looks sound, otherwise
// the reason (in reason, for the size refusal).
const char* CheckBitmapHeader(const char* path, long long fileSize, long long maxSide, char* reason,
                              std::size_t reasonSize) {
  unsigned char header[54] = {};
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return std::strerror(errno);
  }
  const std::size_t got = std::fread(header, 1, sizeof header, file);
  std::fclose(file);
  if (got < 26 || header[0] != 'B' || header[1] != 'M') {
    return "Not a bitmap file";
  }
  const long long dataOffset = ReadLe(header + 10, 4);
  const uint32_t infoSize = ReadLe(header + 14, 4);
  long long width = 0;
  long long height = 0;
  long long bitsPerPixel = 0;
  uint32_t compression = 0;
  if (infoSize == 12) {
    width = static_cast<int16_t>(ReadLe(header + 18, 2));
    height = static_cast<int16_t>(ReadLe(header + 20, 2));
    bitsPerPixel = ReadLe(header + 24, 2);
  } else if (infoSize >= 40 && got >= 34) {
    width = static_cast<int32_t>(ReadLe(header + 18, 4));
    height = static_cast<int32_t>(ReadLe(header + 22, 4));
    bitsPerPixel = ReadLe(header + 28, 2);
    compression = ReadLe(header + 30, 4);
  } else {
    return "Bitmap header damaged";
  }
  if (height < 0) {
    height = -height;
  }
  if (width <= 0 || height <= 0 || bitsPerPixel == 0 || bitsPerPixel > 32) {
    return "Bitmap size out of range";
  }
  if (width > maxSide || height > maxSide) {
    std::snprintf(reason, reasonSize, "Bitmap of %lld x %lld pixels refused: at most %lld x %lld here", width,
                  height, maxSide, maxSide);
    return reason;
  }
  // Uncompressed rows: check the pixels fit in the file.
  if (compression == 0 || compression == 3 || compression == 6) {
    const long long rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    if (dataOffset + rowBytes * height > fileSize) {
      return "Bitmap file truncated";
    }
  }
  return nullptr;
}

// Loads and converts a .bmp file; null with the error text on failure.
SDL_Surface* LoadConverted(const char* path, long long maxSide, char* error, std::size_t errorSize) {
  if (path == nullptr || path[0] == '\0') {
    SetError(error, errorSize, path, "No file name");
    return nullptr;
  }
  char resolved[4096];
  if (std::strlen(path) >= sizeof resolved) {
    SetError(error, errorSize, path, std::strerror(ENAMETOOLONG));
    return nullptr;
  }
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
  char refusal[128];
  if (const char* reason =
          CheckBitmapHeader(resolved, static_cast<long long>(st.st_size), maxSide, refusal, sizeof refusal)) {
    SetError(error, errorSize, path, reason);
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
  surface_ = Opaque(LoadConverted(path, kMaxSide, error, errorSize));
  return surface_ != nullptr;
}

void Bitmap::Release() {
  if (surface_ != nullptr) {
    SDL_FreeSurface(Sdl(surface_));
    surface_ = nullptr;
  }
}

int Bitmap::Width() const { return surface_ != nullptr ? Sdl(surface_)->w : 0; }
int Bitmap::Height() const { return surface_ != nullptr ? Sdl(surface_)->h : 0; }

DrawSurface::~DrawSurface() { Release(); }

bool DrawSurface::Create(int width, int height) {
  Release();
  if (width <= 0 || height <= 0) {
    return false;
  }
  SDL_Surface* created = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, kDrawingFormat);
  if (created != nullptr) {
    SDL_SetSurfaceBlendMode(created, SDL_BLENDMODE_NONE);
    SDL_FillRect(created, nullptr, SDL_MapRGB(created->format, 0, 0, 0));
  }
  surface_ = Opaque(created);
  return surface_ != nullptr;
}

bool DrawSurface::CreateFromPixels(const uint32_t* pixels, int width, int height) {
  if (pixels == nullptr || !Create(width, height)) {
    return false;
  }
  SDL_Surface* s = Sdl(surface_);
  for (int y = 0; y < height; y++) {
    auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < width; x++) {
      const uint32_t rgb = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
      row[x] = SDL_MapRGB(s->format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    }
  }
  return true;
}

bool DrawSurface::LoadPicture(const char* path, char* error, std::size_t errorSize) {
  SDL_Surface* picture = LoadConverted(path, kMaxPictureSide, error, errorSize);
  if (picture == nullptr) {
    return false;
  }
  Release();
  surface_ = Opaque(picture);
  return true;
}

void DrawSurface::Release() {
  if (surface_ != nullptr) {
    SDL_FreeSurface(Sdl(surface_));
    surface_ = nullptr;
  }
}

int DrawSurface::Width() const { return surface_ != nullptr ? Sdl(surface_)->w : 0; }
int DrawSurface::Height() const { return surface_ != nullptr ? Sdl(surface_)->h : 0; }

void DrawSurface::DrawBitmap(const Bitmap& bitmap, int x, int y) {
  if (surface_ == nullptr || !bitmap.IsLoaded()) {
    return;
  }
  SDL_Rect dest{x, y, bitmap.Width(), bitmap.Height()};
  SDL_BlitSurface(Sdl(bitmap.Native()), nullptr, Sdl(surface_), &dest);
}

void DrawSurface::DrawBitmapPart(const Bitmap& bitmap, const Rect& source, int x, int y) {
  if (surface_ == nullptr || !bitmap.IsLoaded() || source.Width() <= 0 || source.Height() <= 0) {
    return;
  }
  SDL_Rect src{source.left, source.top, source.Width(), source.Height()};
  SDL_Rect dest{x, y, source.Width(), source.Height()};
  SDL_BlitSurface(Sdl(bitmap.Native()), &src, Sdl(surface_), &dest);
}

void DrawSurface::DrawFocusFrame(const Rect& rect) {
  if (surface_ == nullptr || rect.right <= rect.left || rect.bottom <= rect.top) {
    return;
  }
  SDL_Surface* s = Sdl(surface_);
  // Alternate pixels in inverted colour, like a focus rectangle; only the
  // part on the surface is visited, keeping the pattern's phase.
  const int64_t left = rect.left;
  const int64_t top = rect.top;
  const int64_t right = rect.right - int64_t{1};
  const int64_t bottom = rect.bottom - int64_t{1};
  auto invert = [s](int64_t x, int64_t y) {
    auto* row = static_cast<Uint8*>(s->pixels) + y * s->pitch;
    reinterpret_cast<Uint32*>(row)[x] ^= 0x00FFFFFFu;
  };
  auto firstOnSurface = [](int64_t from, int64_t start) {
    return from >= start ? from : from + ((start - from + 1) / 2) * 2;
  };
  const int64_t w = s->w;
  const int64_t h = s->h;
  if (SDL_MUSTLOCK(s)) {
    SDL_LockSurface(s);
  }
  for (int64_t x = firstOnSurface(left, 0); x <= right && x < w; x += 2) {
    if (top >= 0 && top < h) {
      invert(x, top);
    }
    // A one-pixel-high frame inverts its single row once.
    if (bottom != top && bottom >= 0 && bottom < h) {
      invert(x, bottom);
    }
  }
  for (int64_t y = firstOnSurface(top + 2, 0); y < bottom && y < h; y += 2) {
    if (left >= 0 && left < w) {
      invert(left, y);
    }
    if (right != left && right >= 0 && right < w) {
      invert(right, y);
    }
  }
  if (SDL_MUSTLOCK(s)) {
    SDL_UnlockSurface(s);
  }
}

void DrawSurface::FillRect(const Rect& rect, uint8_t r, uint8_t g, uint8_t b) {
  if (surface_ == nullptr) {
    return;
  }
  SDL_Surface* s = Sdl(surface_);
  SDL_Rect dest{rect.left, rect.top, rect.Width(), rect.Height()};
  SDL_FillRect(s, &dest, SDL_MapRGB(s->format, r, g, b));
}

uint32_t DrawSurface::PixelAt(int x, int y) const {
  SDL_Surface* s = Sdl(surface_);
  if (s == nullptr || x < 0 || y < 0 || x >= s->w || y >= s->h) {
    return 0;
  }
  const auto* row = static_cast<const Uint8*>(s->pixels) + y * s->pitch;
  Uint32 pixel = reinterpret_cast<const Uint32*>(row)[x];
  Uint8 r = 0;
  Uint8 g = 0;
  Uint8 b = 0;
  SDL_GetRGB(pixel, s->format, &r, &g, &b);
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

bool SaveBitmapFile(const DrawSurface& surface, const char* path, char* error, std::size_t errorSize) {
  if (!surface.IsValid() || path == nullptr) {
    SetError(error, errorSize, path, "Nothing to save");
    return false;
  }
  SDL_Surface* packed = SDL_ConvertSurfaceFormat(Sdl(surface.Native()), SDL_PIXELFORMAT_BGR24, 0);
  if (packed == nullptr) {
    SetError(error, errorSize, path, SDL_GetError());
    return false;
  }
  char native[4096];
  ToNativePath(path, native, sizeof native);
  const bool saved = SDL_SaveBMP(packed, native) == 0;
  if (!saved) {
    SetError(error, errorSize, path, SDL_GetError());
  }
  SDL_FreeSurface(packed);
  return saved;
}

}  // namespace platform
