// The oxygen panel: four push buttons, button 1 momentary and under a red
// cover plate, in an A330 or an A320 layout.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kOxygenTables;

class COxygenPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 4;
  static constexpr int kCallButton = 1;    // under the plate, momentary, single lamp
  static constexpr int kForcedButton = 2;  // put in again after every pass

  COxygenPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedCover& Plate() const { return plate_[0]; }

 private:
  CButtonClass buttons_[kButtonCount];
  GuardedCover plate_[1];
};
