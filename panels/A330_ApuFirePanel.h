// The APU fire panel: the momentary test button, the squib button, and the
// fire button under a fire guard, which takes its clicks before the buttons.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kApuFireTables;

class CApuFirePanel : public SubPanel {
 public:
  static constexpr int kButtonCount = 3;
  static constexpr int kTestButton = 0;
  static constexpr int kFireButton = 2;  // under the guard

  CApuFirePanel();

  void Update(const MouseState& mouse) override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const GuardedButton& Guard() const { return guard_[0]; }

 private:
  CButtonClass buttons_[kButtonCount];
  GuardedButton guard_[1];
};
