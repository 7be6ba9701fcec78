// The drawing services the controls and the main dialog need. The pictures
// are the window system's own (opaque here: only platform/ looks inside).
// Works without any window or video initialisation, so tests run headless.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A picture of the window system; its layout is known inside platform/ only.
struct NativeSurface;
class PassLog;

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // True when the point lies strictly inside: a point on an edge is outside.
  bool ContainsStrictly(int x, int y) const { return left < x && x < right && top < y && y < bottom; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
};

// The part both rectangles cover (empty when they do not meet).
Rect Intersect(const Rect& a, const Rect& b);
// The smallest rectangle holding both; an empty one adds nothing.
Rect Union(const Rect& a, const Rect& b);
// The rectangle of the size at x, y, its far edges kept within int.
Rect PlacedRect(int x, int y, int width, int height);

// The rectangles of a picture that changed since the list was last cleared.
// Fixed capacity, nothing allocated: a rectangle that overlaps or touches one
// already listed is merged with it, and when the list is full it is merged
// with the listed one that grows least by it.
class DamageList {
 public:
  static constexpr int kCapacity = 256;

  void Add(const Rect& rect);
  void Clear() { count_ = 0; }
  bool IsEmpty() const { return count_ == 0; }
  int Count() const { return count_; }
  const Rect* Rects() const { return rects_; }

 private:
  Rect rects_[kCapacity];
  int count_ = 0;
};

// A bitmap loaded from a .bmp file at its own size, converted once to the
// drawing format. Owns its pixels; released by its owner (or its destructor).
class Bitmap {
 public:
  // The largest control image loaded, in pixels per side: a file claiming
  // more is refused before anything is decoded.
  static constexpr int kMaxSide = 1024;

  Bitmap() = default;
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;

  // Loads the file (path resolved as in FilePath.h). On failure the error
  // text names the path and the reason, and the bitmap stays empty.
  bool Load(const char* path, char* error, std::size_t errorSize);
  void Release();
  bool IsLoaded() const { return surface_ != nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  NativeSurface* Native() const { return surface_; }

 private:
  NativeSurface* surface_ = nullptr;
  // Kept here too: drawing reads them without visiting the pixels' header.
  int width_ = 0;
  int height_ = 0;
};

// The memory drawing surface: holds a picture onto which bitmaps are copied
// unchanged (no stretching, no transparency).
class DrawSurface {
 public:
  // The largest picture loaded, in pixels per side (the overhead picture is
  // 1880 x 1300): a file claiming more is refused before it is decoded.
  static constexpr int kMaxPictureSide = 4096;

  DrawSurface() = default;
  ~DrawSurface();
  DrawSurface(const DrawSurface&) = delete;
  DrawSurface& operator=(const DrawSurface&) = delete;

  // A blank (black) surface of the given size.
  bool Create(int width, int height);
  // A surface of the given size from rows of 0xRRGGBB pixels.
  bool CreateFromPixels(const uint32_t* pixels, int width, int height);
  // Replaces the surface with the picture in the bitmap file.
  bool LoadPicture(const char* path, char* error, std::size_t errorSize);
  void Release();
  bool IsValid() const { return surface_ != nullptr; }
  int Width() const;
  int Height() const;

  // While a list is set, every drawing call adds the rectangle it changed:
  // DrawBitmap compares first and writes only the rows that differ, so
  // drawing an unchanged image again changes nothing and adds nothing. Null
  // (the default) draws without comparing.
  void SetDamageList(DamageList* damage) { damage_ = damage; }
  // Drawing passes. Between BeginPass and EndPass, DrawBitmap only records
  // its copies in the log; EndPass compares them with the previous pass's
  // and repaints only where the picture changes, listing those rectangles in
  // the damage list. The result is the same as drawing every copy at once.
  // Any other drawing, in or outside a pass, makes the next pass repaint all
  // its copies (comparing, as above). Null (the default): no passes.
  void SetPassLog(PassLog* log) { log_ = log; }
  void BeginPass();
  void EndPass();
  // Inside a pass: what is drawn next belongs to the part with this key (a
  // panel). RepeatSegment records the part's copies of the previous pass
  // again instead of drawing it, for a part known to draw the same; false
  // when that is not possible (the caller then draws the part).
  void BeginSegment(int key);
  bool RepeatSegment(int key);
  // The surface holds exactly what the last pass drew (nothing drawn since,
  // nothing recorded lost): a pass that would repeat it may be left out.
  bool KnowsLastPass() const;

  // Keeps a copy of the picture as it is now (the panel picture without its
  // controls), for RestoreBackground. False when there is no memory for it.
  bool KeepBackground();
  // Puts the kept pixels back inside the rectangle: a control that is no
  // longer drawn leaves the picture beneath it, not its last image. Nothing
  // when no copy is kept.
  void RestoreBackground(const Rect& rect);

  // Copies the whole bitmap with its top-left at x, y (clipped to the surface).
  void DrawBitmap(const Bitmap& bitmap, int x, int y);
  // Copies a part of the bitmap (source rectangle) to x, y.
  void DrawBitmapPart(const Bitmap& bitmap, const Rect& source, int x, int y);
  // A dotted focus-style frame just inside the rectangle.
  void DrawFocusFrame(const Rect& rect);
  void FillRect(const Rect& rect, uint8_t r, uint8_t g, uint8_t b);
  // Pixel colour as 0xRRGGBB; 0 outside the surface.
  uint32_t PixelAt(int x, int y) const;

  NativeSurface* Native() const { return surface_; }

 private:
  // Adds the part of the rectangle on the surface to the damage list, if any.
  void AddDamage(int64_t left, int64_t top, int64_t right, int64_t bottom);
  // Copies the area (surface coordinates) of the bitmap placed at x, y,
  // writing (and listing) only the rows that differ.
  void CopyChanged(NativeSurface* bitmap, int x, int y, const Rect& area);
  // Records the copy while a pass is recording, otherwise draws it.
  void Copy(NativeSurface* bitmap, int x, int y, const Rect& area);
  // Something other than a recorded copy is drawn: the copies recorded so far
  // are drawn now, and the rest of the pass draws directly.
  void BreakPass();

  NativeSurface* surface_ = nullptr;
  NativeSurface* background_ = nullptr;
  DamageList* damage_ = nullptr;
  PassLog* log_ = nullptr;
  bool inPass_ = false;
  bool passDirect_ = false;
};

// Writes the surface as a 24-bit .bmp file (used by the art generator and tests).
bool SaveBitmapFile(const DrawSurface& surface, const char* path, char* error, std::size_t errorSize);

}  // namespace platform
