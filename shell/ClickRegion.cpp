#include "shell/ClickRegion.h"

#include "panels/SubPanel.h"

namespace click_region {

namespace {

platform::Rect Offset(const platform::Rect& r, int dx, int dy) {
  return platform::Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

const SubPanel* PanelOf(const CockpitManager& cockpit, const ControlHit& hit) {
  return dynamic_cast<const SubPanel*>(cockpit.GetPanel(hit.facts->id));
}

// The knob's selectable sector holding the point (control coordinates), -1 for none.
int KnobSectorAt(const KnobClass& knob, int x, int y) {
  for (int p = 0; p < 8; p++) {
    platform::Rect r;
    knob.GetRegion(p, r);
    if (knob.IsAllowed(p) && r.ContainsStrictly(x, y)) return p;
  }
  return -1;
}

// A rotary knob decreases on its left half and increases on its right half.
platform::Rect RotaryHalf(const platform::Rect& rect, bool increase) {
  const int middle = rect.left + rect.Width() / 2;
  return increase ? platform::Rect{middle, rect.top, rect.right, rect.bottom}
                  : platform::Rect{rect.left, rect.top, middle, rect.bottom};
}

}  // namespace

bool Find(const CockpitManager& cockpit, int x, int y, ControlHit* hit, platform::Rect* region) {
  ControlHit found;
  if (!cockpit.FindControlAt(x, y, &found)) return false;
  const SubPanel* panel = PanelOf(cockpit, found);
  if (panel == nullptr) return false;
  const size_t i = size_t(found.row.index);
  const platform::Rect& rect = found.rect;
  platform::Rect part = rect;
  switch (found.row.kind) {
    case RowKind::kLight:
    case RowKind::kDisplay:
    case RowKind::kNone:
      return false;
    case RowKind::kSwitch: {
      if (i >= panel->Controls().switches.size()) return false;
      const SwitchClass& lever = panel->Controls().switches[i];
      bool inside = false;
      for (int r = 0; r < 5 && !inside; r++) {
        const platform::Rect candidate = lever.GetRegion(r);
        if (!candidate.IsEmpty() && candidate.ContainsStrictly(x - rect.left, y - rect.top)) {
          part = Offset(candidate, rect.left, rect.top);
          inside = true;
        }
      }
      if (!inside) return false;
      break;
    }
    case RowKind::kKnob: {
      if (i >= panel->Controls().knobs.size()) return false;
      const KnobClass& knob = panel->Controls().knobs[i];
      const int sector = KnobSectorAt(knob, x - rect.left, y - rect.top);
      if (sector < 0) return false;
      knob.GetRegion(sector, part);
      part = Offset(part, rect.left, rect.top);
      break;
    }
    case RowKind::kRotary:
      part = RotaryHalf(rect, x >= rect.left + rect.Width() / 2);
      if (!part.ContainsStrictly(x, y)) return false;
      break;
    default:
      break;
  }
  if (hit != nullptr) *hit = found;
  if (region != nullptr) *region = part;
  return true;
}

bool FindKnobTurn(const CockpitManager& cockpit, int x, int y, int direction, int* clickX, int* clickY) {
  ControlHit hit;
  if (!cockpit.FindControlAt(x, y, &hit)) return false;
  const SubPanel* panel = PanelOf(cockpit, hit);
  if (panel == nullptr) return false;
  const size_t i = size_t(hit.row.index);
  platform::Rect target;
  if (hit.row.kind == RowKind::kRotary) {
    target = RotaryHalf(hit.rect, direction > 0);
  } else if (hit.row.kind == RowKind::kKnob && i < panel->Controls().knobs.size()) {
    const KnobClass& knob = panel->Controls().knobs[i];
    // The next allowed position that way; the knob stops at its last one
    // (positions run clockwise from 0, pointing up).
    const int step = direction > 0 ? 1 : -1;
    int next = -1;
    for (int p = knob.GetPosition() + step; p >= 0 && p < 8; p += step) {
      if (knob.IsAllowed(p)) {
        next = p;
        break;
      }
    }
    if (next < 0) return false;
    knob.GetRegion(next, target);
    // Inside the image: margins may widen a sector over the neighbours.
    target = platform::Intersect(target, platform::Rect{0, 0, hit.rect.Width(), hit.rect.Height()});
    target = Offset(target, hit.rect.left, hit.rect.top);
  } else {
    return false;
  }
  if (target.Width() < 3 || target.Height() < 3) return false;
  *clickX = (target.left + target.right) / 2;
  *clickY = (target.top + target.bottom) / 2;
  return true;
}

}  // namespace click_region
