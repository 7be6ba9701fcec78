// One character cell of a digital display, drawn as a bitmap glyph from the
// glyph set that every display of the program shares.
#pragma once

#include <cstddef>

#include "controls/BaseCockpitControl.h"

// The 39 glyphs of the digital displays (37 files), loaded once per process
// and shared by every cell. Reset releases them (for tests).
class DisplayGlyphSet {
 public:
  static constexpr int kGlyphCount = 39;
  static constexpr int kBlank = 14;

  static DisplayGlyphSet& Shared();

  DisplayGlyphSet() = default;
  DisplayGlyphSet(const DisplayGlyphSet&) = delete;
  DisplayGlyphSet& operator=(const DisplayGlyphSet&) = delete;

  // Loads every glyph from folder\DigitalDisplay\. A glyph that fails leaves
  // its entry empty, sets the report text and loading goes on. True when all
  // loaded; then the set counts as complete.
  bool Load(const char* folder, Qx_ErrorReport& report);
  bool IsLoaded() const { return complete_; }
  void Reset();

  // Null for an empty entry or an index outside 0 to 38.
  const platform::Bitmap* Glyph(int index) const;
  // The width of the set's glyphs (they all share one size); 0 when empty.
  int GlyphWidth() const { return glyphWidth_; }
  int GlyphHeight() const { return glyphHeight_; }
  // File name of a glyph ("" for the two indices without one).
  static const char* FileName(int index);
  // Glyph index shown for a character; blank for anything unlisted.
  static int GlyphFor(char ch);

 private:
  platform::Bitmap glyphs_[kGlyphCount];
  bool complete_ = false;
  int glyphWidth_ = 0;
  int glyphHeight_ = 0;
  char error_[512] = {};
  char path_[kControlPathSize] = {};
};

// Built by the display for each cell.
struct CellRecord {
  int index = 0;
  const char* folder = "";
  int x = 0;
  int y = 0;
};

class CDisplaySegment : public CBaseCockpitControl {
 public:
  static constexpr char kInitialChar = '@';

  CDisplaySegment();

  // Loads the shared glyph set unless complete; false when a glyph failed.
  bool Initialise(const CellRecord& record);
  // Draws the character's glyph when it differs from the last one; true.
  bool SetChar(char ch, platform::DrawSurface& dc);
  // Draws a glyph at the cell's position (nothing for an empty or invalid index).
  void DrawGlyph(int index, platform::DrawSurface& dc);
  char GetLastChar() const { return lastChar_; }
  int GetCellX() const { return cellX_; }
  int GetCellY() const { return cellY_; }

 private:
  char folder_[kControlPathSize] = {};
  int cellX_ = 0;
  int cellY_ = 0;
  char lastChar_ = kInitialChar;
};
