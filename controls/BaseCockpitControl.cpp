#include "controls/BaseCockpitControl.h"

#include <climits>

#include "common/TextFcns.h"

namespace {
RevisionLines gRevisions("%Z% CBaseCockpitControl QX_P_0301_01 BaseCockpitControl.cpp $Revision: 1.9 $",
                         "%Z% CBaseCockpitControl QX_P_0301_01 BaseCockpitControl.h $Revision: 1.4 $");

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }
}  // namespace

void RegisterCBaseCockpitControlRevision() { gRevisions.RegisterOnce(); }

void RegisterControlRevisions() {
  RegisterCBaseCockpitControlRevision();
  RegisterCButtonClassRevision();
  RegisterGuardedCoverRevision();
  RegisterGuardedButtonRevision();
  RegisterSwitchClassRevision();
  RegisterKnobClassRevision();
  RegisterRotaryKnobClassRevision();
  RegisterLightClassRevision();
  RegisterCPanelDisplayRevision();
  RegisterCDisplaySegmentRevision();
}

void BuildControlPath(char* out, std::size_t size, const char* folder, const char* name, const char* file) {
  FormatBounded(out, size, "%s\\%s%s", OrEmpty(folder), OrEmpty(name), OrEmpty(file));
}

CBaseCockpitControl::CBaseCockpitControl(RevisionLines& lines) : lines_(&lines) {
  CopyBounded(sourceLine_, lines.Source(), sizeof sourceLine_);
  CopyBounded(headerLine_, lines.Header(), sizeof headerLine_);
}

CBaseCockpitControl::~CBaseCockpitControl() {
  for (ImageSlot& slot : images_) {
    slot.bitmap.Release();
  }
}

void CBaseCockpitControl::RegisterRevision() {
  lines_->RegisterOnce();
  gRevisions.RegisterOnce();
}

bool CBaseCockpitControl::IsImageLoaded(int slot) const {
  return slot >= 0 && slot < kControlImageCount && loaded_[slot];
}

void CBaseCockpitControl::PlaceAt(int x, int y) {
  x_ = x;
  y_ = y;
  origin_.SetOrigin(x, y);
}

bool CBaseCockpitControl::LoadImage(int slot, const char* path) {
  ImageSlot& image = images_[slot];
  if (!image.bitmap.Load(path, loadError_, sizeof loadError_)) {
    image.width = 0;
    image.height = 0;
    Report("CBaseCockpitControl::Initialise\n This image was not loaded\n", path);
    if (!fileFailed_) {
      CopyBounded(failedFile_, path, sizeof failedFile_);
      fileFailed_ = true;
    }
    return false;
  }
  image.width = image.bitmap.Width();
  image.height = image.bitmap.Height();
  rect_ = platform::Rect{x_, y_, x_ + image.width, y_ + image.height};
  return true;
}

bool CBaseCockpitControl::Initialise(const ImageSet& set) {
  PlaceAt(set.x, set.y);
  failedFile_[0] = '\0';
  fileFailed_ = false;
  anyLoaded_ = false;
  for (int i = 0; i < kControlImageCount; i++) {
    if (set.paths[i][0] == '\0') {
      loaded_[i] = false;
      images_[i].bitmap.Release();
      continue;
    }
    loaded_[i] = LoadImage(i, set.paths[i]);
    anyLoaded_ = anyLoaded_ || loaded_[i];
  }
  if (!anyLoaded_) {
    return false;
  }
  type_ = set.type;
  optionalImages_ = set.optionalImages;

  switch (type_) {
    case kTypeSwitch:
      return IsSwitchValid(set.kind);
    case kTypePushButton: {
      bool valid = loaded_[0] && loaded_[1] && loaded_[2] && loaded_[3];
      for (int i = 4; i < kControlImageCount; i++) {
        valid = valid && (loaded_[i] || optionalImages_);
      }
      if (!valid) {
        Report("CBaseCockpitControl::Initialise ... No image was loaded from file :", failedFile_);
      }
      return valid;
    }
    case kTypeKnob:
      ReportText("CBaseCockpitControl::Initialise ... No image was loaded ");
      return !fileFailed_;
    case kTypeRotaryKnob:
      ReportText("CBaseCockpitControl::Initialise ... No image was loaded ");
      return true;
    case kTypeLight:
      ReportText("CBaseCockpitControl::Initialise ... No image was loaded ");
      return anyLoaded_;
    case kTypeGuardedCover:
      ReportText("CBaseCockpitControl::IsCoverValid ... No image was loaded ");
      return loaded_[0] && loaded_[1];
    default:
      // Guarded buttons and unknown types are not initialised from an image set.
      ReportText("CBaseCockpitControl::Initialise --> Invalid control type");
      return false;
  }
}

bool CBaseCockpitControl::IsSwitchValid(int kind) {
  bool valid = false;
  if (kind == 2 || kind == 4) {
    valid = loaded_[0] && loaded_[1];
  } else if (kind == 1 || kind == 3 || kind == 5 || kind == 6) {
    valid = loaded_[0] && loaded_[1] && loaded_[2];
  }
  if (!valid) {
    if (fileFailed_) {
      Report("CBaseCockpitControl::IsSwitchValid \n", failedFile_);
    } else {
      ReportText("CBaseCockpitControl::IsSwitchValid ... Invalid switch");
    }
  }
  return valid;
}

double ClampScale(double scale) {
  if (scale >= 5.0) {
    return 5.0;
  }
  if (scale >= 0.1) {
    return scale;
  }
  return 0.1;  // also a NaN scale
}

void CBaseCockpitControl::SetScale(double scale) { scale_ = ClampScale(scale); }

int CBaseCockpitControl::Scale(int value) const {
  double scaled = value * scale_;
  if (scaled >= static_cast<double>(INT_MAX)) {
    return INT_MAX;
  }
  if (scaled <= static_cast<double>(INT_MIN)) {
    return INT_MIN;
  }
  return static_cast<int>(scaled);
}

bool CBaseCockpitControl::HitTest(ViewPoint p) const {
  return rect_.ContainsStrictly(p.x, p.y);
}

bool CBaseCockpitControl::IsInside(ViewPoint p) const {
  return 0 < p.x && p.x < rect_.Width() && 0 < p.y && p.y < rect_.Height();
}

platform::Rect CBaseCockpitControl::GetClientRect() const { return platform::Rect{0, 0, rect_.Width(), rect_.Height()}; }

ViewPoint CBaseCockpitControl::GetMousePoint() {
  absolute_ = origin_.GetPointerInPicture();
  return origin_.GetPointerRelative();
}

void CBaseCockpitControl::SetHighlight(const platform::Rect& rect) {
  highlightRect_ = rect;
  highlight_ = true;
}

platform::Rect CBaseCockpitControl::DrawnArea() const {
  platform::Rect area;
  for (const ImageSlot& image : images_) {
    if (image.bitmap.IsLoaded()) {
      area = platform::Union(area, platform::PlacedRect(x_, y_, image.bitmap.Width(), image.bitmap.Height()));
    }
  }
  return area;
}

void CBaseCockpitControl::DrawImage(int slot, platform::DrawSurface& dc) {
  if (slot >= 0 && slot < kControlImageCount) {
    dc.DrawBitmap(images_[slot].bitmap, x_, y_);
  }
}

void CBaseCockpitControl::DrawHighlight(platform::DrawSurface& dc, const platform::Rect& rect) {
  if (highlight_) {
    dc.DrawFocusFrame(rect);
  }
}

void CBaseCockpitControl::DrawThreeState(platform::DrawSurface& dc) {
  if (state_ >= 0 && state_ <= 2 && loaded_[state_]) {
    DrawImage(state_, dc);
  }
  DrawHighlight(dc, highlightRect_);
}

void CBaseCockpitControl::DrawEightState(platform::DrawSurface& dc) {
  if (state_ >= 0 && state_ <= 7 && loaded_[state_]) {
    DrawImage(state_, dc);
  }
  DrawHighlight(dc, highlightRect_);
}

void CBaseCockpitControl::Paint(platform::DrawSurface& dc) {
  int last = optionalImages_ ? 3 : 7;
  if (state_ < 0 || state_ > last) {
    return;
  }
  lastDrawnState_ = state_;
  if (loaded_[state_]) {
    DrawImage(state_, dc);
  }
  DrawHighlight(dc, platform::Rect{rect_.left - 4, rect_.top - 4, rect_.right + 4, rect_.bottom + 4});
}

void CBaseCockpitControl::Draw(platform::DrawSurface& dc) {
  switch (type_) {
    case kTypeSwitch:
      DrawThreeState(dc);
      break;
    case kTypePushButton:
      CBaseCockpitControl::Paint(dc);
      break;
    case kTypeKnob:
      DrawEightState(dc);
      break;
    case kTypeLight:
      // Lit (state 0) draws "On", anything else "Off"; an empty slot draws nothing.
      DrawImage(state_ == 0 ? 0 : 1, dc);
      break;
    case kTypeGuardedCover:
      // Closed (state 1) draws "Down", otherwise "Up".
      DrawImage(state_ == 1 ? 1 : 0, dc);
      break;
    default:
      // Rotary knobs and guarded buttons draw themselves; type 6 draws nothing.
      break;
  }
}
