// The fuel jettison panel: four guarded buttons (valves under black guards,
// arm and active under red ones). Its preset and its reset are the same, and
// are written by the next pass.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kFuelJettisonTables;

class CA330_FuelJeterson : public SubPanel {
 public:
  static constexpr int kGuardedCount = 4;

  CA330_FuelJeterson();

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void ResetToDefaults() override;
  void ApplyStartupPreset() override;

  GuardedButton& Guarded(int i) { return guarded_[i]; }

 private:
  GuardedButton guarded_[kGuardedCount];
};
