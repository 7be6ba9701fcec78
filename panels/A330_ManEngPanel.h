// The manual engine start panel: four push buttons under black covers and the
// N1 MODE light. Buttons 2 and 3 with their covers exist only while the
// simulation sets the second-pair flag (input +0); the light follows that flag
// through its change detector. The A320 layout moves the whole content.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kManualStartTables;

class CManEngPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 4;  // cover i over button i
  static constexpr BlockField kSecondPairFlag = 0;

  CManEngPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Cover(int i) const { return covers_[i]; }
  const LightClass& Light() const { return light_[0].light; }

 private:
  void ServePair(int first);
  void DrawPair(int first, platform::DrawSurface& surface);

  CButtonClass buttons_[kButtonCount];
  GuardedButton covers_[kButtonCount];
  PanelLight light_[1];
};
