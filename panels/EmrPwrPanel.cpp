#include "panels/EmrPwrPanel.h"

namespace {

const char kSource[] = "%Z% EmrPwrPanel QX_P_0404_13 EmrPwrPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% EmrPwrPanel QX_P_0404_13 EmrPwrPanel.h $Revision: 1.1 $";

// Input block: +0, +1 and +6, +7 lamp pairs of buttons 0 and 3; +2 and +4
// the lamps of buttons 1 and 2 in display-only mode; +8 lamp test; +10 reset
// request. Output block: +3 to +6 button positions. Same places in both
// layouts.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\DotsOnBlue", {100, 65}, 0, 1, 3).A320Image("Buttons\\SmokeOff"),
    Button("Buttons\\CallBtn", {45, 65}, kNoField, kNoField, 4).Momentary().SingleLamp(2),  // black plate
    Button("Buttons\\CallBtn", {215, 65}, kNoField, kNoField, 5).Momentary().SingleLamp(4),  // red plate
    Button("Buttons\\FaultRed", {160, 65}, 6, 7, 6),
};
constexpr PlateRow kPlates[] = {
    Plate("Guards\\RedPlate", 1, {210, 45}, 2).Named("red cover"),
    Plate("Guards\\BlackPlate", 2, {40, 45}, 1).Named("black cover"),
};

}  // namespace

constexpr PanelTables kEmrPwrTables{
    .a330 = {0x12461, 7, 0x12135, 11},
    .a320 = {0x1EFDE, 7, 0x1ECA8, 11},
    .lampTest = 8,
    .resetRequest = 10,
    .buttons = kButtons,
    .plates = kPlates,
};
static_assert(TablesFit(kEmrPwrTables));

CEmrPwrPanel::CEmrPwrPanel() : SubPanel(kEmrPwrTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .plates = plates_});
}

bool CEmrPwrPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!BeginInitialise(originY, originX)) return false;
  for (int i : {0, 3, 1, 2}) {
    if (!CreateButton(i, folder)) return false;
  }
  SetButtons({0, 3}, false);
  if (!CreatePlates(folder)) return false;  // red, then black
  SyncCovers();
  return true;
}

void CEmrPwrPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  ServeButton(0);
  ServeButton(3);
  ServeButton(2);
  ServeButton(1);
  ServePlates();  // red, then black
}

void CEmrPwrPanel::Draw(platform::DrawSurface& surface) {
  DrawButton(0, surface);
  DrawButton(3, surface);
  // Each plate, then its button while the plate is up.
  DrawPlate(kBlackPlate, surface);
  DrawPlate(kRedPlate, surface);
}

void CEmrPwrPanel::ResetToDefaults() { SetButtons({0, 3}, false); }
