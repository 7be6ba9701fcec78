// The ADIRU panel: six push buttons in two rows, three mode knobs between
// them and the on-battery light. Buttons 3 to 5 are held in on every pass;
// the simulation can ask for the start-up positions or the reset positions.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kAdiruTables;

class CA330_AdiruPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 6;
  static constexpr int kKnobCount = 3;
  static constexpr int kStartupKnobPosition = 7;

  CA330_AdiruPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void ResetToDefaults() override;
  // Buttons 0 to 2 out, 3 to 5 in, every knob at position 7; written at once.
  void ApplyStartupPreset() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const KnobClass& Knob(int i) const { return knobs_[i]; }
  const LightClass& OnBatteryLight() const { return light_[0].light; }

 private:
  void WriteControls();

  CButtonClass buttons_[kButtonCount];
  KnobClass knobs_[kKnobCount];
  PanelLight light_[1];
};
