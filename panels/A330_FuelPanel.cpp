#include "panels/A330_FuelPanel.h"

namespace {

const char kSource[] = "%Z% A330_FuelPanel QX_P_0405_05 A330_FuelPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_FuelPanel QX_P_0405_05 A330_FuelPanel.h $Revision: 1.1 $";

// Input block: +0 to +23 lamp pairs, +24 lamp test, +25 preset request,
// +26 reset request. Output block: +3 to +14 buttons, +15 and +16 the switch.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\FaultOff", {45, 105}, 0, 1, 3),
    Button("Buttons\\FaultOff", {115, 105}, 2, 3, 4),
    Button("Buttons\\FaultOff", {75, 160}, 4, 5, 5),
    Button("Buttons\\FaultOff", {570, 105}, 6, 7, 6),
    Button("Buttons\\FaultOff", {500, 105}, 8, 9, 7),
    Button("Buttons\\FaultOff", {527, 160}, 10, 11, 8),
    Button("Buttons\\OpenOn", {310, 15}, 12, 13, 9),
    Button("Buttons\\FwdFault", {252, 165}, 14, 15, 10),
    Button("Buttons\\FaultOn", {425, 125}, 16, 17, 11),
    Button("Buttons\\FaultOff", {262, 72}, 18, 19, 12),
    Button("Buttons\\FaultMan", {312, 72}, 20, 21, 13),
    Button("Buttons\\FaultOff", {362, 72}, 22, 23, 14),
};
constexpr CoverRow kCovers[] = {Cover("Guards\\StandardBlack", CA330_FuelPanel::kCoveredButton)};
constexpr SwitchRow kSwitches[] = {
    Switch(1, "RoundSwUp.bmp", "RoundSwMid.bmp", "RoundSwDwn.bmp", {325, 160}, 15, 16)};

constexpr int kMiddle = 1;

}  // namespace

constexpr PanelTables kFuelTables{
    .a330 = {0x12418, 17, 0x120E3, 27},
    .lampTest = 24,
    .resetRequest = 26,
    .presetRequest = 25,
    .buttons = kButtons,
    .covers = kCovers,
    .switches = kSwitches,
};
static_assert(TablesFit(kFuelTables));

CA330_FuelPanel::CA330_FuelPanel() : SubPanel(kFuelTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = cover_, .switches = switch_});
}

bool CA330_FuelPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  // The switch comes first, before the generic area is looked at.
  SetProgressText();
  SetOrigin(originX, originY);
  if (!CreateSwitches(folder)) return false;
  if (!BeginInitialise(originY, originX) || !CreateButtons(folder)) return false;
  ApplyStartupPreset();
  const bool ok = CreateCovers(folder);
  SyncCovers();
  return ok;
}

void CA330_FuelPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  ServeSwitches();
  ServeButtons();
  ServeCovers();
}

void CA330_FuelPanel::ApplyStartupPreset() {
  SetButtons({0, 1, 3, 4}, false);
  SetButtons({7, 8}, true);
  WriteButtons();
  switch_[0].SetPosition(kMiddle);
}

void CA330_FuelPanel::ResetToDefaults() {
  SetButtons({0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11}, true);
  WriteButtons();
  switch_[0].SetPosition(kMiddle);
}
