#include "panels/A330_HydPanel.h"

#include <iterator>

namespace {

const char kSource[] = "%Z% A330_HydPanel QX_P_0406_07 A330_HydPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_HydPanel QX_P_0406_07 A330_HydPanel.h $Revision: 1.1 $";

// Input block: +0 to +19 lamp pairs, +20 lamp test, +21 preset request, +22
// reset request. Output block: +3 to +12 the buttons.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\DotsOnBlue", {48, 35}, 0, 1, 3),
    Button("Buttons\\DotsOnBlue", {340, 35}, 2, 3, 4),
    Button("Buttons\\DotsOnBlue", {200, 35}, 4, 5, 5),
    Button("Buttons\\FaultOff", {104, 90}, 6, 7, 6),
    Button("Buttons\\FaultOff", {403, 90}, 8, 9, 7),
    Button("Buttons\\FaultOff", {510, 90}, 10, 11, 8),
    Button("Buttons\\FaultOff", {258, 90}, 12, 13, 9),
    Button("Buttons\\FaultOff", {48, 90}, 14, 15, 10),
    Button("Buttons\\FaultOff", {340, 90}, 16, 17, 11),
    Button("Buttons\\FaultOff", {200, 90}, 18, 19, 12),
};
constexpr CoverRow kCovers[] = {
    Cover("Guards\\StandardBlack", 0), Cover("Guards\\StandardBlack", 1), Cover("Guards\\StandardBlack", 2),
    Cover("Guards\\StandardBlack", 3), Cover("Guards\\StandardBlack", 4), Cover("Guards\\StandardBlack", 5),
    Cover("Guards\\StandardBlack", 6),
};
static_assert(std::size(kCovers) == CHydPanelPanel::kCoveredCount);

}  // namespace

constexpr PanelTables kHydraulicTables{
    .a330 = {0x123D4, 13, 0x120AD, 23},
    .lampTest = 20,
    .resetRequest = 22,
    .presetRequest = 21,
    .buttons = kButtons,
    .covers = kCovers,
};
static_assert(TablesFit(kHydraulicTables));

CHydPanelPanel::CHydPanelPanel() : SubPanel(kHydraulicTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = covers_});
}

bool CHydPanelPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!BeginInitialise(originY, originX) || !CreateButtons(folder)) return false;
  ApplyStartupPreset();
  const bool ok = CreateCovers(folder);
  SyncCovers();
  return ok;
}

void CHydPanelPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  // Each button, then the cover over it; a cover closed on this pass blocks
  // its button from the next pass on.
  for (int i = 0; i < kButtonCount; i++) {
    ServeButton(i);
    if (i < kCoveredCount) ServeCover(i);
  }
}

void CHydPanelPanel::Draw(platform::DrawSurface& surface) {
  for (int i = 0; i < kButtonCount; i++) {
    DrawButton(i, surface);
    if (i < kCoveredCount) covers_[i].Draw(surface);
  }
}

void CHydPanelPanel::ApplyStartupPreset() {
  SetButtons({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, false);
  WriteButtons();
}

void CHydPanelPanel::ResetToDefaults() {
  SetButtons({0, 1, 2}, false);
  SetButtons({3, 4, 5, 6, 7, 8, 9}, true);
  WriteButtons();
}
