// The first flight-control panel: three push buttons, buttons 1 and 2 under
// black covers; button 0 is never blocked.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kFlightControlTables;

class CFltCtlPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 3;

  CFltCtlPanel();

  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Cover(int i) const { return covers_[i]; }

 private:
  CButtonClass buttons_[kButtonCount];
  GuardedButton covers_[2];
};
