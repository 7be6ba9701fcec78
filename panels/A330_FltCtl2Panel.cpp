#include "panels/A330_FltCtl2Panel.h"

namespace {

const char kSource[] = "%Z% A330_FltCtl2Panel QX_P_0406_17 A330_FltCtl2Panel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_FltCtl2Panel QX_P_0406_17 A330_FltCtl2Panel.h $Revision: 1.1 $";

// Input block: +0 to +5 lamp pairs, +6 lamp test, +8 reset request.
// Output block: +3 to +5 the buttons.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\FaultOff_R", {30, 50}, 0, 1, 3),
    Button("Buttons\\FaultOff_R", {110, 50}, 2, 3, 4),
    Button("Buttons\\FaultOff_R", {200, 50}, 4, 5, 5),
};
constexpr CoverRow kCovers[] = {
    Cover("Guards\\StandardBlack", 0),
    Cover("Guards\\StandardBlack", 1),
    Cover("Guards\\StandardBlack", 2),
};

}  // namespace

constexpr PanelTables kFlightControl2Tables{
    .a330 = {0x12438, 6, 0x12107, 9},
    .lampTest = 6,
    .resetRequest = 8,
    .buttons = kButtons,
    .covers = kCovers,
};
static_assert(TablesFit(kFlightControl2Tables));

CFltCtl2Panel::CFltCtl2Panel() : SubPanel(kFlightControl2Tables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = covers_});
}

void CFltCtl2Panel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  for (int i = 0; i < kButtonCount; i++) {
    ServeButton(i);
    ServeCover(i);
  }
}

void CFltCtl2Panel::Draw(platform::DrawSurface& surface) {
  for (int i = 0; i < kButtonCount; i++) {
    DrawButton(i, surface);
    covers_[i].Draw(surface);
  }
}

// Written by the next pass.
void CFltCtl2Panel::ResetToDefaults() { SetButtons({0, 1, 2}, true); }
