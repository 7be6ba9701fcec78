#include "controls/CButtonClass.h"

namespace {
RevisionLines gRevisions("%Z% CButtonClass QX_P_0302_01 CButtonClass.cpp $Revision: 1.7 $",
                         "%Z% CButtonClass QX_P_0302_01 CButtonClass.h $Revision: 1.3 $");

// Eight-image set by state, then the four-image set.
const char* const kEightImages[8] = {"\\TopIn.bmp",  "\\BotIn.bmp",  "\\BothIn.bmp",  "\\NoneIn.bmp",
                                     "\\TopOut.bmp", "\\BotOut.bmp", "\\BothOut.bmp", "\\NoneOut.bmp"};
const char* const kFourImages[4] = {"\\OnIn.bmp", "\\OffIn.bmp", "\\OnOut.bmp", "\\OffOut.bmp"};
}  // namespace

void RegisterCButtonClassRevision() { gRevisions.RegisterOnce(); }

CButtonClass::CButtonClass() : CBaseCockpitControl(gRevisions) {}

CButtonClass::CButtonClass(RevisionLines& lines) : CBaseCockpitControl(lines) {}

bool CButtonClass::Initialise(const ButtonDescriptor& d) {
  SetScale(d.scale);
  ImageSet set;
  set.type = kTypePushButton;
  set.optionalImages = d.twoLight;
  if (d.twoLight) {
    for (int i = 0; i < 4; i++) {
      BuildControlPath(set.paths[i], sizeof set.paths[i], d.folder, d.name, kFourImages[i]);
    }
  } else {
    for (int i = 0; i < 8; i++) {
      BuildControlPath(set.paths[i], sizeof set.paths[i], d.folder, d.name, kEightImages[i]);
    }
  }
  set.x = d.originX + Scale(d.offsetX);
  set.y = d.originY + Scale(d.offsetY);
  momentary_ = d.momentary;
  twoLight_ = d.twoLight;
  bool ok = CBaseCockpitControl::Initialise(set);
  id_ = d.id;
  return ok;
}

void CButtonClass::ComputeState() {
  if (twoLight_) {
    state_ = (lightCode_ == 0 ? 0 : 1) + (pressed_ == 0 ? 2 : 0);
  } else {
    state_ = lightCode_ + (pressed_ == 0 ? 4 : 0);
  }
}

void CButtonClass::Update(std::optional<int> event, bool upper, bool lower, bool test) {
  if (twoLight_) {
    UpdateTwoLight(event, upper, test);
    return;
  }
  if (test || (upper && lower)) {
    lightCode_ = 2;
  } else if (upper) {
    lightCode_ = 0;
  } else if (lower) {
    lightCode_ = 1;
  } else {
    lightCode_ = 3;
  }
  if (event.has_value()) {
    ComputeState();
    HandleEvent(*event);
  }
}

void CButtonClass::UpdateTwoLight(std::optional<int> event, bool light, bool test) {
  lightCode_ = (light || test) ? 0 : 3;
  if (event.has_value()) {
    state_ = (lightCode_ == 0 ? 0 : 1) + (pressed_ == 0 ? 2 : 0);
    HandleEvent(*event);
  }
}

void CButtonClass::HandleEvent(int event) {
  if (disabled_) {
    return;
  }
  ViewPoint p = GetMousePoint();
  // Bounds included here, unlike HitTest.
  if (p.x < 0 || p.x > rect_.Width() || p.y < 0 || p.y > rect_.Height()) {
    if (momentary_) {
      pressed_ = 0;
    }
    return;
  }
  switch (pressed_) {
    case 0:
      if (event == kEventLeftDown && lastEvent_ != kEventLeftDown) {
        pressed_ = 1;
      }
      break;
    case 1:
      if (event != kEventLeftDown && lastEvent_ == kEventLeftDown) {
        pressed_ = momentary_ ? 0 : 2;
      }
      break;
    default:
      if (event == kEventLeftDown && lastEvent_ != kEventLeftDown) {
        pressed_ = 0;
      }
      break;
  }
  lastEvent_ = event;
}

void CButtonClass::SetPressed(bool on) {
  pressed_ = on ? 1 : 0;
  ComputeState();
}

void CButtonClass::SetLatched(bool in) {
  pressed_ = in ? (momentary_ ? 1 : 2) : 0;
  ComputeState();
}

void CButtonClass::Paint(platform::DrawSurface& dc) { Draw(dc); }
