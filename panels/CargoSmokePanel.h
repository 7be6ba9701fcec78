// The cargo smoke panel: two discharge buttons under red covers, the bottle
// button (always in) and the momentary test button.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kCargoSmokeTables;

class CCargoSmokePanel : public SubPanel {
 public:
  static constexpr int kBottleButton = 2;
  static constexpr int kTestButton = 3;

  CCargoSmokePanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Cover(int i) const { return covers_[i]; }

 private:
  CButtonClass buttons_[4];
  GuardedButton covers_[2];
};
