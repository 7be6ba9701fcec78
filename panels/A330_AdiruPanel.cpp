#include "panels/A330_AdiruPanel.h"

namespace {

const char kSource[] = "%Z% A330_AdiruPanel QX_P_0409_01 A330_AdiruPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_AdiruPanel QX_P_0409_01 A330_AdiruPanel.h $Revision: 1.1 $";

// Three columns (left, right, middle unit) and the rows of the buttons and knobs.
constexpr int kColumnX[3] = {28, 203, 120};
constexpr int kUpperRowY = 83;
constexpr int kKnobRowY = 126;
constexpr int kLowerRowY = 180;
constexpr int kKnobShift = 13;  // a knob sits this far left of its column

constexpr PushButtonRow AdiruButton(int i) {
  const int y = i < 3 ? kLowerRowY : kUpperRowY;
  return Button("Buttons\\FaultOff", {kColumnX[i % 3], y}, BlockField(2 * i), BlockField(2 * i + 1), BlockField(3 + i));
}

// Input block: +0 to +11 lamp pairs of buttons 0 to 5; +12 on-battery light;
// +13 lamp test; +14 start-up preset request; +15 reset request.
// Output block: +3 to +8 buttons 0 to 5; +12, +16, +20 knobs 0 to 2 (i32).
// Buttons 3 to 5 are put back in on every pass.
constexpr PushButtonRow kButtons[] = {AdiruButton(0),          AdiruButton(1),          AdiruButton(2),
                                      AdiruButton(3).ForcedIn(), AdiruButton(4).ForcedIn(), AdiruButton(5).ForcedIn()};
constexpr uint8_t kModes = Positions({0, 1, 7});
constexpr KnobRow kKnobs[] = {
    Knob("Knobs\\AdiruKnob", kModes, {kColumnX[0] - kKnobShift, kKnobRowY}, 12).Named("knob 0"),
    Knob("Knobs\\AdiruKnob", kModes, {kColumnX[1] - kKnobShift, kKnobRowY}, 16).Named("knob 1"),
    Knob("Knobs\\AdiruKnob", kModes, {kColumnX[2] - kKnobShift, kKnobRowY}, 20).Named("knob 2"),
};
constexpr LightRow kLights[] = {Light(0, "Lights\\AdruOnBat", {98, 38}, 12).Named("on-battery light")};

}  // namespace

constexpr PanelTables kAdiruTables{
    .a330 = {0x123BC, 24, 0x1209D, 16},
    .lampTest = 13,
    .resetRequest = 15,
    .presetRequest = 14,
    .buttons = kButtons,
    .knobs = kKnobs,
    .lights = kLights,
};
static_assert(TablesFit(kAdiruTables));

CA330_AdiruPanel::CA330_AdiruPanel() : SubPanel(kAdiruTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .knobs = knobs_, .lights = light_});
}

bool CA330_AdiruPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!BeginInitialise(originY, originX) || !CreateButtons(folder)) return false;
  ApplyStartupPreset();
  if (!CreateKnobs(folder) || !CreateLights(folder)) return false;
  // Again, now that the knobs exist.
  ApplyStartupPreset();
  return true;
}

void CA330_AdiruPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  // Held in before the mouse: a click that brings one out shows 0 for that pass only.
  SetButtons({3, 4, 5}, true);
  ServeControls();
}

void CA330_AdiruPanel::WriteControls() {
  WriteButtons();
  WriteKnobs();
}

void CA330_AdiruPanel::ApplyStartupPreset() {
  SetButtons({0, 1, 2}, false);
  SetButtons({3, 4, 5}, true);
  for (KnobClass& knob : knobs_) knob.SetPosition(kStartupKnobPosition);
  WriteControls();
}

void CA330_AdiruPanel::ResetToDefaults() {
  SetButtons({0, 1, 2, 3, 4, 5}, true);
  for (KnobClass& knob : knobs_) knob.SetPosition(0);
  WriteControls();
}
