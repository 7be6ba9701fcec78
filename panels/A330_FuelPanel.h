// The fuel panel: twelve push buttons, button 8 under a black cover, and the
// mode selector switch. Its start-up preset is written at initialisation and
// again on every pass while the simulation requests it.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kFuelTables;

class CA330_FuelPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 12;
  static constexpr int kCoveredButton = 8;
  static constexpr int kKeptButton = 6;  // left as it is by the preset and the reset

  CA330_FuelPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void ResetToDefaults() override;
  void ApplyStartupPreset() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Cover() const { return cover_[0]; }
  SwitchClass& Selector() { return switch_[0]; }

 private:
  // Every button byte at once, as the preset and the reset publish them.

  CButtonClass buttons_[kButtonCount];
  GuardedButton cover_[1];
  SwitchClass switch_[1];
};
