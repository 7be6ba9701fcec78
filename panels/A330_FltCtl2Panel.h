// The second flight-control panel: three push buttons, each under a black
// cover.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kFlightControl2Tables;

class CFltCtl2Panel : public SubPanel {
 public:
  static constexpr int kButtonCount = 3;  // cover i over button i

  CFltCtl2Panel();

  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Cover(int i) const { return covers_[i]; }

 private:
  CButtonClass buttons_[kButtonCount];
  GuardedButton covers_[kButtonCount];
};
