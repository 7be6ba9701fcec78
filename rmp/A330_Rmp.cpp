#include "rmp/A330_Rmp.h"

#include <cmath>

#include "common/TextFcns.h"
#include "platform/Graphics.h"

namespace {

const char kSource[] = "%Z% A330_Rmp QX_P_0420_01 A330_Rmp.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_Rmp QX_P_0420_01 A330_Rmp.h $Revision: 1.1 $";

using R = CA330_Rmp;

// The keys: momentary, single lamp; their lamps are worked out by the panel
// from the selection and the power byte. The NAV key's position is kept by
// the panel but not written.
constexpr PushButtonRow Key(const char* image, Place at, BlockField output, const char* name) {
  return Button(image, at, kNoField, kNoField, output).Momentary().SingleLamp().Named(name);
}
constexpr BlockField KeyByte(int key) { return BlockField(R::kKeyPositions + key); }

constexpr PushButtonRow kKeys[] = {
    Key("Buttons\\Vhf1", {20, 60}, KeyByte(R::kVhf1), "VHF1 key"),
    Key("Buttons\\Vhf2", {60, 60}, KeyByte(R::kVhf2), "VHF2 key"),
    Key("Buttons\\Vhf3", {102, 60}, KeyByte(R::kVhf3), "VHF3 key"),
    Key("Buttons\\Hf1", {20, 84}, KeyByte(R::kHf1), "HF1 key"),
    Key("Buttons\\Hf2", {57, 84}, KeyByte(R::kHf2), "HF2 key"),
    Key("Buttons\\Am", {140, 84}, KeyByte(R::kAm), "AM key"),
    Key("Buttons\\RmpSel", {105, 84}, KeyByte(R::kSel), "SEL key"),
    Key("Buttons\\RmpNav", {25, 125}, kNoField, "NAV key"),
    Key("Buttons\\RmpVor", {65, 125}, KeyByte(R::kVor), "VOR key"),
    Key("Buttons\\RmpIls", {105, 125}, KeyByte(R::kIls), "ILS key"),
    Key("Buttons\\RmpMls", {140, 125}, KeyByte(R::kMls), "MLS key"),
    Key("Buttons\\RmpAdf", {178, 125}, KeyByte(R::kAdf), "ADF key"),
    Key("Buttons\\RmpBfo", {215, 125}, KeyByte(R::kBfo), "BFO key"),
    Key("Buttons\\RmpXfr", {139, 18}, KeyByte(R::kTransfer), "transfer key"),
};
constexpr PlateRow kCovers[] = {
    Plate("Guards\\StbyNav", 1, {23, 108}, R::kNav).Named("STBY NAV cover"),
    Plate("Guards\\StbyNavOn", 2, {23, 108}, R::kNav).Named("STBY NAV cover (lit)"),
};
// Kind 2: vertical, on (up, position 0) or off (down, position 2).
constexpr SwitchRow kSwitch[] = {
    Switch(2, "RmpOn.bmp", "RmpOn.bmp", "RmpOff.bmp", {255, 95}, R::kRmpOn, kNoField).Named("ON/OFF switch")};
constexpr RotaryRow kKnob[] = {Rotary("RmpKnob.bmp", {205, 60}, 1, 40000, 9000).Named("tuning knob")};
constexpr DisplayRow kWindows[] = {
    Display(7, {23, 15}).Named("active window"),
    Display(7, {179, 15}).Named("standby window"),
};

constexpr FieldDecl kFields[] = {
    InputField("VHF1 active frequency", R::kActiveFrequencies + 0, FieldType::kF32, "MHz; 30.001 or below: data mode")
        .For(RowKind::kDisplay, 0),
    InputField("VHF2 active frequency", R::kActiveFrequencies + 4, FieldType::kF32, "MHz; 30.001 or below: data mode")
        .For(RowKind::kDisplay, 0),
    InputField("VHF3 active frequency", R::kActiveFrequencies + 8, FieldType::kF32, "MHz; 30.001 or below: data mode")
        .For(RowKind::kDisplay, 0),
    InputField("HF1 active frequency", R::kActiveFrequencies + 12, FieldType::kF32, "MHz").For(RowKind::kDisplay, 0),
    InputField("HF2 active frequency", R::kActiveFrequencies + 16, FieldType::kF32, "MHz").For(RowKind::kDisplay, 0),
    InputField("AM active frequency", R::kActiveFrequencies + 20, FieldType::kF32, "as shown")
        .For(RowKind::kDisplay, 0),
    InputField("VOR active frequency RMP 1", R::kActiveVor, FieldType::kF32, "MHz").For(RowKind::kDisplay, 0),
    InputField("VOR active frequency RMP 2", R::kActiveVor + 4, FieldType::kF32, "MHz").For(RowKind::kDisplay, 0),
    InputField("ADF active frequency RMP 1", R::kActiveAdf, FieldType::kF32, "kHz").For(RowKind::kDisplay, 0),
    InputField("ADF active frequency RMP 2", R::kActiveAdf + 4, FieldType::kF32, "kHz").For(RowKind::kDisplay, 0),
    InputField("ILS active frequency", R::kActiveIls, FieldType::kF32, "MHz").For(RowKind::kDisplay, 0),
    InputField("SEL condition", R::kSelCondition, FieldType::kU8,
               "the SEL lamp shows when this and power are non-zero").For(RowKind::kButton, R::kSel),
    InputField("power", R::kPower, FieldType::kU8, "non-zero: windows and selection lamps work")
        .For(RowKind::kSwitch, 0),
    InputField("transfer acknowledge", R::kTransferAcknowledge, FieldType::kU8,
               "non-zero clears the communication transfer request").For(RowKind::kButton, R::kTransfer),
    // Read in display-only mode only; the panel never writes it.
    FieldDecl{"NAV key position", BlockKind::kOutput, BlockField(R::kKeyPositions + R::kNav), FieldType::kU8,
              FieldWriter::kSimulation, "the NAV key's position shown in display-only mode; never written by the panel"}
        .For(RowKind::kButton, R::kNav),
    OutputField("back-up navigation active", R::kBackupNavActive, FieldType::kU8, "1 in back-up navigation, else 0"),
    OutputField("transferred VOR frequency", R::kVorTransferred, FieldType::kI32, "0.01 MHz units; -1 when none")
        .For(RowKind::kDisplay, 1),
    OutputField("VOR course", R::kVorCourseOut, FieldType::kI32, "degrees, 0 to 360").For(RowKind::kDisplay, 1),
    OutputField("transferred ADF frequency", R::kAdfTransferred, FieldType::kI32, "0.1 kHz units; -1 when none")
        .For(RowKind::kDisplay, 1),
    OutputField("transferred ILS frequency", R::kIlsTransferred, FieldType::kI32, "0.01 MHz units; -1 when none")
        .For(RowKind::kDisplay, 1),
    OutputField("ILS course", R::kIlsCourseOut, FieldType::kI32, "degrees, 0 to 360").For(RowKind::kDisplay, 1),
    OutputField("navigation transfer selection", R::kNavTransferSelection, FieldType::kI32,
                "the selection at the last navigation transfer"),
    OutputField("navigation count-down", R::kNavCountDown, FieldType::kI32,
                "10 when course entry starts, then one less every navigation pass without a transfer"),
    OutputField("communication transfer request", R::kTransferRequest, FieldType::kU8,
                "1 from a transfer until a pass sees the acknowledge").For(RowKind::kButton, R::kTransfer),
    OutputField("selection", R::kSelectionOut, FieldType::kI32,
                "0 VHF1, 1 VHF2, 2 VHF3, 3 HF1, 4 HF2, 5 AM, 6 VOR, 7 ILS, 8 MLS, 9 ADF"),
    OutputField("new active frequency", R::kNewActive, FieldType::kF32, "the standby sent by the last transfer")
        .For(RowKind::kDisplay, 1).For(RowKind::kRotary, 0),
    OutputField("spare", R::kSpare, FieldType::kI32, "always 0"),
};

// Blocks by layout and unit (RMP 1, 2, 3).
constexpr BlockPair RmpBlocks(PanelLayout layout, int32_t unit) {
  const bool a320 = layout == kLayoutA320;
  switch (unit) {
    case 0:
      return a320 ? BlockPair{0x1F20C, R::kOutputSize, 0x1EDEC, R::kInputSize}
                  : BlockPair{0x12648, R::kOutputSize, 0x12204, R::kInputSize};
    case 1:
      return a320 ? BlockPair{0x1F25C, R::kOutputSize, 0x1EE2C, R::kInputSize}
                  : BlockPair{0x12698, R::kOutputSize, 0x12244, R::kInputSize};
    default:
      return a320 ? BlockPair{0x1F07C, R::kOutputSize, 0x1ED78, R::kInputSize}
                  : BlockPair{0x1249C, R::kOutputSize, 0x12184, R::kInputSize};
  }
}

// Knob steps of the communication radios, in units.
struct Steps {
  int32_t fine;
  int32_t coarse;
};
constexpr Steps kCommSteps[R::kCommCount] = {{5, 1000}, {5, 1000}, {5, 1000}, {1, 1}, {1, 1}, {1, 100}};

// VHF frequencies at or below this are the data mode.
constexpr double kVhfDataLimit = 30.001;
constexpr char kDataMode[] = "   dAtA";
constexpr char kBlankWindow[] = "       ";
constexpr char kTestWindow[] = "8888888";

// What "%7.3f" and "  %5.1f" can show in seven cells.
constexpr float kLowest3 = -99.999f;
constexpr float kHighest3 = 999.999f;
constexpr float kLowest1 = -99.9f;
constexpr float kHighest1 = 999.9f;

// The key that shows a selection: the radio keys, then VOR to ADF.
int KeyOf(int32_t selection) {
  if (selection >= R::kSelVhf1 && selection <= R::kSelAm) return int(selection);
  if (selection >= R::kSelVor && selection <= R::kSelAdf) return R::kVor + int(selection - R::kSelVor);
  return -1;
}

// A frequency from the simulation in its window's format; NaN and the
// infinities are no number any radio has, and show the data text instead.
void FormatFrequency(char* text, const char* format, float value, float lowest, float highest) {
  if (!std::isfinite(value)) {
    CopyBounded(text, kDataMode, R::kTextSize);
    return;
  }
  FormatNumber(text, R::kTextSize, format, value, lowest, highest);
}

// Hands a window its text filled out to seven cells with blanks, so that a
// shorter text leaves no characters of the one before.
void ShowWindow(CPanelDisplay& window, const char* text, platform::DrawSurface& surface) {
  char cells[R::kTextSize];
  FormatBounded(cells, sizeof cells, "%-7s", text);
  window.SetDisplay(cells, surface);
}

}  // namespace

constexpr PanelTables kRmpTables{
    .unitBlocks = RmpBlocks,
    .unitName = "unit",
    .unitCount = CA330_Rmp::kUnitCount,
    .lampTest = CA330_Rmp::kLampTest,
    .buttons = kKeys,
    .plates = kCovers,
    .switches = kSwitch,
    .displays = kWindows,
    .rotaries = kKnob,
    .fields = kFields,
};
static_assert(TablesFit(kRmpTables));

CA330_Rmp::CA330_Rmp() : SubPanel(kRmpTables, kSource, kHeader) {
  BindControls({.buttons = keys_, .plates = covers_, .switches = switch_, .displays = windows_, .rotaries = knob_});
  RegisterRmpModuleRevisions();
}

// -------------------------------------------------------------------- Update

void CA330_Rmp::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;  // display-only: the blocks' state is shown instead
  ServeSwitches();
  ServeNavKey();
  SetLampFlags();  // from the selection as it stood before this pass
  ServeKeys();
  SelectFromKeys();
  ServeKnobPress();
  if (selection_ >= kSelVor && unit_ < 2) {
    TuneNavigation();
  } else {
    TuneCommunication();
  }
  AdvanceNavMode();
  displayedSelection_ = selection_;
}

void CA330_Rmp::ServeNavKey() {
  for (GuardedCover& cover : covers_) cover.Click(Event());
  // The NAV key takes the mouse only while the cover is up.
  keys_[kNav].SetDisabled(covers_[0].IsClosed());
  keys_[kNav].Update(Event(), navMode_ == 1, false, LampTest());
  navPress_.SetBool(keys_[kNav].IsPressed() && unit_ < 2);
}

void CA330_Rmp::SetLampFlags() {
  const bool power = input_.Lamp(kPower);
  for (bool& flag : lampFlags_) flag = false;
  const int key = KeyOf(selection_);
  if (key >= 0) lampFlags_[key] = power;
  lampFlags_[kSel] = input_.Lamp(kSelCondition) && power;
  lampFlags_[kTransfer] = power;
}

void CA330_Rmp::ServeKeys() {
  for (int i = 0; i < kKeyCount; i++) {
    if (i == kNav) continue;
    keys_[i].Update(Event(), lampFlags_[i], false, LampTest());
    WriteButton(i);
  }
}

void CA330_Rmp::SelectFromKeys() {
  for (int i = kVhf1; i <= kAm; i++) {
    if (keys_[i].IsPressed()) {
      selection_ = i;
      return;
    }
  }
  if (navMode_ != 1) return;
  for (int i = kVor; i <= kAdf; i++) {
    if (keys_[i].IsPressed()) {
      selection_ = kSelVor + (i - kVor);
      return;
    }
  }
}

void CA330_Rmp::ServeKnobPress() {
  // A right press on the knob flips between fine and coarse steps, once per press.
  knob_[0].CheckTouched(Event());
  knobPress_.SetBool(Event() == kEventRightDown && knob_[0].IsTouched());
  if (knobPress_.BecameSet()) fineSteps_ = !fineSteps_;
}

int32_t CA330_Rmp::KnobDelta() { return knob_[0].GetDelta(Event()); }

void CA330_Rmp::TuneCommunication() {
  const bool radio = selection_ >= kSelVhf1 && selection_ < kCommCount;
  if (radio) {
    RmpAccumulator& standby = comm_[selection_];
    standby.step = fineSteps_ ? kCommSteps[selection_].fine : kCommSteps[selection_].coarse;
    standby.Accumulate(KnobDelta());
  }
  commTransfer_.SetBool(keys_[kTransfer].IsPressed());
  if (commTransfer_.BecameSet()) {
    if (radio) {
      // The standby goes out as the new active; the old active comes back
      // as the standby, rounded to whole units: a float just below 118.275
      // is 118.275, so that swapping back and forth never changes a frequency.
      RmpAccumulator& standby = comm_[selection_];
      output_.Put<float>(kNewActive, standby.real);
      standby.SetFromRealRounded(input_.Get<float>(BlockField(kActiveFrequencies + 4 * selection_)));
    }
    output_.Write(kTransferRequest, 1);
  }
  output_.Put<int32_t>(kSelectionOut, selection_);
  output_.Put<int32_t>(kSpare, 0);
  // The request stays set until a pass sees the acknowledge.
  if (input_.Lamp(kTransferAcknowledge)) output_.Write(kTransferRequest, 0);
}

// ------------------------------------------------------------- Display-only

void CA330_Rmp::ShowSimulationState() {
  for (int i = 0; i < kKeyCount; i++) SetButtonIn(keys_[i], output_.Lamp(BlockField(kKeyPositions + i)));
  switch_[0].SetPosition(output_.Lamp(kRmpOn) ? 0 : 2);
}

// ------------------------------------------------------------------- Drawing

void CA330_Rmp::Draw(platform::DrawSurface& surface) {
  for (CButtonClass& key : keys_) key.Draw(surface);
  const bool power = input_.Lamp(kPower);
  const bool lit = (input_.Lamp(kLampTest) || navMode_ == 1) && power;
  covers_[lit ? 1 : 0].Draw(surface);
  switch_[0].Draw(surface);
  knob_[0].Paint(surface);  // a rotary knob draws through its paint hook only
  DrawWindows(surface);
}

void CA330_Rmp::DrawWindows(platform::DrawSurface& surface) {
  if (!input_.Lamp(kPower)) {
    for (CPanelDisplay& window : windows_) ShowWindow(window, kBlankWindow, surface);
    return;
  }
  if (input_.Lamp(kLampTest)) {
    for (CPanelDisplay& window : windows_) ShowWindow(window, kTestWindow, surface);
    return;
  }
  BuildActiveText();
  BuildStandbyText();
  ShowWindow(windows_[kActiveWindow], activeText_, surface);
  ShowWindow(windows_[kStandbyWindow], standbyText_, surface);
}

void CA330_Rmp::BuildActiveText() {
  const int32_t selection = displayedSelection_;
  if (selection >= kSelVhf1 && selection < kCommCount) {
    const float active = input_.Get<float>(BlockField(kActiveFrequencies + 4 * selection));
    if (selection <= kSelVhf3 && !(double(active) > kVhfDataLimit)) {
      CopyBounded(activeText_, kDataMode, kTextSize);
    } else {
      FormatFrequency(activeText_, "%7.3f", active, kLowest3, kHighest3);
    }
    return;
  }
  // The VOR and ADF of RMP 3 are not shown.
  switch (selection) {
    case kSelVor:
      if (unit_ < 2)
        FormatFrequency(activeText_, "%7.3f", input_.Get<float>(BlockField(kActiveVor + 4 * unit_)),
                     kLowest3, kHighest3);
      break;
    case kSelIls:
      FormatFrequency(activeText_, "%7.3f", input_.Get<float>(kActiveIls), kLowest3, kHighest3);
      break;
    case kSelMls:
      CopyBounded(activeText_, "      ", kTextSize);
      break;
    case kSelAdf:
      if (unit_ < 2)
        FormatFrequency(activeText_, "  %5.1f", input_.Get<float>(BlockField(kActiveAdf + 4 * unit_)),
                     kLowest1, kHighest1);
      break;
    default:
      break;
  }
}

void CA330_Rmp::BuildStandbyText() {
  const int32_t selection = displayedSelection_;
  if (selection >= kSelVhf1 && selection < kCommCount) {
    const double standby = comm_[selection].Real();
    if (selection <= kSelVhf3 && !(standby > kVhfDataLimit)) {
      CopyBounded(standbyText_, kDataMode, kTextSize);
    } else {
      FormatBounded(standbyText_, kTextSize, "%7.3f", standby);
    }
    return;
  }
  // RMP 3 keeps the text it had.
  if (unit_ < 2) BuildNavStandbyText();
}
