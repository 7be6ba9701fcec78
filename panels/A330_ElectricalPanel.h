// The electrical panel: fourteen push buttons (5, 7 and 8 under red covers),
// a display selector switch and a four-cell display of the float the
// selector chooses.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kElectricalTables;

class CA330_ElectricalPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 14;
  // Input fields of the three values the selector chooses from.
  static constexpr BlockField kValueFields[3] = {0, 4, 8};
  static constexpr float kShownMinimum = 0.0f;
  static constexpr float kShownMaximum = 99.9f;

  CA330_ElectricalPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ShowSimulationState() override;
  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Cover(int i) const { return covers_[i]; }
  const SwitchClass& Selector() const { return selector_[0]; }
  const CPanelDisplay& ValueDisplay() const { return display_[0]; }
  int SelectorPosition() const { return position_; }

 private:
  void RememberPosition();

  CButtonClass buttons_[kButtonCount];
  GuardedButton covers_[3];
  SwitchClass selector_[1];
  CPanelDisplay display_[1];
  int position_ = 0;  // 0 up, 1 middle, 2 down
};
