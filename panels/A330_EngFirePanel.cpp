#include "panels/A330_EngFirePanel.h"

namespace {

const char kSource[] = "%Z% A330_EngFirePanel QX_P_0407_08 A330_EngFirePanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_EngFirePanel QX_P_0407_08 A330_EngFirePanel.h $Revision: 1.1 $";

// Input block: +0 to +11 lamp pairs, +12 the test button's lamp in
// display-only mode, +14 lamp test, +16 reset request (nothing to reset).
// Output block: +3 to +9 the buttons.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\Squib", {69, 156}, 0, 1, 3),
    Button("Buttons\\Squib", {172, 156}, 2, 3, 4),
    Button("Buttons\\Squib", {423, 156}, 4, 5, 5),
    Button("Buttons\\Squib", {541, 156}, 6, 7, 6),
    Button("Buttons\\FireButton", {80, 67}, 8, 9, 7),
    Button("Buttons\\FireButton", {440, 65}, 10, 11, 8),
    Button("Buttons\\FireTestPb", {305, 90}, kNoField, kNoField, 9).Momentary().SingleLamp(12).Named("test button"),
};
constexpr CoverRow kGuards[] = {
    Cover("Guards\\FireGuard", CEngFirePanel::kFireButtons[0]).WithGeometry(&kFireGuardGeometry),
    Cover("Guards\\FireGuard", CEngFirePanel::kFireButtons[1]).WithGeometry(&kFireGuardGeometry),
};

}  // namespace

constexpr PanelTables kEngineFireTables{
    .a330 = {0x12450, 10, 0x12119, 17},
    .lampTest = 14,
    .resetRequest = 16,
    .buttons = kButtons,
    .covers = kGuards,
};
static_assert(TablesFit(kEngineFireTables));

CEngFirePanel::CEngFirePanel() : SubPanel(kEngineFireTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = guards_});
}

void CEngFirePanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  ServeCovers();
  ServeButtons();
}
