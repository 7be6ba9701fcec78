#include "controls/PanelDisplay.h"

#include <climits>
#include <cstring>

namespace {
RevisionLines gRevisions("%Z% CPanelDisplay QX_P_0307_01 PanelDisplay.cpp $Revision: 1.6 $",
                         "%Z% CPanelDisplay QX_P_0307_01 PanelDisplay.h $Revision: 1.2 $");

int ScaleValue(long long value, double scale) {
  const double scaled = static_cast<double>(value) * scale;
  if (scaled >= static_cast<double>(INT_MAX)) {
    return INT_MAX;
  }
  if (scaled <= static_cast<double>(INT_MIN)) {
    return INT_MIN;
  }
  return static_cast<int>(scaled);
}
}  // namespace

void RegisterCPanelDisplayRevision() { gRevisions.RegisterOnce(); }

CPanelDisplay::CPanelDisplay() = default;

void CPanelDisplay::RegisterRevision() {
  gRevisions.RegisterOnce();
  cells_[0].RegisterRevision();
}

void CPanelDisplay::SetScale(double scale) { scale_ = ClampScale(scale); }

bool CPanelDisplay::Initialise(const DisplayDescriptor& d) {
  initialised_ = false;
  if (d.cellCount < 1) {
    cellCount_ = 0;
    Report("CPanelDisplay::Initialise", "No display cells");
    return false;
  }
  cellCount_ = d.cellCount > kMaxCells ? kMaxCells : d.cellCount;
  SetScale(d.scale);
  const int x = ScaleValue(static_cast<long long>(d.originX) + d.offsetX, scale_);
  const int y = ScaleValue(static_cast<long long>(d.originY) + d.offsetY, scale_);
  for (int i = 0; i < cellCount_; i++) {
    CellRecord record{i, d.folder, x, y};
    if (!cells_[i].Initialise(record)) {
      CopyReport(cells_[i]);
      return false;
    }
  }
  initialised_ = true;
  return true;
}

void CPanelDisplay::SetDisplay(const char* text, platform::DrawSurface& dc) {
  if (!initialised_) {
    Report("CPanelDisplay::SetDisplay", "Object Not Initialise");
    return;
  }
  if (text == nullptr) {
    return;
  }
  const int n = static_cast<int>(strnlen(text, static_cast<std::size_t>(cellCount_)));
  for (int i = 0; i < n; i++) {
    cells_[i].SetChar(text[i], dc);
  }
}

const CDisplaySegment* CPanelDisplay::Cell(int index) const {
  return index >= 0 && index < cellCount_ ? &cells_[index] : nullptr;
}
