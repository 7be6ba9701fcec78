#include "platform/Graphics.h"

#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/FilePath.h"
#include "platform/PassLog.h"

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

// The rectangles meet or share an edge.
bool Touches(const Rect& a, const Rect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

}  // namespace

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return r.IsEmpty() ? Rect{} : r;
}

Rect Union(const Rect& a, const Rect& b) {
  if (a.IsEmpty()) {
    return b;
  }
  if (b.IsEmpty()) {
    return a;
  }
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

Rect PlacedRect(int x, int y, int width, int height) {
  auto far = [](int from, int size) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{from} + size, INT32_MIN, INT32_MAX));
  };
  return Rect{x, y, far(x, width), far(y, height)};
}

void DamageList::Add(const Rect& rect) {
  if (rect.IsEmpty()) {
    return;
  }
  // Take in every listed rectangle the new one meets; a grown rectangle may
  // meet further ones, so the scan starts again after each take-in.
  Rect merged = rect;
  for (int i = 0; i < count_;) {
    if (Touches(rects_[i], merged)) {
      merged = Union(merged, rects_[i]);
      rects_[i] = rects_[--count_];
      i = 0;
    } else {
      i++;
    }
  }
  // Full: the rectangle is joined with the listed one that grows least by
  // it (then with whatever the grown one meets), so that many small changes
  // far apart (every lamp of the picture) stay many small rectangles.
  while (count_ == kCapacity) {
    int closest = 0;
    int64_t least = INT64_MAX;
    for (int i = 0; i < count_; i++) {
      const Rect joined = Union(merged, rects_[i]);
      const int64_t growth = int64_t{joined.Width()} * joined.Height() - int64_t{rects_[i].Width()} * rects_[i].Height();
      if (growth < least) {
        least = growth;
        closest = i;
      }
    }
    merged = Union(merged, rects_[closest]);
    rects_[closest] = rects_[--count_];
    for (int i = 0; i < count_;) {
      if (Touches(rects_[i], merged)) {
        merged = Union(merged, rects_[i]);
        rects_[i] = rects_[--count_];
        i = 0;
      } else {
        i++;
      }
    }
  }
  rects_[count_++] = merged;
}

Bitmap::~Bitmap() { Release(); }

Bitmap::Bitmap(Bitmap&& other) noexcept : surface_(other.surface_), width_(other.width_), height_(other.height_) {
  other.surface_ = nullptr;
  other.width_ = 0;
  other.height_ = 0;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this != &other) {
    Release();
    surface_ = other.surface_;
    width_ = other.width_;
    height_ = other.height_;
    other.surface_ = nullptr;
    other.width_ = 0;
    other.height_ = 0;
  }
  return *this;
}

bool Bitmap::Load(const char* path, char* error, std::size_t errorSize) {
  Release();
  surface_ = Opaque(LoadConverted(path, kMaxSide, error, errorSize));
  if (surface_ != nullptr) {
    width_ = Sdl(surface_)->w;
    height_ = Sdl(surface_)->h;
  }
  return surface_ != nullptr;
}

void Bitmap::Release() {
  if (surface_ != nullptr) {
    SDL_FreeSurface(Sdl(surface_));
    surface_ = nullptr;
  }
  width_ = 0;
  height_ = 0;
}

DrawSurface::~DrawSurface() {
  // The log and the list may be gone already; nothing more is drawn.
  log_ = nullptr;
  damage_ = nullptr;
  Release();
}

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
  AddDamage(0, 0, width, height);
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
  AddDamage(0, 0, Width(), Height());
  return true;
}

void DrawSurface::Release() {
  if (log_ != nullptr) {
    log_->Invalidate();
  }
  if (background_ != nullptr) {
    SDL_FreeSurface(Sdl(background_));
    background_ = nullptr;
  }
  if (surface_ != nullptr) {
    SDL_FreeSurface(Sdl(surface_));
    surface_ = nullptr;
  }
}

int DrawSurface::Width() const { return surface_ != nullptr ? Sdl(surface_)->w : 0; }
int DrawSurface::Height() const { return surface_ != nullptr ? Sdl(surface_)->h : 0; }

namespace {

// The part of the surface a copy of the bitmap at x, y covers; 64-bit sums, as
// a control may sit anywhere.
Rect CoveredArea(int width, int height, int x, int y, int surfaceWidth, int surfaceHeight) {
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + width, surfaceWidth);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + height, surfaceHeight);
  if (right <= left || bottom <= top) {
    return Rect{};
  }
  return Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)};
}

// Copies and compares row by row inside the area (within the bitmap placed at
// x, y); both surfaces are in the drawing format. Returns the rows changed as
// a rectangle, empty when none.
Rect CopyRows(const SDL_Surface* from, int x, int y, SDL_Surface* to, const Rect& area, bool compare) {
  const int64_t bytesPerPixel = to->format->BytesPerPixel;
  const auto rowBytes = static_cast<std::size_t>(int64_t{area.Width()} * bytesPerPixel);
  const auto* source = static_cast<const Uint8*>(from->pixels) + (int64_t{area.top} - y) * from->pitch +
                       (int64_t{area.left} - x) * bytesPerPixel;
  auto* target = static_cast<Uint8*>(to->pixels) + int64_t{area.top} * to->pitch + int64_t{area.left} * bytesPerPixel;
  int firstChanged = -1;
  int lastChanged = -1;
  for (int row = area.top; row < area.bottom; row++, source += from->pitch, target += to->pitch) {
    if (!compare || std::memcmp(source, target, rowBytes) != 0) {
      std::memcpy(target, source, rowBytes);
      if (firstChanged < 0) {
        firstChanged = row;
      }
      lastChanged = row;
    }
  }
  return firstChanged < 0 ? Rect{} : Rect{area.left, firstChanged, area.right, lastChanged + 1};
}

bool PlainCopyPossible(const SDL_Surface* from, const SDL_Surface* to) {
  return from->format->format == to->format->format && !SDL_MUSTLOCK(from) && !SDL_MUSTLOCK(to);
}

}  // namespace

void DrawSurface::DrawBitmap(const Bitmap& bitmap, int x, int y) {
  if (surface_ == nullptr || !bitmap.IsLoaded()) {
    return;
  }
  Copy(bitmap.Native(), x, y, CoveredArea(bitmap.Width(), bitmap.Height(), x, y, Sdl(surface_)->w, Sdl(surface_)->h));
}

bool DrawSurface::KeepBackground() {
  if (background_ != nullptr) {
    SDL_FreeSurface(Sdl(background_));
    background_ = nullptr;
  }
  if (surface_ != nullptr) {
    background_ = Opaque(SDL_DuplicateSurface(Sdl(surface_)));
  }
  return background_ != nullptr;
}

void DrawSurface::RestoreBackground(const Rect& rect) {
  if (surface_ == nullptr || background_ == nullptr) {
    return;
  }
  Copy(background_, 0, 0, Intersect(rect, Rect{0, 0, Width(), Height()}));
}

void DrawSurface::Copy(NativeSurface* bitmap, int x, int y, const Rect& area) {
  if (area.IsEmpty()) {
    return;  // off the surface: changes nothing
  }
  if (log_ != nullptr) {
    if (!inPass_) {
      log_->Invalidate();
    } else if (!passDirect_) {
      if (log_->Record(BitmapCopy{bitmap, x, y, area})) {
        return;
      }
      BreakPass();
    }
  }
  CopyChanged(bitmap, x, y, area);
}

void DrawSurface::CopyChanged(NativeSurface* bitmap, int x, int y, const Rect& area) {
  SDL_Surface* from = Sdl(bitmap);
  SDL_Surface* to = Sdl(surface_);
  if (damage_ == nullptr || !PlainCopyPossible(from, to)) {
    SDL_Rect src{area.left - x, area.top - y, area.Width(), area.Height()};
    SDL_Rect dest{area.left, area.top, area.Width(), area.Height()};
    SDL_BlitSurface(from, &src, to, &dest);
    AddDamage(area.left, area.top, area.right, area.bottom);
    return;
  }
  damage_->Add(CopyRows(from, x, y, to, area, true));
}

void DrawSurface::BeginPass() {
  if (log_ == nullptr || surface_ == nullptr) {
    return;
  }
  log_->Begin();
  inPass_ = true;
  passDirect_ = false;
}

void DrawSurface::BeginSegment(int key) {
  if (log_ != nullptr && inPass_ && !passDirect_) {
    log_->BeginSegment(key);
  }
}

bool DrawSurface::RepeatSegment(int key) {
  return log_ != nullptr && inPass_ && !passDirect_ && log_->RepeatSegment(key);
}

bool DrawSurface::KnowsLastPass() const { return log_ != nullptr && !inPass_ && log_->KnowsLastPass(); }

void DrawSurface::BreakPass() {
  if (log_ == nullptr) {
    return;
  }
  log_->Invalidate();
  if (inPass_ && !passDirect_) {
    passDirect_ = true;
    for (int i = 0; i < log_->Count(); i++) {
      const BitmapCopy& copy = log_->Copy(i);
      CopyChanged(copy.bitmap, copy.x, copy.y, copy.area);
    }
  }
}

void DrawSurface::EndPass() {
  if (!inPass_) {
    return;
  }
  inPass_ = false;
  if (passDirect_ || surface_ == nullptr) {
    log_->End();
    return;
  }
  DamageList unlisted;
  DamageList& damage = damage_ != nullptr ? *damage_ : unlisted;
  SDL_Surface* to = Sdl(surface_);
  if (!log_->Compare(damage)) {
    for (int i = 0; i < log_->Count(); i++) {
      const BitmapCopy& copy = log_->Copy(i);
      CopyChanged(copy.bitmap, copy.x, copy.y, copy.area);
    }
    log_->End();
    return;
  }
  // Every copy again, in order, but only inside the changed rectangles.
  for (int i = 0; i < log_->Count() && !damage.IsEmpty(); i++) {
    const BitmapCopy& copy = log_->Copy(i);
    SDL_Surface* from = Sdl(copy.bitmap);
    for (int j = 0; j < damage.Count(); j++) {
      const Rect part = Intersect(copy.area, damage.Rects()[j]);
      if (part.IsEmpty()) {
        continue;
      }
      if (PlainCopyPossible(from, to)) {
        CopyRows(from, copy.x, copy.y, to, part, false);
      } else {
        SDL_Rect src{part.left - copy.x, part.top - copy.y, part.Width(), part.Height()};
        SDL_Rect dest{part.left, part.top, part.Width(), part.Height()};
        SDL_BlitSurface(from, &src, to, &dest);
      }
    }
  }
  log_->End();
}

void DrawSurface::DrawBitmapPart(const Bitmap& bitmap, const Rect& source, int x, int y) {
  if (surface_ == nullptr || !bitmap.IsLoaded() || source.Width() <= 0 || source.Height() <= 0) {
    return;
  }
  BreakPass();
  SDL_Rect src{source.left, source.top, source.Width(), source.Height()};
  SDL_Rect dest{x, y, source.Width(), source.Height()};
  SDL_BlitSurface(Sdl(bitmap.Native()), &src, Sdl(surface_), &dest);
  AddDamage(x, y, int64_t{x} + source.Width(), int64_t{y} + source.Height());
}

void DrawSurface::AddDamage(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  if (damage_ == nullptr || surface_ == nullptr) {
    return;
  }
  auto clip = [](int64_t value, int limit) { return static_cast<int>(std::clamp<int64_t>(value, 0, limit)); };
  damage_->Add(Rect{clip(left, Width()), clip(top, Height()), clip(right, Width()), clip(bottom, Height())});
}

void DrawSurface::DrawFocusFrame(const Rect& rect) {
  if (surface_ == nullptr || rect.right <= rect.left || rect.bottom <= rect.top) {
    return;
  }
  BreakPass();
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
  AddDamage(rect.left, rect.top, rect.right, rect.bottom);
}

void DrawSurface::FillRect(const Rect& rect, uint8_t r, uint8_t g, uint8_t b) {
  if (surface_ == nullptr) {
    return;
  }
  BreakPass();
  SDL_Surface* s = Sdl(surface_);
  SDL_Rect dest{rect.left, rect.top, rect.Width(), rect.Height()};
  SDL_FillRect(s, &dest, SDL_MapRGB(s->format, r, g, b));
  AddDamage(rect.left, rect.top, rect.right, rect.bottom);
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
