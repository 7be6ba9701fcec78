#include "controls/SwitchClass.h"

#include "common/TextFcns.h"

namespace {
RevisionLines gRevisions("%Z% SwitchClass QX_P_0304_01 SwitchClass.cpp $Revision: 1.8 $",
                         "%Z% SwitchClass QX_P_0304_01 SwitchClass.h $Revision: 1.3 $");

// Cycles a spring-loaded switch reports an off-centre position is this + 1.
constexpr int kSpringHold = 10;
// The timer never needs to go lower: anything below -1 arms it.
constexpr int kSpringRest = -2;
}  // namespace

void RegisterSwitchClassRevision() { gRevisions.RegisterOnce(); }

SwitchClass::SwitchClass() : CBaseCockpitControl(gRevisions) {}

bool SwitchClass::Initialise(const SwitchRecord& r) {
  id_ = r.id;
  SetScale(r.scale);
  SwitchDescriptor d;
  d.folder = r.folder;
  d.kind = r.kind;
  for (int i = 0; i < 3; i++) {
    d.names[i] = r.names[i];
  }
  d.originX = Scale(r.originX);
  d.originY = Scale(r.originY);
  d.offsetX = r.offsetX;
  d.offsetY = r.offsetY;
  d.scale = r.scale;
  return Initialise(d);
}

bool SwitchClass::Initialise(const SwitchDescriptor& d) {
  SetScale(d.scale);
  ImageSet set;
  set.type = kTypeSwitch;
  set.kind = d.kind;
  for (int i = 0; i < 3; i++) {
    BuildControlPath(set.paths[i], sizeof set.paths[i], d.folder, "Switches\\", d.names[i]);
  }
  set.x = d.originX + Scale(d.offsetX);
  set.y = d.originY + Scale(d.offsetY);
  kind_ = d.kind;
  if (!CBaseCockpitControl::Initialise(set)) {
    valid_ = false;
    return false;
  }
  SetRegions();
  valid_ = true;
  return true;
}

void SwitchClass::SetRegions() {
  const int w = rect_.Width();
  const int h = rect_.Height();
  for (platform::Rect& r : regions_) {
    r = platform::Rect{};
  }
  switch (kind_) {
    case 1:
    case 5:
      regions_[kRegionTop] = platform::Rect{0, 0, w, h / 3};
      regions_[kRegionMiddle] = platform::Rect{0, h / 3, w, 2 * h / 3};
      regions_[kRegionBottom] = platform::Rect{0, 2 * h / 3, w, h};
      break;
    case 2:
      regions_[kRegionTop] = platform::Rect{0, 0, w, h / 2};
      regions_[kRegionBottom] = platform::Rect{0, h / 2, w, h};
      break;
    case 3:
    case 6:
      regions_[kRegionLeft] = platform::Rect{0, 0, w / 3, h};
      regions_[kRegionMiddle] = platform::Rect{w / 3, 0, 2 * w / 3, h};
      regions_[kRegionRight] = platform::Rect{2 * w / 3, 0, w, h};
      break;
    case 4:
      regions_[kRegionLeft] = platform::Rect{0, 0, w / 2, h};
      regions_[kRegionRight] = platform::Rect{w / 2, 0, w, h};
      break;
    default:
      break;
  }
}

platform::Rect SwitchClass::GetRegion(int region) const {
  if (region < 0 || region >= 5) {
    return platform::Rect{};
  }
  return regions_[region];
}

void SwitchClass::Click(int event) {
  if (event != kEventLeftDown || !valid_) {
    return;
  }
  const ViewPoint p = GetMousePoint();
  const bool threePositions = kind_ != 2 && kind_ != 4;
  const bool vertical = kind_ == 1 || kind_ == 2 || kind_ == 5;
  const int first = vertical ? kRegionTop : kRegionLeft;
  const int last = vertical ? kRegionBottom : kRegionRight;
  if (regions_[first].ContainsStrictly(p.x, p.y)) {
    state_ = 0;
  } else if (threePositions && regions_[kRegionMiddle].ContainsStrictly(p.x, p.y)) {
    state_ = 1;
  } else if (regions_[last].ContainsStrictly(p.x, p.y)) {
    state_ = 2;
  }
}

void SwitchClass::SetPosition(int position) {
  if (valid_ && position >= 0 && position <= 2) {
    state_ = position;
  }
}

int SwitchClass::GetPosition() {
  if (!valid_) {
    return -1;
  }
  if (IsSpring() && state_ != 1 && springTimer_ < -1) {
    springTimer_ = kSpringHold;
  }
  return state_;
}

void SwitchClass::GetOutputs(uint8_t& first, uint8_t& second) {
  if (!valid_) {
    return;
  }
  const int position = GetPosition();
  first = position == 0 ? 1 : 0;
  second = position == 2 ? 1 : 0;
  if (IsSpring()) {
    if (springTimer_ > kSpringRest) {
      springTimer_--;
    }
    if (springTimer_ < 0) {
      state_ = 1;
    }
  }
}

void SwitchClass::SetFromInputs(uint8_t first, uint8_t second) {
  SetPosition(first != 0 ? 0 : (second != 0 ? 2 : 1));
}

void SwitchClass::Paint(platform::DrawSurface& dc) { Draw(dc); }
