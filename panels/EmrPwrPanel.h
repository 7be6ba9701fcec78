// The emergency electrical power panel: four push buttons, the two
// momentary ones under a black and a red cover plate, in an A330 or an A320
// layout (button 0 has its own images in each).
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kEmrPwrTables;

class CEmrPwrPanel : public SubPanel {
 public:
  // Plate rows: the red one is created first.
  static constexpr int kRedPlate = 0;
  static constexpr int kBlackPlate = 1;

  CEmrPwrPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedCover& Plate(int i) const { return plates_[i]; }

 private:
  CButtonClass buttons_[4];
  GuardedCover plates_[2];
};
