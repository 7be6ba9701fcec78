#include "controls/KnobClass.h"

namespace {
RevisionLines gRevisions("%Z% KnobClass QX_P_0305_01 KnobClass.cpp $Revision: 1.5 $",
                         "%Z% KnobClass QX_P_0305_01 KnobClass.h $Revision: 1.2 $");

const char* const kKnobFiles[8] = {"\\Knob000.bmp", "\\Knob045.bmp", "\\Knob090.bmp", "\\Knob135.bmp",
                                   "\\Knob180.bmp", "\\Knob225.bmp", "\\Knob270.bmp", "\\Knob315.bmp"};
// Grid cell (row, column) of each position.
constexpr int kRow[8] = {0, 0, 1, 2, 2, 2, 1, 0};
constexpr int kColumn[8] = {1, 2, 2, 2, 1, 0, 0, 0};
}  // namespace

void RegisterKnobClassRevision() { gRevisions.RegisterOnce(); }

KnobClass::KnobClass() : CBaseCockpitControl(gRevisions) {}

bool KnobClass::IsAllowed(int position) const { return position >= 0 && position < 8 && allowed_[position]; }

bool KnobClass::InitialiseWithMargins(const KnobDescriptor& d) {
  verticalMargin_ = d.verticalMargin;
  horizontalMargin_ = d.horizontalMargin;
  return Initialise(d);
}

bool KnobClass::Initialise(const KnobDescriptor& d) {
  ImageSet set;
  set.type = kTypeKnob;
  for (int p = 0; p < 8; p++) {
    allowed_[p] = d.allowed[p];
    if (d.allowed[p]) {
      BuildControlPath(set.paths[p], sizeof set.paths[p], d.folder, d.name, kKnobFiles[p]);
    }
  }
  SetScale(d.scale);
  set.x = d.originX + Scale(d.offsetX);
  set.y = d.originY + Scale(d.offsetY);
  valid_ = CBaseCockpitControl::Initialise(set);
  if (valid_) {
    client_ = GetClientRect();
    SetRegions();
  }
  return valid_;
}

void KnobClass::SetRegions() {
  const int cellW = client_.Width() / 3;
  const int cellH = client_.Height() / 3;
  for (int p = 0; p < 8; p++) {
    const int r = kRow[p];
    const int c = kColumn[p];
    platform::Rect cell{c * cellW, r * cellH, (c + 1) * cellW, (r + 1) * cellH};
    if (r == 0) {
      cell.top -= verticalMargin_;
    } else if (r == 2) {
      cell.bottom += verticalMargin_;
    }
    if (c == 0) {
      cell.left -= horizontalMargin_;
    } else if (c == 2) {
      cell.right += horizontalMargin_;
    }
    regions_[p] = cell;
  }
}

void KnobClass::Click(int event) {
  if ((event != kEventLeftDown && event != kEventRightDown) || !valid_) {
    return;
  }
  const ViewPoint pt = GetMousePoint();
  for (int p = 0; p < 8; p++) {
    const platform::Rect& r = regions_[p];
    if (allowed_[p] && r.ContainsStrictly(pt.x, pt.y)) {
      state_ = p;
      return;
    }
  }
}

void KnobClass::SetPosition(int position) {
  if (IsAllowed(position)) {
    state_ = position;
  }
}

void KnobClass::GetRegion(int index, platform::Rect& out) const {
  if (index >= 0 && index < 8) {
    out = regions_[index];
  }
}

void KnobClass::Paint(platform::DrawSurface& dc) { Draw(dc); }
