#include "controls/GuardedCover.h"

namespace {
RevisionLines gRevisions("%Z% GuardedCover QX_P_0303_01 GuardedCover.cpp $Revision: 1.4 $",
                         "%Z% GuardedCover QX_P_0303_01 GuardedCover.h $Revision: 1.2 $");
}  // namespace

void RegisterGuardedCoverRevision() { gRevisions.RegisterOnce(); }

GuardedCover::GuardedCover() : CBaseCockpitControl(gRevisions) {}

bool GuardedCover::Initialise(const ButtonDescriptor& d) {
  SetScale(d.scale);
  ImageSet set;
  set.type = kTypeGuardedCover;
  set.optionalImages = true;
  BuildControlPath(set.paths[0], sizeof set.paths[0], d.folder, d.name, "\\Up.bmp");
  BuildControlPath(set.paths[1], sizeof set.paths[1], d.folder, d.name, "\\Down.bmp");
  set.x = d.originX + Scale(d.offsetX);
  set.y = d.originY + Scale(d.offsetY);
  bool ok = CBaseCockpitControl::Initialise(set);
  cover_ = kClosed;
  state_ = 1;
  id_ = d.id;
  return ok;
}

void GuardedCover::Click(int event) {
  if (event == kEventNone) {
    armed_ = true;
    return;
  }
  if (event == kEventRightDown && armed_ && IsInside(GetMousePoint())) {
    cover_ = cover_ == kClosed ? kLifted : kClosed;
    state_ = cover_ == kClosed ? 1 : 0;
    armed_ = false;
  }
}

void GuardedCover::Paint(platform::DrawSurface& dc) { Draw(dc); }
