// A row of character cells imitating a segment display. The sub-panel hands
// it a text each cycle; a cell redraws only when its character changes.
#pragma once

#include <cstddef>

#include "common/Qx_ErrorReport.h"
#include "controls/DisplaySegment.h"

// Filled by the sub-panel. The folder is not kept; null counts as empty.
struct DisplayDescriptor {
  int cellCount = 0;  // at most 49 are made
  const char* folder = "";
  int originX = 0;
  int originY = 0;
  int offsetX = 0;
  int offsetY = 0;
  double scale = 1.0;
};

class CPanelDisplay : public Qx_ErrorReport {
 public:
  static constexpr int kMaxCells = 49;

  CPanelDisplay();
  CPanelDisplay(const CPanelDisplay&) = delete;
  CPanelDisplay& operator=(const CPanelDisplay&) = delete;

  // Creates and initialises the cells; false with the first failing cell's
  // report text, or when the count is below 1.
  bool Initialise(const DisplayDescriptor& descriptor);
  // Cell i takes character i of the text for i below the smaller of the text
  // length and the cell count; at most the cell count of characters is read,
  // so a text without a terminator within that many bytes is safe.
  void SetDisplay(const char* text, platform::DrawSurface& dc);
  void RegisterRevision();

  void SetScale(double scale);
  double GetScale() const { return scale_; }
  int GetCellCount() const { return cellCount_; }
  bool IsInitialised() const { return initialised_; }
  // Null outside 0 to cell count - 1.
  const CDisplaySegment* Cell(int index) const;

 private:
  double scale_ = 1.0;
  int cellCount_ = 0;
  bool initialised_ = false;
  CDisplaySegment cells_[kMaxCells];
};
