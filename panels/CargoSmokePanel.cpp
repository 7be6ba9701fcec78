#include "panels/CargoSmokePanel.h"

namespace {

const char kSource[] = "%Z% CargoSmokePanel QX_P_0403_15 CargoSmokePanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% CargoSmokePanel QX_P_0403_15 CargoSmokePanel.h $Revision: 1.1 $";

// Input block: +0 to +5 lamp pairs of buttons 0 to 2; +6 the test button's
// lamp in display-only mode; +8 lamp test; +10 reset request. Output block:
// +3 to +6 button positions.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\SmokeSquib", {35, 55}, 0, 1, 3),   // under cover 0
    Button("Buttons\\SmokeSquib", {150, 55}, 2, 3, 4),  // under cover 1
    Button("Buttons\\Bottle", {90, 55}, 4, 5, 5).ForcedIn(),
    Button("Buttons\\ResetButton", {213, 55}, kNoField, kNoField, 6).Momentary().SingleLamp(6),
};
constexpr CoverRow kCovers[] = {
    Cover("Guards\\StandardRed", 0),
    Cover("Guards\\StandardRed", 1),
};

}  // namespace

constexpr PanelTables kCargoSmokeTables{
    .a330 = {0x12468, 7, 0x12140, 11},
    .lampTest = 8,
    .resetRequest = 10,
    .buttons = kButtons,
    .covers = kCovers,
};
static_assert(TablesFit(kCargoSmokeTables));

CCargoSmokePanel::CCargoSmokePanel() : SubPanel(kCargoSmokeTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = covers_});
}

bool CCargoSmokePanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!SubPanel::Initialise(folder, originY, originX)) return false;
  SetButtons({0, 1}, false);
  return true;
}

void CCargoSmokePanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  // The covers come first: a closed cover keeps the click from its button in
  // the same pass.
  ServeCovers();
  ServeButtons(0, 1);
  FeedButton(kBottleButton);
  SetButton(kBottleButton, true);  // always in: its byte is always 1
  WriteButton(kBottleButton);
  ServeButton(kTestButton);
}

void CCargoSmokePanel::Draw(platform::DrawSurface& surface) {
  DrawButton(0, surface);
  DrawButton(1, surface);
  for (GuardedButton& cover : covers_) cover.Draw(surface);
  DrawButton(kBottleButton, surface);
  DrawButton(kTestButton, surface);
}

void CCargoSmokePanel::ResetToDefaults() { SetButtons({0, 1}, false); }
