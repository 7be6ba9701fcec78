// The cargo air-conditioning panel: four push buttons and three knobs; a
// reset puts all four buttons in.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kCargoAirConTables;

class CCargoAirConPanel : public SubPanel {
 public:
  CCargoAirConPanel();

  void ResetToDefaults() override;

  const CButtonClass& Button(int i) const { return buttons_[i]; }
  const KnobClass& Knob(int i) const { return knobs_[i]; }

 private:
  CButtonClass buttons_[4];
  KnobClass knobs_[3];
};
