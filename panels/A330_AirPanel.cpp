#include "panels/A330_AirPanel.h"

namespace {

const char kSource[] = "%Z% A330_AirPanel QX_P_0403_06 A330_AirPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_AirPanel QX_P_0403_06 A330_AirPanel.h $Revision: 1.1 $";

// Input block: +0 to +27 lamp pairs of buttons 0 to 13; +28 lamp test; +30
// reset request. Output block: +3 to +16 button positions; +17 to +20 the
// switches' flags; +24 to +44 the knobs' positions (+36 is no knob's).
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\DotsOnBlue", {60, 30}, 0, 1, 3),  // under cover 0
    Button("Buttons\\FaultOff", {112, 55}, 2, 3, 4),
    Button("Buttons\\FaultOff", {527, 55}, 4, 5, 5),
    Button("Buttons\\FaultOff", {112, 148}, 6, 7, 6),
    Button("Buttons\\FaultOff", {192, 127}, 8, 9, 7),
    Button("Buttons\\FaultOnBlue", {267, 148}, 10, 11, 8),
    Button("Buttons\\FaultOff", {446, 127}, 12, 13, 9),
    Button("Buttons\\FaultOff", {527, 148}, 14, 15, 10),
    Button("Buttons\\FaultOnBlue", {45, 233}, 16, 17, 11),
    Button("Buttons\\FaultOnBlue", {102, 233}, 18, 19, 12),
    Button("Buttons\\FaultOnBlue", {169, 233}, 20, 21, 13),
    Button("Buttons\\DotsOn", {266, 233}, 22, 23, 14),
    Button("Buttons\\FaultMan", {450, 233}, 24, 25, 15),
    Button("Buttons\\DotsOn", {596, 233}, 26, 27, 16),  // under cover 1
};
constexpr CoverRow kCovers[] = {
    Cover("Guards\\StandardBlack", 0),
    Cover("Guards\\StandardBlack", 13),
};
constexpr SwitchRow kSwitches[] = {
    Switch(1, "RoundSwUp.bmp", "RoundSwMid.bmp", "RoundSwDwn.bmp", {340, 230}, 17, 18),
    Switch(5, "RoundSwUp.bmp", "RoundSwMid.bmp", "RoundSwDwn.bmp", {395, 230}, 19, 20),
};
constexpr uint8_t kColdHot = Positions({0, 1, 2, 3, 5, 6, 7});
constexpr KnobRow kKnobs[] = {
    Knob("Knobs\\LndElevKnob", kAllPositions, {513, 220}, 40).Named("knob C"),
    Knob("Knobs\\XBleed", Positions({0, 1, 7}), {345, 120}, 44).Named("knob D"),
    Knob("Knobs\\PackLoHi", Positions({0, 1, 7}), {180, 28}, 24).Named("knob E"),
    Knob("Knobs\\ColdHot", kColdHot, {281, 35}, 28).Named("knob A"),
    Knob("Knobs\\ColdHot", kColdHot, {391, 35}, 32).Named("knob B"),
};

const char kSwitchFailure[] = "CA330_AirPanel::Initialise --> Unable to set up switches";

}  // namespace

constexpr PanelTables kAirTables{
    .a330 = {0x123E8, 48, 0x120C4, 31},
    .lampTest = 28,
    .resetRequest = 30,
    .readyStep = true,
    .buttons = kButtons,
    .covers = kCovers,
    .switches = kSwitches,
    .knobs = kKnobs,
};
static_assert(TablesFit(kAirTables));

CA330_AirPanel::CA330_AirPanel() : SubPanel(kAirTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = covers_, .switches = switches_, .knobs = knobs_});
}

bool CA330_AirPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  SetProgressText();
  // The origin first: the switches and knobs are placed from it.
  SetOrigin(originX, originY);
  // Switches and knobs come before the generic area check, so a control that
  // fails is reported even without an area.
  if (!CreateSwitches(folder)) {
    ReportText(kSwitchFailure);
    return false;
  }
  if (!CreateKnobs(folder) || !CheckSharedMemory()) return false;
  SelectBlocks(Tables().a330);
  ready_ = true;
  if (!CreateButtons(folder)) return false;
  SetButtons({1, 2}, false);
  // The spring-loaded switch starts at rest in the middle: created up, it
  // would command "up" for its first eleven passes with nobody touching it.
  switches_[kSpringSwitch].SetPosition(1);
  WriteSwitches();
  WriteButtons();
  if (!CreateCovers(folder)) return false;
  SyncCovers();
  return true;
}

void CA330_AirPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  ServeSwitches();
  ServeButtons();
  // A cover's state reaches its button at the end of the pass, so a click
  // on the button is blocked or let through from the next pass on.
  ServeCovers();
  ServeKnobs();
}

void CA330_AirPanel::Draw(platform::DrawSurface& surface) {
  for (SwitchClass& s : switches_) s.Draw(surface);
  for (int i = 0; i < kButtonCount; i++) DrawButton(i, surface);
  for (GuardedButton& cover : covers_) cover.Draw(surface);
  for (int k : {kKnobC, kKnobD, kKnobE, kKnobB, kKnobA}) knobs_[k].Draw(surface);
}

void CA330_AirPanel::ResetToDefaults() {
  // Knobs keep their positions.
  SetButtons({1, 2, 4, 6, 3, 7}, true);
  WriteSwitches();
  WriteButtons();
}
