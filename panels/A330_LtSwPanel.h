// The light switch panel: fifteen toggle switches and three push buttons.
// It takes the aircraft type as an Initialise argument and chooses its own
// layout, takes its display-only request from its output block, and writes
// each control at the place its control number gives.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kLtSwTables;

class CA330_LtSwPanel : public SubPanel {
 public:
  static constexpr int kSwitchCount = 15;
  static constexpr int kButtonCount = 3;
  static constexpr int kForcedButton = 2;      // always in

  CA330_LtSwPanel();

  // Codes 7 to 9 take the A330 layout, 10 to 13 the A320 layout; any other
  // code fails without a message.
  bool InitialiseForType(const char* folder, int32_t originY, int32_t originX, int32_t code) override;
  // With the stored aircraft type.
  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  // Default switch positions and buttons 0 and 1 in; the switch bytes follow
  // on the next pass.
  void ResetToDefaults() override;

  const SwitchClass& Switch(int i) const { return switches_[i]; }
  const CButtonClass& Button(int i) const { return buttons_[i]; }

 private:
  SwitchClass switches_[kSwitchCount];
  CButtonClass buttons_[kButtonCount];
};
