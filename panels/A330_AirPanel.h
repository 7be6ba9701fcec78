// The air-conditioning panel: fourteen push buttons (0 and 13 under black
// covers), two toggle switches and five knobs. Switches and knobs are created
// before the generic area is checked, and the panel does nothing until its
// blocks are set.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kAirTables;

class CA330_AirPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 14;
  static constexpr int kSpringSwitch = 1;  // springs back to the middle
  // Knob rows, in the order the panel creates and serves them.
  enum Knob : int { kKnobC = 0, kKnobD, kKnobE, kKnobA, kKnobB, kKnobCount };

  CA330_AirPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ResetToDefaults() override;

  bool IsReady() const { return ready_; }
  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Cover(int i) const { return covers_[i]; }
  const SwitchClass& Switch(int i) const { return switches_[i]; }
  const KnobClass& KnobAt(Knob k) const { return knobs_[k]; }

 private:
  CButtonClass buttons_[kButtonCount];
  GuardedButton covers_[2];
  SwitchClass switches_[2];
  KnobClass knobs_[kKnobCount];
};
