// The panel table, the list of panels visible in the dialog's view, the
// update rotation and the hit test. The panel-specific work goes through the
// virtual operations that CockpitManager implements.
#pragma once

#include <climits>
#include <cstdint>

#include "common/Qx_ErrorReport.h"
#include "panels/MouseState.h"

namespace platform {
class DrawSurface;
}

// The picture rectangle of one panel id (all zero for ids without a panel).
struct PanelRect {
  int32_t id = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

class PanelManager : public Qx_ErrorReport {
 public:
  // The manager works only while the panel count is below this.
  static constexpr int32_t kMaxPanels = 25;

  explicit PanelManager(int32_t panelCount);
  ~PanelManager() override;

  // How many draws a panel gets after a pass (or anything else that may
  // change its picture) before it may be skipped: a control's first draw
  // after a change can differ from its later ones (a cover lifted, a lamp
  // lit on the draw its flag rises).
  static constexpr uint8_t kSettleDraws = 2;

  // Draws every visible panel, in list order, within one drawing pass of
  // the surface. While skipping is on, a panel with nothing that may change
  // its picture since its last draw (no pass, no pointer move over it, drawn
  // at the last paint) is not drawn: the copies it made last time are
  // recorded again in their place, and its pixels stay.
  virtual void DrawVisible(platform::DrawSurface& surface);
  // True when DrawVisible would draw some panel; false when the picture on
  // the surface already is what it would give (the pass may be left out).
  bool NeedsDrawing() const;
  // The panel with this id is drawn at the next paints (kSettleDraws).
  void MarkForDrawing(int32_t id);
  void MarkAllForDrawing();
  // Off: every visible panel is drawn on every paint (the default is on).
  void SetSkipUntouched(bool skip) { skipUntouched_ = skip; }
  // Where the pointer is (picture coordinates) and the panel under it (-1:
  // none). When either changed since the last call, the panel it left and
  // the one it is over are drawn at the next paints; a pointer at rest
  // changes nothing.
  void SetPointer(int32_t x, int32_t y, int32_t panel);
  virtual void UpdatePanel(int32_t id);
  virtual void DrawPanel(int32_t id, platform::DrawSurface& surface);
  virtual void ResetAll();
  // UpdatePanel for every id from 0 to 23.
  virtual void UpdateAll();

  // One rotation step: recomputes the visible list at the start of a cycle
  // and updates the next visible panel. The first call updates every panel.
  // Then, with change passes on, every visible panel whose simulation fields
  // changed since its last pass gets a pass, in id order; with them off, such
  // a panel is only drawn again (its drawing reads some of them).
  void UpdateVisible(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const MouseState* mouse);
  // Change passes on (the default) or off (the rotation alone).
  void SetChangePasses(bool on) { changePasses_ = on; }
  bool GetChangePasses() const { return changePasses_; }
  // While set, every panel with a rectangle counts as visible, whatever the
  // view rectangle (for a consumer showing the whole picture); takes effect
  // at the next rotation cycle, as a scroll does.
  void SetWholePictureInView(bool whole) { wholePicture_ = whole; }
  bool IsWholePictureInView() const { return wholePicture_; }
  // Passes given for changed fields since construction.
  int64_t GetChangePassCount() const { return changePassCount_; }

  // Updates the panel under the pointer (picture coordinates).
  void HandleMouse(int32_t x, int32_t y);
  // The lowest id from 1 whose rectangle contains the point, edges included;
  // -1 when none does.
  int32_t FindPanelAt(int32_t x, int32_t y) const;

  int32_t GetPanelCount() const { return panelCount_; }
  // The table entry of the id; all zero for an id outside the table.
  PanelRect GetPanelRect(int32_t id) const;
  int32_t GetVisibleCount() const { return visibleCount_; }
  // The id at a position of the visible list; -1 past its end.
  int32_t GetVisibleId(int32_t position) const;
  int32_t GetRotationPosition() const { return rotationPosition_; }
  bool IsFirstCycleDone() const { return firstCycleDone_; }
  int32_t GetLastPanelUnderPointer() const { return lastPanelUnderPointer_; }
  const MouseState* GetMouseState() const { return mouse_; }

 protected:
  void SetPanelRect(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height);
  void RecomputeVisible(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  // Whether the panel's simulation fields changed since its last pass
  // (base: never).
  virtual bool InputsChanged(int32_t id);

 private:
  int32_t panelCount_ = 0;
  PanelRect table_[kMaxPanels];
  int32_t visible_[kMaxPanels];
  int32_t visibleCount_ = 0;
  bool firstCycleDone_ = false;
  const MouseState* mouse_ = nullptr;
  int32_t rotationPosition_ = 0;
  int32_t lastPanelUnderPointer_ = 0;
  bool changePasses_ = true;
  bool wholePicture_ = false;
  int64_t changePassCount_ = 0;
  // Drawing: paints still due per id, whether each id was drawn (or its
  // copies recorded again) at the last paint, the pointer and its panel.
  bool skipUntouched_ = true;
  uint8_t drawsDue_[kMaxPanels] = {};
  bool inLastPaint_[kMaxPanels] = {};
  int32_t pointerPanel_ = -1;
  int32_t pointerX_ = INT32_MIN;
  int32_t pointerY_ = INT32_MIN;
};
