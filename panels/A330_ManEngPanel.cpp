#include "panels/A330_ManEngPanel.h"

namespace {

const char kSource[] = "%Z% A330_ManEngPanel QX_P_0408_16 A330_ManEngPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_ManEngPanel QX_P_0408_16 A330_ManEngPanel.h $Revision: 1.1 $";

// The A320 layout moves every control by this much; the light has a place of
// its own there.
constexpr int kShiftX = 5;
constexpr int kShiftY = -26;
constexpr Place Shifted(int x, int y) { return {x, y, x + kShiftX, y + kShiftY}; }

// Input block: +0 second-pair flag, +1 to +8 lamp pairs, +9 lamp test, +11
// reset request. Output block: +3 to +6 the buttons (+5 and +6 read 0 while
// the second pair is absent).
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\DotsOnBlue", Shifted(35, 67), 1, 2, 3),
    Button("Buttons\\DotsOnBlue", Shifted(90, 67), 3, 4, 4),
    Button("Buttons\\DotsOnBlue", Shifted(155, 67), 5, 6, 5).PresentWhile(CManEngPanel::kSecondPairFlag),
    Button("Buttons\\DotsOnBlue", Shifted(210, 67), 7, 8, 6).PresentWhile(CManEngPanel::kSecondPairFlag),
};
constexpr CoverRow kCovers[] = {
    Cover("Guards\\StandardBlack", 0),
    Cover("Guards\\StandardBlack", 1),
    Cover("Guards\\StandardBlack", 2).PresentWhile(CManEngPanel::kSecondPairFlag),
    Cover("Guards\\StandardBlack", 3).PresentWhile(CManEngPanel::kSecondPairFlag),
};
constexpr LightRow kLights[] = {
    Light(42, "Lights\\N1Mode", {150, 33, 155, 5}, CManEngPanel::kSecondPairFlag)
        .OnChange()
        .Named("second pair present; N1 MODE light"),
};

}  // namespace

constexpr PanelTables kManualStartTables{
    .a330 = {0x12476, 7, 0x12160, 12},
    .a320 = {0x1F024, 7, 0x1ED0E, 12},
    .lampTest = 9,
    .resetRequest = 11,
    .buttons = kButtons,
    .covers = kCovers,
    .lights = kLights,
};
static_assert(TablesFit(kManualStartTables));

CManEngPanel::CManEngPanel() : SubPanel(kManualStartTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = covers_, .lights = light_});
}

bool CManEngPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!BeginInitialise(originY, originX) || !CreateButtons(folder)) return false;
  SetButtons({0, 1}, false);
  const bool ok = CreateCovers(folder) && CreateLights(folder);
  SyncCovers();
  return ok;
}

void CManEngPanel::ResetToDefaults() { SetButtons({0, 1}, false); }

void CManEngPanel::ServePair(int first) {
  ServeCover(first);
  ServeCover(first + 1);
  ServeButton(first);
  ServeButton(first + 1);
}

void CManEngPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  ServePair(0);
  // The second pair, each cover before its button; while the pair is absent
  // the buttons keep their positions and publish 0.
  for (int i : {2, 3}) {
    ServeCover(i);
    ServeButton(i);
  }
}

void CManEngPanel::DrawPair(int first, platform::DrawSurface& surface) {
  DrawButton(first, surface);
  DrawButton(first + 1, surface);
  DrawCover(first, surface);
  DrawCover(first + 1, surface);
}

void CManEngPanel::Draw(platform::DrawSurface& surface) {
  DrawPair(0, surface);
  // Lit on the frame the flag rises, unlit on every frame while it is clear.
  DrawLight(0, surface);
  DrawPair(2, surface);  // only while present
}
