#include "controls/DisplaySegment.h"

#include <cstring>

#include "common/TextFcns.h"

namespace {
RevisionLines gRevisions("%Z% CDisplaySegment QX_P_0307_02 DisplaySegment.cpp $Revision: 1.5 $",
                         "%Z% CDisplaySegment QX_P_0307_02 DisplaySegment.h $Revision: 1.2 $");

const char* const kGlyphFiles[DisplayGlyphSet::kGlyphCount] = {
    "zero.bmp", "one.bmp",  "two.bmp",  "three.bmp", "four.bmp", "five.bmp",  "six.bmp",  "seven.bmp",
    "eight.bmp", "nine.bmp", "s.bmp",   "t.bmp",     "d.bmp",    "dash.bmp",  "blank.bmp", "o.bmp",
    "plus.bmp", "point.bmp", "Q1.bmp",  "Q2.bmp",    "Q3.bmp",   "Q4.bmp",    "u.bmp",    "L.bmp",
    "R.bmp",    "W.bmp",    "N.bmp",    "E.bmp",     "H.bmp",    "BigT.bmp",  "K.bmp",    "C.bmp",
    "G.bmp",    "I.bmp",    "",         "A.bmp",     "P.bmp",    "",          "zeropnt.bmp"};

// The loader's text is "path : reason"; keep the reason only.
const char* ReasonOf(const char* error, const char* path) {
  const std::size_t n = std::strlen(path);
  if (std::strncmp(error, path, n) == 0 && std::strncmp(error + n, " : ", 3) == 0) {
    return error + n + 3;
  }
  return error;
}
}  // namespace

void RegisterCDisplaySegmentRevision() { gRevisions.RegisterOnce(); }

DisplayGlyphSet& DisplayGlyphSet::Shared() {
  static DisplayGlyphSet set;
  return set;
}

const char* DisplayGlyphSet::FileName(int index) {
  return index >= 0 && index < kGlyphCount ? kGlyphFiles[index] : "";
}

bool DisplayGlyphSet::Load(const char* folder, Qx_ErrorReport& report) {
  bool all = true;
  glyphWidth_ = 0;
  glyphHeight_ = 0;
  for (int i = 0; i < kGlyphCount; i++) {
    if (kGlyphFiles[i][0] == '\0') {
      continue;
    }
    FormatBounded(path_, sizeof path_, "%s\\DigitalDisplay\\%s", folder != nullptr ? folder : "", kGlyphFiles[i]);
    if (!glyphs_[i].Load(path_, error_, sizeof error_)) {
      report.Report3("CDisplaySegment::LoadBitMap", path_, ReasonOf(error_, path_));
      all = false;
      continue;
    }
    if (glyphWidth_ == 0) {
      glyphWidth_ = glyphs_[i].Width();
      glyphHeight_ = glyphs_[i].Height();
    }
  }
  complete_ = all;
  return all;
}

void DisplayGlyphSet::Reset() {
  for (platform::Bitmap& glyph : glyphs_) {
    glyph.Release();
  }
  complete_ = false;
  glyphWidth_ = 0;
  glyphHeight_ = 0;
}

const platform::Bitmap* DisplayGlyphSet::Glyph(int index) const {
  if (index < 0 || index >= kGlyphCount || !glyphs_[index].IsLoaded()) {
    return nullptr;
  }
  return &glyphs_[index];
}

int DisplayGlyphSet::GlyphFor(char ch) {
  if (ch >= '0' && ch <= '9') {
    return ch - '0';
  }
  switch (ch) {
    case '-': return 13;
    case '.': return 17;
    case '+': return 16;
    case '#': return 18;
    case '%': return 19;
    case '^': return 20;
    case '&': return 21;
    case '@': return 38;
    case 'A': return 35;
    case 'B': return 8;
    case 'C': return 31;
    case 'D':
    case 'O': return 0;
    case 'E': return 27;
    case 'G': return 32;
    case 'H': return 28;
    case 'I': return 33;
    case 'K': return 30;
    case 'L': return 23;
    case 'N': return 26;
    case 'P': return 36;
    case 'R': return 24;
    case 'S': return 10;
    case 'T': return 29;
    case 'U': return 22;
    case 'W': return 25;
    case 'd': return 12;
    case 'o': return 15;
    case 't': return 11;
    default: return kBlank;
  }
}

CDisplaySegment::CDisplaySegment() : CBaseCockpitControl(gRevisions) {}

bool CDisplaySegment::Initialise(const CellRecord& record) {
  CopyBounded(folder_, record.folder != nullptr ? record.folder : "", sizeof folder_);
  DisplayGlyphSet& glyphs = DisplayGlyphSet::Shared();
  bool ok = true;
  if (!glyphs.IsLoaded()) {
    ok = glyphs.Load(folder_, *this);
  }
  cellX_ = record.x + record.index * glyphs.GlyphWidth();
  cellY_ = record.y;
  PlaceAt(cellX_, cellY_);
  // The cell's rectangle is its glyph's place (its images are the shared glyphs).
  rect_ = platform::Rect{cellX_, cellY_, cellX_ + glyphs.GlyphWidth(), cellY_ + glyphs.GlyphHeight()};
  return ok;
}

bool CDisplaySegment::SetChar(char ch, platform::DrawSurface& dc) {
  if (ch == lastChar_) {
    return true;
  }
  lastChar_ = ch;
  DrawGlyph(DisplayGlyphSet::GlyphFor(ch), dc);
  return true;
}

void CDisplaySegment::DrawGlyph(int index, platform::DrawSurface& dc) {
  const platform::Bitmap* glyph = DisplayGlyphSet::Shared().Glyph(index);
  if (glyph != nullptr) {
    dc.DrawBitmap(*glyph, cellX_, cellY_);
  }
}
