// The drawing services the controls and the main dialog need, on SDL2 surfaces.
// Works without any window or video initialisation, so tests run headless.
#pragma once

#include <cstddef>
#include <cstdint>

struct SDL_Surface;
struct SDL_Window;

namespace platform {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // True when the point lies strictly inside: a point on an edge is outside.
  bool ContainsStrictly(int x, int y) const { return left < x && x < right && top < y && y < bottom; }
};

// A bitmap loaded from a .bmp file at its own size, converted once to the
// drawing format. Owns its pixels; released by its owner (or its destructor).
class Bitmap {
 public:
  Bitmap() = default;
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;

  // Loads the file (path resolved as in FilePath.h). On failure the error
  // text names the path and the reason, and the bitmap stays empty.
  bool Load(const char* path, char* error, std::size_t errorSize);
  // Takes ownership of a surface (converted to the drawing format).
  bool Adopt(SDL_Surface* surface);
  void Release();
  bool IsLoaded() const { return surface_ != nullptr; }
  int Width() const;
  int Height() const;
  SDL_Surface* Surface() const { return surface_; }

 private:
  SDL_Surface* surface_ = nullptr;
};

// The memory drawing surface: holds a picture onto which bitmaps are copied
// unchanged (no stretching, no transparency).
class DrawSurface {
 public:
  DrawSurface() = default;
  ~DrawSurface();
  DrawSurface(const DrawSurface&) = delete;
  DrawSurface& operator=(const DrawSurface&) = delete;

  // A blank (black) surface of the given size.
  bool Create(int width, int height);
  // Replaces the surface with the picture in the bitmap file.
  bool LoadPicture(const char* path, char* error, std::size_t errorSize);
  void Release();
  bool IsValid() const { return surface_ != nullptr; }
  int Width() const;
  int Height() const;

  // Copies the whole bitmap with its top-left at x, y (clipped to the surface).
  void DrawBitmap(const Bitmap& bitmap, int x, int y);
  // Copies a part of the bitmap (source rectangle) to x, y.
  void DrawBitmapPart(const Bitmap& bitmap, const Rect& source, int x, int y);
  // A dotted focus-style frame just inside the rectangle.
  void DrawFocusFrame(const Rect& rect);
  void FillRect(const Rect& rect, uint8_t r, uint8_t g, uint8_t b);
  // Pixel colour as 0xRRGGBB; 0 outside the surface.
  uint32_t PixelAt(int x, int y) const;

  // Copies the source rectangle of this surface to the window's surface at
  // (destX, destY); the window clips what lies outside. Does not present.
  bool CopyToWindow(SDL_Window* window, const Rect& source, int destX, int destY) const;

  SDL_Surface* Surface() const { return surface_; }

 private:
  SDL_Surface* surface_ = nullptr;
};

// Writes the surface as a .bmp file (used by the art generator and tests).
bool SaveBitmapFile(SDL_Surface* surface, const char* path, char* error, std::size_t errorSize);

}  // namespace platform
