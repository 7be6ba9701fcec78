#include "panels/CargoAirConPanel.h"

namespace {

const char kSource[] = "%Z% CargoAirConPanel QX_P_0403_18 CargoAirConPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% CargoAirConPanel QX_P_0403_18 CargoAirConPanel.h $Revision: 1.1 $";

// Button columns and rows; the temperature knobs sit 30 pixels left of the
// outer columns.
constexpr int kLeft = 40, kMiddle = 130, kRight = 215;
constexpr int kUpper = 65, kLower = 120, kKnobRow = 165;

// Input block: +0 to +7 lamp pairs; +8 lamp test; +10 reset request.
// Output block: +3 to +6 button positions; +8, +12, +16 knob positions.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\FaultOff", {kLeft, kUpper}, 0, 1, 3),
    Button("Buttons\\FaultOff", {kMiddle, kUpper}, 2, 3, 4),
    Button("Buttons\\FaultOff", {kRight, kUpper}, 4, 5, 5),
    Button("Buttons\\FaultOff", {kRight, kLower}, 6, 7, 6),
};
constexpr uint8_t kColdHot = Positions({0, 1, 2, 3, 5, 6, 7});
constexpr KnobRow kKnobs[] = {
    Knob("Knobs\\OffNormMax", Positions({0, 1, 7}), {kLeft, kLower}, 8),
    Knob("Knobs\\ColdHot", kColdHot, {kLeft - 30, kKnobRow}, 12),
    Knob("Knobs\\ColdHot", kColdHot, {kRight - 30, kKnobRow}, 16),
};

}  // namespace

constexpr PanelTables kCargoAirConTables{
    .a330 = {0x12480, 20, 0x1216C, 11},
    .lampTest = 8,
    .resetRequest = 10,
    .buttons = kButtons,
    .knobs = kKnobs,
};
static_assert(TablesFit(kCargoAirConTables));

CCargoAirConPanel::CCargoAirConPanel() : SubPanel(kCargoAirConTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .knobs = knobs_});
}

// In; the next pass writes them.
void CCargoAirConPanel::ResetToDefaults() { SetButtons({0, 1, 2, 3}, true); }
