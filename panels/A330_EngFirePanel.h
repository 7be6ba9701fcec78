// The engine fire panel: four squib buttons, two fire buttons under fire
// guards, and the momentary test button. The guards take their clicks before
// the buttons on every pass.
#pragma once

#include "panels/SubPanel.h"

// The fire guard: a hood as wide as the fire button, hinged 20 pixels above
// it, lifted 5 pixels higher. Both fire panels use it.
inline constexpr GuardGeometry kFireGuardGeometry{{0, -20, 106, -20, 0, -20, 0, 45, 0, 0, 0, 0, 0, -5, 0, 45},
                                                  false, false};

extern const PanelTables kEngineFireTables;

class CEngFirePanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 7;
  static constexpr int kFireButtons[2] = {4, 5};  // under guards 0 and 1
  static constexpr int kTestButton = 6;

  CEngFirePanel();

  void Update(const MouseState& mouse) override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Guard(int i) const { return guards_[i]; }

 private:
  CButtonClass buttons_[kButtonCount];
  GuardedButton guards_[2];
};
