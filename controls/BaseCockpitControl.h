// Base of every bitmap control on the panel picture: up to eight images, one
// per visual state, drawn at a fixed place; the current state picks the image.
// Loads and validates the image set, keeps the control's rectangle, hit-tests
// the pointer and draws the current state by control type.
#pragma once

#include <cstddef>

#include "common/Qx_ErrorReport.h"
#include "common/RevisionString.h"
#include "controls/ViewGeometry.h"
#include "platform/Graphics.h"

// Mouse event types handed to the controls (the button state of the main
// dialog's mouse state record). 3 and 4 (wheel) count as "other" events.
enum ControlEvent : int {
  kEventNone = 0,       // no button down
  kEventLeftDown = 1,   // left button down: operates controls
  kEventRightDown = 2,  // right button down: lifts and closes guards
};

// Control types.
enum ControlType : int {
  kTypeSwitch = 0,
  kTypePushButton = 1,
  kTypeKnob = 2,
  kTypeRotaryKnob = 3,
  kTypeLight = 4,
  kTypeNone = 6,
  kTypeGuardedButton = 7,
  kTypeGuardedCover = 8,
};

constexpr int kControlImageCount = 8;
constexpr std::size_t kControlPathSize = 1024;

// Built by a derived control from its descriptor, read by the base Initialise.
// An empty path means no image in that slot.
struct ImageSet {
  int type = kTypeNone;
  int kind = 0;  // switch kind, 0 for other controls
  bool optionalImages = false;
  char paths[kControlImageCount][kControlPathSize] = {};
  int x = 0;
  int y = 0;
};

// Registers the identification lines of one control module, once per process.
void RegisterCBaseCockpitControlRevision();
void RegisterCButtonClassRevision();
void RegisterGuardedCoverRevision();
void RegisterGuardedButtonRevision();
void RegisterSwitchClassRevision();
void RegisterKnobClassRevision();
void RegisterRotaryKnobClassRevision();
void RegisterLightClassRevision();
void RegisterCPanelDisplayRevision();
void RegisterCDisplaySegmentRevision();
// All of the above, for the cockpit manager's start-up.
void RegisterControlRevisions();

// Path = folder + "\" + name + file (file starts with its own backslash).
void BuildControlPath(char* out, std::size_t size, const char* folder, const char* name, const char* file);

// A position scale kept in 0.1 to 5.0; NaN gives 0.1.
double ClampScale(double scale);

class CBaseCockpitControl : public Qx_ErrorReport {
 public:
  static constexpr std::size_t kLineSize = 251;  // identification lines, at most 250 characters

  // lines: the control class's module identification lines.
  explicit CBaseCockpitControl(RevisionLines& lines);
  ~CBaseCockpitControl() override;
  CBaseCockpitControl(const CBaseCockpitControl&) = delete;
  CBaseCockpitControl& operator=(const CBaseCockpitControl&) = delete;

  // Draws the current state by control type.
  virtual void Draw(platform::DrawSurface& dc);
  // Registers the control class's identification lines, and the base's own,
  // once per process.
  virtual void RegisterRevision();
  // Switch rule: states 0 to 2.
  virtual void DrawThreeState(platform::DrawSurface& dc);
  // Knob rule: states 0 to 7.
  virtual void DrawEightState(platform::DrawSurface& dc);
  // The paint hook; in the base the push-button rule.
  virtual void Paint(platform::DrawSurface& dc);

  // Loads and validates the images of the set. False with the report text set
  // when nothing loaded or the set is incomplete for its type.
  bool Initialise(const ImageSet& set);

  // Scale kept in 0.1 to 5.0.
  void SetScale(double scale);
  double GetScale() const { return scale_; }
  // value x scale, truncated toward zero.
  int Scale(int value) const;

  // Strictly inside the rectangle (picture coordinates).
  bool HitTest(ViewPoint p) const;
  // Strictly inside 0..width, 0..height (control coordinates).
  bool IsInside(ViewPoint p) const;
  platform::Rect GetRect() const { return rect_; }
  // The part of the picture the control's images cover, whichever is shown
  // (empty when none is loaded): what it leaves behind when it stops being drawn.
  virtual platform::Rect DrawnArea() const;
  platform::Rect GetClientRect() const;
  // The recorded pointer position relative to the control's x, y.
  ViewPoint GetMousePoint();
  // The absolute (picture) pointer position of the last GetMousePoint.
  ViewPoint GetAbsoluteMousePoint() const { return absolute_; }

  void SetOn(bool on) { state_ = on ? 1 : 0; }
  void SetHighlight(const platform::Rect& rect);

  int GetType() const { return type_; }
  int GetState() const { return state_; }
  int GetX() const { return x_; }
  int GetY() const { return y_; }
  bool IsImageLoaded(int slot) const;
  bool AnyLoaded() const { return anyLoaded_; }
  int GetLastDrawnState() const { return lastDrawnState_; }
  // The first image file that failed to load ("" when none).
  const char* GetFailedFile() const { return failedFile_; }
  const char* GetSourceLine() const { return sourceLine_; }
  const char* GetHeaderLine() const { return headerLine_; }

 protected:
  struct ImageSlot {
    int width = 0;
    int height = 0;
    platform::Bitmap bitmap;
  };

  // Loads one image into a slot at the control's x, y; keeps the first failed
  // path. The rectangle takes the size of the image.
  bool LoadImage(int slot, const char* path);
  // Copies the slot's bitmap at x, y (nothing for an empty or invalid slot).
  void DrawImage(int slot, platform::DrawSurface& dc);
  // Places the control; the origin for mouse points follows.
  void PlaceAt(int x, int y);
  void DrawHighlight(platform::DrawSurface& dc, const platform::Rect& rect);
  // The image-set validations by type; each sets its report text.
  bool IsSwitchValid(int kind);

  double scale_ = 1.0;
  ImageSlot images_[kControlImageCount];
  bool loaded_[kControlImageCount] = {};
  int type_ = kTypeNone;
  int state_ = 0;
  int x_ = 0;
  int y_ = 0;
  bool optionalImages_ = false;
  platform::Rect rect_;
  ViewGeometry origin_;
  bool anyLoaded_ = false;
  bool highlight_ = false;
  platform::Rect highlightRect_;
  char sourceLine_[kLineSize] = {};
  char headerLine_[kLineSize] = {};
  char failedFile_[kControlPathSize] = {};
  bool fileFailed_ = false;
  int lastDrawnState_ = 127;

 private:
  RevisionLines* lines_;
  ViewPoint absolute_;
  char loadError_[512] = {};
};
