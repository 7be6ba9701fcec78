#include "platform/Text.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace platform {

namespace {

// Windows-1252 characters 0x80 to 0x9F; 0 where the code page has none.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};  // 0x98

// The character drawn for a byte; 0 for bytes that draw nothing.
uint32_t CodePointOf(unsigned char c) {
  if (c == '\t') {
    return ' ';
  }
  if (c < 0x20 || c == 0x7F) {
    return 0;
  }
  if (c >= 0x80 && c < 0xA0) {
    uint32_t mapped = kCp1252High[c - 0x80];
    return mapped != 0 ? mapped : '?';
  }
  return c;
}

// The opaque picture handle of Graphics.h is an SDL surface.
SDL_Surface* Sdl(NativeSurface* surface) { return reinterpret_cast<SDL_Surface*>(surface); }

}  // namespace

TextFont::~TextFont() { Release(); }

void TextFont::Release() {
  for (NativeSurface*& glyph : glyphs_) {
    if (glyph != nullptr) {
      SDL_FreeSurface(Sdl(glyph));
      glyph = nullptr;
    }
  }
  std::fill(std::begin(advance_), std::end(advance_), 0);
  lineHeight_ = 0;
}

bool TextFont::Open(const char* path, int pixelSize, char* error, std::size_t errorSize) {
  Release();
  auto fail = [&](const char* reason) {
    if (error != nullptr && errorSize > 0) {
      std::snprintf(error, errorSize, "%s : %s", path != nullptr ? path : "(null)", reason);
    }
    return false;
  };
  if (path == nullptr || path[0] == '\0' || pixelSize <= 0) {
    return fail("No font file or size");
  }
  if (TTF_Init() != 0) {
    return fail(TTF_GetError());
  }
  TTF_Font* font = TTF_OpenFont(path, pixelSize);
  if (font == nullptr) {
    bool result = fail(TTF_GetError());
    TTF_Quit();
    return result;
  }
  const SDL_Color white = {255, 255, 255, 255};
  for (int c = 0; c < kGlyphCount; ++c) {
    uint32_t codePoint = CodePointOf(static_cast<unsigned char>(c));
    if (codePoint == 0) {
      continue;
    }
    int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
    if (TTF_GlyphMetrics32(font, codePoint, &minX, &maxX, &minY, &maxY, &advance) != 0) {
      codePoint = '?';
      TTF_GlyphMetrics32(font, codePoint, &minX, &maxX, &minY, &maxY, &advance);
    }
    advance_[c] = std::max(advance, 0);
    SDL_Surface* rendered = TTF_RenderGlyph32_Blended(font, codePoint, white);  // null for an empty glyph
    glyphs_[c] = reinterpret_cast<NativeSurface*>(rendered);
    if (rendered != nullptr) {
      SDL_SetSurfaceBlendMode(rendered, SDL_BLENDMODE_BLEND);
    }
  }
  lineHeight_ = std::max(TTF_FontLineSkip(font), 1);
  TTF_CloseFont(font);
  TTF_Quit();
  return true;
}

int TextFont::MeasureText(const char* text, std::size_t length) const {
  int width = 0;
  for (std::size_t i = 0; text != nullptr && i < length && text[i] != '\0'; ++i) {
    width += advance_[static_cast<unsigned char>(text[i])];
  }
  return width;
}

void TextFont::DrawText(DrawSurface& surface, int x, int y, const char* text, std::size_t length, const Rect& clip,
                        uint8_t r, uint8_t g, uint8_t b) const {
  SDL_Surface* target = Sdl(surface.Native());
  if (target == nullptr || text == nullptr || !IsOpen()) {
    return;
  }
  SDL_Rect oldClip;
  SDL_GetClipRect(target, &oldClip);
  SDL_Rect clipRect = {clip.left, clip.top, clip.Width(), clip.Height()};
  SDL_SetClipRect(target, &clipRect);
  for (std::size_t i = 0; i < length && text[i] != '\0'; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    SDL_Surface* glyph = Sdl(glyphs_[c]);
    if (glyph != nullptr) {
      SDL_SetSurfaceColorMod(glyph, r, g, b);
      SDL_Rect dest = {x, y, glyph->w, glyph->h};
      SDL_BlitSurface(glyph, nullptr, target, &dest);
    }
    x += advance_[c];
    if (x >= clip.right) {
      break;
    }
  }
  SDL_SetClipRect(target, &oldClip);
}

int TextFont::WrapTail(const char* text, int width, TextSpan* spans, int capacity) const {
  if (text == nullptr || spans == nullptr || capacity <= 0) {
    return 0;
  }
  const std::size_t size = std::strlen(text);
  const std::size_t ring = static_cast<std::size_t>(capacity);
  std::size_t total = 0;
  auto emit = [&](std::size_t start, std::size_t length) {
    spans[total % ring] = TextSpan{start, length};
    ++total;
  };
  std::size_t pos = 0;
  while (pos < size) {
    std::size_t end = pos;
    while (end < size && text[end] != '\n') {
      ++end;
    }
    if (pos == end) {
      emit(pos, 0);
    }
    std::size_t lineStart = pos;
    while (lineStart < end) {
      int lineWidth = 0;
      std::size_t i = lineStart;
      std::size_t lastBlank = end;  // none yet
      while (i < end) {
        int advance = advance_[static_cast<unsigned char>(text[i])];
        if (lineWidth + advance > width && i > lineStart) {
          break;
        }
        if (text[i] == ' ') {
          lastBlank = i;
        }
        lineWidth += advance;
        ++i;
      }
      if (i >= end) {
        emit(lineStart, end - lineStart);
        break;
      }
      if (text[i] == ' ') {
        emit(lineStart, i - lineStart);
        lineStart = i;
      } else if (lastBlank != end && lastBlank > lineStart) {
        emit(lineStart, lastBlank - lineStart);
        lineStart = lastBlank;
      } else {
        emit(lineStart, i - lineStart);  // a word wider than the line
        lineStart = i;
      }
      while (lineStart < end && text[lineStart] == ' ') {
        ++lineStart;
      }
    }
    pos = end + 1;
  }
  if (total <= ring) {
    return static_cast<int>(total);
  }
  std::rotate(spans, spans + total % ring, spans + ring);
  return capacity;
}

}  // namespace platform
