// The panel table, the list of panels visible in the dialog's view, the
// update rotation and the hit test. The panel-specific work goes through the
// virtual operations that CockpitManager implements.
#pragma once

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

  // Draws every visible panel, in list order.
  virtual void DrawVisible(platform::DrawSurface& surface);
  virtual void UpdatePanel(int32_t id);
  virtual void DrawPanel(int32_t id, platform::DrawSurface& surface);
  virtual void ResetAll();
  // UpdatePanel for every id from 0 to 23.
  virtual void UpdateAll();

  // One rotation step: recomputes the visible list at the start of a cycle
  // and updates the next visible panel. The first call updates every panel.
  void UpdateVisible(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const MouseState* mouse);
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

 private:
  int32_t panelCount_ = 0;
  PanelRect table_[kMaxPanels];
  int32_t visible_[kMaxPanels];
  int32_t visibleCount_ = 0;
  bool firstCycleDone_ = false;
  const MouseState* mouse_ = nullptr;
  int32_t rotationPosition_ = 0;
  int32_t lastPanelUnderPointer_ = 0;
};
