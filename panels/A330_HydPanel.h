// The hydraulic panel: ten push buttons, buttons 0 to 6 under black covers.
// Buttons 7 to 9 are never blocked. Its preset (all out) is written at
// initialisation and on every pass while the simulation requests it.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kHydraulicTables;

class CHydPanelPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 10;
  static constexpr int kCoveredCount = 7;  // buttons 0 to 6, cover i over button i

  CHydPanelPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ResetToDefaults() override;
  void ApplyStartupPreset() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Cover(int i) const { return covers_[i]; }

 private:

  CButtonClass buttons_[kButtonCount];
  GuardedButton covers_[kCoveredCount];
};
