#include "panels/A330_GpwsPanel.h"

namespace {

const char kSource[] = "%Z% A330_GpwsPanel QX_P_0409_02 A330_GpwsPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_GpwsPanel QX_P_0409_02 A330_GpwsPanel.h $Revision: 1.1 $";

// Input block: +0 to +7 lamp pairs; +8 lamp test; +10 reset request.
// Output block: +3 to +6 buttons 0 to 3.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\FaultOff", {20, 45}, 0, 1, 3),
    Button("Buttons\\FaultOff", {80, 45}, 2, 3, 4),
    Button("Buttons\\DotsOff", {130, 45}, 4, 5, 5),
    Button("Buttons\\DotsOff", {180, 45}, 6, 7, 6),
};

}  // namespace

constexpr PanelTables kGpwsTables{
    .a330 = {0x124FA, 7, 0x121CA, 11},
    .lampTest = 8,
    .resetRequest = 10,
    .buttons = kButtons,
};
static_assert(TablesFit(kGpwsTables));

CGpwsPanel::CGpwsPanel() : SubPanel(kGpwsTables, kSource, kHeader) { BindControls({.buttons = buttons_}); }

void CGpwsPanel::ResetToDefaults() {
  SetButtons({0, 1}, true);
  SetButtons({2, 3}, false);
}
