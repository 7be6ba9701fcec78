#include "panels/A330_Oxygen.h"

namespace {

const char kSource[] = "%Z% A330_Oxygen QX_P_0402_19 A330_Oxygen.cpp $Revision: 1.5 $";
const char kHeader[] = "%Z% A330_Oxygen QX_P_0402_19 A330_Oxygen.h $Revision: 1.3 $";

// Input block: lamp pairs of buttons 0, 2 and 3; button 1 shows +2 in
// display-only mode; +8 lamp test; +10 reset request (no reset of its own).
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\DotsOnBlue", {20, 45, 25, 45}, 0, 1, 3).Drawn(kDrawnInA330),
    Button("Buttons\\CallBtn", {105, 55, 90, 55}, kNoField, kNoField, 4).Momentary().SingleLamp(2),
    Button("Buttons\\SysOnDots", {150, 45, 155, 45}, 4, 5, 5).ForcedIn(),
    Button("Buttons\\DotsOff", {220, 45, 225, 45}, 6, 7, 6),
};
constexpr PlateRow kPlates[] = {Plate("Guards\\RedPlate", 1, {98, 29, 85, 35}, COxygenPanel::kCallButton)};

}  // namespace

constexpr PanelTables kOxygenTables{
    .a330 = {0x12494, 7, 0x12177, 11},
    .a320 = {0x1EFF5, 7, 0x1ECD0, 11},
    .lampTest = 8,
    .resetRequest = 10,
    .buttons = kButtons,
    .plates = kPlates,
};
static_assert(TablesFit(kOxygenTables));

COxygenPanel::COxygenPanel() : SubPanel(kOxygenTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .plates = plate_});
}

bool COxygenPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!SubPanel::Initialise(folder, originY, originX)) return false;
  // In from the start, so its byte reads 1 from the first pass on.
  SetButton(kForcedButton, true);
  return true;
}

void COxygenPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  ServeButtons();
  // Button 2 is always in: its byte reads 0 only in the pass that clicked it out.
  SetButton(kForcedButton, true);
  ServePlates();
}
