#include "controls/ViewGeometry.h"

#include <climits>
#include <cstdint>

#include "common/RevisionString.h"

namespace {
RevisionLines gRevisions("%Z% ViewGeometry QX_P_0401_03 ViewGeometry.cpp $Revision: 1.2 $",
                         "%Z% ViewGeometry QX_P_0401_03 ViewGeometry.h $Revision: 1.1 $");

struct SharedView {
  int scrollX = 0;
  int scrollY = 0;
  int pointerX = 0;
  int pointerY = 0;
};

SharedView gView;

// Sums in 64 bits and saturates, so extreme values cannot overflow.
int Saturate(int64_t value) {
  if (value > INT_MAX) {
    return INT_MAX;
  }
  if (value < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(value);
}
}  // namespace

ViewGeometry::ViewGeometry() { gRevisions.RegisterOnce(); }

void ViewGeometry::SetScrollAndPointer(int scrollX, int scrollY, int pointerX, int pointerY) {
  gView.scrollX = scrollX;
  gView.scrollY = scrollY;
  gView.pointerX = pointerX;
  gView.pointerY = pointerY;
}

int ViewGeometry::ScrollX() { return gView.scrollX; }
int ViewGeometry::ScrollY() { return gView.scrollY; }
int ViewGeometry::PointerX() { return gView.pointerX; }
int ViewGeometry::PointerY() { return gView.pointerY; }

void ViewGeometry::SetVisibleRect(int x0, int y0, int x1, int y1) { visible_ = ViewRect{x0, y0, x1, y1}; }

void ViewGeometry::SetOrigin(int x, int y) { origin_ = ViewPoint{x, y}; }

ViewPoint ViewGeometry::GetPointerInPicture() const {
  return ViewPoint{Saturate(int64_t{gView.scrollX} + gView.pointerX), Saturate(int64_t{gView.scrollY} + gView.pointerY)};
}

ViewPoint ViewGeometry::GetPointerRelative() const {
  return ViewPoint{Saturate(int64_t{gView.scrollX} + gView.pointerX - origin_.x),
                   Saturate(int64_t{gView.scrollY} + gView.pointerY - origin_.y)};
}
