#include "panels/A330_FuelJeterson.h"

namespace {

const char kSource[] = "%Z% A330_FuelJeterson QX_P_0405_12 A330_FuelJeterson.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_FuelJeterson QX_P_0405_12 A330_FuelJeterson.h $Revision: 1.1 $";

// Input block: +0 to +7 lamp pairs, +8 lamp test, +9 preset request, +10
// reset request. Output block: +3 to +6 the buttons under the guards.
constexpr GuardedRow kGuarded[] = {
    Guarded("Guards\\StandardBlack", "Buttons\\ShutOn", {35, 64}, 0, 1, 3),
    Guarded("Guards\\StandardBlack", "Buttons\\ShutOn", {95, 64}, 2, 3, 4),
    Guarded("Guards\\StandardRed", "Buttons\\DotsOn", {155, 64}, 4, 5, 5),
    Guarded("Guards\\StandardRed", "Buttons\\OpenOn", {215, 64}, 6, 7, 6),
};

}  // namespace

constexpr PanelTables kFuelJettisonTables{
    .a330 = {0x1245A, 7, 0x1212A, 11},
    .lampTest = 8,
    .resetRequest = 10,
    .presetRequest = 9,
    .guarded = kGuarded,
};
static_assert(TablesFit(kFuelJettisonTables));

CA330_FuelJeterson::CA330_FuelJeterson() : SubPanel(kFuelJettisonTables, kSource, kHeader) {
  BindControls({.guarded = guarded_});
}

bool CA330_FuelJeterson::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!SubPanel::Initialise(folder, originY, originX)) return false;
  ApplyStartupPreset();
  return true;
}

void CA330_FuelJeterson::ApplyStartupPreset() {
  // Latched, so the operator's next click brings a button out; the bytes
  // follow on the next pass.
  for (int i = 0; i < kGuardedCount; i++) SetButtonIn(guarded_[i].Button(), i < 2);
}

void CA330_FuelJeterson::ResetToDefaults() { ApplyStartupPreset(); }
