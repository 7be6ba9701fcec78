// The GPWS panel: four push buttons on the common skeleton, with a reset
// to its default positions.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kGpwsTables;

class CGpwsPanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 4;

  CGpwsPanel();

  // Buttons 0 and 1 in, 2 and 3 out; their bytes follow on the next pass.
  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }

 private:
  CButtonClass buttons_[kButtonCount];
};
