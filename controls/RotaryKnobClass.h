// Continuously turned knob: holding the left button on its right half turns
// it up, on its left half down, slowly at first and faster the longer the
// button is held.
#pragma once

#include "controls/BaseCockpitControl.h"

// Rotary knob descriptor. Texts are not kept; null counts as empty.
struct RotaryKnobDescriptor {
  const char* folder = "";
  const char* names[3] = {"", "", ""};  // below "RotaryKnobs"
  int offsetX = 0;
  int offsetY = 0;
  int originX = 0;
  int originY = 0;
  int step = 1;
  int maximum = 0;
  int minimum = 0;
  double scale = 1.0;
};

class RotaryKnobClass : public CBaseCockpitControl {
 public:
  RotaryKnobClass();

  bool Initialise(const RotaryKnobDescriptor& descriptor);
  // The change this cycle asks for: 0 unless the left button is held on a half.
  int GetDelta(int event);
  // touched = the pointer is strictly inside either half.
  void CheckTouched(int event);
  bool IsTouched() const { return touched_; }
  // Clamped to minimum and maximum (the maximum wins if they cross).
  void SetValue(int value);
  int GetValue() const { return value_; }
  void SetRange(int maximum, int minimum);
  int GetMaximum() const { return maximum_; }
  int GetMinimum() const { return minimum_; }
  int GetStep() const { return step_; }
  int GetDefaultStep() const { return defaultStep_; }
  // 0, 1 or 2; anything else is ignored.
  void SetImage(int image);
  int GetImage() const { return image_; }
  int GetHoldCount() const { return holdCount_; }
  bool IsChanged() const { return changed_; }
  bool IsValid() const { return valid_; }
  void Paint(platform::DrawSurface& dc) override;

 private:

  int knobX_ = 0;
  int knobY_ = 0;
  bool touched_ = false;
  bool changed_ = false;
  int holdCount_ = 0;
  bool valid_ = false;
  platform::Rect client_;
  int value_ = 0;
  platform::Rect decrease_;
  platform::Rect increase_;
  int step_ = 1;
  int defaultStep_ = 1;
  int maximum_ = 0;
  int minimum_ = 0;
  int image_ = 0;
};
