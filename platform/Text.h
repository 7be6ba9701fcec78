// Text drawing with SDL2_ttf for 8-bit texts (Windows-1252 / Latin-1). The
// glyphs of one font size are rendered once when the font is opened, so
// drawing and measuring never allocate and any byte value is safe to draw.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Graphics.h"

namespace platform {

// One line of a wrapped text: a run of characters inside the text.
struct TextSpan {
  std::size_t start = 0;
  std::size_t length = 0;
};

class TextFont {
 public:
  static constexpr int kGlyphCount = 256;

  TextFont() = default;
  ~TextFont();
  TextFont(const TextFont&) = delete;
  TextFont& operator=(const TextFont&) = delete;

  // Opens the TrueType font at the pixel size and renders its glyphs. On
  // failure the error text names the file and the reason.
  bool Open(const char* path, int pixelSize, char* error, std::size_t errorSize);
  void Release();
  bool IsOpen() const { return lineHeight_ > 0; }
  int LineHeight() const { return lineHeight_; }
  // Width of one character; 0 for control characters.
  int Advance(unsigned char c) const { return advance_[c]; }
  int MeasureText(const char* text, std::size_t length) const;

  // Draws length characters with the top-left at x, y in the colour,
  // clipped to the clip rectangle. Control characters are skipped.
  void DrawText(DrawSurface& target, int x, int y, const char* text, std::size_t length, const Rect& clip,
                uint8_t r, uint8_t g, uint8_t b) const;

  // Breaks the text into lines at newlines and, within a line, at blanks so
  // that each fits the width (a word wider than the width is cut between
  // characters). A final newline does not start an empty line. Keeps the
  // last `capacity` lines, in order, in spans and returns how many it kept.
  int WrapTail(const char* text, int width, TextSpan* spans, int capacity) const;

 private:
  NativeSurface* glyphs_[kGlyphCount] = {};
  int advance_[kGlyphCount] = {};
  int lineHeight_ = 0;
};

}  // namespace platform
