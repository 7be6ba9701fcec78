#include "panels/VentilationPanel.h"

namespace {

const char kSource[] = "%Z% VentilationPanel QX_P_0403_14 VentilationPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% VentilationPanel QX_P_0403_14 VentilationPanel.h $Revision: 1.1 $";

// Input block: +0 to +7 lamp pairs; +8 lamp test; +10 reset request.
// Output block: +3 to +6 button positions.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\SmokeDots", {35, 55, 38, 20}, 0, 1, 3).A320Image("Buttons\\FaultOvrdW").ForcedIn(kDrawnInA330),
    Button("Buttons\\FaultOvrd", {90, 55, 98, 20}, 2, 3, 4).A320Image("Buttons\\FaultOvrdW"),
    Button("Buttons\\FaultOff", {150, 55, 158, 20}, 4, 5, 5).Drawn(kDrawnInA330),
    Button("Buttons\\DotsOff", {210, 55, 218, 20}, 6, 7, 6),
};

}  // namespace

constexpr PanelTables kVentilationTables{
    .a330 = {0x1246F, 7, 0x1214B, 11},
    .a320 = {0x1F05C, 7, 0x1ED52, 11},
    .lampTest = 8,
    .resetRequest = 10,
    .buttons = kButtons,
};
static_assert(TablesFit(kVentilationTables));

CVentilationPanel::CVentilationPanel() : SubPanel(kVentilationTables, kSource, kHeader) {
  BindControls({.buttons = buttons_});
}

bool CVentilationPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!SubPanel::Initialise(folder, originY, originX)) return false;
  SetButtons({1, 2, 3}, false);
  return true;
}

void CVentilationPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  FeedButton(0);
  // In the A330 layout button 0 is put in again before its byte is written,
  // so the byte is always 1.
  if (layout_ == kLayoutA330) SetButton(0, true);
  WriteButton(0);
  ServeButtons(1, 3);
}

void CVentilationPanel::ResetToDefaults() {
  SetButtons({1, 2}, false);
  SetButton(3, true);
}
