#include "panels/A330_FltCtlPanel.h"

namespace {

const char kSource[] = "%Z% A330_FltCtlPanel QX_P_0406_10 A330_FltCtlPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_FltCtlPanel QX_P_0406_10 A330_FltCtlPanel.h $Revision: 1.1 $";

// Input block: +0 to +5 lamp pairs, +6 lamp test, +8 reset request.
// Output block: +3 to +5 the buttons.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\DotsOnBlue", {40, 37}, 0, 1, 3),
    Button("Buttons\\FaultOff_R", {125, 37}, 2, 3, 4),
    Button("Buttons\\FaultOff_R", {190, 37}, 4, 5, 5),
};
constexpr CoverRow kCovers[] = {Cover("Guards\\StandardBlack", 1), Cover("Guards\\StandardBlack", 2)};

}  // namespace

constexpr PanelTables kFlightControlTables{
    .a330 = {0x1242C, 6, 0x120FE, 9},
    .lampTest = 6,
    .resetRequest = 8,
    .buttons = kButtons,
    .covers = kCovers,
};
static_assert(TablesFit(kFlightControlTables));

CFltCtlPanel::CFltCtlPanel() : SubPanel(kFlightControlTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = covers_});
}

// Written by the next pass.
void CFltCtlPanel::ResetToDefaults() { SetButtons({1, 2}, true); }
