#include "controls/RotaryKnobClass.h"

#include <algorithm>

namespace {
RevisionLines gRevisions("%Z% RotaryKnobClass QX_P_0305_02 RotaryKnobClass.cpp $Revision: 1.4 $",
                         "%Z% RotaryKnobClass QX_P_0305_02 RotaryKnobClass.h $Revision: 1.2 $");

// The rate is at its top from 25 held cycles on; counting further changes nothing.
constexpr int kHoldLimit = 1000;
}  // namespace

void RegisterRotaryKnobClassRevision() { gRevisions.RegisterOnce(); }

RotaryKnobClass::RotaryKnobClass() : CBaseCockpitControl(gRevisions) {}

bool RotaryKnobClass::Initialise(const RotaryKnobDescriptor& d) {
  SetScale(d.scale);
  ImageSet set;
  set.type = kTypeRotaryKnob;
  for (int i = 0; i < 3; i++) {
    BuildControlPath(set.paths[i], sizeof set.paths[i], d.folder, "RotaryKnobs\\", d.names[i]);
  }
  set.x = d.originX + Scale(d.offsetX);
  set.y = d.originY + Scale(d.offsetY);
  knobX_ = set.x;
  knobY_ = set.y;
  valid_ = CBaseCockpitControl::Initialise(set);
  if (valid_) {
    client_ = GetClientRect();
    const int w = client_.Width();
    const int h = client_.Height();
    decrease_ = platform::Rect{0, 0, w / 2, h};
    increase_ = platform::Rect{w / 2, 0, w, h};
    step_ = d.step;
    defaultStep_ = d.step;
    maximum_ = d.maximum;
    minimum_ = d.minimum;
  }
  return valid_;
}

int RotaryKnobClass::GetDelta(int event) {
  if (event != kEventLeftDown) {
    holdCount_ = 0;
    changed_ = false;
    return 0;
  }
  if (holdCount_ < kHoldLimit) {
    holdCount_++;
  }
  const ViewPoint p = GetMousePoint();
  int magnitude = 0;
  if (holdCount_ < 2) {
    magnitude = 1;
  } else if (holdCount_ > 5) {
    magnitude = std::max(1, std::min(holdCount_ / 5, 5));
  }
  int delta = 0;
  if (increase_.ContainsStrictly(p.x, p.y)) {
    delta = magnitude;
  } else if (decrease_.ContainsStrictly(p.x, p.y)) {
    delta = -magnitude;
  }
  changed_ = delta != 0;
  return delta;
}

void RotaryKnobClass::CheckTouched(int /*event*/) {
  const ViewPoint p = GetMousePoint();
  touched_ = increase_.ContainsStrictly(p.x, p.y) || decrease_.ContainsStrictly(p.x, p.y);
}

void RotaryKnobClass::SetValue(int value) {
  if (value < minimum_) {
    value = minimum_;
  }
  if (value > maximum_) {
    value = maximum_;
  }
  value_ = value;
}

void RotaryKnobClass::SetRange(int maximum, int minimum) {
  maximum_ = maximum;
  minimum_ = minimum;
}

void RotaryKnobClass::SetImage(int image) {
  if (image >= 0 && image <= 2) {
    image_ = image;
  }
}

void RotaryKnobClass::Paint(platform::DrawSurface& dc) {
  if (image_ >= 0 && image_ <= 2 && loaded_[image_]) {
    DrawImage(image_, dc);
  }
}
