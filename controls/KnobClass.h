// Selector knob with up to eight detent positions 45 degrees apart. A click
// on the cell of a 3 x 3 grid towards which the pointer should turn selects
// that position when it is allowed.
#pragma once

#include "controls/BaseCockpitControl.h"

// Knob descriptor. Texts are not kept; null counts as empty.
struct KnobDescriptor {
  int unused = 0;
  bool allowed[8] = {};  // position 0 (up) first, clockwise
  const char* folder = "";
  const char* name = "";
  int offsetX = 0;
  int offsetY = 0;
  int originX = 0;
  int originY = 0;
  double scale = 1.0;
  int verticalMargin = 0;
  int horizontalMargin = 0;
};

class KnobClass : public CBaseCockpitControl {
 public:
  KnobClass();

  // Only allowed positions get an image; valid when none failed to load.
  bool Initialise(const KnobDescriptor& descriptor);
  // Takes the margins from the descriptor, then as Initialise.
  bool InitialiseWithMargins(const KnobDescriptor& descriptor);
  // A button-down event (left or right) selects the first allowed position
  // whose region strictly contains the pointer.
  void Click(int event);
  void SetPosition(int position);
  int GetPosition() const { return state_; }
  // Leaves out unchanged for indices outside 0 to 7.
  void GetRegion(int index, platform::Rect& out) const;
  bool IsValid() const { return valid_; }
  bool IsAllowed(int position) const;
  void Paint(platform::DrawSurface& dc) override;

 private:
  void SetRegions();

  int verticalMargin_ = 0;
  int horizontalMargin_ = 0;
  bool allowed_[8] = {};
  bool valid_ = false;
  platform::Rect client_;
  platform::Rect regions_[8];
};
