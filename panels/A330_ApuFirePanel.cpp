#include "panels/A330_ApuFirePanel.h"

#include "panels/A330_EngFirePanel.h"

namespace {

const char kSource[] = "%Z% A330_ApuFirePanel QX_P_0407_09 A330_ApuFirePanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_ApuFirePanel QX_P_0407_09 A330_ApuFirePanel.h $Revision: 1.1 $";

// Input block: +0 the test button's lamp in display-only mode, +2 to +5 lamp
// pairs, +6 lamp test, +8 reset request (nothing to reset).
// Output block: +3 to +5 the buttons.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\FireTestPb", {23, 75}, kNoField, kNoField, 3).Momentary().SingleLamp(0).Named("test button"),
    Button("Buttons\\Squib", {232, 70}, 2, 3, 4),
    Button("Buttons\\FireButton", {95, 45}, 4, 5, 5),
};
constexpr CoverRow kGuards[] = {
    Cover("Guards\\FireGuard", CApuFirePanel::kFireButton).WithGeometry(&kFireGuardGeometry),
};

}  // namespace

constexpr PanelTables kApuFireTables{
    .a330 = {0x12444, 6, 0x12110, 9},
    .lampTest = 6,
    .resetRequest = 8,
    .buttons = kButtons,
    .covers = kGuards,
};
static_assert(TablesFit(kApuFireTables));

CApuFirePanel::CApuFirePanel() : SubPanel(kApuFireTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = guard_});
}

void CApuFirePanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  ServeCovers();
  ServeButtons();
}
