#include "controls/GuardedButton.h"

namespace {
RevisionLines gRevisions("%Z% GuardedButton QX_P_0303_02 GuardedButton.cpp $Revision: 1.6 $",
                         "%Z% GuardedButton QX_P_0303_02 GuardedButton.h $Revision: 1.3 $");

const char* const kPartFiles[8] = {"\\top.bmp",        "\\bottom.bmp",     "\\left.bmp",    "\\right.bmp",
                                   "\\vertical.bmp",   "\\horizontal.bmp", "\\opentop.bmp", "\\openbot.bmp"};
}  // namespace

void RegisterGuardedButtonRevision() { gRevisions.RegisterOnce(); }

GuardedButton::GuardedButton() : CBaseCockpitControl(gRevisions) {}

bool GuardedButton::InitialiseGuard(const ButtonDescriptor& d) {
  active_ = false;
  SetScale(d.scale);
  const int X = d.originX + Scale(d.offsetX);
  const int Y = d.originY + Scale(d.offsetY);
  const int32_t* g = geometry_.g;
  parts_[kLeft] = ViewPoint{X + g[0], Y + g[1]};
  parts_[kRight] = ViewPoint{X + g[2], Y + g[3]};
  parts_[kTop] = ViewPoint{X + g[4], Y + g[5]};
  parts_[kBottom] = ViewPoint{X + g[6], Y + g[7]};
  parts_[kVertical] = ViewPoint{X + g[8], Y + g[9]};
  parts_[kHorizontal] = ViewPoint{X - g[10], Y + g[11]};
  parts_[kOpenTop] = ViewPoint{parts_[kTop].x + g[12], parts_[kTop].y + g[13]};
  parts_[kOpenBottom] = ViewPoint{parts_[kOpenTop].x + g[14], parts_[kOpenTop].y + g[15]};

  guardRect_ = platform::Rect{parts_[kLeft].x, parts_[kTop].y, parts_[kRight].x, parts_[kBottom].y};
  clickArea_ = platform::Rect{0, 0, parts_[kRight].x - parts_[kLeft].x, parts_[kBottom].y - parts_[kTop].y};

  // Placed before loading so the rectangle and the mouse origin agree.
  PlaceAt(parts_[kLeft].x, parts_[kTop].y);
  type_ = kTypeGuardedButton;
  anyLoaded_ = false;
  for (int i = 0; i < kControlImageCount; i++) {
    char path[kControlPathSize];
    BuildControlPath(path, sizeof path, d.folder, d.name, kPartFiles[i]);
    loaded_[i] = LoadImage(i, path);
    anyLoaded_ = anyLoaded_ || loaded_[i];
  }
  id_ = d.id;
  return true;
}

bool GuardedButton::Initialise(const ButtonDescriptor& guard, const ButtonDescriptor& button) {
  InitialiseGuard(guard);
  bool ok = button_.Initialise(button);
  if (!ok) {
    CopyReport(button_);
  }
  active_ = true;
  return ok;
}

void GuardedButton::GuardClick(int event) {
  if (event == kEventNone) {
    armed_ = true;
    return;
  }
  if (event != kEventRightDown || !armed_) {
    return;
  }
  ViewPoint p = GetMousePoint();
  if (p.x >= 0 && p.x <= clickArea_.right && p.y >= 0 && p.y <= clickArea_.bottom) {
    if (cover_ == kClosed) {
      cover_ = kLifted;
    } else if (cover_ == kLifted) {
      cover_ = kClosed;
    }
    armed_ = false;
  }
}

void GuardedButton::Update(std::optional<int> event, bool upper, bool lower, bool test) {
  if (!event.has_value()) {
    button_.Update(std::nullopt, upper, lower, test);
    return;
  }
  GuardClick(*event);
  if (active_) {
    button_.SetDisabled(IsClosed());
    button_.Update(event, upper, lower, test);
  }
}

void GuardedButton::SetPressed(bool on) {
  if (active_) {
    button_.SetPressed(on);
  }
}

ViewPoint GuardedButton::GetPartPosition(int part) const {
  if (part < 0 || part >= kControlImageCount) {
    return ViewPoint{};
  }
  return parts_[part];
}

void GuardedButton::DrawPart(int part, platform::DrawSurface& dc) {
  dc.DrawBitmap(images_[part].bitmap, parts_[part].x, parts_[part].y);
}

platform::Rect GuardedButton::DrawnArea() const {
  platform::Rect area = button_.DrawnArea();
  for (int part = 0; part < kControlImageCount; part++) {
    const platform::Bitmap& image = images_[part].bitmap;
    if (image.IsLoaded()) {
      area = platform::Union(area, platform::PlacedRect(parts_[part].x, parts_[part].y, image.Width(), image.Height()));
    }
  }
  return area;
}

void GuardedButton::Draw(platform::DrawSurface& dc) {
  if (cover_ == kHidden) {
    return;
  }
  if (cover_ == kClosed) {
    DrawPart(kLeft, dc);
    DrawPart(kRight, dc);
    DrawPart(kTop, dc);
    DrawPart(kBottom, dc);
    DrawPart(kVertical, dc);
    DrawPart(kHorizontal, dc);
    wasClosed_ = true;
    return;
  }
  // Lifted: the first paint after opening draws the lifted bottom, later
  // paints the lifted top.
  if (wasClosed_) {
    DrawPart(kOpenBottom, dc);
    wasClosed_ = false;
  } else {
    DrawPart(kOpenTop, dc);
  }
}

void GuardedButton::Paint(platform::DrawSurface& dc) {
  button_.Paint(dc);
  Draw(dc);
}
