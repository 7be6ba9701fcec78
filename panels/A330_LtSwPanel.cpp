#include "panels/A330_LtSwPanel.h"

namespace {

const char kSource[] = "%Z% A330_LtSwPanel QX_P_0410_01 A330_LtSwPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_LtSwPanel QX_P_0410_01 A330_LtSwPanel.h $Revision: 1.1 $";

enum : int { kUp = 0, kMiddle = 1, kDown = 2 };

// The up, middle and down pictures of a switch.
struct SwitchImages {
  const char* up;
  const char* middle;
  const char* down;
};
constexpr SwitchImages kLightA = {"LightAOn.bmp", "LightAAuto.bmp", "LightAOff.bmp"};
constexpr SwitchImages kLightB = {"LightBUp.bmp", "LightBDn.bmp", "LightBDn.bmp"};
constexpr SwitchImages kOnOff = {"OnOffUp.bmp", "OnOffMid.bmp", "OnOffDn.bmp"};
constexpr SwitchImages kRound = {"RoundSwUp.bmp", "RoundSwMid.bmp", "RoundSwDwn.bmp"};
constexpr SwitchImages kAs = {"AsUp.bmp", "AsCenter.bmp", "AsDown.bmp"};

// Switch n writes its up and down flags to +6 + 2n and +7 + 2n, n being its
// control number.
constexpr SwitchRow LightSwitch(int n, int kind, const SwitchImages& images, Place at) {
  return Switch(kind, images.up, images.middle, images.down, at, BlockField(6 + 2 * n), BlockField(7 + 2 * n))
      .Number(n);
}
// Button n writes its position to +3 + n and takes lamps +2n, +2n + 1.
constexpr PushButtonRow LightButton(int n, const char* image, Place at) {
  return Button(image, at, BlockField(2 * n), BlockField(2 * n + 1), BlockField(3 + n)).Number(n);
}

// The same places serve both layouts; names are the legends on the panel.
constexpr SwitchRow kSwitches[] = {
    LightSwitch(0, 1, kLightA, {55, 30}).Named("STROBE switch"),
    LightSwitch(1, 2, kLightA, {110, 30}).Named("BEACON switch"),
    LightSwitch(2, 2, kOnOff, {190, 30}).Named("WING switch"),
    LightSwitch(3, 1, kLightA, {233, 30}).Named("NAV switch"),
    LightSwitch(4, 2, kOnOff, {60, 93}).Named("RWY TURN switch"),
    LightSwitch(5, 2, kLightB, {186, 95}).Named("LAND switch"),
    LightSwitch(6, 2, kLightB, {115, 95}).Drawn(kDrawnInA320),
    LightSwitch(7, 1, kRound, {238, 98}).Named("NOSE switch"),
    LightSwitch(8, 1, kOnOff, {369, 93}).Named("DOME switch"),
    LightSwitch(9, 1, kOnOff, {430, 93}).Named("ANN LT switch"),
    LightSwitch(10, 1, kAs, {565, 93}).Named("SEAT BELTS switch"),
    LightSwitch(11, 2, kRound, {378, 25}).Named("ICE IND switch"),
    LightSwitch(12, 2, kRound, {430, 25}).Named("COMPASS switch"),
    LightSwitch(13, 1, kLightA, {483, 25}).Named("NO SMK switch"),
    LightSwitch(14, 1, kRound, {570, 25}).Named("EMER EXIT switch"),
};

constexpr PushButtonRow kButtons[] = {
    LightButton(0, "Buttons\\FaultOnR", {308, 46}),
    LightButton(1, "Buttons\\GreenAvail", {308, 96}).Momentary(),
    LightButton(2, "Buttons\\DotsOffAmber", {512, 98}).ForcedIn(),
};

}  // namespace

// Output block: +0 display-only request (from the simulation); +3 to +5
// buttons; +6 to +35 switch flag pairs. Input block: +0 to +5 lamp pairs;
// +6 lamp test. No reset request: the panel resets with the cockpit.
constexpr PanelTables kLtSwTables{
    .a330 = {0x12395, 36, 0x12094, 7},
    .a320 = {0x1EFAC, 36, 0x1EC8D, 7},
    .lampTest = 6,
    .displayOnlyRequest = 0,
    .buttons = kButtons,
    .switches = kSwitches,
};
static_assert(TablesFit(kLtSwTables));

CA330_LtSwPanel::CA330_LtSwPanel() : SubPanel(kLtSwTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .switches = switches_});
}

bool CA330_LtSwPanel::InitialiseForType(const char* folder, int32_t originY, int32_t originX, int32_t code) {
  SetAircraftType(code);
  const PanelLayout layout = AircraftLayoutFor(code);
  if (layout == kLayoutNone) return false;
  layout_ = layout;
  SelectBlocks(Tables().Blocks(layout, unit_));
  if (!CheckSharedMemory()) return false;
  SetProgressText();
  SetOrigin(originX, originY);
  if (!CreateSwitches(folder)) return false;
  for (SwitchClass& s : switches_) s.SetPosition(kDown);
  if (!CreateButtons(folder)) return false;
  // In from the start, as every pass leaves it, so its byte reads 1 from the first pass on.
  SetButton(kForcedButton, true);
  return true;
}

bool CA330_LtSwPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  return InitialiseForType(folder, originY, originX, GetAircraftType());
}

void CA330_LtSwPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  ServeButtons();
  SetButton(kForcedButton, true);
  ServeSwitches();
}

void CA330_LtSwPanel::Draw(platform::DrawSurface& surface) {
  for (int i = 0; i < kButtonCount; i++) DrawButton(i, surface);
  for (int i = 0; i < kSwitchCount; i++) {
    if (kSwitches[i].IsDrawnIn(layout_)) switches_[i].Draw(surface);
  }
}

void CA330_LtSwPanel::ResetToDefaults() {
  for (int i : {0, 1, 2, 3, 8, 9, 11, 12}) switches_[i].SetPosition(kUp);
  for (int i : {4, 5, 6, 7, 13, 14}) switches_[i].SetPosition(kDown);
  switches_[10].SetPosition(kMiddle);
  SetButtons({0, 1}, true);
  WriteButton(0);
  WriteButton(1);
}
