// The oxygen panel: four push buttons, button 1 momentary and under a red
// guarded cover, in an A330 or an A320 layout.
#pragma once

#include <cstdint>

#include "controls/GuardedCover.h"
#include "panels/PanelBlocks.h"
#include "panels/SubPanel.h"

// OxygenOutput and OxygenInput: block offsets and fields.
struct OxygenBlocks {
  static constexpr BlockPair kA330 = {0x12494, 7, 0x12177, 11};
  static constexpr BlockPair kA320 = {0x1EFF5, 7, 0x1ECD0, 11};
  // Input: lamp pairs of buttons 0 to 3 at +0 to +7, then these.
  static constexpr BlockField kLampTest = 8;
  static constexpr BlockField kResetRequest = 10;
  // Input lamp shown for button 1 in display-only mode.
  static constexpr BlockField kButton1Shown = 2;
};

class COxygenPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 4;
  static constexpr int kCallButton = 1;    // under the cover, momentary, single lamp
  static constexpr int kForcedButton = 2;  // forced in after every pass
  static const PushButtonRow kButtons[kButtonCount];

  COxygenPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ShowSimulationState() override;
  // Codes 7 to 9: A330 layout and blocks; 10 to 13: A320; others: false.
  bool CheckAircraftFit() override;

  bool IsA330() const { return layout_ == kLayoutA330; }
  bool IsA320() const { return layout_ == kLayoutA320; }
  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedCover& Cover() const { return cover_; }

 private:
  bool CreateButtons(const char* folder);
  bool CreateCover(const char* folder);

  CPanelButton buttons_[kButtonCount];
  GuardedCover cover_;
};
