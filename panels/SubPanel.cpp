#include "panels/SubPanel.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "platform/Graphics.h"

namespace {

RevisionLines gRevisions("%Z% SubPanel QX_P_0402_01 SubPanel.cpp $Revision: 1.2 $",
                         "%Z% SubPanel QX_P_0402_01 SubPanel.h $Revision: 1.2 $");

// Facts of a panel whose tables no catalogue row names: the generic class
// name, so that its failure texts are still readable.
constexpr PanelFacts kUnknownPanel = {0,        "unknown", "SubPanel", "Initialising Panel items", "SubPanel",
                                      nullptr,  PanelFit::kNone, 0, 0, 0, 0, 0, false, -1, 0, nullptr};

const PanelFacts& FactsNaming(const PanelTables& tables) {
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables == &tables) return facts;
  }
  return kUnknownPanel;
}

}  // namespace

SubPanel::SubPanel(const PanelTables& tables, const char* sourceRevision, const char* headerRevision)
    : SubPanel(FactsNaming(tables), tables, sourceRevision, headerRevision) {}

SubPanel::SubPanel(const PanelFacts& facts, const PanelTables& tables, const char* sourceRevision,
                   const char* headerRevision)
    : BasePanel(sourceRevision, headerRevision), facts_(&facts), tables_(&tables) {
  gRevisions.RegisterOnce();
  RegisterPanelBlockRevision();
  RegisterPanelCatalogueRevision();
}

// ---------------------------------------------------------------- Initialise

bool SubPanel::Initialise(const char* folder, int32_t originY, int32_t originX) {
  return BeginInitialise(originY, originX) && CreateControls(folder);
}

void SubPanel::SetProgressText() { ReportText(facts_->progress); }

bool SubPanel::CheckSharedMemory() {
  if (GetSharedMemory() != nullptr) return true;
  char text[128];
  FormatBounded(text, sizeof text, "%s::Initialise --> SharedMemory ptr not set", facts_->nullAreaClass);
  ReportText(text);
  return false;
}

bool SubPanel::FailFit() {
  if (facts_->fitClass != nullptr) {
    char text[128];
    FormatBounded(text, sizeof text, "%s::Initialise --> Incorrect aircraft fit", facts_->fitClass);
    ReportText(text);
  }
  return false;
}

bool SubPanel::CheckFit() { return CheckAircraftFit() || FailFit(); }

bool SubPanel::BeginInitialise(int32_t originY, int32_t originX) {
  SetProgressText();
  SetOrigin(originX, originY);
  if (!CheckSharedMemory()) return false;
  switch (facts_->fit) {
    case PanelFit::kCommon:
      return CheckFit();
    case PanelFit::kNone:
      SelectBlocks(tables_->Blocks(kLayoutA330, unit_));
      return true;
    case PanelFit::kOwn:
      break;
  }
  return true;
}

void SubPanel::SelectBlocks(const BlockPair& blocks) {
  output_.Select(blocks.output, blocks.outputSize);
  input_.Select(blocks.input, blocks.inputSize);
}

bool SubPanel::ApplyAircraftFit() {
  const PanelLayout layout = AircraftLayoutFor(aircraftType_);
  if (layout == kLayoutNone) return false;
  layout_ = layout;
  SelectBlocks(tables_->Blocks(layout, unit_));
  return true;
}

bool SubPanel::CheckAircraftFit() { return facts_->fit == PanelFit::kCommon && ApplyAircraftFit(); }

void SubPanel::SetUnit(int32_t unit) {
  const int32_t last = tables_->unitCount > 0 ? tables_->unitCount - 1 : 0;
  unit_ = unit < 0 ? 0 : (unit > last ? last : unit);
}

void SubPanel::ApplyStartupPreset() {}

namespace {

// Fails with a clear text when a panel's control array and its table differ:
// a programming fault, caught by every panel's first start.
template <class Controls, class Rows>
bool SameCount(SubPanel& panel, const Controls& controls, const Rows& rows, const char* kind) {
  if (controls.size() == rows.size()) return true;
  char text[160];
  FormatBounded(text, sizeof text, "%s::Initialise --> %zu %s in the table, %zu bound", panel.Facts().className,
                rows.size(), kind, controls.size());
  panel.ReportText(text);
  return false;
}

}  // namespace

ButtonDescriptor SubPanel::Describe(int number, const char* folder, const char* image, const Place& at) const {
  ButtonDescriptor d;
  d.id = number;
  d.folder = folder;
  d.name = image;
  d.originX = originX_;
  d.originY = originY_;
  d.offsetX = at.X(layout_);
  d.offsetY = at.Y(layout_);
  d.scale = scale_;
  return d;
}

bool SubPanel::CreateControls(const char* folder) {
  const bool ok = CreateButtons(folder) && CreateCovers(folder) && CreatePlates(folder) && CreateGuarded(folder) &&
                  CreateSwitches(folder) && CreateKnobs(folder) && CreateLights(folder) &&
                  CreateDisplays(folder) && CreateRotaries(folder);
  SyncCovers();
  return ok;
}

bool SubPanel::CreateButton(int i, const char* folder) {
  const PushButtonRow& row = tables_->buttons[size_t(i)];
  ButtonDescriptor d = Describe(row.NumberOr(i), folder, row.ImageFor(layout_), row.at);
  d.momentary = row.momentary;
  d.twoLight = row.singleLamp;
  return CreateControl(controls_.buttons[size_t(i)], d);
}

bool SubPanel::CreateButtons(const char* folder) {
  if (!SameCount(*this, controls_.buttons, tables_->buttons, "push buttons")) return false;
  for (size_t i = 0; i < tables_->buttons.size(); i++) {
    if (!CreateButton(int(i), folder)) return false;
  }
  return true;
}

bool SubPanel::CreateCovers(const char* folder) {
  if (!SameCount(*this, controls_.covers, tables_->covers, "covers")) return false;
  for (size_t i = 0; i < tables_->covers.size(); i++) {
    const CoverRow& row = tables_->covers[i];
    const PushButtonRow& under = tables_->buttons[size_t(row.button)];
    GuardedButton& cover = controls_.covers[i];
    if (row.geometry != nullptr) cover.SetGeometry(*row.geometry);
    // A guard part that fails to load leaves its report text only.
    cover.InitialiseGuard(Describe(row.NumberOr(0), folder, row.ImageFor(layout_), under.at));
  }
  return true;
}

bool SubPanel::CreatePlates(const char* folder) {
  if (!SameCount(*this, controls_.plates, tables_->plates, "plates")) return false;
  for (size_t i = 0; i < tables_->plates.size(); i++) {
    const PlateRow& row = tables_->plates[i];
    if (!CreateControl(controls_.plates[i], Describe(row.NumberOr(int(i)), folder, row.ImageFor(layout_), row.at))) {
      return false;
    }
  }
  return true;
}

bool SubPanel::CreateGuarded(const char* folder) {
  if (!SameCount(*this, controls_.guarded, tables_->guarded, "guarded buttons")) return false;
  for (size_t i = 0; i < tables_->guarded.size(); i++) {
    const GuardedRow& row = tables_->guarded[i];
    const ButtonDescriptor guard = Describe(row.NumberOr(int(i)), folder, row.coverImage, row.at);
    ButtonDescriptor button = guard;
    button.name = row.ImageFor(layout_);
    GuardedButton& control = controls_.guarded[i];
    if (!control.Initialise(guard, button)) {
      ReportText(control.GetErrorText());
      return false;
    }
  }
  return true;
}

bool SubPanel::CreateSwitches(const char* folder) {
  if (!SameCount(*this, controls_.switches, tables_->switches, "switches")) return false;
  for (size_t i = 0; i < tables_->switches.size(); i++) {
    const SwitchRow& row = tables_->switches[i];
    SwitchRecord r;
    r.id = row.NumberOr(int(i));
    r.folder = folder;
    r.kind = row.kind;
    for (int n = 0; n < 3; n++) r.names[n] = row.names[n];
    r.originX = originX_;
    r.originY = originY_;
    r.offsetX = row.at.X(layout_);
    r.offsetY = row.at.Y(layout_);
    r.scale = scale_;
    if (!CreateControl(controls_.switches[i], r)) return false;
  }
  return true;
}

bool SubPanel::CreateKnobs(const char* folder) {
  if (!SameCount(*this, controls_.knobs, tables_->knobs, "knobs")) return false;
  for (size_t i = 0; i < tables_->knobs.size(); i++) {
    const KnobRow& row = tables_->knobs[i];
    KnobDescriptor d;
    for (int p = 0; p < 8; p++) d.allowed[p] = (row.positions >> p) & 1;
    d.folder = folder;
    d.name = row.ImageFor(layout_);
    d.offsetX = row.at.X(layout_);
    d.offsetY = row.at.Y(layout_);
    d.originX = originX_;
    d.originY = originY_;
    d.scale = scale_;
    if (!CreateControl(controls_.knobs[i], d)) return false;
  }
  return true;
}

bool SubPanel::CreateLights(const char* folder) {
  if (!SameCount(*this, controls_.lights, tables_->lights, "lights")) return false;
  for (size_t i = 0; i < tables_->lights.size(); i++) {
    const LightRow& row = tables_->lights[i];
    PanelLight& light = controls_.lights[i];
    light.change.SetBool(false);
    if (!CreateControl(light.light, Describe(row.NumberOr(int(i)), folder, row.ImageFor(layout_), row.at))) {
      return false;
    }
  }
  return true;
}

bool SubPanel::CreateDisplays(const char* folder) {
  if (!SameCount(*this, controls_.displays, tables_->displays, "displays")) return false;
  for (size_t i = 0; i < tables_->displays.size(); i++) {
    const DisplayRow& row = tables_->displays[i];
    DisplayDescriptor d;
    d.cellCount = row.cells;
    d.folder = folder;
    d.originX = originX_;
    d.originY = originY_;
    d.offsetX = row.at.X(layout_);
    d.offsetY = row.at.Y(layout_);
    d.scale = scale_;
    if (!CreateControl(controls_.displays[i], d)) return false;
  }
  return true;
}

bool SubPanel::CreateRotaries(const char* folder) {
  if (!SameCount(*this, controls_.rotaries, tables_->rotaries, "rotary knobs")) return false;
  for (size_t i = 0; i < tables_->rotaries.size(); i++) {
    const RotaryRow& row = tables_->rotaries[i];
    RotaryKnobDescriptor d;
    d.folder = folder;
    for (int n = 0; n < 3; n++) d.names[n] = row.names[n];
    d.offsetX = row.at.X(layout_);
    d.offsetY = row.at.Y(layout_);
    d.originX = originX_;
    d.originY = originY_;
    d.step = row.step;
    d.maximum = row.maximum;
    d.minimum = row.minimum;
    d.scale = scale_;
    if (!CreateControl(controls_.rotaries[i], d)) return false;
  }
  return true;
}

// -------------------------------------------------------------------- Update

void SubPanel::Update(const MouseState& mouse) {
  if (BeginUpdate(mouse)) ServeControls();
}

bool SubPanel::BeginUpdate(const MouseState& mouse) {
  event_ = mouse.button;
  lampTest_ = input_.Lamp(tables_->lampTest);
  if (tables_->displayOnlyRequest != kNoField) {
    SetDisplayOnly(output_.Lamp(tables_->displayOnlyRequest));
  }
  if (displayOnly_) {
    ShowSimulationState();
    return false;
  }
  if (tables_->readyStep && !ready_) return false;
  if (input_.Lamp(tables_->resetRequest)) ResetToDefaults();
  if (input_.Lamp(tables_->presetRequest)) ApplyStartupPreset();
  return true;
}

void SubPanel::ServeControls() {
  ServeButtons();
  ServeGuarded();
  ServeSwitches();
  ServeKnobs();
  ServeLights();
  ServeCovers();
  ServePlates();
}

void SubPanel::FeedButton(int i) {
  const PushButtonRow& row = tables_->buttons[size_t(i)];
  controls_.buttons[size_t(i)].Update(event_, input_.Lamp(row.upperLamp), input_.Lamp(row.lowerLamp), lampTest_);
}

void SubPanel::WriteButton(int i) {
  // A display-only panel shows another writer's block and never writes to it
  // (resets and presets reach display-only panels too).
  if (displayOnly_) return;
  // An absent button publishes 0.
  const bool in = IsPresent(tables_->buttons[size_t(i)]) && controls_.buttons[size_t(i)].IsPressed();
  output_.Write(tables_->buttons[size_t(i)].output, in ? 1 : 0);
}

void SubPanel::ServeButton(int i) {
  // An absent button keeps its position but takes no mouse.
  if (IsPresent(tables_->buttons[size_t(i)])) FeedButton(i);
  WriteButton(i);
}

void SubPanel::ServeButtons(int first, int last) {
  for (int i = first; i <= last && size_t(i) < controls_.buttons.size(); i++) ServeButton(i);
}

void SubPanel::WriteButtons() {
  for (size_t i = 0; i < controls_.buttons.size(); i++) WriteButton(int(i));
}

void SubPanel::ServeCover(int i) {
  if (!IsPresent(tables_->covers[size_t(i)])) return;
  GuardedButton& cover = controls_.covers[size_t(i)];
  cover.GuardClick(event_);
  controls_.buttons[size_t(tables_->covers[size_t(i)].button)].SetDisabled(cover.IsClosed());
}

void SubPanel::ServeCovers() {
  for (size_t i = 0; i < controls_.covers.size(); i++) ServeCover(int(i));
}

void SubPanel::ServePlates() {
  for (size_t i = 0; i < controls_.plates.size(); i++) {
    GuardedCover& plate = controls_.plates[i];
    plate.Click(event_);
    controls_.buttons[size_t(tables_->plates[i].button)].SetDisabled(plate.IsClosed());
  }
}

void SubPanel::SyncCovers() {
  for (size_t i = 0; i < controls_.covers.size(); i++) {
    controls_.buttons[size_t(tables_->covers[i].button)].SetDisabled(controls_.covers[i].IsClosed());
  }
  for (size_t i = 0; i < controls_.plates.size(); i++) {
    controls_.buttons[size_t(tables_->plates[i].button)].SetDisabled(controls_.plates[i].IsClosed());
  }
}

void SubPanel::ServeGuarded() {
  for (size_t i = 0; i < controls_.guarded.size(); i++) {
    const GuardedRow& row = tables_->guarded[i];
    GuardedButton& control = controls_.guarded[i];
    control.Update(event_, input_.Lamp(row.upperLamp), input_.Lamp(row.lowerLamp), lampTest_);
    output_.Write(row.output, control.IsPressed() ? 1 : 0);
  }
}

void SubPanel::ServeSwitch(int i) {
  controls_.switches[size_t(i)].Click(event_);
  WriteSwitch(i);
}

void SubPanel::WriteSwitch(int i) {
  if (displayOnly_) return;
  uint8_t up = 0;
  uint8_t down = 0;
  controls_.switches[size_t(i)].GetOutputs(up, down);
  output_.Write(tables_->switches[size_t(i)].upFlag, up);
  output_.Write(tables_->switches[size_t(i)].downFlag, down);
}

void SubPanel::ServeSwitches() {
  for (size_t i = 0; i < controls_.switches.size(); i++) ServeSwitch(int(i));
}

void SubPanel::WriteSwitches() {
  for (size_t i = 0; i < controls_.switches.size(); i++) WriteSwitch(int(i));
}

void SubPanel::ServeKnob(int i) {
  controls_.knobs[size_t(i)].Click(event_);
  WriteKnob(i);
}

void SubPanel::WriteKnob(int i) {
  if (displayOnly_) return;
  output_.Put<int32_t>(tables_->knobs[size_t(i)].output, controls_.knobs[size_t(i)].GetPosition());
}

void SubPanel::ServeKnobs() {
  for (size_t i = 0; i < controls_.knobs.size(); i++) ServeKnob(int(i));
}

void SubPanel::WriteKnobs() {
  for (size_t i = 0; i < controls_.knobs.size(); i++) WriteKnob(int(i));
}

void SubPanel::ServeLights() {
  for (size_t i = 0; i < controls_.lights.size(); i++) {
    if (!tables_->lights[i].onChange) {
      controls_.lights[i].light.SetLightState(input_.Lamp(tables_->lights[i].lamp), lampTest_);
    }
  }
}

void SubPanel::SetButton(int i, bool in) {
  if (i >= 0 && size_t(i) < controls_.buttons.size()) SetButtonIn(controls_.buttons[size_t(i)], in);
}

void SubPanel::SetButtons(std::initializer_list<int> buttons, bool in) {
  for (int i : buttons) SetButton(i, in);
}

// ------------------------------------------------------------- Display-only

void SubPanel::ShowSimulationState() { ShowControls(); }

void SubPanel::ShowButton(int i) {
  const PushButtonRow& row = tables_->buttons[size_t(i)];
  CButtonClass& button = controls_.buttons[size_t(i)];
  if (row.shownLamp != kNoField) {
    button.Update(std::nullopt, input_.Lamp(row.shownLamp), false, lampTest_);
  } else {
    button.Update(std::nullopt, input_.Lamp(row.upperLamp), input_.Lamp(row.lowerLamp), lampTest_);
  }
  SetButtonIn(button, output_.Lamp(row.output));
}

void SubPanel::ShowSwitch(int i) {
  const SwitchRow& row = tables_->switches[size_t(i)];
  controls_.switches[size_t(i)].SetFromInputs(output_.Read(row.upFlag), output_.Read(row.downFlag));
}

void SubPanel::ShowKnob(int i) {
  // A value that is no position of the knob leaves it where it is.
  const int32_t value = output_.Get<int32_t>(tables_->knobs[size_t(i)].output);
  if (value >= 0 && value < 8) controls_.knobs[size_t(i)].SetPosition(value);
}

void SubPanel::ShowControls() {
  lampTest_ = input_.Lamp(tables_->lampTest);
  for (size_t i = 0; i < controls_.buttons.size(); i++) ShowButton(int(i));
  for (size_t i = 0; i < controls_.guarded.size(); i++) {
    const GuardedRow& row = tables_->guarded[i];
    GuardedButton& control = controls_.guarded[i];
    control.Update(std::nullopt, input_.Lamp(row.upperLamp), input_.Lamp(row.lowerLamp), lampTest_);
    if (control.IsActive()) SetButtonIn(control.Button(), output_.Lamp(row.output));
  }
  for (size_t i = 0; i < controls_.switches.size(); i++) ShowSwitch(int(i));
  for (size_t i = 0; i < controls_.knobs.size(); i++) ShowKnob(int(i));
  ServeLights();
}

// ------------------------------------------------------------------- Drawing

int SubPanel::PlateOver(int button) const {
  for (size_t i = 0; i < tables_->plates.size(); i++) {
    if (tables_->plates[i].button == button) return int(i);
  }
  return -1;
}

// An absent control leaves the panel picture beneath it, not its last image.
void SubPanel::DrawButton(int i, platform::DrawSurface& surface) {
  const PushButtonRow& row = tables_->buttons[size_t(i)];
  if (!row.IsDrawnIn(layout_)) return;
  if (IsPresent(row)) {
    controls_.buttons[size_t(i)].Draw(surface);
  } else {
    surface.RestoreBackground(controls_.buttons[size_t(i)].DrawnArea());
  }
}

void SubPanel::DrawCover(int i, platform::DrawSurface& surface) {
  const CoverRow& row = tables_->covers[size_t(i)];
  if (!row.IsDrawnIn(layout_)) return;
  if (IsPresent(row)) {
    controls_.covers[size_t(i)].Draw(surface);
  } else {
    surface.RestoreBackground(controls_.covers[size_t(i)].DrawnArea());
  }
}

void SubPanel::DrawPlate(int i, platform::DrawSurface& surface) {
  GuardedCover& plate = controls_.plates[size_t(i)];
  if (tables_->plates[size_t(i)].IsDrawnIn(layout_)) plate.Draw(surface);
  // The button beneath is seen only while the plate is up, over it.
  if (!plate.IsClosed()) DrawButton(tables_->plates[size_t(i)].button, surface);
}

void SubPanel::DrawLight(int i, platform::DrawSurface& surface) {
  const LightRow& row = tables_->lights[size_t(i)];
  PanelLight& light = controls_.lights[size_t(i)];
  if (!row.IsDrawnIn(layout_)) return;
  if (!row.onChange) {
    light.light.Draw(surface);
    return;
  }
  light.change.SetBool(input_.Lamp(row.lamp));
  if (light.change.BecameSet()) {
    light.light.SetLightState(true, false);
    light.light.Draw(surface);
  } else if (light.change.IsClear()) {
    light.light.SetLightState(false, false);
    light.light.Draw(surface);
  }
}

void SubPanel::DrawControls(platform::DrawSurface& surface) {
  for (size_t i = 0; i < controls_.switches.size(); i++) {
    if (tables_->switches[i].IsDrawnIn(layout_)) controls_.switches[i].Draw(surface);
  }
  for (size_t i = 0; i < controls_.buttons.size(); i++) {
    if (PlateOver(int(i)) < 0) DrawButton(int(i), surface);
  }
  for (size_t i = 0; i < controls_.covers.size(); i++) {
    DrawCover(int(i), surface);
  }
  for (size_t i = 0; i < controls_.plates.size(); i++) DrawPlate(int(i), surface);
  for (size_t i = 0; i < controls_.guarded.size(); i++) {
    if (tables_->guarded[i].IsDrawnIn(layout_)) controls_.guarded[i].Paint(surface);
  }
  for (size_t i = 0; i < controls_.knobs.size(); i++) {
    if (tables_->knobs[i].IsDrawnIn(layout_)) controls_.knobs[i].Draw(surface);
  }
  for (size_t i = 0; i < controls_.lights.size(); i++) DrawLight(int(i), surface);
  for (size_t i = 0; i < controls_.rotaries.size(); i++) {
    // A rotary knob draws its selected image through its paint hook.
    if (tables_->rotaries[i].IsDrawnIn(layout_)) controls_.rotaries[i].Paint(surface);
  }
}

void SubPanel::Draw(platform::DrawSurface& surface) { DrawControls(surface); }

// ------------------------------------------------------------------ Hit test

platform::Rect SubPanel::RowRect(RowRef row) const {
  if (row.index < 0 || size_t(row.index) >= tables_->RowCount(row.kind)) return {};
  const size_t i = size_t(row.index);
  switch (row.kind) {
    case RowKind::kButton:
      return i < controls_.buttons.size() ? controls_.buttons[i].GetRect() : platform::Rect{};
    case RowKind::kCover:
      return i < controls_.covers.size() ? controls_.covers[i].GetGuardRect() : platform::Rect{};
    case RowKind::kPlate:
      return i < controls_.plates.size() ? controls_.plates[i].GetRect() : platform::Rect{};
    case RowKind::kGuarded: {
      if (i >= controls_.guarded.size()) return {};
      const platform::Rect g = controls_.guarded[i].GetGuardRect();
      const platform::Rect b = controls_.guarded[i].Button().GetRect();
      return {std::min(g.left, b.left), std::min(g.top, b.top), std::max(g.right, b.right),
              std::max(g.bottom, b.bottom)};
    }
    case RowKind::kSwitch:
      return i < controls_.switches.size() ? controls_.switches[i].GetRect() : platform::Rect{};
    case RowKind::kKnob:
      return i < controls_.knobs.size() ? controls_.knobs[i].GetRect() : platform::Rect{};
    case RowKind::kLight:
      return i < controls_.lights.size() ? controls_.lights[i].light.GetRect() : platform::Rect{};
    case RowKind::kDisplay: {
      if (i >= controls_.displays.size()) return {};
      const CPanelDisplay& display = controls_.displays[i];
      platform::Rect all;
      for (int c = 0; c < display.GetCellCount(); c++) {
        const platform::Rect r = display.Cell(c)->GetRect();
        all = c == 0 ? r
                     : platform::Rect{std::min(all.left, r.left), std::min(all.top, r.top),
                                      std::max(all.right, r.right), std::max(all.bottom, r.bottom)};
      }
      return all;
    }
    case RowKind::kRotary:
      return i < controls_.rotaries.size() ? controls_.rotaries[i].GetRect() : platform::Rect{};
    case RowKind::kNone:
      break;
  }
  return {};
}

bool SubPanel::RowShown(RowRef row, bool drawn) const {
  const size_t i = size_t(row.index);
  const auto shown = [&](const auto& r) { return r.IsDrawnIn(layout_) == drawn && IsPresent(r); };
  switch (row.kind) {
    case RowKind::kButton: {
      // A button under a closed plate is hidden by it.
      const int plate = PlateOver(row.index);
      return shown(tables_->buttons[i]) && (plate < 0 || !controls_.plates[size_t(plate)].IsClosed());
    }
    case RowKind::kCover: return shown(tables_->covers[i]);
    case RowKind::kPlate: return shown(tables_->plates[i]);
    case RowKind::kGuarded: return shown(tables_->guarded[i]);
    case RowKind::kSwitch: return shown(tables_->switches[i]);
    case RowKind::kKnob: return shown(tables_->knobs[i]);
    case RowKind::kLight: return shown(tables_->lights[i]);
    case RowKind::kDisplay: return shown(tables_->displays[i]);
    case RowKind::kRotary: return shown(tables_->rotaries[i]);
    case RowKind::kNone: break;
  }
  return false;
}

bool SubPanel::FindControlAt(int x, int y, RowRef* row) const {
  // Topmost first: the reverse of the drawing order.
  static constexpr RowKind kOrder[] = {RowKind::kRotary,  RowKind::kDisplay, RowKind::kLight,
                                       RowKind::kKnob,    RowKind::kGuarded, RowKind::kPlate,
                                       RowKind::kCover,   RowKind::kButton,  RowKind::kSwitch};
  for (bool drawn : {true, false}) {
    for (RowKind kind : kOrder) {
      const size_t count = tables_->RowCount(kind);
      for (size_t i = 0; i < count; i++) {
        const RowRef candidate{kind, int16_t(i)};
        const platform::Rect r = RowRect(candidate);
        if (r.left <= x && x < r.right && r.top <= y && y < r.bottom && RowShown(candidate, drawn)) {
          if (row != nullptr) *row = candidate;
          return true;
        }
      }
    }
  }
  return false;
}

void FormatNumber(char* text, std::size_t size, const char* format, float value, float minimum, float maximum) {
  float shown = value;
  if (!(shown >= minimum)) shown = minimum;  // NaN too
  if (shown > maximum) shown = maximum;
  shown += 0.0f;  // -0.0 shows as 0.0
  FormatBounded(text, size, format, double(shown));
}

void SubPanel::ShowNumber(int display, float value, float minimum, float maximum, const char* format,
                          platform::DrawSurface& surface) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  if (display < 0 || size_t(display) >= std::size(shownNumbers_)) {
    char text[sizeof ShownNumber::text];
    FormatNumber(text, sizeof text, format, value, minimum, maximum);
    controls_.displays[size_t(display)].SetDisplay(text, surface);
    return;
  }
  ShownNumber& shown = shownNumbers_[display];
  if (!shown.valid || shown.bits != bits || shown.format != format || shown.minimum != minimum ||
      shown.maximum != maximum) {
    shown = {true, bits, format, minimum, maximum, {}};
    FormatNumber(shown.text, sizeof shown.text, format, value, minimum, maximum);
  }
  controls_.displays[size_t(display)].SetDisplay(shown.text, surface);
}
