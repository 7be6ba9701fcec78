// The ventilation panel: four push buttons in an A330 or an A320 layout. In
// the A330 layout button 0 is always in.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kVentilationTables;

class CVentilationPanel : public SubPanel {
 public:
  CVentilationPanel();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }

 private:
  CButtonClass buttons_[4];
};
