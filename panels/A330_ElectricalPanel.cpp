#include "panels/A330_ElectricalPanel.h"

namespace {

const char kSource[] = "%Z% A330_ElectricalPanel QX_P_0404_01 A330_ElectricalPanel.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_ElectricalPanel QX_P_0404_01 A330_ElectricalPanel.h $Revision: 1.1 $";

// Input block: +0, +4, +8 the three values (32-bit floats); +12 to +39 lamp
// pairs of buttons 0 to 13; +40 lamp test; no reset request. Output block:
// +3 to +16 button positions; +17, +18 the selector's flags.
constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\FaultOff", {187, 26}, 12, 13, 3),
    Button("Buttons\\FaultOff", {221, 26}, 14, 15, 4),
    Button("Buttons\\FaultOff", {270, 26}, 16, 17, 5),
    Button("Buttons\\FaultOff", {446, 26}, 18, 19, 6),
    Button("Buttons\\DotsOff", {539, 26}, 20, 21, 7),
    Button("Buttons\\FaultAltn", {368, 58}, 22, 23, 8),  // under cover 2
    Button("Buttons\\DotsOff", {312, 105}, 24, 25, 9),
    Button("Buttons\\RedFaultOff", {85, 152}, 26, 27, 10),   // under cover 0
    Button("Buttons\\RedFaultOff", {466, 152}, 28, 29, 11),  // under cover 1
    Button("Buttons\\FaultOff", {134, 152}, 30, 31, 12),
    Button("Buttons\\FaultOff", {513, 152}, 32, 33, 13),
    Button("Buttons\\FaultOff", {202, 145}, 34, 35, 14),
    Button("Buttons\\AutoAvail", {258, 152}, 36, 37, 15),
    Button("Buttons\\GreenAvail", {362, 152}, 38, 39, 16),
};
constexpr CoverRow kCovers[] = {
    Cover("Guards\\StandardRed", 7),
    Cover("Guards\\StandardRed", 8),
    Cover("Guards\\StandardRed", 5),
};
constexpr SwitchRow kSelector[] = {
    Switch(1, "RoundSwUp.bmp", "RoundSwMid.bmp", "RoundSwDwn.bmp", {49, 27}, 17, 18).Named("display selector"),
};
constexpr DisplayRow kDisplays[] = {Display(4, {111, 32})};
constexpr FieldDecl kFields[] = {
    InputField("value 0", 0, FieldType::kF32, "shown with the selector up (0.0 to 99.9)").For(RowKind::kDisplay, 0)
        .For(RowKind::kSwitch, 0),
    InputField("value 1", 4, FieldType::kF32, "shown with the selector in the middle (0.0 to 99.9)").For(RowKind::kDisplay, 0)
        .For(RowKind::kSwitch, 0),
    InputField("value 2", 8, FieldType::kF32, "shown with the selector down (0.0 to 99.9)").For(RowKind::kDisplay, 0)
        .For(RowKind::kSwitch, 0),
};

}  // namespace

constexpr PanelTables kElectricalTables{
    .a330 = {0x12380, 19, 0x12068, 41},
    .lampTest = 40,
    .buttons = kButtons,
    .covers = kCovers,
    .switches = kSelector,
    .displays = kDisplays,
    .fields = kFields,
};
static_assert(TablesFit(kElectricalTables));

CA330_ElectricalPanel::CA330_ElectricalPanel() : SubPanel(kElectricalTables, kSource, kHeader) {
  BindControls({.buttons = buttons_, .covers = covers_, .switches = selector_, .displays = display_});
}

bool CA330_ElectricalPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  SetProgressText();
  // The origin first: the selector and the display are placed from it.
  SetOrigin(originX, originY);
  // Selector and display come before the generic area check, so a control
  // that fails is reported even without an area.
  if (!CreateSwitches(folder) || !CreateDisplays(folder) || !CheckSharedMemory()) return false;
  SelectBlocks(Tables().a330);
  if (!CreateButtons(folder)) return false;
  SetButtons({0, 1, 2, 3, 4, 5, 6}, false);
  SetButtons({7, 8, 9, 10}, true);
  SetButtons({11, 12, 13}, false);
  WriteButtons();
  if (!CreateCovers(folder)) return false;
  SyncCovers();
  RememberPosition();
  return true;
}

void CA330_ElectricalPanel::RememberPosition() {
  const int position = selector_[0].GetPosition();
  if (position >= 0 && position <= 2) position_ = position;
}

void CA330_ElectricalPanel::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  // The selector's flags are written too, so that a display-only station
  // shows the same selection.
  ServeSwitch(0);
  RememberPosition();
  ServeButtons();
  ServeCovers();
}

void CA330_ElectricalPanel::ShowSimulationState() {
  ShowControls();
  RememberPosition();
}

void CA330_ElectricalPanel::Draw(platform::DrawSurface& surface) {
  selector_[0].Draw(surface);
  // Whatever the float holds (NaN, infinities, huge values), the display
  // shows a number inside 00.0 .. 99.9.
  const float value = input_.Get<float>(kValueFields[position_]);
  ShowNumber(0, value, kShownMinimum, kShownMaximum, "%04.1f", surface);
  for (int i = 0; i < kButtonCount; i++) DrawButton(i, surface);
  for (GuardedButton& cover : covers_) cover.Draw(surface);
}

void CA330_ElectricalPanel::ResetToDefaults() {
  SetButtons({0, 1, 2, 3, 4}, true);
  SetButton(5, false);
  SetButtons({6, 7, 8, 9, 10}, true);
  SetButtons({11, 12, 13}, false);
  WriteButtons();
}
